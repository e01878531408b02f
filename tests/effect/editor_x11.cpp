// The editor on X11, run against an X server of its own (xvfb-run): what the server shows
// for each highlight state, presses sent to the window, host changes, failures, and
// opening and closing many times.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effect/VelvetineFilter.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "tests/effect/X11Fixture.h"
#include "tests/framework/FakeHost.h"

namespace {

using namespace x11test;

// The editor of a filter machine of the test's own, in the fixture's window.
class X11Editor : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        machine.reset(static_cast<CVelvetineFilter*>(info.CreateMachine()));
    }

    void TearDown() override
    {
        machine.reset();
        X11Host::TearDown();
    }

    Window Open()
    {
        NativeWindow opened = machine->OpenEditor(ParentHandle());
        DispatchToolkitEvents();  // the first exposure paints
        return static_cast<Window>(reinterpret_cast<uintptr_t>(opened));
    }

    FakeHost host;
    CVelvetineFilterInfo info{&host};
    std::unique_ptr<CVelvetineFilter> machine;
};

TEST_F(X11Editor, ShowsEachStatePixelForPixelAsComposed)
{
    const Window editor = Open();
    ASSERT_NE(editor, 0u);
    ASSERT_EQ(Children(), std::vector<Window>{editor});
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, editor, &attributes));
    EXPECT_EQ(attributes.width, kWidth);
    EXPECT_EQ(attributes.height, kHeight);
    EXPECT_EQ(attributes.map_state, IsViewable);

    for (int state = 0; state < 5; ++state) {
        machine->SetControl(0, state * 0.25);
        EXPECT_TRUE(Capture(editor) == Art().Compose(state)) << "state " << state;
    }
    // Exposure repaints from the back buffer.
    XClearWindow(display, editor);
    XSync(display, False);
    EXPECT_NE(ShownState(editor), 4);
    XClearArea(display, editor, 0, 0, 0, 0, True);
    XSync(display, False);
    DispatchToolkitEvents();
    EXPECT_EQ(ShownState(editor), 4);
}

TEST_F(X11Editor, EachPressSetsItsValueAndReportsItOnce)
{
    const Window editor = Open();
    ASSERT_NE(editor, 0u);
    for (int button : {3, 1, 4, 0, 2}) {
        host.calls.clear();
        Click(editor, ButtonLeft(button) + kButtonSize / 2, kButtonTop + kButtonSize / 2);
        const auto reports = host.CallsOf(HostCall::kAutomate);
        ASSERT_EQ(reports.size(), 1u) << "button " << button;
        EXPECT_EQ(reports[0].index, 0);
        EXPECT_DOUBLE_EQ(reports[0].value, button * 0.25);
        EXPECT_DOUBLE_EQ(machine->GetControl(0), button * 0.25);
        EXPECT_EQ(ShownState(editor), button);
    }
    // Between buttons and on the inclusive edges.
    host.calls.clear();
    Click(editor, ButtonLeft(1) - 1, kButtonTop + 5);
    Click(editor, ButtonLeft(1) + 5, kButtonTop + kButtonSize);
    EXPECT_TRUE(host.CallsOf(HostCall::kAutomate).empty());
    Click(editor, ButtonLeft(1) + kButtonSize - 1, kButtonTop + kButtonSize - 1);
    EXPECT_EQ(host.CallsOf(HostCall::kAutomate).size(), 1u);
}

TEST_F(X11Editor, ChangesFromAnotherThreadAreDrawnOnTheEditorsThread)
{
    const Window editor = Open();
    ASSERT_NE(editor, 0u);
    std::thread other([&] { machine->SetControl(0, 0.75); });
    other.join();
    EXPECT_EQ(ShownState(editor), 0) << "drawn off the editor's thread";
    DispatchToolkitEvents();
    EXPECT_EQ(ShownState(editor), 3);
}

TEST_F(X11Editor, OpensAtTheCurrentValue)
{
    machine->SetControl(0, 0.6);
    EXPECT_EQ(ShownState(Open()), 2);
}

TEST_F(X11Editor, OpenAndClose200TimesLeavesNoWindowsNorConnections)
{
    const int clients = ClientCount();
    ASSERT_GT(clients, 0);
    const int descriptors = OpenDescriptors();
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_NE(Open(), 0u) << "cycle " << cycle;  // replaces the previous editor
        ASSERT_EQ(Children().size(), 1u) << "cycle " << cycle;
        if (cycle % 2) {
            machine.reset(static_cast<CVelvetineFilter*>(info.CreateMachine()));
            ASSERT_TRUE(Children().empty()) << "cycle " << cycle;
        }
    }
    machine.reset();
    EXPECT_TRUE(Children().empty());
    EXPECT_EQ(ClientCount(), clients);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(X11Editor, FailuresAnswerNoEditorAndTheProcessGoesOn)
{
    const int clients = ClientCount();
    // Not a window at all, and no window.
    EXPECT_EQ(machine->OpenEditor(reinterpret_cast<NativeWindow>(uintptr_t(0x3ffffffe))), nullptr);
    EXPECT_EQ(machine->OpenEditor(nullptr), nullptr);
    // No display.
    const std::string saved = std::getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(machine->OpenEditor(ParentHandle()), nullptr);
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(ClientCount(), clients);
    EXPECT_TRUE(Children().empty());

    // The host destroys its window before the editor goes: drawing into it, handling
    // events and deleting it all fail quietly.
    ASSERT_NE(Open(), 0u);
    XDestroyWindow(display, parent);
    XSync(display, False);
    machine->SetControl(0, 0.5);
    DispatchToolkitEvents();
    machine.reset();
    EXPECT_EQ(ClientCount(), clients);
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
}

}  // namespace
