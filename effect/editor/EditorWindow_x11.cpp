#include "effect/editor/EditorWindow.h"

#include <cstdint>

#include "effect/editor/VelvetineFilterGUI.h"

// Linux hosts pass X11 window ids in the pointer. Whether the id names a window is learnt
// when the editor's window is made in it, on the editor's own connection.
bool EditorParentFromHost(NativeWindow parent, ControlParent* window)
{
    *window = static_cast<ControlParent>(reinterpret_cast<uintptr_t>(parent));
    return *window != 0;
}

NativeWindow EditorWindowForHost(const CVelvetineFilterGUI& editor)
{
    return reinterpret_cast<NativeWindow>(static_cast<uintptr_t>(editor.window));
}
