#pragma once

#include <windows.h>

// A control's font: 9-point "Verdana" scaled to the vertical resolution of the control's
// display. The mutex and count are part of the record for controls that share a holder
// across threads; the toolkit itself never takes them.
struct CFontHolder {
    // `reference` is the control's window DC, or null for a 72 dots-per-inch cell.
    explicit CFontHolder(HDC reference);
    ~CFontHolder();

    HANDLE mutex;
    int lockCount;
    HFONT font;

    CFontHolder(const CFontHolder&) = delete;
    CFontHolder& operator=(const CFontHolder&) = delete;
};

// Cell height in pixels of a 9-point font at the given dots per inch.
int FontCellHeight(int pixelsPerInchY);
