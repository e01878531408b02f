#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/BackBuffer.h"
#include "gui/LiteContainer.h"
#include "gui/Picture.h"
#include "tests/gui/Win32Fixtures.h"

namespace {

using testgui::FatalMessageOf;
using testgui::ParentWindow;
using testgui::PumpMessages;

const COLORREF kBackgroundColour = RGB(20, 90, 160);

// A background of one colour with a distinct top-left pixel, to catch flips and offsets.
void MakeBackground(CPicture& picture, int width, int height)
{
    picture.Blank(width, height);
    picture.Fill(kBackgroundColour, 0, 0, width, height);
    picture.Fill(RGB(250, 0, 0), 0, 0, 1, 1);
}

class ProbeContainer : public CLiteContainer {
public:
    ProbeContainer(HWND parent, int w, int h, CPicture* background) : CLiteContainer(parent, w, h, background) {}

    void RenderArea(int left, int top, int right, int bottom, int w, int h) override
    {
        areas.push_back({left, top, right, bottom, w, h});
        CLiteContainer::RenderArea(left, top, right, bottom, w, h);
    }
    void OnLeftDown(int px, int py) override
    {
        ++presses;
        CLiteContainer::OnLeftDown(px, py);
    }

    std::vector<std::vector<int>> areas;
    int presses = 0;
};

class ProbeItem : public CLiteItem {
public:
    ProbeItem(int ix, int iy, int w, int h)
    {
        x = ix;
        y = iy;
        width = w;
        height = h;
    }
    void Draw(CPicture& canvas) override { ++draws; }
    void OnLeftDown(int px, int py) override { downs.push_back(px * 1000 + py); }
    void OnLeftUp(int px, int py) override { ++ups; }
    void OnMouseMove(int px, int py) override { ++moves; }

    int draws = 0;
    int ups = 0;
    int moves = 0;
    std::vector<int> downs;
};

TEST(LiteContainer, AcceptsOnlyAnOpaqueBackgroundOfItsOwnSize)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 275, 120);
    EXPECT_EQ(FatalMessageOf([&] { CLiteContainer fits(parent.handle, 275, 120, &background); }), "");
    EXPECT_EQ(FatalMessageOf([&] { CLiteContainer wider(parent.handle, 276, 120, &background); }),
              "CLiteContainer : Invalid Background Picture");
    EXPECT_EQ(FatalMessageOf([&] { CLiteContainer taller(parent.handle, 275, 121, &background); }),
              "CLiteContainer : Invalid Background Picture");

    CPicture withAlpha;
    withAlpha.width = 275;
    withAlpha.height = 120;
    withAlpha.hasAlpha = true;
    withAlpha.pixels = new uint8_t[275 * 120 * 4]();
    EXPECT_EQ(FatalMessageOf([&] { CLiteContainer translucent(parent.handle, 275, 120, &withAlpha); }),
              "CLiteContainer : Invalid Background Picture");
}

TEST(LiteContainer, UpdateShowsTheBackgroundInTheWindow)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    CLiteContainer container(parent.handle, 60, 40, &background);
    EXPECT_TRUE(container.ready);
    EXPECT_FALSE(container.framed);
    container.ShowNormal();
    PumpMessages();
    background.Fill(RGB(0, 200, 0), 59, 39, 1, 1);  // only an update brings this to the screen
    container.Update(0, 0, container.width, container.height);
    const testgui::Capture shown = testgui::CaptureWindow(container.window);
    EXPECT_EQ(shown.At(0, 0), RGB(250, 0, 0));
    EXPECT_EQ(shown.At(30, 20), kBackgroundColour);
    EXPECT_EQ(shown.At(59, 39), RGB(0, 200, 0));
}

TEST(LiteContainer, PaintMessageShowsTheCanvas)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 30, 20);
    CLiteContainer container(parent.handle, 30, 20, &background);
    container.ShowNormal();
    container.canvas->Fill(RGB(5, 6, 7), 0, 0, 30, 20);
    InvalidateRect(container.window, nullptr, FALSE);
    UpdateWindow(container.window);
    EXPECT_EQ(testgui::CaptureWindow(container.window).At(10, 10), RGB(5, 6, 7));
}

