#include "gui/Control.h"

#include <atomic>
#include <cstdio>

#include "framework/FatalError.h"
#include "gui/BackBuffer.h"
#include "gui/ColorManager.h"
#include "gui/FontHolder.h"
#include "gui/Picture.h"

namespace {

// Redraw on resize, double clicks, a DC per window that keeps its state between paints,
// and a class that other modules' windows may use.
const UINT kControlClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_GLOBALCLASS;
const DWORD kControlWindowStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

const int kPaletteBackground = 2;
const int kPaletteLightEdge = 6;
const int kPaletteDarkEdge = 7;
const int kPaletteEditBackground = 37;
const int kPaletteEditText = 38;

bool classRegistered = false;
char className[32] = "";
std::atomic<HINSTANCE> adoptedModule{nullptr};

// Mouse positions are signed: a captured mouse left or above the window gives negatives.
int MouseX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int MouseY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

CControl* ControlOf(HWND window)
{
    return reinterpret_cast<CControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void DrawLine(HDC dc, HGDIOBJ pen, int fromX, int fromY, int toX, int toY)
{
    SelectObject(dc, pen);
    MoveToEx(dc, fromX, fromY, nullptr);
    LineTo(dc, toX, toY);
}

}  // namespace

void SetToolkitModule(HINSTANCE module) { adoptedModule = module; }

HINSTANCE ToolkitModule()
{
    if (HINSTANCE adopted = adoptedModule.load())
        return adopted;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ToolkitModule), &module);
    return module;
}

bool RegisterControlClass()
{
    if (classRegistered)
        return true;
    std::snprintf(className, sizeof className, "QMControl_0x%x", static_cast<unsigned>(GetTickCount()));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = kControlClassStyle;
    windowClass.lpfnWndProc = &ControlWindowProc;
    windowClass.hInstance = ToolkitModule();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = className;
    classRegistered = RegisterClassExA(&windowClass) != 0;
    return classRegistered;
}

const char* ControlClassName() { return className; }

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        DefWindowProcA(window, message, wParam, lParam);
        return TRUE;
    }
    if (message == WM_LBUTTONDOWN && GetFocus() != window)
        SetFocus(window);
    // Before construction stores the pointer and after destruction clears it, messages
    // get default handling.
    if (CControl* control = ControlOf(window))
        return control->HandleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------

CBackBuffer::CBackBuffer(HDC target, int bufferWidth, int bufferHeight)
    : memoryDC(CreateCompatibleDC(target)),
      targetDC(target),
      bitmap(CreateCompatibleBitmap(target, bufferWidth, bufferHeight)),
      previousBitmap(SelectObject(memoryDC, bitmap)),
      width(bufferWidth),
      height(bufferHeight)
{
}

CBackBuffer::~CBackBuffer()
{
    if (previousBitmap)
        SelectObject(memoryDC, previousBitmap);
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memoryDC);
}

void CBackBuffer::Blit(int blitWidth, int blitHeight) const
{
    BitBlt(targetDC, 0, 0, blitWidth, blitHeight, memoryDC, 0, 0, SRCCOPY);
}

void CBackBuffer::Reallocate(int newWidth, int newHeight)
{
    if (previousBitmap) {
        SelectObject(memoryDC, previousBitmap);
        previousBitmap = nullptr;
    }
    if (bitmap)
        DeleteObject(bitmap);
    bitmap = CreateCompatibleBitmap(targetDC, newWidth, newHeight);
    previousBitmap = SelectObject(memoryDC, bitmap);
    width = newWidth;
    height = newHeight;
}

// ---------------------------------------------------------------------------------------

CControl::CControl(HWND parent, int controlWidth, int controlHeight, OnBuildFailure onFailure)
    : x(0),
      y(0),
      width(controlWidth),
      height(controlHeight),
      window(nullptr),
      palette(nullptr),
      windowDC(nullptr),
      fontHolder(nullptr),
      ownsFontHolder(true),
      backgroundColour(kPaletteBackground),
      drawDC(nullptr),
      ready(false),
      framed(false),
      tilePicture(nullptr),
      frameStyle(1),
      backBuffer(nullptr)
{
    const bool declines = onFailure == OnBuildFailure::Decline;
    if (!CreateNativeWindow(parent, onFailure))
        return;
    windowDC = GetDC(window);
    if (declines && !windowDC) {
        ReleaseNativeParts();
        return;
    }
    if (!fontHolder)
        AttachFontHolder(new CFontHolder(windowDC));
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!CreateBackBuffer() && declines)
        ReleaseNativeParts();
}

CControl::~CControl() { ReleaseNativeParts(); }

bool CControl::IsBuilt() const
{
    return window && windowDC && backBuffer && backBuffer->memoryDC && backBuffer->bitmap &&
           backBuffer->previousBitmap;
}

void CControl::ReleaseNativeParts()
{
    if (ownsFontHolder && fontHolder)
        delete fontHolder;
    fontHolder = nullptr;
    ownsFontHolder = true;
    if (window) {
        // Cleared first: whatever DestroyWindow sends must not reach a half-destroyed control.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
        window = nullptr;
    }
    // The class's private DC goes with its window.
    windowDC = nullptr;
    delete backBuffer;
    backBuffer = nullptr;
    drawDC = nullptr;
}

// A parent that is no window, or one destroyed since the caller looked at it, fails here.
bool CControl::CreateNativeWindow(HWND parent, OnBuildFailure onFailure)
{
    RegisterControlClass();
    window = CreateWindowExA(0, className, "", kControlWindowStyle, 0, 0, width, height, parent,
                             nullptr, ToolkitModule(), nullptr);
    if (!window && onFailure == OnBuildFailure::Fatal)
        FatalError("CreateWindowA Failed: 0x%x", static_cast<unsigned>(GetLastError()));
    return window != nullptr;
}

