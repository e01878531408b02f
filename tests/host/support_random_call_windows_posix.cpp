#include "tests/host/RandomCallWindows.h"

struct RandomCallWindows::Parent {};

RandomCallWindows::RandomCallWindows() = default;
RandomCallWindows::~RandomCallWindows() = default;
robustness::EditorHooks RandomCallWindows::Hooks() { return robustness::EditorHooks(); }
void RandomCallWindows::NameBoxesBy(std::function<std::string()>) {}
void RandomCallWindows::Pump() {}
bool RandomCallWindows::NoEditorLeft() { return true; }
