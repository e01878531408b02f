#pragma once

// Windows test helpers for the GUI toolkit: a visible top-level window to put controls in,
// a message pump, a screen capture of a window, and fatal errors turned into exceptions.

#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>

#include "framework/FatalError.h"

namespace testgui {

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The visible top-level window every test window lives in. It is made once and never
// destroyed: hiding or destroying a top-level window costs seconds under Wine without a
// window manager, while child windows come and go at once.
inline HWND TopLevelWindow()
{
    static HWND topLevel = nullptr;
    if (topLevel)
        return topLevel;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "VelvetineTestWindow";
    RegisterClassExA(&windowClass);
    // A Wine session that is still starting its desktop may refuse the first attempts.
    for (int attempt = 0; attempt < 40 && !topLevel; ++attempt) {
        if (attempt > 0)
            Sleep(250);
        topLevel = CreateWindowExA(0, windowClass.lpszClassName, "toolkit test",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    if (!topLevel)
        throw std::runtime_error("cannot create the top-level window: " + std::to_string(GetLastError()));
    PumpMessages();
    return topLevel;
}

// A visible, plain window standing in for a host's editor frame.
class ParentWindow {
public:
    explicit ParentWindow(int width = 400, int height = 300)
    {
        handle = CreateWindowExA(0, "VelvetineTestWindow", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                 width, height, TopLevelWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!handle)
            throw std::runtime_error("cannot create the parent window: " + std::to_string(GetLastError()));
        PumpMessages();
    }
    ~ParentWindow()
    {
        DestroyWindow(handle);
        PumpMessages();
    }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    HWND handle;
};

// What the window shows on the screen, as 0x00BBGGRR values row by row.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Copies pixels from the window's DC, which shows what is on the screen for it.
inline Capture CaptureWindow(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    Capture capture;
    capture.width = client.right;
    capture.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = GetDC(window);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP section = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDC, section);
    BitBlt(memoryDC, 0, 0, capture.width, capture.height, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const uint8_t* bgrx = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < capture.width * capture.height; ++i, bgrx += 4)
        capture.pixels.push_back(RGB(bgrx[2], bgrx[1], bgrx[0]));
    SelectObject(memoryDC, previous);
    DeleteObject(section);
    DeleteDC(memoryDC);
    ReleaseDC(window, windowDC);
    return capture;
}

// Reads one pixel of a bitmap selected into a memory DC.
inline COLORREF PixelOf(HDC memoryDC, int x, int y) { return GetPixel(memoryDC, x, y); }

// While alive, FatalError throws std::runtime_error(message) instead of ending the test.
class FatalErrorsThrow {
public:
    FatalErrorsThrow() : previous(SetFatalErrorHandler(&Throw)) {}
    ~FatalErrorsThrow() { SetFatalErrorHandler(previous); }
    FatalErrorsThrow(const FatalErrorsThrow&) = delete;
    FatalErrorsThrow& operator=(const FatalErrorsThrow&) = delete;

private:
    static void Throw(const char* message) { throw std::runtime_error(message); }
    FatalErrorHandler previous;
};

// The message FatalError reported while running `action`, or "" if none.
template <typename Action>
std::string FatalMessageOf(Action action)
{
    FatalErrorsThrow throwing;
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

}  // namespace testgui
