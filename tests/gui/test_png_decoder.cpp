#include "gui/PngDecoder.h"

#include "framework/FatalError.h"
#include "gui/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const char kAccepted[] = "(accepted)";

// Read into a buffer of exactly the file's size, so that the address sanitizer sees any
// read past the end of the PNG data.
Bytes ReadFile(const std::string& path)
{
    Bytes bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ADD_FAILURE() << "cannot open " << path;
        return bytes;
    }
    uint8_t block[4096];
    size_t count;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + count);
    std::fclose(file);
    return bytes;
}

Bytes Case(const std::string& name)
{
    return ReadFile(std::string(VELVETINE_SOURCE_DIR "/tests/data/png/") + name);
}

Bytes Resource(const std::string& name)
{
    return ReadFile(std::string(VELVETINE_SOURCE_DIR "/resources/") + name);
}

void ThrowMessage(const char* message)
{
    throw std::runtime_error(message);
}

class PngDecoderTest : public ::testing::Test {
protected:
    void SetUp() override { previousHandler = SetFatalErrorHandler(&ThrowMessage); }
    void TearDown() override { SetFatalErrorHandler(previousHandler); }

    // The fatal message for these bytes, or kAccepted. A rejection leaves no picture behind.
    static std::string Outcome(const Bytes& bytes, uint32_t length)
    {
        CPicture picture;
        try {
            DecodePng(picture, bytes.data(), length);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(picture.pixels, nullptr);
            return error.what();
        }
        return kAccepted;
    }
    static std::string Outcome(const Bytes& bytes) { return Outcome(bytes, uint32_t(bytes.size())); }

    static void ExpectDecodesTo(const std::string& name, int width, int height, bool hasAlpha)
    {
        SCOPED_TRACE(name);
        const Bytes png = Case(name + ".png");
        const Bytes raw = Case(name + ".raw");
        CPicture picture;
        DecodePng(picture, png.data(), uint32_t(png.size()));
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        ASSERT_EQ(picture.hasAlpha, hasAlpha);
        ASSERT_EQ(raw.size(), size_t(width) * height * (hasAlpha ? 4 : 3));
        EXPECT_EQ(Bytes(picture.pixels, picture.pixels + raw.size()), raw);
    }

    FatalErrorHandler previousHandler = nullptr;
};

struct Rgba {
    int r, g, b, a;
};

Rgba PixelAt(const CPicture& picture, int x, int y)
{
    const uint8_t* p = picture.pixels + (size_t(y) * picture.width + x) * picture.BytesPerPixel();
    return Rgba{p[0], p[1], p[2], picture.hasAlpha ? p[3] : 255};
}

TEST_F(PngDecoderTest, BackgroundIsOpaqueRgbOfTheEditorSize)
{
    const Bytes png = Resource("background.png");
    CPicture picture;
    DecodePng(picture, png.data(), uint32_t(png.size()));
    EXPECT_EQ(picture.width, 275);
    EXPECT_EQ(picture.height, 120);
    EXPECT_FALSE(picture.hasAlpha);
    // Black in the corners; the title is lighter than the background around it.
    const Rgba corner = PixelAt(picture, 0, 0);
    EXPECT_LT(corner.r + corner.g + corner.b, 3 * 24);
    int brightest = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Rgba p = PixelAt(picture, x, y);
            brightest = std::max(brightest, p.r + p.g + p.b);
        }
    EXPECT_GT(brightest, 3 * 180);
}

TEST_F(PngDecoderTest, ButtonStripsHoldFiveOpaqueFacesWithTransparentGaps)
{
    for (const char* name : {"buttons_highlighted.png", "buttons_normal.png"}) {
        SCOPED_TRACE(name);
        const Bytes png = Resource(name);
        CPicture picture;
        DecodePng(picture, png.data(), uint32_t(png.size()));
        ASSERT_EQ(picture.width, 188);
        ASSERT_EQ(picture.height, 28);
        ASSERT_TRUE(picture.hasAlpha);
        for (int face = 0; face < 5; ++face) {
            const int left = 40 * face;
            EXPECT_EQ(PixelAt(picture, left + 14, 2).a, 255);    // top edge, middle
            EXPECT_EQ(PixelAt(picture, left + 2, 14).a, 255);    // left edge, middle
            EXPECT_EQ(PixelAt(picture, left, 0).a, 0);           // rounded corners
            EXPECT_EQ(PixelAt(picture, left + 27, 27).a, 0);
            if (face < 4) {
                for (int x = left + 28; x < left + 40; ++x)
                    EXPECT_EQ(PixelAt(picture, x, 14).a, 0) << "gap column " << x;
            }
        }
    }
}

TEST_F(PngDecoderTest, HighlightedFacesAreTurquoiseAndNormalFacesGrey)
{
    const Bytes highlightedPng = Resource("buttons_highlighted.png");
    const Bytes normalPng = Resource("buttons_normal.png");
    CPicture highlighted, normal;
    DecodePng(highlighted, highlightedPng.data(), uint32_t(highlightedPng.size()));
    DecodePng(normal, normalPng.data(), uint32_t(normalPng.size()));
    for (int face = 0; face < 5; ++face) {
        // Just inside the top edge, clear of the label.
        const Rgba lit = PixelAt(highlighted, 40 * face + 5, 5);
        EXPECT_GT(lit.g, lit.r + 40);
        EXPECT_GT(lit.b, lit.r + 40);
        const Rgba plain = PixelAt(normal, 40 * face + 5, 5);
        EXPECT_LE(std::max({plain.r, plain.g, plain.b}) - std::min({plain.r, plain.g, plain.b}), 12);
    }
}

