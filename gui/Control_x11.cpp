#include "gui/Control.h"

#include "gui/BackBuffer.h"
#include "gui/Xlib_x11.h"

namespace {

const long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

// The live controls of the process, so that one idle call can serve every editor of a
// thread. Changed only when a control is built or destroyed.
std::mutex liveLock;
CControl* firstLive = nullptr;

// Called by Xlib instead of ending the process when the server connection breaks; the
// connection is dead from then on and its calls return at once.
void KeepRunning(Display*, void*) {}

}  // namespace

CControl::CControl(ControlParent parent, int controlWidth, int controlHeight, OnBuildFailure)
    : x(0),
      y(0),
      width(controlWidth),
      height(controlHeight),
      window(0),
      display(nullptr),
      palette(nullptr),
      ready(false),
      framed(false),
      tilePicture(nullptr),
      backBuffer(nullptr),
      colormap(0),
      posted(),
      postedCount(0),
      nextLive(nullptr),
      thread(std::this_thread::get_id())
{
    if (!CreateNativeWindow(parent))
        ReleaseNativeWindow();
    std::lock_guard<std::mutex> hold(liveLock);
    nextLive = firstLive;
    firstLive = this;
}

CControl::~CControl()
{
    {
        std::lock_guard<std::mutex> hold(liveLock);
        for (CControl** link = &firstLive; *link; link = &(*link)->nextLive) {
            if (*link == this) {
                *link = nextLive;
                break;
            }
        }
    }
    ReleaseNativeWindow();
}

bool CControl::CreateNativeWindow(ControlParent parent)
{
    const XlibFunctions* x11 = Xlib();
    if (!x11 || !parent || width <= 0 || height <= 0)
        return false;
    display = x11->OpenDisplay(nullptr);
    if (!display)
        return false;
    if (x11->SetIOErrorExitHandler)
        x11->SetIOErrorExitHandler(display, KeepRunning, nullptr);
    XErrorTrap trap(display);
    XWindowAttributes parentAttributes;
    if (!x11->GetWindowAttributes(display, parent, &parentAttributes) || trap.Failed())
        return false;
    // The pictures are 8 bits per channel; a 24-bit TrueColor visual shows them exactly
    // whatever the parent's visual is.
    XVisualInfo visual;
    int screen = 0;
    while (screen < ScreenCount(display) - 1 && ScreenOfDisplay(display, screen) != parentAttributes.screen)
        ++screen;
    if (!x11->MatchVisualInfo(display, screen, 24, TrueColor, &visual))
        return false;
    colormap = x11->CreateColormap(display, parent, visual.visual, AllocNone);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap;
    attributes.event_mask = kEventMask;
    window = x11->CreateWindow(display, parent, 0, 0, unsigned(width), unsigned(height), 0, visual.depth,
                               InputOutput, visual.visual, CWBackPixel | CWBorderPixel | CWColormap | CWEventMask,
                               &attributes);
    if (trap.Failed())
        return false;
    backBuffer = new CBackBuffer(display, window, visual.visual, visual.depth, width, height);
    return backBuffer->Valid();
}

void CControl::ReleaseNativeWindow()
{
    if (!display)
        return;
    const XlibFunctions* x11 = Xlib();
    {
        XErrorTrap trap(display);
        delete backBuffer;
        backBuffer = nullptr;
        // Gone already if the host destroyed its window first; the error is trapped.
        if (window)
            x11->DestroyWindow(display, window);
        if (colormap)
            x11->FreeColormap(display, colormap);
    }
    window = 0;
    colormap = 0;
    x11->CloseDisplay(display);
    display = nullptr;
}

void CControl::Show(int command)
{
    if (!window)
        return;
    XErrorTrap trap(display);
    if (command == SW_HIDE)
        Xlib()->UnmapWindow(display, window);
    else
        Xlib()->MapWindow(display, window);
}

void CControl::ShowNormal() { Show(SW_SHOW); }

void CControl::Paint()
{
    if (backBuffer)
        backBuffer->Blit(backBuffer->width, backBuffer->height);
}

