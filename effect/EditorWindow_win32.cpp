#include "effect/EditorWindow.h"

#include <windows.h>

#include "effect/VelvetineFilterGUI.h"

bool EditorParentFromHost(NativeWindow parent, ControlParent* window)
{
    *window = static_cast<HWND>(parent);
    return *window && IsWindow(*window);
}

NativeWindow EditorWindowForHost(const CVelvetineFilterGUI& editor)
{
    return editor.window;
}
