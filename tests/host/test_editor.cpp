// The editor through the DLL: its size, the window it builds in the host's window, the
// buttons' hits and the automation they report, the highlight on the screen, and how it
// is replaced, closed and reopened.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <thread>

#include "tests/host/BuiltPlugin.h"
#include "tests/host/EditorHarness.h"
#include "host/PluginInstance.h"

namespace {

using namespace editortest;
using testgui::ParentWindow;
using testgui::PumpMessages;

// The rectangle effEditGetRect hands out, and the dispatcher's answer.
struct EditorRect {
    intptr_t answer = 0;
    ERect rect = {-1, -1, -1, -1};
};

EditorRect GetRect(PluginInstance& plugin)
{
    ERect* rect = nullptr;
    EditorRect result;
    result.answer = plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    if (rect)
        result.rect = *rect;
    return result;
}

// An instance with its editor open in a parent window of its own.
class OpenEditor {
public:
    OpenEditor() : plugin(BuiltPlugin().Entry(), ProgramHost())
    {
        answer = plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
        PumpMessages();
        const std::vector<HWND> children = ChildWindows(parent.handle);
        window = children.size() == 1 ? children[0] : nullptr;
    }
    ~OpenEditor() { plugin.Dispatch(effEditClose); }

    ParentWindow parent;
    PluginInstance plugin;
    intptr_t answer = -1;
    HWND window = nullptr;
};

const Artwork& Art()
{
    static const Artwork artwork;
    return artwork;
}

TEST(Editor, SizeIsTheBackgroundsBeforeAndAfterOpening)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    const EditorRect before = GetRect(plugin);
    EXPECT_EQ(before.answer, 1);
    EXPECT_EQ(before.rect.top, 0);
    EXPECT_EQ(before.rect.left, 0);
    EXPECT_EQ(before.rect.bottom, 120);
    EXPECT_EQ(before.rect.right, 275);

    ParentWindow parent;
    plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
    const EditorRect after = GetRect(plugin);
    EXPECT_EQ(after.answer, 1);
    EXPECT_EQ(after.rect.bottom, 120);
    EXPECT_EQ(after.rect.right, 275);
    plugin.Dispatch(effEditClose);
}

TEST(Editor, OpensOneVisibleChildOfTheEditorsSize)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    EXPECT_EQ(editor.answer, 0);
    ASSERT_NE(editor.window, nullptr) << ChildWindows(editor.parent.handle).size() << " children";
    EXPECT_TRUE(IsWindowVisible(editor.window));
    EXPECT_EQ(GetParent(editor.window), editor.parent.handle);
    RECT client;
    GetClientRect(editor.window, &client);
    EXPECT_EQ(client.right, 275);
    EXPECT_EQ(client.bottom, 120);
    EXPECT_TRUE(std::regex_match(ClassNameOf(editor.window), std::regex("QMControl_0x[0-9a-f]+")))
        << ClassNameOf(editor.window);
}

TEST(Editor, ShowsTheBackgroundWithTheCurrentFactorHighlighted)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    EXPECT_EQ(DifferingPixels(testgui::CaptureWindow(editor.window), *Art().Compose(0)), 0);

    // Opened while the value is 0.6: 8x.
    ParentWindow parent;
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.SetParameter(0, 0.6f);
    plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
    PumpMessages();
    const std::vector<HWND> children = ChildWindows(parent.handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ShownSelection(children[0], Art()), 2);
    plugin.Dispatch(effEditClose);
}

TEST(Editor, EachButtonReportsItsValueOnceToTheHostForItsOwnInstance)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor other;  // a second instance with an editor: its record must not be named
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    const float values[kButtonCount] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (int i : {3, 1, 4, 0, 2}) {
        editor.plugin.SetParameter(0, 0.9f);  // so that a press must change it
        ProgramHost().ClearCalls();
        PressButton(editor.window, i);
        const std::vector<HostCallRecord> calls = AutomationFor(ProgramHost(), editor.plugin.Effect());
        ASSERT_EQ(calls.size(), 1u) << "button " << i << "\n" << ProgramHost().Describe();
        EXPECT_EQ(calls[0].index, 0);
        EXPECT_EQ(calls[0].value, 0);
        EXPECT_EQ(calls[0].ptr, nullptr);
        EXPECT_EQ(calls[0].opt, values[i]);
        EXPECT_EQ(ProgramHost().CallsWithOpcode(audioMasterAutomate).size(), 1u) << "no call for the other instance";
        EXPECT_EQ(editor.plugin.GetParameter(0), values[i]);
        EXPECT_EQ(ShownSelection(editor.window, Art()), i);
    }
    EXPECT_EQ(other.plugin.GetParameter(0), 0.0f);
}

