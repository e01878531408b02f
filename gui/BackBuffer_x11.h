#pragma once

#include <cstdint>

struct _XDisplay;
struct _XGC;
struct _XImage;

// A control's off-screen image: a client-side XImage in the window's visual. Pictures are
// converted into it, and Blit hands it to the server in one XPutImage, so a window never
// shows a half-drawn frame.
struct CBackBuffer {
    // `visual` (an Xlib Visual) must be a TrueColor visual with 8 bits per channel. Check Valid() afterwards.
    CBackBuffer(_XDisplay* display, unsigned long window, void* visual, int depth, int width, int height);
    ~CBackBuffer();

    bool Valid() const { return image != nullptr && gc != nullptr; }
    // Copies the top-left width x height pixels to the window at (0, 0).
    void Blit(int width, int height) const;
    // Replaces the image with one of the new size; the old contents are lost.
    void Reallocate(int width, int height);
    // Sets one pixel of the image from 8-bit R, G, B.
    void SetPixel(int column, int row, uint8_t red, uint8_t green, uint8_t blue);

    _XDisplay* display;
    unsigned long window;
    void* visual;  // the window's Visual
    int depth;
    _XGC* gc;
    _XImage* image;
    int width;
    int height;
    int redShift;
    int greenShift;
    int blueShift;

    CBackBuffer(const CBackBuffer&) = delete;
    CBackBuffer& operator=(const CBackBuffer&) = delete;

private:
    void CreateImage();
};
