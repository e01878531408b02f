#include "core/editor/EditorSession.h"

#include <cstdint>

#include "framework/Machine.h"

bool CEditorSession::Size(int* width, int* height) const
{
    int16_t top = 0, left = 0, right = 0, bottom = 0;
    if (!machine.GetEditorRect(&top, &left, &right, &bottom))
        return false;
    *width = right - left;
    *height = bottom - top;
    return true;
}

bool CEditorSession::Open(void* parent)
{
    // The old window is the machine's to dispose of when it builds the new one.
    window = nullptr;
    window = machine.OpenEditor(parent);
    return window != nullptr;
}

void CEditorSession::Destroy()
{
    window = nullptr;
    // Without a parent the machine deletes its editor and builds none.
    machine.OpenEditor(nullptr);
}
