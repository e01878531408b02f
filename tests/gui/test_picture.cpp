#include "gui/Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace {

const uint8_t kBlank = 0xA0;

struct Pixel {
    int r, g, b, a;
    bool operator==(const Pixel& other) const
    {
        return r == other.r && g == other.g && b == other.b && a == other.a;
    }
};

std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

// Alpha reads as -1 in an RGB picture.
Pixel At(const CPicture& picture, int x, int y)
{
    const uint8_t* p = picture.pixels + (size_t(y) * picture.width + x) * picture.BytesPerPixel();
    return Pixel{p[0], p[1], p[2], picture.hasAlpha ? p[3] : -1};
}

void Set(CPicture& picture, int x, int y, Pixel value)
{
    uint8_t* p = picture.pixels + (size_t(y) * picture.width + x) * picture.BytesPerPixel();
    p[0] = uint8_t(value.r);
    p[1] = uint8_t(value.g);
    p[2] = uint8_t(value.b);
    if (picture.hasAlpha)
        p[3] = uint8_t(value.a);
}

void Allocate(CPicture& picture, int width, int height, bool hasAlpha)
{
    delete[] picture.pixels;
    picture.width = width;
    picture.height = height;
    picture.hasAlpha = hasAlpha;
    picture.pixels = new uint8_t[size_t(width) * height * (hasAlpha ? 4 : 3)];
    picture.SetClip(0, width - 1, 0, height - 1);
}

void FillWith(CPicture& picture, Pixel value)
{
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            Set(picture, x, y, value);
}

// Every pixel names its own position: R = column + 1, G = row + 1.
void PaintPositions(CPicture& picture, int width, int height, bool hasAlpha = false)
{
    Allocate(picture, width, height, hasAlpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Set(picture, x, y, Pixel{x + 1, y + 1, 0x5A, 255});
}

// The destination (a Blank picture) must show source pixels from (sx, sy) on exactly the
// w x h area at (dx, dy), and the blank grey everywhere else.
void ExpectDrawnArea(const CPicture& destination, int dx, int dy, int w, int h, int sx, int sy)
{
    for (int y = 0; y < destination.height; ++y)
        for (int x = 0; x < destination.width; ++x) {
            const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h;
            const Pixel expected = inside ? Pixel{sx + x - dx + 1, sy + y - dy + 1, 0x5A, -1}
                                          : Pixel{kBlank, kBlank, kBlank, -1};
            ASSERT_EQ(At(destination, x, y), expected) << "at " << x << ", " << y;
        }
}

class DrawGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { PaintPositions(source, 30, 20); }

    // Draws onto a fresh 20 x 16 blank destination with the given clip rectangle.
    const CPicture& DrawOnBlank(int dx, int dy, int sx, int sy, int w, int h,
                                int clipLeft = 0, int clipRight = 19, int clipTop = 0,
                                int clipBottom = 15)
    {
        destination.Blank(20, 16);
        destination.SetClip(clipLeft, clipRight, clipTop, clipBottom);
        source.Draw(destination, dx, dy, sx, sy, w, h);
        return destination;
    }

    CPicture source;
    CPicture destination;
};

TEST(PictureTest, BlankIsGreyRgbClippedToItself)
{
    CPicture picture;
    Allocate(picture, 9, 9, true);
    picture.Blank(2, 2);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 2);
    EXPECT_FALSE(picture.hasAlpha);
    EXPECT_EQ(std::vector<uint8_t>(picture.pixels, picture.pixels + 12),
              std::vector<uint8_t>(12, 0xA0));
    EXPECT_EQ(picture.clipLeft, 0);
    EXPECT_EQ(picture.clipRight, 1);
    EXPECT_EQ(picture.clipTop, 0);
    EXPECT_EQ(picture.clipBottom, 1);
}

