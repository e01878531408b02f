#include "gui/ColorManager.h"

#include <algorithm>

#include "framework/FatalError.h"

namespace {

void ReleaseCells(GdiObjectCell** cache)
{
    for (int i = 0; i < kPaletteColours; ++i) {
        GdiObjectCell* cell = cache[i];
        if (!cell)
            continue;
        if (cell->handle && cell->release)
            cell->release(cell->handle);
        delete cell;
        cache[i] = nullptr;
    }
}

void CheckIndex(int index)
{
    if (index < 0 || index >= kPaletteColours)
        FatalError("ColorManager: Invalid Color Requested");
}

}  // namespace

ColorManager::ColorManager(const ColorRef* schemeTables, int count, ColorManager* parentPalette)
    : currentScheme(0),
      schemes(new ColorRef[static_cast<size_t>(std::max(count, 1)) * kPaletteColours]()),
      schemeCount(std::max(count, 1)),
      brushCache(),
      penCache(),
      inherits(),
      parent(parentPalette)
{
    if (schemeTables && count > 0)
        std::copy(schemeTables, schemeTables + count * kPaletteColours, schemes);
}

ColorManager::~ColorManager()
{
    ReleaseCells(brushCache);
    ReleaseCells(penCache);
    delete[] schemes;
}

const ColorManager* ColorManager::Owner(int index) const
{
    CheckIndex(index);
    const ColorManager* owner = this;
    while (owner->inherits[index] && owner->parent)
        owner = owner->parent;
    return owner;
}

ColorManager* ColorManager::Owner(int index)
{
    return const_cast<ColorManager*>(static_cast<const ColorManager*>(this)->Owner(index));
}

ColorRef ColorManager::Colour(int index) const
{
    const ColorManager* owner = Owner(index);
    return owner->schemes[owner->currentScheme * kPaletteColours + index];
}

void ColorManager::SelectScheme(int scheme)
{
    if (scheme >= 0 && scheme < schemeCount)
        currentScheme = scheme;
}

void ColorManager::InheritFromParent(int index, bool inherit)
{
    CheckIndex(index);
    inherits[index] = inherit && parent;
}
