#pragma once

#include <cstdint>
#include <mutex>
#include <thread>

class ColorManager;
class CPicture;
struct CBackBuffer;
struct _XDisplay;
union _XEvent;

// An X11 window id (XID): what a Linux host hands an editor to live in.
using ControlParent = unsigned long;

// The toolkit's message words and show commands keep the names and values of the Win32
// back end, so that controls built on the toolkit compile unchanged on both.
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
constexpr UINT WM_APP = 0x8000;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// The base of every on-screen element: a hidden X11 child window of the host's window,
// with a back buffer of the control's size. Drawing goes into the back buffer and painting
// hands it to the server in one image transfer, so a window never shows a half-drawn frame.
//
// Each control talks to the server over a connection of its own: hosts drive Xlib from
// threads of their own choosing, and a private connection never shares state with theirs.
// Events are handled when the control's thread calls DispatchEvents (or DispatchToolkitEvents
// for all of that thread's controls), as the host's idle calls do.
//
// A control that could not get a display, a usable parent or its window is built without
// a window (IsOpen false); every operation on it then does nothing.
class CControl {
public:
    // Kept for the same construction calls as on Windows: here a control that cannot be
    // built always gives up quietly, whatever the caller asks for.
    enum class OnBuildFailure { Fatal, Decline };

    CControl(ControlParent parent, int width, int height, OnBuildFailure onFailure = OnBuildFailure::Decline);

    virtual void Show(int command);
    virtual void ShowNormal();
    virtual void Paint();
    virtual void Resize(int newWidth, int newHeight);
    virtual void OnRightDown(int x, int y);
    virtual void OnRightUp(int x, int y);
    virtual void OnLeftDown(int x, int y);
    virtual void OnLeftUp(int x, int y);
    virtual void OnMouseMove(int x, int y);
    virtual void OnDoubleClick(int x, int y);
    // Posted messages in the WM_APP range, delivered on the control's thread.
    virtual void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Queues a message for the control's thread; callable from any thread. False when the
    // queue is full or the control has no window.
    virtual bool Post(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void Redraw();
    virtual void FillBackground();

    // Handles the window's queued events and the posted messages; on the control's thread.
    void DispatchEvents();
    bool IsOpen() const { return window != 0; }
    bool IsBuilt() const { return IsOpen(); }

    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    unsigned long window;  // 0 when the control has no window
    _XDisplay* display;    // the control's own connection
    ColorManager* palette;  // not owned
    bool ready;
    bool framed;
    CPicture* tilePicture;  // not owned
    CBackBuffer* backBuffer;

    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

protected:
    ~CControl();

private:
    struct PostedMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    static constexpr int kPostedCapacity = 16;

    bool CreateNativeWindow(ControlParent parent);
    void ReleaseNativeWindow();
    void HandleEvent(const _XEvent& event);
    void DeliverPosted();

    unsigned long colormap;
    std::mutex postedLock;  // held only to add or take a message, never while one runs
    PostedMessage posted[kPostedCapacity];
    int postedCount;
    CControl* nextLive;  // the process's list of controls, for DispatchToolkitEvents
    std::thread::id thread;  // the thread that built the control

    friend void DispatchToolkitEvents();
    friend int ConnectionDescriptorOf(unsigned long window);
};

// Handles the events and posted messages of every control built on the calling thread.
void DispatchToolkitEvents();

// The file descriptor of the server connection of the control whose window is `window`, for
// hosts that wait on it; -1 when no live control has that window.
int ConnectionDescriptorOf(unsigned long window);