TEST(PictureBlendTest, HalfAlphaTruncatesTowardZero)
{
    CPicture sprite, canvas;
    Allocate(sprite, 1, 1, true);
    canvas.Blank(1, 1);

    Set(sprite, 0, 0, Pixel{100, 100, 100, 128});
    Set(canvas, 0, 0, Pixel{200, 200, 200, -1});
    sprite.Draw(canvas, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(At(canvas, 0, 0), (Pixel{149, 149, 149, -1}));  // 149.80

    Set(sprite, 0, 0, Pixel{200, 200, 200, 128});
    Set(canvas, 0, 0, Pixel{100, 100, 100, -1});
    sprite.Draw(canvas, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(At(canvas, 0, 0), (Pixel{150, 150, 150, -1}));  // 150.20

    // Each channel on its own: 104.63, 59.84, 15.06.
    Set(sprite, 0, 0, Pixel{10, 20, 30, 128});
    Set(canvas, 0, 0, Pixel{200, 100, 0, -1});
    sprite.Draw(canvas, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(At(canvas, 0, 0), (Pixel{104, 59, 15, -1}));
}

TEST(PictureBlendTest, OpaqueCopiesExactlyAndTransparentLeavesTheDestination)
{
    CPicture sprite, canvas;
    Allocate(sprite, 256, 1, true);
    Allocate(canvas, 256, 2, false);
    for (int v = 0; v < 256; ++v) {
        Set(canvas, v, 0, Pixel{255 - v, v / 2, 255 - v / 3, -1});
        Set(canvas, v, 1, Pixel{255 - v, v / 2, 255 - v / 3, -1});
    }

    for (int v = 0; v < 256; ++v)
        Set(sprite, v, 0, Pixel{v, 255 - v, (v * 7) & 255, 255});
    sprite.Draw(canvas, 0, 0, 0, 0, 256, 1);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(At(canvas, v, 0), (Pixel{v, 255 - v, (v * 7) & 255, -1})) << v;

    for (int v = 0; v < 256; ++v)
        Set(sprite, v, 0, Pixel{v, 255 - v, (v * 7) & 255, 0});
    sprite.Draw(canvas, 0, 1, 0, 0, 256, 1);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(At(canvas, v, 1), (Pixel{255 - v, v / 2, 255 - v / 3, -1})) << v;
}

TEST(PictureBlendTest, DestinationAlphaIsNeverWritten)
{
    CPicture canvas;
    Allocate(canvas, 2, 1, true);
    FillWith(canvas, Pixel{200, 200, 200, 0x33});

    CPicture sprite;
    Allocate(sprite, 1, 1, true);
    Set(sprite, 0, 0, Pixel{100, 100, 100, 128});
    sprite.Draw(canvas, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(At(canvas, 0, 0), (Pixel{149, 149, 149, 0x33}));

    CPicture opaque;
    Allocate(opaque, 1, 1, false);
    Set(opaque, 0, 0, Pixel{1, 2, 3, -1});
    opaque.Draw(canvas, 1, 0, 0, 0, 1, 1);
    EXPECT_EQ(At(canvas, 1, 0), (Pixel{1, 2, 3, 0x33}));
}

TEST_F(DrawGeometryTest, CopiesTheRequestedRectangle)
{
    ExpectDrawnArea(DrawOnBlank(2, 3, 4, 5, 6, 7), 2, 3, 6, 7, 4, 5);
}

TEST_F(DrawGeometryTest, CutsAtTheDestinationEdgesMovingTheSource)
{
    // dx = -3, w = 10: source columns sx + 3 ... sx + 9 land on columns 0 ... 6.
    ExpectDrawnArea(DrawOnBlank(-3, 2, 4, 1, 10, 5), 0, 2, 7, 5, 7, 1);
    ExpectDrawnArea(DrawOnBlank(2, -2, 1, 4, 5, 6), 2, 0, 5, 4, 1, 6);
    ExpectDrawnArea(DrawOnBlank(15, 12, 0, 0, 10, 10), 15, 12, 5, 4, 0, 0);
}

TEST_F(DrawGeometryTest, NegativeSourceOffsetsMoveTheDestination)
{
    ExpectDrawnArea(DrawOnBlank(5, 4, -2, -1, 6, 5), 7, 5, 4, 4, 0, 0);
}

TEST_F(DrawGeometryTest, EmptyOrOutsideRectanglesDrawNothing)
{
    ExpectDrawnArea(DrawOnBlank(2, 2, 0, 0, 0, 5), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(2, 2, 0, 0, 5, 0), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(-10, 2, 0, 0, 10, 5), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(20, 2, 0, 0, 10, 5), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(2, 16, 0, 0, 10, 5), 0, 0, 0, 0, 0, 0);
}

TEST_F(DrawGeometryTest, CutsToTheDestinationClipRectangle)
{
    // Clip columns 2 ... 12, rows 1 ... 8.
    ExpectDrawnArea(DrawOnBlank(0, 0, 0, 0, 20, 16, 2, 12, 1, 8), 2, 1, 11, 8, 2, 1);
    ExpectDrawnArea(DrawOnBlank(10, 7, 3, 3, 6, 6, 2, 12, 1, 8), 10, 7, 3, 2, 3, 3);
    ExpectDrawnArea(DrawOnBlank(-1, -1, 5, 5, 5, 5, 2, 12, 1, 8), 2, 1, 2, 3, 8, 7);
}

TEST_F(DrawGeometryTest, RectanglesBesideTheClipRectangleDrawNothing)
{
    ExpectDrawnArea(DrawOnBlank(13, 2, 0, 0, 5, 5, 2, 12, 1, 8), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(0, 2, 0, 0, 2, 5, 2, 12, 1, 8), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(2, 9, 0, 0, 5, 5, 2, 12, 1, 8), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(2, 0, 0, 0, 5, 1, 2, 12, 1, 8), 0, 0, 0, 0, 0, 0);
}

TEST_F(DrawGeometryTest, CutsAtTheSourceEdgesInsteadOfReadingBeyond)
{
    ExpectDrawnArea(DrawOnBlank(1, 1, 25, 17, 10, 10), 1, 1, 5, 3, 25, 17);
    ExpectDrawnArea(DrawOnBlank(-2, 0, 26, 0, 10, 4), 0, 0, 2, 4, 28, 0);
    ExpectDrawnArea(DrawOnBlank(0, 0, 30, 0, 5, 5), 0, 0, 0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(0, 0, 0, 20, 5, 5), 0, 0, 0, 0, 0, 0);
}

TEST_F(DrawGeometryTest, TheSourceClipRectangleDoesNotMatter)
{
    source.SetClip(0, 0, 0, 0);
    ExpectDrawnArea(DrawOnBlank(2, 3, 4, 5, 6, 7), 2, 3, 6, 7, 4, 5);
}

TEST(PictureDrawTest, TheLastButtonFaceEndsAtTheStripsLastColumn)
{
    CPicture strip, canvas;
    PaintPositions(strip, 188, 28, true);
    canvas.Blank(275, 120);
    strip.Draw(canvas, 204, 54, 160, 0, 28, 28);
    EXPECT_EQ(At(canvas, 204, 54), (Pixel{161, 1, 0x5A, -1}));
    EXPECT_EQ(At(canvas, 231, 81), (Pixel{188, 28, 0x5A, -1}));
    EXPECT_EQ(At(canvas, 232, 81), (Pixel{kBlank, kBlank, kBlank, -1}));
    EXPECT_EQ(At(canvas, 231, 82), (Pixel{kBlank, kBlank, kBlank, -1}));
}

TEST(PictureFillTest, WritesRedGreenBlueFromTheLowBytesAndClearsAlpha)
{
    CPicture rgb;
    rgb.Blank(4, 3);
    rgb.Fill(0xFF00FF80u | 0x40, 1, 1, 2, 1);  // the top byte plays no part
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool filled = y == 1 && (x == 1 || x == 2);
            EXPECT_EQ(At(rgb, x, y), filled ? (Pixel{0xC0, 0xFF, 0x00, -1})
                                            : (Pixel{kBlank, kBlank, kBlank, -1}))
                << x << ", " << y;
        }

    CPicture rgba;
    Allocate(rgba, 2, 2, true);
    FillWith(rgba, Pixel{1, 2, 3, 0x77});
    rgba.Fill(0x00FF8040, 0, 1, 2, 1);
    EXPECT_EQ(At(rgba, 0, 0), (Pixel{1, 2, 3, 0x77}));
    EXPECT_EQ(At(rgba, 0, 1), (Pixel{0x40, 0x80, 0xFF, 0}));
    EXPECT_EQ(At(rgba, 1, 1), (Pixel{0x40, 0x80, 0xFF, 0}));
}

TEST(PictureFillTest, StaysInsideTheClipRectangle)
{
    CPicture picture;
    picture.Blank(5, 4);
    picture.SetClip(1, 3, 1, 2);
    picture.Fill(0x00010203, -5, -5, 100, 100);
    picture.Fill(0x00FFFFFF, 4, 0, 1, 4);   // right of the clip rectangle
    picture.Fill(0x00FFFFFF, 1, 1, 0, 2);   // empty
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool filled = x >= 1 && x <= 3 && y >= 1 && y <= 2;
            EXPECT_EQ(At(picture, x, y), filled ? (Pixel{3, 2, 1, -1})
                                                : (Pixel{kBlank, kBlank, kBlank, -1}))
                << x << ", " << y;
        }
}

TEST(PictureTileTest, FillsTheWholeDestinationFromTheOffset)
{
    CPicture tile, destination;
    PaintPositions(tile, 3, 2);
    destination.Blank(7, 5);
    destination.SetClip(2, 3, 2, 3);  // ignored
    tile.TileInto(destination, 1, 1);
    EXPECT_EQ(At(destination, 0, 0), (Pixel{2, 2, 0x5A, -1}));
    EXPECT_EQ(At(destination, 1, 0), (Pixel{3, 2, 0x5A, -1}));
    EXPECT_EQ(At(destination, 2, 0), (Pixel{1, 2, 0x5A, -1}));
    EXPECT_EQ(At(destination, 0, 1), (Pixel{2, 1, 0x5A, -1}));
    EXPECT_EQ(At(destination, 6, 4), (Pixel{2, 2, 0x5A, -1}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(At(destination, x, y), (Pixel{(x + 1) % 3 + 1, (y + 1) % 2 + 1, 0x5A, -1}));

    // Offsets to the left of the tile wrap around instead of reading before it.
    tile.TileInto(destination, -1, -3);
    EXPECT_EQ(At(destination, 0, 0), (Pixel{3, 2, 0x5A, -1}));
    EXPECT_EQ(At(destination, 1, 1), (Pixel{1, 1, 0x5A, -1}));
}

TEST(PictureDibTest, StrideIsThreeBytesPerPixelPaddedToFour)
{
    const int expected[] = {4, 8, 12, 12, 16, 20, 24, 24};
    for (int width = 1; width <= 8; ++width)
        EXPECT_EQ(DibStride(width), expected[width - 1]) << width;
    EXPECT_EQ(DibStride(275), 828);
}

TEST(PictureDibTest, RowsRunTopDownInBlueGreenRedWithZeroPadding)
{
    CPicture picture;
    PaintPositions(picture, 5, 2);
    std::vector<uint8_t> out(32, 0xEE);
    ASSERT_EQ(BuildDibRows(picture, 5, 2, 0, 0, out.data()), 16);
    const std::vector<uint8_t> firstRow = {0x5A, 1, 1, 0x5A, 1, 2, 0x5A, 1, 3,
                                           0x5A, 1, 4, 0x5A, 1, 5, 0};
    const std::vector<uint8_t> secondRow = {0x5A, 2, 1, 0x5A, 2, 2, 0x5A, 2, 3,
                                            0x5A, 2, 4, 0x5A, 2, 5, 0};
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 16), firstRow);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 16, out.end()), secondRow);
}

TEST(PictureDibTest, TilesFromTheOffsetAcrossTheTargetSize)
{
    CPicture tile;
    PaintPositions(tile, 3, 2);
    std::vector<uint8_t> out(12 * 3, 0xEE);
    ASSERT_EQ(BuildDibRows(tile, 4, 3, 2, 1, out.data()), 12);
    // Target pixel (g, f) is the tile's pixel ((2 + g) mod 3, (1 + f) mod 2).
    const std::vector<uint8_t> expected = {
        0x5A, 2, 3, 0x5A, 2, 1, 0x5A, 2, 2, 0x5A, 2, 3,
        0x5A, 1, 3, 0x5A, 1, 1, 0x5A, 1, 2, 0x5A, 1, 3,
        0x5A, 2, 3, 0x5A, 2, 1, 0x5A, 2, 2, 0x5A, 2, 3,
    };
    EXPECT_EQ(out, expected);
}

}  // namespace
