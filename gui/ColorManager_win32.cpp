#include "gui/ColorManager.h"

#include <windows.h>

// Pens and brushes are made on first request because a palette has far more colours than
// any control uses; they are kept because controls select them on every paint.

namespace {

void DeleteGdiObject(void* handle) { DeleteObject(static_cast<HGDIOBJ>(handle)); }

GdiObjectCell* NewCell(HGDIOBJ handle)
{
    GdiObjectCell* cell = new GdiObjectCell;
    cell->handle = handle;
    cell->release = &DeleteGdiObject;
    return cell;
}

}  // namespace

GdiObjectCell* ColorManager::Pen(int index)
{
    ColorManager* owner = Owner(index);
    if (!owner->penCache[index])
        owner->penCache[index] = NewCell(CreatePen(PS_SOLID, 1, owner->Colour(index)));
    return owner->penCache[index];
}

GdiObjectCell* ColorManager::Brush(int index)
{
    ColorManager* owner = Owner(index);
    if (!owner->brushCache[index])
        owner->brushCache[index] = NewCell(CreateSolidBrush(owner->Colour(index)));
    return owner->brushCache[index];
}
