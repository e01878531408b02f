#pragma once

#include <cstdint>

#include "framework/Mutex.h"

// A colour as GDI stores it: 0x00BBGGRR.
using ColorRef = uint32_t;

constexpr int kPaletteColours = 50;

// A pen or brush made on first request and kept for the palette's life. Callers keep the
// cell rather than the handle and select the handle it holds. `release` frees the handle
// when the palette goes; it is set by whoever created the handle.
struct GdiObjectCell {
    void* handle = nullptr;
    void (*release)(void* handle) = nullptr;
};

// Maps colour indices 0...49 to colours and hands out pens and brushes of those colours.
// An index can be inherited from a parent palette, colour, pen and brush alike, so a
// family of palettes shares one set of GDI objects per inherited colour.
//
// Pen and brush requests fill the caches and must be made with the palette locked; colour
// lookups only read and need no lock. An index outside 0...49 is fatal.
class ColorManager : public CMutex {
public:
    // `schemes` holds schemeCount consecutive tables of 50 colours; they are copied.
    ColorManager(const ColorRef* schemes, int schemeCount, ColorManager* parent = nullptr);
    ~ColorManager() override;

    ColorRef Colour(int index) const;
    GdiObjectCell* Pen(int index);    // Windows builds only
    GdiObjectCell* Brush(int index);  // Windows builds only

    void SelectScheme(int scheme);
    void InheritFromParent(int index, bool inherit);

private:
    const ColorManager* Owner(int index) const;
    ColorManager* Owner(int index);

    int currentScheme;
    ColorRef* schemes;
    int schemeCount;
    GdiObjectCell* brushCache[kPaletteColours];
    GdiObjectCell* penCache[kPaletteColours];
    bool inherits[kPaletteColours];
    ColorManager* parent;
};
