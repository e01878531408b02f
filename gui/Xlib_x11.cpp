#include "gui/Xlib_x11.h"

#include <dlfcn.h>

#include <mutex>

namespace {

XlibFunctions functions;
const XlibFunctions* loaded = nullptr;
std::once_flag loadOnce;

template <typename Function>
bool Resolve(void* library, const char* name, Function& target)
{
    target = reinterpret_cast<Function>(dlsym(library, name));
    return target != nullptr;
}

void Load()
{
    // The library stays loaded for the life of the process: editors of any instance may
    // still hold function pointers into it.
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    XlibFunctions& f = functions;
    const bool complete =
        Resolve(library, "XOpenDisplay", f.OpenDisplay) && Resolve(library, "XCloseDisplay", f.CloseDisplay) &&
        Resolve(library, "XSetErrorHandler", f.SetErrorHandler) && Resolve(library, "XSync", f.Sync) &&
        Resolve(library, "XFlush", f.Flush) && Resolve(library, "XPending", f.Pending) &&
        Resolve(library, "XNextEvent", f.NextEvent) &&
        Resolve(library, "XGetWindowAttributes", f.GetWindowAttributes) &&
        Resolve(library, "XMatchVisualInfo", f.MatchVisualInfo) &&
        Resolve(library, "XCreateColormap", f.CreateColormap) && Resolve(library, "XFreeColormap", f.FreeColormap) &&
        Resolve(library, "XCreateWindow", f.CreateWindow) && Resolve(library, "XDestroyWindow", f.DestroyWindow) &&
        Resolve(library, "XMapWindow", f.MapWindow) && Resolve(library, "XUnmapWindow", f.UnmapWindow) &&
        Resolve(library, "XResizeWindow", f.ResizeWindow) && Resolve(library, "XCreateGC", f.CreateGC) &&
        Resolve(library, "XFreeGC", f.FreeGC) && Resolve(library, "XCreateImage", f.CreateImage) &&
        Resolve(library, "XPutImage", f.PutImage);
    if (!complete)
        return;
    Resolve(library, "XSetIOErrorExitHandler", f.SetIOErrorExitHandler);
    loaded = &functions;
}

// The trap state is process-wide because the error handler is: editors on different
// threads share one handler and one table of trapped connections.
constexpr int kMaxTrapped = 32;
struct TrappedConnection {
    Display* display;
    int depth;
    unsigned long errors;
};
std::mutex trapLock;
TrappedConnection trapped[kMaxTrapped];
int trapDepth = 0;
XErrorHandler previousHandler = nullptr;

int CountError(Display* display, XErrorEvent* event)
{
    XErrorHandler forward = nullptr;
    {
        std::lock_guard<std::mutex> hold(trapLock);
        for (TrappedConnection& entry : trapped) {
            if (entry.display == display) {
                ++entry.errors;
                return 0;
            }
        }
        forward = previousHandler;
    }
    return forward ? forward(display, event) : 0;
}

TrappedConnection* Entry(Display* display)
{
    for (TrappedConnection& entry : trapped)
        if (entry.display == display)
            return &entry;
    return nullptr;
}

}  // namespace

const XlibFunctions* Xlib()
{
    std::call_once(loadOnce, Load);
    return loaded;
}

XErrorTrap::XErrorTrap(Display* connection) : display(connection), errorsBefore(0), armed(false)
{
    std::lock_guard<std::mutex> hold(trapLock);
    TrappedConnection* entry = Entry(display);
    if (!entry) {
        entry = Entry(nullptr);
        if (!entry)
            return;  // more connections than editors ever open at once; left untrapped
        *entry = {display, 0, 0};
    }
    armed = true;
    ++entry->depth;
    errorsBefore = entry->errors;
    if (trapDepth++ == 0)
        previousHandler = Xlib()->SetErrorHandler(CountError);
}

XErrorTrap::~XErrorTrap()
{
    const XlibFunctions* x = Xlib();
    x->Sync(display, False);
    if (!armed)
        return;
    std::lock_guard<std::mutex> hold(trapLock);
    TrappedConnection* entry = Entry(display);
    if (--entry->depth == 0)
        *entry = {nullptr, 0, 0};
    if (--trapDepth == 0) {
        // A host that installed a handler of its own meanwhile keeps it.
        XErrorHandler current = x->SetErrorHandler(previousHandler);
        if (current != CountError)
            x->SetErrorHandler(current);
        previousHandler = nullptr;
    }
}

bool XErrorTrap::Failed()
{
    Xlib()->Sync(display, False);
    std::lock_guard<std::mutex> hold(trapLock);
    const TrappedConnection* entry = Entry(display);
    return !armed || !entry || entry->errors != errorsBefore;
}
