#pragma once

// The windows the random dispatcher calls hand the editor opcodes. On Windows: a real parent,
// the editor's own window, one inside it and one destroyed just before, the message pump,
// and a watch for boxes that names the call which raised one. Natively none: null stands in.

#include <functional>
#include <string>

#include "tests/robustness/RandomHostCalls.h"

robustness::EditorHooks RandomCallEditorHooks();
// While a run goes on, a box names the call `where` gives; null: the plain report again.
void NameBoxesBy(std::function<std::string()> where);
void PumpEditorMessages();
// Whether every editor window is gone once its instance is.
bool NoEditorLeft();
