#pragma once

// An X server connection standing in for a host's, for tests of the X11 editors: a mapped
// top-level window as the host's editor frame, reading back what the server shows,
// sending presses, counting children and clients; and the artwork composed as the editor
// composes it.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <dirent.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/Control.h"
#include "gui/Picture.h"

namespace x11test {

constexpr int kWidth = 275;
constexpr int kHeight = 120;
constexpr int kButtonSize = 28;
constexpr int kButtonTop = 54;
inline int ButtonLeft(int i) { return 44 + 40 * i; }

inline std::vector<uint8_t> ReadFile(const std::string& path)
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

inline const Artwork& Art()
{
    static const Artwork artwork;
    return artwork;
}

inline int OpenDescriptors()
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
    }

    void TearDown() override
    {
        if (display) {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }

    void* ParentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }

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
        Pump();
    }

    // Lets the editor handle what the server sent it, as the host's idle calls do.
    virtual void Pump() { DispatchToolkitEvents(); }

    int ClientCount()
    {
        int count = -1;
        XResClient* clients = nullptr;
        if (XResQueryClients(display, &count, &clients))  // Xlib style: nonzero on success
            XFree(clients);
        return count;
    }

    Display* display = nullptr;
    Window parent = 0;
};

}  // namespace x11test
