#include <atomic>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "gui/BackBuffer.h"
#include "gui/ColorManager.h"
#include "gui/Control.h"
#include "gui/FontHolder.h"
#include "gui/Picture.h"
#include "tests/gui/Win32Fixtures.h"

namespace {

using testgui::ParentWindow;
using testgui::PumpMessages;

struct Point {
    int x, y;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

// A control that records the calls of its hooks.
class ProbeControl : public CControl {
public:
    ProbeControl(HWND parent, int w, int h) : CControl(parent, w, h) {}
    ~ProbeControl() = default;

    void OnLeftDown(int px, int py) override
    {
        leftDowns.push_back({px, py});
        focusedAtLeftDown = GetFocus() == window;
    }
    void OnLeftUp(int px, int py) override { leftUps.push_back({px, py}); }
    void OnRightDown(int px, int py) override { rightDowns.push_back({px, py}); }
    void OnRightUp(int px, int py) override { rightUps.push_back({px, py}); }
    void OnMouseMove(int px, int py) override { moves.push_back({px, py}); }
    void OnDoubleClick(int px, int py) override { doubleClicks.push_back({px, py}); }
    void OnSizing(WPARAM, LPARAM) override { ++sizings; }
    void OnCaptureChanged(HWND gaining) override { captureGainedBy = gaining; }
    void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        appMessages.push_back(message);
        appMessageThread = GetCurrentThreadId();
    }
    void Resize(int w, int h) override
    {
        resizes.push_back({w, h});
        if (passResizeOn)
            CControl::Resize(w, h);
    }
    void FillBackground() override
    {
        ++fills;
        CControl::FillBackground();
    }
    void Paint() override
    {
        ++paints;
        CControl::Paint();
    }

    std::vector<Point> leftDowns, leftUps, rightDowns, rightUps, moves, doubleClicks, resizes;
    std::vector<UINT> appMessages;
    DWORD appMessageThread = 0;
    HWND captureGainedBy = nullptr;
    bool focusedAtLeftDown = false;
    bool passResizeOn = true;
    int sizings = 0;
    int fills = 0;
    int paints = 0;
};

LRESULT Send(const CControl& control, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(control.window, message, wParam, lParam);
}

void FillRectangle(HDC dc, int w, int h, COLORREF colour)
{
    const RECT area = {0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// A palette whose colour i is (i, 255 - i, 2i) so that every index is recognisable.
std::vector<ColorRef> DistinctColours()
{
    std::vector<ColorRef> table;
    for (int i = 0; i < kPaletteColours; ++i)
        table.push_back(RGB(i, 255 - i, 2 * i));
    return table;
}

TEST(ControlWindow, IsAHiddenChildOfTheParentWithThePrivateClass)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 60, 30);
    ASSERT_TRUE(IsWindow(control.window));
    EXPECT_EQ(GetParent(control.window), parent.handle);
    EXPECT_FALSE(IsWindowVisible(control.window));
    RECT client;
    GetClientRect(control.window, &client);
    EXPECT_EQ(client.right, 60);
    EXPECT_EQ(client.bottom, 30);
    const LONG style = GetWindowLongA(control.window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_EQ(reinterpret_cast<CControl*>(GetWindowLongPtrA(control.window, GWLP_USERDATA)), &control)
        << "the whole pointer must survive, also on 64-bit Windows";
    control.ShowNormal();
    EXPECT_TRUE(IsWindowVisible(control.window));
}

TEST(ControlWindow, AllControlsShareOneClassRegisteredOnce)
{
    ParentWindow parent;
    ProbeControl first(parent.handle, 10, 10);
    const std::string name = ControlClassName();
    EXPECT_TRUE(std::regex_match(name, std::regex("QMControl_0x[0-9a-f]+"))) << name;
    // Registering again would take a new tick count, and with it a new name.
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    ProbeControl second(parent.handle, 10, 10);
    EXPECT_EQ(ControlClassName(), name);
    char firstClass[64] = "", secondClass[64] = "";
    GetClassNameA(first.window, firstClass, sizeof firstClass);
    GetClassNameA(second.window, secondClass, sizeof secondClass);
    EXPECT_EQ(name, firstClass);
    EXPECT_EQ(name, secondClass);
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    ASSERT_TRUE(GetClassInfoExA(ToolkitModule(), name.c_str(), &registered));
    EXPECT_EQ(registered.style, UINT(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_GLOBALCLASS));
    EXPECT_EQ(registered.hbrBackground, nullptr);
}

TEST(ControlWindow, MousePositionsAreSignExtended)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    Send(control, WM_MOUSEMOVE, 0, MAKELPARAM(0xFFFF, 12));
    Send(control, WM_LBUTTONUP, 0, MAKELPARAM(-5, -7));
    Send(control, WM_RBUTTONDOWN, 0, MAKELPARAM(3, 0x8000));
    Send(control, WM_RBUTTONUP, 0, MAKELPARAM(0x7FFF, 4));
    Send(control, WM_LBUTTONDBLCLK, 0, MAKELPARAM(8, 9));
    EXPECT_EQ(control.moves, std::vector<Point>({{-1, 12}}));
    EXPECT_EQ(control.leftUps, std::vector<Point>({{-5, -7}}));
    EXPECT_EQ(control.rightDowns, std::vector<Point>({{3, -32768}}));
    EXPECT_EQ(control.rightUps, std::vector<Point>({{32767, 4}}));
    EXPECT_EQ(control.doubleClicks, std::vector<Point>({{8, 9}}));
}

TEST(ControlWindow, SizeMessagesAreUnsigned)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    control.passResizeOn = false;  // a 65535-pixel back buffer is not the point here
    EXPECT_EQ(Send(control, WM_SIZE, 0, MAKELPARAM(0xFFFF, 0x8001)), 0);
    EXPECT_EQ(control.resizes, std::vector<Point>({{65535, 32769}}));
}

