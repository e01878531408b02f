#include "tests/host/RandomCallWindows.h"

robustness::EditorHooks RandomCallEditorHooks() { return robustness::EditorHooks(); }
void NameBoxesBy(std::function<std::string()>) {}
void PumpEditorMessages() {}
bool NoEditorLeft() { return true; }