TEST_F(PngDecoderTest, EveryFilterTypeIsReconstructedByteForByte)
{
    // Rows of every filter type, Paeth ties of both kinds, Average sums above 255, and
    // the first row under Up, Average, Paeth and Sub.
    ExpectDecodesTo("filters_rgb", 19, 23, false);
    ExpectDecodesTo("filters_rgba", 17, 21, true);
    ExpectDecodesTo("filters_paeth_first", 13, 11, false);
    ExpectDecodesTo("filters_sub_first", 9, 7, true);
}

TEST_F(PngDecoderTest, UnknownFilterTypeKeepsTheRowAsStored)
{
    // The row after it is an Up row and must build on the stored bytes.
    ExpectDecodesTo("filter_type_7", 4, 3, false);
}

TEST_F(PngDecoderTest, ToleratesWhatTheFormatAllowsOrTheDecoderIgnores)
{
    ExpectDecodesTo("wrong_crc", 3, 2, false);
    ExpectDecodesTo("rgb_with_trns", 3, 2, false);
    ExpectDecodesTo("split_data", 3, 2, false);
    ExpectDecodesTo("second_header", 2, 1, true);
    ExpectDecodesTo("end_without_crc", 3, 2, false);
}

TEST_F(PngDecoderTest, RejectsEachFaultWithItsOwnMessage)
{
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"too_small.png", "PNG File Is Too Small To Fit A Valid Header"},
        {"bad_signature.png", "PNG File Header Not Found"},
        {"signature_only.png", "Unexpected End Of File In PNG Image"},
        {"no_end_chunk.png", "Unexpected End Of File In PNG Image"},
        {"cut_chunk_header.png", "Unexpected End Of File In PNG Image"},
        {"chunk_without_crc.png", "Unexpected End Of File In PNG Image"},
        {"chunk_past_end.png", "Chunk Found Larger Than File In PNG Image"},
        {"chunk_length_wraps.png", "Chunk Found Larger Than File In PNG Image"},
        {"short_header.png", "PNG File's Header Chunk Too Small"},
        {"depth_16.png", "Unsupported Bit Depth In PNG File"},
        {"depth_16_interlaced.png", "Unsupported Bit Depth In PNG File"},
        {"palette_depth_4.png", "Unsupported Bit Depth In PNG File"},
        {"grey.png", "Unsupported Color Type In PNG File"},
        {"grey_alpha.png", "Unsupported Color Type In PNG File"},
        {"palette_depth_8.png", "Unsupported Color Type In PNG File"},
        {"compression_1.png", "Unsupported Compression Method In PNG File"},
        {"filter_method_1.png", "Unsupported Filter Method In PNG File"},
        {"interlaced.png", "Can't Read Interlaced PNG Files"},
        {"one_byte_long.png", "Inflate: Buffer Error"},
        {"no_image_data.png", "Inflate: Data Error"},
        {"stream_cut_short.png", "Inflate: Data Error"},
        {"stream_corrupt.png", "Inflate: Data Error"},
        {"stream_needs_dictionary.png", "Inflate: Data Error"},
        {"one_byte_short.png", "PNG: Not Enough Information Inflated"},
        {"row_size_overflow.png", "PNG Image Too Large"},
        {"data_size_overflow.png", "PNG Image Too Large"},
        {"data_size_overflow_rgba.png", "PNG Image Too Large"},
        {"height_beyond_int.png", "PNG Image Too Large"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Outcome(Case(c.file)), c.message) << c.file;
}

TEST_F(PngDecoderTest, RejectsAnImageTooLargeForTheAddressSpace)
{
    if (sizeof(void*) > 4)
        GTEST_SKIP() << "0xEFFFFFFE bytes can be reserved in a 64-bit process";
    EXPECT_EQ(Outcome(Case("unallocatable.png")), "PNG Image Too Large");
}

TEST_F(PngDecoderTest, ReadsNoFurtherThanTheLengthItIsGiven)
{
    // Only the end chunk's CRC may be missing; any shorter prefix is rejected.
    const Bytes png = Case("filters_rgba.png");
    ASSERT_GT(png.size(), 20u);
    for (size_t length = 0; length <= png.size(); ++length) {
        const Bytes prefix(png.begin(), png.begin() + length);
        const std::string outcome = Outcome(prefix);
        if (length >= png.size() - 4)
            EXPECT_EQ(outcome, kAccepted) << "length " << length;
        else
            EXPECT_NE(outcome, kAccepted) << "length " << length;
    }
    EXPECT_EQ(Outcome(png, 7), "PNG File Is Too Small To Fit A Valid Header");
    // The image data chunk starts at 33: its header needs 41 bytes, its data many more.
    EXPECT_EQ(Outcome(png, 40), "Unexpected End Of File In PNG Image");
    EXPECT_EQ(Outcome(png, 45), "Chunk Found Larger Than File In PNG Image");
}

TEST_F(PngDecoderTest, FromPngReplacesThePictureAndClipsToIt)
{
    CPicture picture;
    picture.Blank(50, 50);
    const Bytes png = Case("second_header.png");
    picture.FromPng(png.data(), uint32_t(png.size()));
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 1);
    EXPECT_TRUE(picture.hasAlpha);
    EXPECT_EQ(picture.pixels[7], 8);
    EXPECT_EQ(picture.clipLeft, 0);
    EXPECT_EQ(picture.clipRight, 1);
    EXPECT_EQ(picture.clipTop, 0);
    EXPECT_EQ(picture.clipBottom, 0);
}

}  // namespace
