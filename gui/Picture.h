#pragma once

#include <cstdint>

struct CBackBuffer;

// A raw raster in main memory: 3 bytes R, G, B per pixel, or 4 bytes R, G, B, A (straight
// alpha) when hasAlpha. Rows run top to bottom without gaps. The editor composes its whole
// image in pictures and hands the result to GDI once per presentation.
class CPicture {
public:
    CPicture() = default;
    ~CPicture();

    // Decodes the PNG resource `id` of the module; a missing or bad picture is fatal.
    void FromResource(int id);
    // Decodes PNG bytes held in memory; a bad picture is fatal.
    void FromPng(const uint8_t* bytes, uint32_t length);
    // width x height RGB pixels, every byte 0xA0.
    void Blank(int width, int height);

    // Copies (or alpha-blends, for an RGBA source) the w x h rectangle at (sx, sy) of this
    // picture onto `destination` at (dx, dy), inside the destination and its clip rectangle.
    void Draw(CPicture& destination, int dx, int dy, int sx, int sy, int w, int h) const;
    // Fills a rectangle of this picture, inside its clip rectangle, with a 0x00BBGGRR colour
    // (and alpha 0 in an RGBA picture).
    void Fill(uint32_t colour, int x, int y, int w, int h);
    // Fills all of `destination` with this picture repeated, starting at offset (ox, oy).
    void TileInto(CPicture& destination, int ox, int oy) const;
    // Writes this picture, tiled from (ox, oy), into the back buffer's bitmap.
    void TileToBitmap(CBackBuffer& target, int ox, int oy) const;
    // Writes this picture into the back buffer's bitmap as a 24-bit top-down image.
    void Present(CBackBuffer& target) const;

    void SetClip(int left, int right, int top, int bottom);
    int BytesPerPixel() const { return hasAlpha ? 4 : 3; }

    int clipLeft = 0;
    int clipRight = -1;
    int clipTop = 0;
    int clipBottom = -1;
    int width = 0;
    int height = 0;
    uint8_t* pixels = nullptr;
    bool hasAlpha = false;

    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;
};

// Builds the top-down rows of a 24-bit device-independent image of width x height pixels
// into `out` (DibStride(width) x height bytes): pixel (column g, row f) is `source`'s pixel
// at column (ox + g) mod source.width, row (oy + f) mod source.height, read as 3 bytes per
// pixel and written B, G, R; each row is padded with zeros to the stride. Returns the stride.
int BuildDibRows(const CPicture& source, int width, int height, int ox, int oy, uint8_t* out);
// Bytes per row of a 24-bit device-independent image: width x 3 rounded up to a multiple of 4.
int DibStride(int width);
