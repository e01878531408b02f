#pragma once

// How the host's window for the editor becomes the toolkit's parent, and how the editor's
// own window goes back to the host: one pair for each windowing system.

#include "framework/Machine.h"
#include "gui/Control.h"

class CVelvetineFilterGUI;

// False when `parent` cannot be a parent at all (null, or not a window).
bool EditorParentFromHost(NativeWindow parent, ControlParent* window);

NativeWindow EditorWindowForHost(const CVelvetineFilterGUI& editor);
