#pragma once

// The windows a hostile host hands the editor opcodes, for the random dispatcher calls: on
// Windows a real parent, the editor's own window, one inside it and one destroyed just
// before, with the message pump and a watch for boxes naming the call that raised one.
// Natively there are none: the hooks are empty and null stands in for each window.

#include <functional>
#include <memory>
#include <string>

#include "tests/robustness/RandomHostCalls.h"

class RandomCallWindows {
public:
    RandomCallWindows();
    ~RandomCallWindows();

    robustness::EditorHooks Hooks();
    // While a run goes on, a box found names the call `where` gives.
    void NameBoxesBy(std::function<std::string()> where);
    void Pump();
    // Whether every editor window is gone once its instance is.
    bool NoEditorLeft();

    RandomCallWindows(const RandomCallWindows&) = delete;
    RandomCallWindows& operator=(const RandomCallWindows&) = delete;

private:
    struct Parent;
    std::unique_ptr<Parent> parent;
};
