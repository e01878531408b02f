#include "core/editor/EditorSession.h"

// The window's messages drive the editor; idle calls bring nothing to do.
void CEditorSession::Idle() {}

int CEditorSession::EventDescriptor() const { return -1; }
