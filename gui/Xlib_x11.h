#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// The Xlib calls the toolkit makes, resolved from the system's libX11 the first time an
// editor asks for them. Loading at run time keeps the plug-ins free of any dependency on
// X: a render host or a server without libX11 loads them and simply gets no editor.
struct XlibFunctions {
    decltype(&::XOpenDisplay) OpenDisplay;
    decltype(&::XCloseDisplay) CloseDisplay;
    decltype(&::XSetErrorHandler) SetErrorHandler;
    decltype(&::XSync) Sync;
    decltype(&::XFlush) Flush;
    decltype(&::XPending) Pending;
    decltype(&::XNextEvent) NextEvent;
    decltype(&::XGetWindowAttributes) GetWindowAttributes;
    decltype(&::XMatchVisualInfo) MatchVisualInfo;
    decltype(&::XCreateColormap) CreateColormap;
    decltype(&::XFreeColormap) FreeColormap;
    decltype(&::XCreateWindow) CreateWindow;
    decltype(&::XDestroyWindow) DestroyWindow;
    decltype(&::XMapWindow) MapWindow;
    decltype(&::XUnmapWindow) UnmapWindow;
    decltype(&::XResizeWindow) ResizeWindow;
    decltype(&::XCreateGC) CreateGC;
    decltype(&::XFreeGC) FreeGC;
    decltype(&::XCreateImage) CreateImage;
    decltype(&::XPutImage) PutImage;
    // Absent before libX11 1.7; without it a lost server connection ends the process.
    void (*SetIOErrorExitHandler)(Display*, void (*)(Display*, void*), void*);
};

// Null when libX11 cannot be loaded or lacks one of the calls above.
const XlibFunctions* Xlib();

// Catches the X errors of one connection for its lifetime, so that a request on a window
// the host has already destroyed fails quietly instead of reaching Xlib's default handler,
// which ends the process. Errors of other connections go on to the handler that was
// installed before. Traps nest; the outermost one restores the previous handler.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    // Waits for the server to answer every request made so far; whether any of the
    // connection's requests failed since the trap was set.
    bool Failed();

    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

private:
    Display* display;
    unsigned long errorsBefore;
    bool armed;
};
