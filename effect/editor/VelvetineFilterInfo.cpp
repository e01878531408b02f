#include "effect/editor/VelvetineFilterInfo.h"

#include <memory>

#include "effect/editor/EditorPictures.h"
#include "effect/editor/EditorWindow.h"
#include "effect/editor/VelvetineFilterGUI.h"
#include "gui/Picture.h"

CVelvetineFilterInfo::CVelvetineFilterInfo(CHost* host) : CFilterDescription(host)
{
    LoadEditorPictures(*this);
}

CVelvetineFilterInfo::~CVelvetineFilterInfo()
{
    delete backgroundPicture;
    delete highlightedButtonsPicture;
    delete normalButtonsPicture;
}

bool CVelvetineFilterInfo::EditorSize(int* width, int* height) const
{
    *width = EditorWidth(this);
    *height = EditorHeight(this);
    return true;
}

CFilterEditor* CVelvetineFilterInfo::BuildEditor(void* parent, CVelvetineFilter* machine)
{
    ControlParent parentWindow{};
    if (!EditorParentFromHost(parent, &parentWindow))
        return nullptr;
    // The parent can still vanish before the editor's window exists, the display may be
    // missing or a request refused: a build that fails is declined, never fatal, and the
    // host keeps running without an editor.
    std::unique_ptr<CVelvetineFilterGUI> created(new CVelvetineFilterGUI(parentWindow, machine, this));
    if (!created->IsBuilt())
        return nullptr;
    return created.release();
}
