#pragma once

#ifndef _WIN32
#include "gui/Control_x11.h"
#else

#include <cstdint>

#include <windows.h>

class ColorManager;
class CPicture;
struct CBackBuffer;
struct CFontHolder;

// The module whose resources and window class the toolkit uses: the one handed to
// SetToolkitModule (the plug-in's entry point hands over the handle its load notification
// recorded), else the module that holds the toolkit's code, which is the same library, or
// the program when the toolkit is linked into one.
HINSTANCE ToolkitModule();
void SetToolkitModule(HINSTANCE module);

// The private window class of every control, registered once per process on the first
// control construction. Returns whether it is registered.
bool RegisterControlClass();
// "QMControl_0x" and the tick count at registration, in hexadecimal; empty before.
const char* ControlClassName();
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The base of every on-screen element: a hidden native child window with a private DC and
// a back buffer of the control's size. Drawing goes into the back buffer and painting
// copies it to the window in one blit. Window messages reach the control's virtual
// operations, which derived controls override; a derived control sets `ready` once it is
// complete and then shows the window.
//
// Destroyed only as part of a derived object (CLiteContainer supplies the virtual
// destructor), hence the protected destructor.
// The window a host hands an editor to live in.
using ControlParent = HWND;

class CControl {
public:
    // What construction does when the window, its DC or the back buffer cannot be made:
    // end the process through the fatal report, or give up quietly, holding nothing
    // (IsBuilt() false), for a caller that can decline, as an editor asked for in a window
    // the host owns can.
    enum class OnBuildFailure { Fatal, Decline };

    CControl(HWND parent, int width, int height, OnBuildFailure onFailure = OnBuildFailure::Fatal);

    // Whether the window, its DC and the back buffer all exist. Always true after a
    // construction that reports failures as fatal.
    bool IsBuilt() const;

    virtual void Show(int command);
    virtual void ShowNormal();
    virtual void Paint();
    virtual void OnSizing(WPARAM wParam, LPARAM lParam);
    virtual void Resize(int newWidth, int newHeight);
    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool PaintFrame(HDC dc);
    virtual void OnRightDown(int x, int y);
    virtual void OnRightUp(int x, int y);
    virtual void OnLeftDown(int x, int y);
    virtual void OnLeftUp(int x, int y);
    virtual void OnMouseMove(int x, int y);
    virtual void ReservedHook12(int32_t);
    virtual void ReservedHook13(int32_t);
    virtual void OnDoubleClick(int x, int y);
    virtual void ReservedHook15(int32_t);
    virtual void ReservedHook16(int32_t);
    virtual void ReservedHook17(int32_t);
    virtual void ReservedHook18(int32_t, int32_t);
    virtual void ReservedHook19(int32_t, int32_t);
    virtual void ReservedHook20(int32_t);
    virtual void ReservedHook21(int32_t, int32_t, int32_t);
    virtual void ReservedHook22(int32_t);
    virtual void ReservedHook23(int32_t);
    virtual void OnCaptureChanged(HWND gaining);
    virtual void ReservedHook25();
    virtual void ReservedHook26(int32_t);
    // Messages in the WM_APP range (0x8000...0xBFFF), on the window's thread.
    virtual void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Queues a message for the window's thread; callable from any thread.
    virtual BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void Redraw();
    virtual void FillBackground();

    // Takes ownership of `holder`, freeing the one the control owned.
    void AttachFontHolder(CFontHolder* holder);

    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    HWND window;
    ColorManager* palette;  // not owned
    HDC windowDC;           // the class's private DC of the window, kept for its life
    CFontHolder* fontHolder;
    bool ownsFontHolder;
    int32_t backgroundColour;
    HDC drawDC;
    bool ready;
    bool framed;
    CPicture* tilePicture;  // not owned
    int32_t frameStyle;     // 0 flat, 1 raised, 2 sunken
    CBackBuffer* backBuffer;

    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

protected:
    ~CControl();

private:
    bool CreateNativeWindow(HWND parent, OnBuildFailure onFailure);
    bool CreateBackBuffer();
    void ReleaseNativeParts();
    LRESULT PaintNonClient(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ColourEditControl(HDC dc);
    LRESULT ColourScrollBar(HDC dc);
    void FillWithPaletteColour(HDC dc, int index);
};

#endif
