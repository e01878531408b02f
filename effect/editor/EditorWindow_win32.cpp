#include "effect/editor/EditorWindow.h"

#include <windows.h>

#include "effect/editor/VelvetineFilterGUI.h"

bool EditorParentFromHost(NativeWindow parent, ControlParent* window)
{
    *window = static_cast<HWND>(parent);
    return *window && IsWindow(*window);
}

NativeWindow EditorWindowForHost(const CVelvetineFilterGUI& editor)
{
    return editor.window;
}