TEST(ControlWindow, LeftPressTakesTheFocusFirst)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    control.ShowNormal();
    SetFocus(parent.handle);
    ASSERT_NE(GetFocus(), control.window);
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(14, 15));
    ASSERT_EQ(control.leftDowns, std::vector<Point>({{14, 15}}));
    EXPECT_TRUE(control.focusedAtLeftDown);
    EXPECT_EQ(GetFocus(), control.window);
}

TEST(ControlWindow, SizingAnswersOneAndOtherMessagesReachTheirHooks)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    RECT proposed = {0, 0, 10, 10};
    EXPECT_EQ(Send(control, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&proposed)), 1);
    EXPECT_EQ(control.sizings, 1);
    Send(control, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(parent.handle));
    EXPECT_EQ(control.captureGainedBy, parent.handle);
}

TEST(ControlWindow, OnlyTheAppRangeReachesOnAppMessage)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    Send(control, 0x7FFF, 0, 0);
    Send(control, 0x8000, 0, 0);
    Send(control, 0xBFFF, 0, 0);
    Send(control, 0xC000, 0, 0);
    EXPECT_EQ(control.appMessages, std::vector<UINT>({0x8000, 0xBFFF}));
}

TEST(ControlWindow, PostFromAnotherThreadArrivesOnTheWindowsThread)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 50, 50);
    std::thread([&] { EXPECT_TRUE(control.Post(WM_APP + 7, 1, 2)); }).join();
    EXPECT_TRUE(control.appMessages.empty()) << "posting must not run the handler on the poster's thread";
    PumpMessages();
    EXPECT_EQ(control.appMessages, std::vector<UINT>({WM_APP + 7}));
    EXPECT_EQ(control.appMessageThread, GetCurrentThreadId());
}

TEST(ControlWindow, DestructionDetachesAndDestroysTheWindow)
{
    ParentWindow parent;
    HWND window = nullptr;
    {
        ProbeControl control(parent.handle, 50, 50);
        window = control.window;
    }
    EXPECT_FALSE(IsWindow(window));
}

// A control whose window or back buffer cannot be made: by default the fatal report, and
// for a caller that declines, a control that holds nothing and leaves no window behind.
class DecliningControl : public CControl {
public:
    DecliningControl(HWND parent, int w, int h) : CControl(parent, w, h, OnBuildFailure::Decline) {}
    ~DecliningControl() = default;
};

void ExpectHoldsNothing(const DecliningControl& control)
{
    EXPECT_FALSE(control.IsBuilt());
    EXPECT_EQ(control.window, nullptr);
    EXPECT_EQ(control.windowDC, nullptr);
    EXPECT_EQ(control.backBuffer, nullptr);
    EXPECT_EQ(control.drawDC, nullptr);
    EXPECT_EQ(control.fontHolder, nullptr);
}

