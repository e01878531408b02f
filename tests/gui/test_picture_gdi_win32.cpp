#include <gtest/gtest.h>

#include "gui/BackBuffer.h"
#include "gui/Picture.h"
#include "tests/gui/Win32Fixtures.h"

namespace {

// A back buffer on a screen-compatible bitmap, as a control has.
class ScreenBackBuffer {
public:
    ScreenBackBuffer(int width, int height) : screen(GetDC(nullptr)), buffer(screen, width, height)
    {
        const RECT whole = {0, 0, width, height};
        FillRect(buffer.memoryDC, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~ScreenBackBuffer() { ReleaseDC(nullptr, screen); }
    COLORREF At(int x, int y) const { return GetPixel(buffer.memoryDC, x, y); }

    HDC screen;
    CBackBuffer buffer;
};

// Pixel (x, y) gets red 10x + y, green 100 + y, blue 200 - x: every pixel differs.
COLORREF Expected(int x, int y) { return RGB(10 * x + y, 100 + y, 200 - x); }

void Paint(CPicture& picture)
{
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.Fill(Expected(x, y), x, y, 1, 1);
}

TEST(PicturePresent, OddWidthRowsLandOnTheirOwnLines)
{
    // 5 pixels are 15 bytes, padded to 16 per row: a wrong stride shears every later row.
    CPicture picture;
    picture.Blank(5, 3);
    Paint(picture);
    ScreenBackBuffer target(5, 3);
    picture.Present(target.buffer);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(target.At(x, y), Expected(x, y)) << x << "," << y;
}

TEST(PicturePresent, WritesOnlyThePicturesArea)
{
    CPicture picture;
    picture.Blank(2, 2);
    Paint(picture);
    ScreenBackBuffer target(4, 4);
    picture.Present(target.buffer);
    EXPECT_EQ(target.At(1, 1), Expected(1, 1));
    EXPECT_EQ(target.At(3, 0), RGB(255, 255, 255));
}

TEST(PictureTile, RepeatsThePictureFromTheOffset)
{
    CPicture tile;
    tile.Blank(3, 2);
    Paint(tile);
    ScreenBackBuffer target(7, 5);
    tile.TileToBitmap(target.buffer, 2, 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(target.At(x, y), Expected((x + 2) % 3, (y + 1) % 2)) << x << "," << y;
}

TEST(PictureTile, NegativeOffsetsWrapBackwards)
{
    CPicture tile;
    tile.Blank(3, 2);
    Paint(tile);
    ScreenBackBuffer target(3, 2);
    tile.TileToBitmap(target.buffer, -1, -1);
    EXPECT_EQ(target.At(0, 0), Expected(2, 1));
    EXPECT_EQ(target.At(1, 1), Expected(0, 0));
}

TEST(PictureResource, MissingResourceIsFatalAsAnEmptyFile)
{
    CPicture picture;
    EXPECT_EQ(testgui::FatalMessageOf([&] { picture.FromResource(4711); }),
              "PNG File Is Too Small To Fit A Valid Header");
}

}  // namespace