TEST(Editor, ButtonEdgesAreInclusive)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    struct Case {
        int x, y;
        float expected;  // -1: no press
    };
    const Case cases[] = {{44, 54, 0.0f},   {71, 81, 0.0f},  {72, 60, -1.0f}, {44, 53, -1.0f},
                          {71, 82, -1.0f},  {43, 60, -1.0f}, {84, 54, 0.25f}, {231, 81, 1.0f},
                          {232, 81, -1.0f}, {78, 60, -1.0f}};
    for (const Case& c : cases) {
        editor.plugin.SetParameter(0, 0.6f);
        ProgramHost().ClearCalls();
        Click(editor.window, c.x, c.y);
        const std::vector<HostCallRecord> calls = AutomationFor(ProgramHost(), editor.plugin.Effect());
        if (c.expected < 0) {
            EXPECT_TRUE(calls.empty()) << c.x << "," << c.y;
            EXPECT_EQ(editor.plugin.GetParameter(0), 0.6f) << c.x << "," << c.y;
        } else {
            ASSERT_EQ(calls.size(), 1u) << c.x << "," << c.y;
            EXPECT_EQ(calls[0].opt, c.expected) << c.x << "," << c.y;
            EXPECT_EQ(editor.plugin.GetParameter(0), c.expected);
        }
    }
}

TEST(Editor, DoubleClickReportsTwice)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    ProgramHost().ClearCalls();
    DoubleClick(editor.window, ButtonLeft(3) + 5, kButtonTop + 5);
    const std::vector<HostCallRecord> calls = AutomationFor(ProgramHost(), editor.plugin.Effect());
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].opt, 0.75f);
    EXPECT_EQ(calls[1].opt, 0.75f);
}

TEST(Editor, PressingTheHighlightedButtonStillReports)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    ProgramHost().ClearCalls();
    PressButton(editor.window, 0);  // 2x is already selected
    EXPECT_EQ(AutomationFor(ProgramHost(), editor.plugin.Effect()).size(), 1u);
}

TEST(Editor, HostParameterChangesMoveTheHighlightOnScreen)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    ProgramHost().ClearCalls();
    editor.plugin.SetParameter(0, 0.3f);  // on the window's thread: drawn at once
    EXPECT_EQ(ShownSelection(editor.window, Art()), 1);
    editor.plugin.SetParameter(0, 1.0f);
    EXPECT_EQ(ShownSelection(editor.window, Art()), 4);
    editor.plugin.SetParameter(0, 0.999f);
    EXPECT_EQ(ShownSelection(editor.window, Art()), 3);
    EXPECT_TRUE(AutomationFor(ProgramHost(), editor.plugin.Effect()).empty())
        << "the host's own changes are not reported back";
}

TEST(Editor, ChangesFromAnotherThreadAreDrawnByTheWindowsThread)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    std::thread([&] { editor.plugin.SetParameter(0, 0.5f); }).join();
    EXPECT_EQ(editor.plugin.GetParameter(0), 0.5f);
    PumpMessages();
    EXPECT_EQ(ShownSelection(editor.window, Art()), 2);

    // Many changes before the window's thread looks: it draws the last one.
    std::thread([&] {
        for (int i = 0; i < 1000; ++i)
            editor.plugin.SetParameter(0, (i % 5) * 0.25f);
        editor.plugin.SetParameter(0, 0.75f);
    }).join();
    PumpMessages();
    EXPECT_EQ(ShownSelection(editor.window, Art()), 3);
}

TEST(Editor, OpeningAgainReplacesTheWindow)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    editor.plugin.Dispatch(effEditOpen, 0, 0, editor.parent.handle);
    PumpMessages();
    EXPECT_FALSE(IsWindow(editor.window)) << "the first editor's window is destroyed";
    const std::vector<HWND> children = ChildWindows(editor.parent.handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_NE(children[0], editor.window);
    EXPECT_TRUE(IsWindowVisible(children[0]));
    ProgramHost().ClearCalls();
    PressButton(children[0], 2);
    EXPECT_EQ(AutomationFor(ProgramHost(), editor.plugin.Effect()).size(), 1u);
}

TEST(Editor, CloseThenOpenBuildsANewEditor)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    editor.plugin.SetParameter(0, 0.75f);
    EXPECT_EQ(editor.plugin.Dispatch(effEditClose), 0);
    // Closing only forgets the window; the host's frame takes it away.
    EXPECT_TRUE(IsWindow(editor.window));

    ParentWindow newFrame;
    EXPECT_EQ(editor.plugin.Dispatch(effEditOpen, 0, 0, newFrame.handle), 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(editor.window));
    const std::vector<HWND> children = ChildWindows(newFrame.handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ShownSelection(children[0], Art()), 3);
    editor.plugin.Dispatch(effEditClose);
}

TEST(Editor, AllEditorsShareOneWindowClass)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor first;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));  // a new registration would get a new name
    OpenEditor second;
    ASSERT_NE(first.window, nullptr);
    ASSERT_NE(second.window, nullptr);
    EXPECT_EQ(ClassNameOf(first.window), ClassNameOf(second.window));
}