TEST(ControlWindow, AParentThatIsGoneIsFatalUnlessTheCallerDeclines)
{
    HWND gone = nullptr;
    {
        ParentWindow parent;
        gone = parent.handle;
    }
    EXPECT_EQ(testgui::FatalMessageOf([&] { ProbeControl control(gone, 50, 50); }), "CreateWindowA Failed: 0x578");
    DecliningControl declined(gone, 50, 50);
    ExpectHoldsNothing(declined);
    ParentWindow parent;
    DecliningControl built(parent.handle, 50, 50);
    EXPECT_TRUE(built.IsBuilt());
}

TEST(ControlWindow, ABackBufferThatCannotBeMadeTakesTheWindowWithIt)
{
    ParentWindow parent;
    DecliningControl tooLarge(parent.handle, 1 << 20, 1 << 20);
    ExpectHoldsNothing(tooLarge);
    EXPECT_EQ(GetWindow(parent.handle, GW_CHILD), nullptr) << "the window outlived the failed build";
}

TEST(ControlPainting, PaintCopiesTheWholeBackBufferToTheWindow)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 40, 20);
    control.ShowNormal();
    PumpMessages();
    FillRectangle(control.drawDC, 40, 20, RGB(200, 30, 60));
    InvalidateRect(control.window, nullptr, FALSE);
    UpdateWindow(control.window);
    const testgui::Capture shown = testgui::CaptureWindow(control.window);
    ASSERT_EQ(shown.width, 40);
    EXPECT_EQ(shown.At(0, 0), RGB(200, 30, 60));
    EXPECT_EQ(shown.At(39, 19), RGB(200, 30, 60));
    EXPECT_EQ(shown.At(20, 10), RGB(200, 30, 60));
}

TEST(ControlPainting, ResizeRebuildsTheBackBufferAndRedrawsOnlyWhenReady)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 40, 20);
    control.Resize(70, 35);
    EXPECT_EQ(control.backBuffer->width, 70);
    EXPECT_EQ(control.backBuffer->height, 35);
    EXPECT_EQ(control.drawDC, control.backBuffer->memoryDC);
    BITMAP described = {};
    GetObjectA(control.backBuffer->bitmap, sizeof described, &described);
    EXPECT_EQ(described.bmWidth, 70);
    EXPECT_EQ(described.bmHeight, 35);
    EXPECT_EQ(GetCurrentObject(control.drawDC, OBJ_BITMAP), control.backBuffer->bitmap);
    EXPECT_EQ(control.fills, 0);
    EXPECT_EQ(control.paints, 0);

    control.ready = true;
    control.Resize(30, 30);
    EXPECT_EQ(control.fills, 1);
    EXPECT_EQ(control.paints, 1);
}

TEST(ControlPainting, TiledBackgroundStartsAtTheControlsOffset)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 6, 4);
    // 3 x 2 tile: top row red, green, blue; bottom row white, black, grey.
    CPicture tile;
    tile.Blank(3, 2);
    const ColorRef colours[6] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                 RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)};
    for (int i = 0; i < 6; ++i)
        tile.Fill(colours[i], i % 3, i / 3, 1, 1);
    control.tilePicture = &tile;
    control.x = 1;
    control.y = 1;
    control.FillBackground();
    EXPECT_EQ(control.fills, 1);
    EXPECT_NE(GetPixel(control.drawDC, 2, 0), RGB(255, 255, 255)) << "not ready: nothing is drawn";

    control.ready = true;
    control.FillBackground();
    HDC dc = control.drawDC;
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));        // tile (1, 1)
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(128, 128, 128));  // tile (2, 1)
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 255, 255));  // wraps to tile (0, 1)
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));      // tile (1, 0)
    EXPECT_EQ(GetPixel(dc, 5, 3), RGB(255, 0, 0));      // tile (6 mod 3, 4 mod 2)
}