void CControl::Resize(int newWidth, int newHeight)
{
    if (!window || newWidth <= 0 || newHeight <= 0)
        return;
    width = newWidth;
    height = newHeight;
    XErrorTrap trap(display);
    Xlib()->ResizeWindow(display, window, unsigned(width), unsigned(height));
    backBuffer->Reallocate(width, height);
    if (ready)
        Redraw();
}

void CControl::DispatchEvents()
{
    if (!window)
        return;
    const XlibFunctions* x11 = Xlib();
    {
        XErrorTrap trap(display);
        while (x11->Pending(display) > 0) {
            XEvent event;
            x11->NextEvent(display, &event);
            HandleEvent(event);
        }
    }
    DeliverPosted();
}

void CControl::HandleEvent(const XEvent& event)
{
    if (event.xany.window != window)
        return;
    switch (event.type) {
    case Expose:
        // One repaint of the whole back buffer once the last of a series arrives.
        if (event.xexpose.count == 0)
            Paint();
        break;
    case ButtonPress:
        if (event.xbutton.button == Button1)
            OnLeftDown(event.xbutton.x, event.xbutton.y);
        else if (event.xbutton.button == Button3)
            OnRightDown(event.xbutton.x, event.xbutton.y);
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
            OnLeftUp(event.xbutton.x, event.xbutton.y);
        else if (event.xbutton.button == Button3)
            OnRightUp(event.xbutton.x, event.xbutton.y);
        break;
    case MotionNotify:
        OnMouseMove(event.xmotion.x, event.xmotion.y);
        break;
    default:
        break;
    }
}

bool CControl::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return false;
    std::lock_guard<std::mutex> hold(postedLock);
    if (postedCount == kPostedCapacity)
        return false;
    posted[postedCount++] = {message, wParam, lParam};
    return true;
}

void CControl::DeliverPosted()
{
    // Taken one at a time, so that a message handler may post again.
    for (;;) {
        PostedMessage next;
        {
            std::lock_guard<std::mutex> hold(postedLock);
            if (postedCount == 0)
                return;
            next = posted[0];
            for (int i = 1; i < postedCount; ++i)
                posted[i - 1] = posted[i];
            --postedCount;
        }
        if (next.message >= WM_APP && next.message <= 0xBFFF)
            OnAppMessage(next.message, next.wParam, next.lParam);
    }
}

void CControl::Redraw() { Paint(); }

void CControl::FillBackground() {}
void CControl::OnRightDown(int, int) {}
void CControl::OnRightUp(int, int) {}
void CControl::OnLeftDown(int, int) {}
void CControl::OnLeftUp(int, int) {}
void CControl::OnMouseMove(int, int) {}
void CControl::OnDoubleClick(int, int) {}
void CControl::OnAppMessage(UINT, WPARAM, LPARAM) {}

void DispatchToolkitEvents()
{
    // Only the caller's own thread builds and destroys its controls, so none of them goes
    // while the list is read; the lock is not held while handlers run (they may build or
    // destroy controls), and a control a handler destroyed is skipped.
    const std::thread::id caller = std::this_thread::get_id();
    constexpr int kBatch = 64;
    CControl* batch[kBatch];
    int count = 0;
    {
        std::lock_guard<std::mutex> hold(liveLock);
        for (CControl* control = firstLive; control && count < kBatch; control = control->nextLive)
            if (control->thread == caller)
                batch[count++] = control;
    }
    for (int i = 0; i < count; ++i) {
        bool live = false;
        {
            std::lock_guard<std::mutex> hold(liveLock);
            for (const CControl* control = firstLive; control && !live; control = control->nextLive)
                live = control == batch[i];
        }
        if (live)
            batch[i]->DispatchEvents();
    }
}

int ConnectionDescriptorOf(unsigned long window)
{
    std::lock_guard<std::mutex> hold(liveLock);
    for (const CControl* control = firstLive; control; control = control->nextLive)
        if (window != 0 && control->window == window && control->display)
            return ConnectionNumber(control->display);
    return -1;
}
