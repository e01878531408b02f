// The editor on X11, run against an X server of its own (xvfb-run): what the server shows
// for each highlight state, presses sent to the window, host changes, failures, and
// opening and closing many times.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <dirent.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effect/VelvetineFilter.h"
#include "effect/VelvetineFilterInfo.h"
#include "gui/Control.h"
#include "gui/Picture.h"
#include "tests/framework/FakeHost.h"

namespace {

constexpr int kWidth = 275;
constexpr int kHeight = 120;
constexpr int kButtonSize = 28;
constexpr int kButtonTop = 54;
int ButtonLeft(int i) { return 44 + 40 * i; }

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The repository's artwork decoded by the toolkit's decoder and composed as the editor
// composes it: the background, then each button's face from the strip for its state.
struct Artwork {
    Artwork()
    {
        Load(background, "background.png");
        Load(highlighted, "buttons_highlighted.png");
        Load(normal, "buttons_normal.png");
    }

    std::vector<uint8_t> Compose(int selected) const
    {
        CPicture canvas;
        canvas.Blank(kWidth, kHeight);
        background.Draw(canvas, 0, 0, 0, 0, kWidth, kHeight);
        for (int i = 0; i < 5; ++i)
            (i == selected ? highlighted : normal).Draw(canvas, ButtonLeft(i), kButtonTop, 40 * i, 0, kButtonSize,
                                                        kButtonSize);
        return std::vector<uint8_t>(canvas.pixels, canvas.pixels + kWidth * kHeight * 3);
    }

    static void Load(CPicture& picture, const char* name)
    {
        const std::vector<uint8_t> bytes = ReadFile(std::string(VELVETINE_SOURCE_DIR) + "/resources/" + name);
        picture.FromPng(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    CPicture background, highlighted, normal;
};

const Artwork& Art()
{
    static const Artwork artwork;
    return artwork;
}

int OpenDescriptors()
{
    int count = 0;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (readdir(folder))
            ++count;
        closedir(folder);
    }
    return count;
}

// The test's own connection, standing in for the host's, with a mapped top-level window
// as the host's editor frame.
class X11Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X server: run under xvfb-run";
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        parent = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(display, parent);
        XSync(display, False);
        machine.reset(static_cast<CVelvetineFilter*>(info.CreateMachine()));
    }

    void TearDown() override
    {
        machine.reset();
        if (display) {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }

    NativeWindow ParentHandle() const { return reinterpret_cast<NativeWindow>(static_cast<uintptr_t>(parent)); }

    Window Open()
    {
        NativeWindow opened = machine->OpenEditor(ParentHandle());
        DispatchToolkitEvents();  // the first exposure paints
        return static_cast<Window>(reinterpret_cast<uintptr_t>(opened));
    }

    std::vector<Window> Children()
    {
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        std::vector<Window> children;
        if (XQueryTree(display, parent, &root, &up, &list, &count)) {
            children.assign(list, list + count);
            XFree(list);
        }
        return children;
    }

    // The window's pixels as the server holds them, 3 bytes R, G, B each.
    std::vector<uint8_t> Capture(Window window)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image)
            return {};
        std::vector<uint8_t> rgb;
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                const unsigned long pixel = XGetPixel(image, column, row);
                rgb.push_back(uint8_t((pixel & image->red_mask) >> 16));
                rgb.push_back(uint8_t((pixel & image->green_mask) >> 8));
                rgb.push_back(uint8_t(pixel & image->blue_mask));
            }
        }
        XDestroyImage(image);
        return rgb;
    }

    int ShownState(Window window)
    {
        const std::vector<uint8_t> shown = Capture(window);
        for (int state = 0; state < 5; ++state)
            if (shown == Art().Compose(state))
                return state;
        return -1;
    }

    void SendButton(Window window, int type, int x, int y)
    {
        XEvent event = {};
        event.xbutton.type = type;
        event.xbutton.display = display;
        event.xbutton.window = window;
        event.xbutton.root = DefaultRootWindow(display);
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
        XSync(display, False);
    }

    void Click(Window window, int x, int y)
    {
        SendButton(window, ButtonPress, x, y);
        SendButton(window, ButtonRelease, x, y);
        DispatchToolkitEvents();
    }

    int ClientCount()
    {
        int count = -1;
        XResClient* clients = nullptr;
        if (XResQueryClients(display, &count, &clients) == Success)
            XFree(clients);
        return count;
    }

    FakeHost host;
    CVelvetineFilterInfo info{&host};
    std::unique_ptr<CVelvetineFilter> machine;
    Display* display = nullptr;
    Window parent = 0;
};

TEST_F(X11Host, ShowsEachStatePixelForPixelAsComposed)
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

TEST_F(X11Host, EachPressSetsItsValueAndReportsItOnce)
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

TEST_F(X11Host, ChangesFromAnotherThreadAreDrawnOnTheEditorsThread)
{
    const Window editor = Open();
    ASSERT_NE(editor, 0u);
    std::thread other([&] { machine->SetControl(0, 0.75); });
    other.join();
    EXPECT_EQ(ShownState(editor), 0) << "drawn off the editor's thread";
    DispatchToolkitEvents();
    EXPECT_EQ(ShownState(editor), 3);
}

TEST_F(X11Host, OpensAtTheCurrentValue)
{
    machine->SetControl(0, 0.6);
    EXPECT_EQ(ShownState(Open()), 2);
}

TEST_F(X11Host, OpenAndClose200TimesLeavesNoWindowsNorConnections)
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

TEST_F(X11Host, FailuresAnswerNoEditorAndTheProcessGoesOn)
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
