#include "gui/BackBuffer.h"

#include <cstdlib>

#include "gui/Xlib_x11.h"

namespace {

int LowestBit(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

CBackBuffer::CBackBuffer(Display* connection, Window target, void* targetVisual, int targetDepth, int bufferWidth,
                         int bufferHeight)
    : display(connection),
      window(target),
      visual(targetVisual),
      depth(targetDepth),
      gc(nullptr),
      image(nullptr),
      width(bufferWidth),
      height(bufferHeight),
      redShift(0),
      greenShift(0),
      blueShift(0)
{
    const Visual* v = static_cast<const Visual*>(visual);
    redShift = LowestBit(v->red_mask);
    greenShift = LowestBit(v->green_mask);
    blueShift = LowestBit(v->blue_mask);
    XErrorTrap trap(display);
    gc = Xlib()->CreateGC(display, window, 0, nullptr);
    if (gc && trap.Failed()) {
        Xlib()->FreeGC(display, gc);  // frees the client's record; the server's error is trapped
        gc = nullptr;
    }
    CreateImage();
}

CBackBuffer::~CBackBuffer()
{
    XErrorTrap trap(display);
    if (image)
        XDestroyImage(image);
    if (gc)
        Xlib()->FreeGC(display, gc);
}

void CBackBuffer::CreateImage()
{
    if (width <= 0 || height <= 0)
        return;
    image = Xlib()->CreateImage(display, static_cast<Visual*>(visual), unsigned(depth), ZPixmap, 0, nullptr,
                                unsigned(width), unsigned(height), 32, 0);
    if (!image)
        return;
    // Xlib frees the pixels with free() when the image is destroyed.
    image->data = static_cast<char*>(std::calloc(size_t(image->bytes_per_line), size_t(height)));
    if (!image->data) {
        XDestroyImage(image);
        image = nullptr;
    }
}

void CBackBuffer::Reallocate(int newWidth, int newHeight)
{
    if (image)
        XDestroyImage(image);
    image = nullptr;
    width = newWidth;
    height = newHeight;
    CreateImage();
}

void CBackBuffer::SetPixel(int column, int row, uint8_t red, uint8_t green, uint8_t blue)
{
    const unsigned long pixel = (unsigned long)red << redShift | (unsigned long)green << greenShift |
                                (unsigned long)blue << blueShift;
    XPutPixel(image, column, row, pixel);
}

void CBackBuffer::Blit(int blitWidth, int blitHeight) const
{
    if (!Valid() || blitWidth <= 0 || blitHeight <= 0)
        return;
    XErrorTrap trap(display);
    Xlib()->PutImage(display, window, gc, image, 0, 0, 0, 0, unsigned(blitWidth < width ? blitWidth : width),
                     unsigned(blitHeight < height ? blitHeight : height));
}