bool CControl::CreateBackBuffer()
{
    backBuffer = new CBackBuffer(windowDC, width, height);
    drawDC = backBuffer->memoryDC;
    return IsBuilt();
}

void CControl::AttachFontHolder(CFontHolder* holder)
{
    if (ownsFontHolder && fontHolder)
        delete fontHolder;
    fontHolder = holder;
    ownsFontHolder = true;
}

void CControl::Show(int command) { ShowWindow(window, command); }

void CControl::ShowNormal() { Show(SW_SHOW); }

void CControl::Paint()
{
    if (backBuffer) {
        SelectClipRgn(drawDC, nullptr);
        backBuffer->Blit(backBuffer->width, backBuffer->height);
    } else if (palette) {
        FillWithPaletteColour(windowDC, backgroundColour);
    } else {
        const RECT whole = {0, 0, width, height};
        FillRect(windowDC, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void CControl::FillWithPaletteColour(HDC dc, int index)
{
    const RECT whole = {0, 0, width, height};
    palette->Lock();
    FillRect(dc, &whole, static_cast<HBRUSH>(palette->Brush(index)->handle));
    palette->Unlock();
}

void CControl::OnSizing(WPARAM, LPARAM) {}

void CControl::Resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    if (backBuffer) {
        backBuffer->Reallocate(width, height);
        drawDC = backBuffer->memoryDC;
    }
    if (ready)
        Redraw();
}

LRESULT CControl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        // Sizes are unsigned, unlike mouse positions.
        Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        Paint();
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_NCPAINT:
        return PaintNonClient(hwnd, message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (!palette)
            break;
        return ColourEditControl(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSCROLLBAR:
        if (!palette)
            break;
        return ColourScrollBar(reinterpret_cast<HDC>(wParam));
    case WM_MOUSEMOVE:
        OnMouseMove(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftDown(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLeftUp(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRightDown(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRightUp(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_SIZING:
        OnSizing(wParam, lParam);
        return 1;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    default:
        if (message >= WM_APP && message <= 0xBFFF) {
            OnAppMessage(message, wParam, lParam);
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CControl::PaintNonClient(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HDC dc = GetDCEx(hwnd, nullptr, DCX_WINDOW)) {
        const bool drawn = PaintFrame(dc);
        ReleaseDC(hwnd, dc);
        if (drawn)
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CControl::ColourEditControl(HDC dc)
{
    SetTextColor(dc, palette->Colour(kPaletteEditText));
    SetBkColor(dc, palette->Colour(kPaletteEditBackground));
    palette->Lock();
    HGDIOBJ brush = palette->Brush(kPaletteEditBackground)->handle;
    palette->Unlock();
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT CControl::ColourScrollBar(HDC dc)
{
    SetTextColor(dc, RGB(0xFF, 0x00, 0x00));
    SetBkColor(dc, RGB(0x00, 0x00, 0xFF));
    palette->Lock();
    HGDIOBJ brush = palette->Brush(kPaletteBackground)->handle;
    palette->Unlock();
    return reinterpret_cast<LRESULT>(brush);
}

bool CControl::PaintFrame(HDC dc)
{
    if (!framed)
        return false;
    if (frameStyle < 0 || frameStyle > 2 || !palette)
        return true;
    const int right = width + 1;
    const int bottom = height + 1;
    palette->Lock();
    HGDIOBJ dark = palette->Pen(kPaletteDarkEdge)->handle;
    HGDIOBJ light = palette->Pen(kPaletteLightEdge)->handle;
    HGDIOBJ topLeft = frameStyle == 1 ? light : dark;
    HGDIOBJ bottomRight = frameStyle == 2 ? light : dark;
    HGDIOBJ previousPen = SelectObject(dc, topLeft);
    DrawLine(dc, topLeft, 0, bottom, 0, 0);
    DrawLine(dc, topLeft, 0, 0, right, 0);
    DrawLine(dc, bottomRight, right, 0, right, bottom);
    DrawLine(dc, bottomRight, right, bottom, 0, bottom);
    SelectObject(dc, previousPen);
    palette->Unlock();
    return true;
}

void CControl::OnRightDown(int, int) {}
void CControl::OnRightUp(int, int) {}
void CControl::OnLeftDown(int, int) {}
void CControl::OnLeftUp(int, int) {}
void CControl::OnMouseMove(int, int) {}
void CControl::ReservedHook12(int32_t) {}
void CControl::ReservedHook13(int32_t) {}
void CControl::OnDoubleClick(int, int) {}
void CControl::ReservedHook15(int32_t) {}
void CControl::ReservedHook16(int32_t) {}
void CControl::ReservedHook17(int32_t) {}
void CControl::ReservedHook18(int32_t, int32_t) {}
void CControl::ReservedHook19(int32_t, int32_t) {}
void CControl::ReservedHook20(int32_t) {}
void CControl::ReservedHook21(int32_t, int32_t, int32_t) {}
void CControl::ReservedHook22(int32_t) {}
void CControl::ReservedHook23(int32_t) {}
void CControl::OnCaptureChanged(HWND) {}
void CControl::ReservedHook25() {}
void CControl::ReservedHook26(int32_t) {}
void CControl::OnAppMessage(UINT, WPARAM, LPARAM) {}

BOOL CControl::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(window, message, wParam, lParam);
}

void CControl::Redraw()
{
    FillBackground();
    Paint();
}

void CControl::FillBackground()
{
    if (!ready || !backBuffer)
        return;
    if (tilePicture) {
        tilePicture->TileToBitmap(*backBuffer, x, y);
    } else if (palette) {
        FillWithPaletteColour(backBuffer->memoryDC, backgroundColour);
    }
}
