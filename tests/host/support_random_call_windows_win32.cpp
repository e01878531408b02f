#include "tests/host/RandomCallWindows.h"

#include "tests/gui/Win32Fixtures.h"
#include "tests/host/BuiltPlugin.h"
#include "tests/host/EditorHarness.h"

namespace {

// The editor an instance has open directly in `parent`, or null.
HWND EditorIn(HWND parent)
{
    for (HWND child : editortest::ChildWindows(parent))
        if (GetParent(child) == parent)
            return child;
    return nullptr;
}

HWND PlainChild(HWND parent)
{
    return CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 8, 8, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND Frame()
{
    static testgui::ParentWindow* parent = new testgui::ParentWindow;
    return parent->handle;
}

}  // namespace

robustness::EditorHooks RandomCallEditorHooks()
{
    const HWND frame = Frame();
    robustness::EditorHooks hooks;
    hooks.realWindow = [frame] { return static_cast<void*>(frame); };
    hooks.editorWindow = [frame] { return static_cast<void*>(EditorIn(frame)); };
    hooks.childOfEditor = [frame]() -> void* {
        HWND editor = EditorIn(frame);
        return editor ? PlainChild(editor) : nullptr;
    };
    hooks.destroyedWindow = [frame] {
        HWND gone = PlainChild(frame);
        DestroyWindow(gone);
        return static_cast<void*>(gone);
    };
    hooks.pumpMessages = [] { testgui::PumpMessages(); };
    return hooks;
}

// A fatal box ends the process inside a call: its report names that call.
void NameBoxesBy(std::function<std::string()> where)
{
    if (!where) {
        ProgramModalWindowWatch().SetReport(&FailTheRunningTestForBox);
        return;
    }
    ProgramModalWindowWatch().SetReport(
        [where](const std::string& box) { FailTheRunningTestForBox(where() + box); });
}

void PumpEditorMessages()
{
    testgui::PumpMessages();
}

bool NoEditorLeft()
{
    return editortest::ChildWindows(Frame()).empty();
}
