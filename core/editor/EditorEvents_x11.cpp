#include "core/editor/EditorSession.h"
#include "gui/Control.h"

#include <cstdint>

// Linux hosts call their plug-ins' idle entries from their user-interface thread, the
// thread that opened the editor, a few dozen times a second: the editor's X events and the
// redraws other threads asked for are handled there, so a press reports to the host on the
// thread it expects, and no thread of the plug-in's own has to share Xlib with the host.
void CEditorSession::Idle() { DispatchToolkitEvents(); }

int CEditorSession::EventDescriptor() const
{
    return window ? ConnectionDescriptorOf(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window))) : -1;
}
