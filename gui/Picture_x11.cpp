#include "gui/Picture.h"

#include <cstddef>

#include "gui/BackBuffer.h"
#include "gui/EmbeddedResources.h"

namespace {

// Converts a width x height area of `source`, tiled from (ox, oy) and read as 3 bytes per
// pixel, into the back buffer's image.
void WriteImage(const CPicture& source, CBackBuffer& target, int width, int height, int ox, int oy)
{
    if (!target.Valid() || source.width <= 0 || source.height <= 0)
        return;
    if (width > target.width)
        width = target.width;
    if (height > target.height)
        height = target.height;
    for (int row = 0; row < height; ++row) {
        const int sourceRow = (oy + row) % source.height;
        for (int column = 0; column < width; ++column) {
            const int sourceColumn = (ox + column) % source.width;
            const uint8_t* pixel = source.pixels + (size_t(sourceRow) * size_t(source.width) + size_t(sourceColumn)) * 3;
            target.SetPixel(column, row, pixel[0], pixel[1], pixel[2]);
        }
    }
}

}  // namespace

void CPicture::FromResource(int id)
{
    // A missing resource decodes as zero bytes, which the decoder reports as fatal: the
    // library's own pictures are part of it, so their absence means it is damaged.
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    if (!FindEmbeddedResource(id, &bytes, &length)) {
        bytes = nullptr;
        length = 0;
    }
    FromPng(bytes, length);
}

void CPicture::TileToBitmap(CBackBuffer& target, int ox, int oy) const
{
    WriteImage(*this, target, target.width, target.height, ox, oy);
}

void CPicture::Present(CBackBuffer& target) const
{
    WriteImage(*this, target, width, height, 0, 0);
}
