#pragma once

#ifndef _WIN32
#include "gui/BackBuffer_x11.h"
#else

#include <windows.h>

// A control's off-screen image: a bitmap compatible with the window's DC, selected into a
// memory DC of its own. Controls draw into memoryDC and copy the result to targetDC in one
// blit, so a window never shows a half-drawn frame.
struct CBackBuffer {
    CBackBuffer(HDC target, int width, int height);
    ~CBackBuffer();

    // Copies the top-left width x height pixels to the target DC at (0, 0).
    void Blit(int width, int height) const;
    // Replaces the bitmap with one of the new size; the old contents are lost.
    void Reallocate(int width, int height);

    HDC memoryDC;
    HDC targetDC;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    int width;
    int height;

    CBackBuffer(const CBackBuffer&) = delete;
    CBackBuffer& operator=(const CBackBuffer&) = delete;
};

#endif