TEST(LiteContainer, UpdateResetsTheCanvasClipToTheWholeArea)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    ProbeContainer container(parent.handle, 60, 40, &background);
    container.canvas->SetClip(5, 6, 7, 8);
    container.Update(0, 0, 60, 40);
    EXPECT_EQ(container.canvas->clipLeft, 0);
    EXPECT_EQ(container.canvas->clipRight, 59);
    EXPECT_EQ(container.canvas->clipTop, 0);
    EXPECT_EQ(container.canvas->clipBottom, 39);
    EXPECT_EQ(container.areas, std::vector<std::vector<int>>({{0, 0, 59, 39, 60, 40}}));

    container.Update(0, 0, 500, 500);  // cut to the container
    EXPECT_EQ(container.areas.back(), std::vector<int>({0, 0, 59, 39, 60, 40}));
}

TEST(LiteContainer, EmptyUpdateDoesNothing)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    ProbeContainer container(parent.handle, 60, 40, &background);
    container.canvas->SetClip(5, 6, 7, 8);
    container.Update(0, 0, 0, 40);
    container.Update(0, 0, 60, 0);
    EXPECT_TRUE(container.areas.empty());
    EXPECT_EQ(container.canvas->clipLeft, 5);
}

TEST(LiteContainer, DoubleClickIsASecondPress)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    ProbeContainer container(parent.handle, 60, 40, &background);
    SendMessageA(container.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    SendMessageA(container.window, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
    SendMessageA(container.window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(container.presses, 2);
}

TEST(LiteContainerItems, LastEnabledItemUnderThePointerTakesThePress)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    CLiteContainer container(parent.handle, 60, 40, &background);
    ProbeItem lower(0, 0, 20, 20), upper(10, 10, 20, 20), disabled(10, 10, 5, 5);
    disabled.enabled = false;
    container.firstItem = &lower;
    lower.next = &upper;
    upper.next = &disabled;

    container.OnLeftDown(12, 12);
    container.OnLeftDown(5, 5);
    container.OnLeftDown(29, 29);
    container.OnLeftDown(30, 30);  // just outside both
    EXPECT_EQ(upper.downs, std::vector<int>({12012, 29029}));
    EXPECT_EQ(lower.downs, std::vector<int>({5005}));
    EXPECT_EQ(container.FindItem(30, 30), nullptr);
    EXPECT_EQ(container.FindItem(19, 19), &upper);

    container.OnMouseMove(5, 5);
    container.OnLeftUp(5, 5);
    EXPECT_EQ(lower.moves, 1);
    EXPECT_EQ(lower.ups, 1);
    container.firstItem = nullptr;
}

TEST(LiteContainerItems, CapturedItemReceivesAllMouseInput)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    CLiteContainer container(parent.handle, 60, 40, &background);
    ProbeItem item(0, 0, 5, 5), holder(40, 30, 5, 5);
    container.firstItem = &item;
    item.next = &holder;
    container.capturedItem = &holder;
    container.OnLeftDown(1, 1);
    container.OnMouseMove(1, 1);
    container.OnLeftUp(1, 1);
    EXPECT_TRUE(item.downs.empty());
    EXPECT_EQ(holder.downs, std::vector<int>({1001}));
    EXPECT_EQ(holder.moves, 1);
    EXPECT_EQ(holder.ups, 1);
    container.firstItem = nullptr;
    container.capturedItem = nullptr;
}

TEST(LiteContainerItems, OnlyVisibleItemsMeetingTheAreaAreDrawn)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    CLiteContainer container(parent.handle, 60, 40, &background);
    ProbeItem inside(5, 5, 5, 5), spanning(-10, -10, 100, 100), beyond(25, 5, 5, 5),
        hidden(5, 5, 5, 5), leftOf(-8, 5, 5, 5), straddling(18, 18, 10, 10);
    hidden.visible = false;
    ProbeItem* items[] = {&inside, &spanning, &beyond, &hidden, &leftOf, &straddling};
    for (int i = 0; i < 5; ++i)
        items[i]->next = items[i + 1];
    container.firstItem = items[0];

    container.Update(0, 0, 20, 20);  // the area 0...19 x 0...19
    EXPECT_EQ(inside.draws, 1);
    EXPECT_EQ(spanning.draws, 1);
    EXPECT_EQ(beyond.draws, 0);
    EXPECT_EQ(hidden.draws, 0);
    EXPECT_EQ(leftOf.draws, 0);
    EXPECT_EQ(straddling.draws, 1);
    container.firstItem = nullptr;
}

TEST(LiteContainer, DestructionLeavesTheBackgroundToItsOwner)
{
    ParentWindow parent;
    CPicture background;
    MakeBackground(background, 60, 40);
    HWND window = nullptr;
    {
        CLiteContainer container(parent.handle, 60, 40, &background);
        window = container.window;
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(background.width, 60);
    ASSERT_NE(background.pixels, nullptr);
    EXPECT_EQ(background.pixels[0], 250);
}

}  // namespace