TEST(ControlPainting, RaisedFrameIsLightTopLeftAndDarkBottomRight)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 20, 10);
    const std::vector<ColorRef> colours = DistinctColours();
    ColorManager palette(colours.data(), 1);
    control.palette = &palette;

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 30, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previousBitmap = SelectObject(dc, target);
    HGDIOBJ ownPen = GetStockObject(WHITE_PEN);
    SelectObject(dc, ownPen);

    EXPECT_FALSE(control.PaintFrame(dc)) << "not framed";
    control.framed = true;
    FillRectangle(dc, 30, 20, RGB(1, 1, 1));
    control.frameStyle = 1;
    EXPECT_TRUE(control.PaintFrame(dc));
    EXPECT_EQ(GetPixel(dc, 0, 5), colours[6]);    // left edge
    EXPECT_EQ(GetPixel(dc, 10, 0), colours[6]);   // top edge
    EXPECT_EQ(GetPixel(dc, 21, 5), colours[7]);   // right edge at width + 1
    EXPECT_EQ(GetPixel(dc, 10, 11), colours[7]);  // bottom edge at height + 1
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(1, 1, 1)); // inside untouched
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), ownPen) << "the caller's pen is put back";

    control.frameStyle = 2;
    EXPECT_TRUE(control.PaintFrame(dc));
    EXPECT_EQ(GetPixel(dc, 0, 5), colours[7]);
    EXPECT_EQ(GetPixel(dc, 21, 5), colours[6]);

    FillRectangle(dc, 30, 20, RGB(1, 1, 1));
    control.frameStyle = 3;
    EXPECT_TRUE(control.PaintFrame(dc)) << "an unknown style draws nothing but still counts";
    EXPECT_EQ(GetPixel(dc, 0, 5), RGB(1, 1, 1));

    control.palette = nullptr;
    SelectObject(dc, previousBitmap);
    DeleteObject(target);
    DeleteDC(dc);
}

TEST(ControlPalette, InheritedPenIsTheParentsCell)
{
    const std::vector<ColorRef> colours = DistinctColours();
    ColorManager grandparent(colours.data(), 1);
    ColorManager parent(colours.data(), 1, &grandparent);
    ColorManager child(colours.data(), 1, &parent);
    child.InheritFromParent(6, true);
    parent.InheritFromParent(6, true);
    child.Lock();
    GdiObjectCell* first = child.Pen(6);
    GdiObjectCell* second = child.Pen(6);
    GdiObjectCell* own = child.Pen(5);
    child.Unlock();
    grandparent.Lock();
    GdiObjectCell* ancestors = grandparent.Pen(6);
    GdiObjectCell* brush = grandparent.Brush(6);
    grandparent.Unlock();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, ancestors);
    EXPECT_NE(own, first);
    ASSERT_NE(first->handle, nullptr);
    LOGPEN pen = {};
    GetObjectA(first->handle, sizeof pen, &pen);
    EXPECT_EQ(pen.lopnColor, colours[6]);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_SOLID));
    LOGBRUSH brushColour = {};
    GetObjectA(brush->handle, sizeof brushColour, &brushColour);
    EXPECT_EQ(brushColour.lbColor, colours[6]);
}

TEST(FontHolder, CellHeightFollowsTheScreenResolution)
{
    EXPECT_EQ(FontCellHeight(96), 12);
    EXPECT_EQ(FontCellHeight(120), 14);
    EXPECT_EQ(FontCellHeight(144), 18);
    EXPECT_EQ(FontCellHeight(240), 29);
    EXPECT_EQ(FontCellHeight(72), 9);
}

TEST(FontHolder, WithoutADeviceTheFontIsNinePixelsVerdana)
{
    CFontHolder holder(nullptr);
    ASSERT_NE(holder.font, nullptr);
    ASSERT_NE(holder.mutex, nullptr);
    LOGFONTA font = {};
    GetObjectA(holder.font, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, 9);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_STREQ(font.lfFaceName, "Verdana");
}

TEST(FontHolder, ControlsFontFollowsItsWindowsResolution)
{
    ParentWindow parent;
    ProbeControl control(parent.handle, 10, 10);
    ASSERT_NE(control.fontHolder, nullptr);
    EXPECT_TRUE(control.ownsFontHolder);
    LOGFONTA font = {};
    GetObjectA(control.fontHolder->font, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, FontCellHeight(GetDeviceCaps(control.windowDC, LOGPIXELSY)));
}

}  // namespace
