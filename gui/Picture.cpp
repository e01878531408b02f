#include "gui/Picture.h"

#include "gui/PngDecoder.h"

#include <algorithm>
#include <cstring>

// The portable half of the picture: everything that composes pixels in main memory. Only
// loading from the module's resources and handing the result to GDI live in the Win32 file.

namespace {

const uint8_t kBlankGrey = 0xA0;

// A rectangle worked on in 64 bits, so that callers' offsets cannot overflow while it is cut.
struct Area {
    int64_t x, y, w, h;
};

// Remainder that stays in 0 ... divisor - 1 for negative offsets too.
int WrapIndex(int64_t value, int divisor)
{
    const int64_t remainder = value % divisor;
    return int(remainder < 0 ? remainder + divisor : remainder);
}

// Moves a span's start forward to `limit` when it lies before it, shortening the span and
// moving the start of the span it is paired with (source or destination) by as much.
void CutStart(int64_t& start, int64_t limit, int64_t& extent, int64_t& partnerStart)
{
    if (start >= limit)
        return;
    const int64_t cut = limit - start;
    start = limit;
    extent -= cut;
    partnerStart += cut;
}

uint8_t Blend(uint8_t source, uint8_t destination, double t)
{
    return uint8_t(source * t + destination * (1.0 - t));
}

void CopyRow(const uint8_t* source, int sourceBpp, uint8_t* destination, int destinationBpp,
             int64_t count)
{
    for (int64_t j = 0; j < count; ++j, source += sourceBpp, destination += destinationBpp)
        std::memcpy(destination, source, 3);
}

void BlendRow(const uint8_t* source, uint8_t* destination, int destinationBpp, int64_t count)
{
    for (int64_t j = 0; j < count; ++j, source += 4, destination += destinationBpp) {
        const double t = source[3] * (1.0 / 255.0);
        for (int c = 0; c < 3; ++c)
            destination[c] = Blend(source[c], destination[c], t);
    }
}

}  // namespace

CPicture::~CPicture()
{
    delete[] pixels;
}

void CPicture::FromPng(const uint8_t* bytes, uint32_t length)
{
    delete[] pixels;
    pixels = nullptr;
    width = height = 0;
    hasAlpha = false;
    DecodePng(*this, bytes, length);
    SetClip(0, width - 1, 0, height - 1);
}

void CPicture::Blank(int newWidth, int newHeight)
{
    delete[] pixels;
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    hasAlpha = false;
    const size_t size = size_t(width) * size_t(height) * 3;
    pixels = new uint8_t[size == 0 ? 1 : size];
    std::memset(pixels, kBlankGrey, size);
    SetClip(0, width - 1, 0, height - 1);
}

void CPicture::SetClip(int left, int right, int top, int bottom)
{
    clipLeft = left;
    clipRight = right;
    clipTop = top;
    clipBottom = bottom;
}

void CPicture::Draw(CPicture& destination, int dx, int dy, int sx, int sy, int w, int h) const
{
    const CPicture& d = destination;
    Area to{dx, dy, w, h};
    Area from{sx, sy, w, h};
    // Cut at the source's edges: what lies outside it does not exist.
    CutStart(from.x, 0, to.w, to.x);
    CutStart(from.y, 0, to.h, to.y);
    to.w = std::min<int64_t>(to.w, width - from.x);
    to.h = std::min<int64_t>(to.h, height - from.y);
    // Then at the destination's edges.
    CutStart(to.x, 0, to.w, from.x);
    CutStart(to.y, 0, to.h, from.y);
    to.w = std::min<int64_t>(to.w, d.width - to.x);
    to.h = std::min<int64_t>(to.h, d.height - to.y);
    if (to.w < 1 || to.h < 1)
        return;
    // Then at the destination's clip rectangle.
    if (to.x > d.clipRight || to.x + to.w - 1 < d.clipLeft || to.y > d.clipBottom ||
        to.y + to.h - 1 < d.clipTop)
        return;
    CutStart(to.x, d.clipLeft, to.w, from.x);
    CutStart(to.y, d.clipTop, to.h, from.y);
    to.w = std::min<int64_t>(to.w, d.clipRight - to.x + 1);
    to.h = std::min<int64_t>(to.h, d.clipBottom - to.y + 1);

    const int sourceBpp = BytesPerPixel();
    const int destinationBpp = d.BytesPerPixel();
    for (int64_t i = 0; i < to.h; ++i) {
        const uint8_t* sourceRow = pixels + ((from.y + i) * width + from.x) * sourceBpp;
        uint8_t* destinationRow = d.pixels + ((to.y + i) * d.width + to.x) * destinationBpp;
        if (hasAlpha)
            BlendRow(sourceRow, destinationRow, destinationBpp, to.w);
        else
            CopyRow(sourceRow, sourceBpp, destinationRow, destinationBpp, to.w);
    }
}

void CPicture::Fill(uint32_t colour, int x, int y, int w, int h)
{
    // The clip rectangle decides; the picture's own edges only guard a clip set beyond them.
    const int64_t left = std::max<int64_t>({x, clipLeft, 0});
    const int64_t top = std::max<int64_t>({y, clipTop, 0});
    const int64_t right = std::min<int64_t>({int64_t(x) + w - 1, clipRight, width - 1});
    const int64_t bottom = std::min<int64_t>({int64_t(y) + h - 1, clipBottom, height - 1});
    const uint8_t value[4] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 0};
    const int bpp = BytesPerPixel();
    for (int64_t row = top; row <= bottom; ++row) {
        uint8_t* pixel = pixels + (row * width + left) * bpp;
        for (int64_t column = left; column <= right; ++column, pixel += bpp)
            std::memcpy(pixel, value, size_t(bpp));
    }
}

void CPicture::TileInto(CPicture& destination, int ox, int oy) const
{
    if (width <= 0 || height <= 0)
        return;
    uint8_t* out = destination.pixels;
    for (int i = 0; i < destination.height; ++i) {
        const uint8_t* sourceRow = pixels + size_t(WrapIndex(int64_t(oy) + i, height)) * width * 3;
        for (int j = 0; j < destination.width; ++j, out += 3)
            std::memcpy(out, sourceRow + size_t(WrapIndex(int64_t(ox) + j, width)) * 3, 3);
    }
}

int DibStride(int width)
{
    return (std::max(width, 0) * 3 + 3) & ~3;
}

int BuildDibRows(const CPicture& source, int width, int height, int ox, int oy, uint8_t* out)
{
    const int stride = DibStride(width);
    if (height <= 0)
        return stride;
    std::memset(out, 0, size_t(stride) * size_t(height));
    if (source.width <= 0 || source.height <= 0)
        return stride;
    for (int f = 0; f < height; ++f) {
        const uint8_t* sourceRow =
            source.pixels + size_t(WrapIndex(int64_t(oy) + f, source.height)) * source.width * 3;
        uint8_t* pixel = out + size_t(f) * stride;
        for (int g = 0; g < width; ++g, pixel += 3) {
            const uint8_t* rgb = sourceRow + size_t(WrapIndex(int64_t(ox) + g, source.width)) * 3;
            pixel[0] = rgb[2];
            pixel[1] = rgb[1];
            pixel[2] = rgb[0];
        }
    }
    return stride;
}