TEST(Editor, WindowMessagesTheEditorAnswers)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    RECT proposed = {0, 0, 300, 200};
    EXPECT_EQ(SendMessageA(editor.window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed)), 1);
    // A press left of and above the window (the mouse captured) is not a button press.
    ProgramHost().ClearCalls();
    Click(editor.window, -1, 60);
    Click(editor.window, 50, -1);
    EXPECT_TRUE(AutomationFor(ProgramHost(), editor.plugin.Effect()).empty());
    // A repaint brings back the same picture.
    editor.plugin.SetParameter(0, 0.25f);
    InvalidateRect(editor.window, nullptr, TRUE);
    UpdateWindow(editor.window);
    EXPECT_EQ(ShownSelection(editor.window, Art()), 1);
}

TEST(Editor, NoParentWindowNoEditor)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, nullptr), 0);
    int notAWindow = 0;
    EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &notAWindow), 0);
    EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x12345678)), 0);
    // The instance still works, and a real window gets an editor.
    plugin.SetParameter(0, 0.5f);
    EXPECT_EQ(plugin.GetParameter(0), 0.5f);
    ParentWindow parent;
    plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
    PumpMessages();
    const std::vector<HWND> children = ChildWindows(parent.handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ShownSelection(children[0], Art()), 2);
    plugin.Dispatch(effEditClose);
}

// Each of these parents is destroyed before the editor's window could be made in it: the
// old editor's own window and one inside it go with the old editor, the last is gone
// already. The host hears 0, nothing is left, and the instance works on.
TEST(Editor, ParentsGoneByTheTimeOfBuildingGetNoEditorAndLeaveNothing)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    auto plainChild = [](HWND parent) {
        return CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 8, 8, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    auto openIn = [&](HWND parent) {
        const intptr_t answer = editor.plugin.Dispatch(effEditOpen, 0, 0, parent);
        PumpMessages();
        return answer;
    };

    EXPECT_EQ(openIn(editor.window), 0);
    EXPECT_FALSE(IsWindow(editor.window));
    EXPECT_TRUE(ChildWindows(editor.parent.handle).empty());

    ASSERT_EQ(openIn(editor.parent.handle), 0);
    std::vector<HWND> children = ChildWindows(editor.parent.handle);
    ASSERT_EQ(children.size(), 1u);
    HWND inside = plainChild(children[0]);
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(openIn(inside), 0);
    EXPECT_TRUE(ChildWindows(editor.parent.handle).empty());

    HWND gone = plainChild(editor.parent.handle);
    DestroyWindow(gone);
    EXPECT_EQ(openIn(gone), 0);
    EXPECT_TRUE(ChildWindows(editor.parent.handle).empty());

    // Still a working instance: a good window gets an editor whose press reaches the host,
    // and the filter passes a constant unchanged.
    ProgramHost().ClearCalls();
    openIn(editor.parent.handle);
    children = ChildWindows(editor.parent.handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(children[0]));
    PressButton(children[0], 3);
    EXPECT_EQ(AutomationFor(ProgramHost(), editor.plugin.Effect()).size(), 1u);
    EXPECT_EQ(editor.plugin.GetParameter(0), 0.75f);
    StereoBlock<float> block(256);
    std::fill(block.in[0].begin(), block.in[0].end(), 0.5f);
    editor.plugin.Process(block);
    EXPECT_NEAR(block.out[0].back(), 0.5f, 1e-5f);
}

TEST(Editor, ClosingTheInstanceTakesItsEditorWindow)
{
    ASSERT_PLUGIN_LOADED();
    ParentWindow parent;
    HWND window = nullptr;
    {
        PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
        plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
        const std::vector<HWND> children = ChildWindows(parent.handle);
        ASSERT_EQ(children.size(), 1u);
        window = children[0];
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(ChildWindows(parent.handle).empty());
}

TEST(Editor, ScreenshotForPeople)
{
    ASSERT_PLUGIN_LOADED();
    OpenEditor editor;
    ASSERT_NE(editor.window, nullptr);
    editor.plugin.SetParameter(0, 0.5f);  // 8x
    const testgui::Capture shown = testgui::CaptureWindow(editor.window);
    ASSERT_EQ(shown.width, kEditorWidth);
    EXPECT_EQ(DifferingPixels(shown, *Art().Compose(2)), 0);
    const std::string path = SaveArtifact("editor.png", EncodePng(shown));
    ASSERT_FALSE(path.empty()) << "cannot write into " << ArtifactsFolder();
    std::printf("editor screenshot: %s\n", path.c_str());

    // The file reads back through the toolkit's decoder as the same picture.
    CPicture saved;
    const std::vector<uint8_t> bytes = ReadFile(path);
    saved.FromPng(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(DifferingPixels(shown, saved), 0);
}

}  // namespace
