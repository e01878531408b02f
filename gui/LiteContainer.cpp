#include "gui/LiteContainer.h"

#include <algorithm>

#include "framework/FatalError.h"
#include "gui/BackBuffer.h"
#include "gui/ColorManager.h"
#include "gui/Picture.h"

namespace {

const int kPaletteBackground = 2;

// Whether the span first...last meets 0...limit.
bool SpanMeets(int first, int last, int limit)
{
    return (first >= 0 && first <= limit) || (last >= 0 && last <= limit) || (first < 0 && last > limit);
}

bool ItemMeetsArea(const CLiteItem& item, int right, int bottom)
{
    return SpanMeets(item.x, item.x + item.width - 1, right) &&
           SpanMeets(item.y, item.y + item.height - 1, bottom);
}

}  // namespace

CLiteContainer::CLiteContainer(ControlParent parent, int containerWidth, int containerHeight, CPicture* backgroundPicture,
                               OnBuildFailure onFailure)
    : CControl(parent, containerWidth, containerHeight, onFailure),
      background(nullptr),
      canvas(nullptr),
      firstItem(nullptr),
      capturedItem(nullptr)
{
    framed = false;
    background = backgroundPicture;
    if (background && (background->width != width || background->height != height || background->hasAlpha))
        FatalError("CLiteContainer : Invalid Background Picture");
    canvas = new CPicture;
    canvas->Blank(width, height);
    ready = true;
    Update(0, 0, width, height);
}

CLiteContainer::~CLiteContainer()
{
    delete canvas;
    canvas = nullptr;
}

void CLiteContainer::Paint()
{
    CLockGuard guard(*this);
    if (backBuffer) {
        canvas->Present(*backBuffer);
        backBuffer->Blit(backBuffer->width, backBuffer->height);
    }
}

void CLiteContainer::Update(int, int, int areaWidth, int areaHeight)
{
    const int right = std::min(areaWidth - 1, width - 1);
    const int bottom = std::min(areaHeight - 1, height - 1);
    if (right < 0 || bottom < 0)
        return;
    canvas->SetClip(0, right, 0, bottom);
    RenderArea(0, 0, right, bottom, right + 1, bottom + 1);
    for (CLiteItem* item = firstItem; item; item = item->next) {
        if (item->visible && ItemMeetsArea(*item, right, bottom))
            item->Draw(*canvas);
    }
    // Paint on the window's thread presents the same back buffer.
    CLockGuard guard(*this);
    if (backBuffer) {
        canvas->Present(*backBuffer);
        backBuffer->Blit(right + 1, bottom + 1);
    }
}

void CLiteContainer::RenderArea(int left, int top, int right, int bottom, int areaWidth, int areaHeight)
{
    if (background) {
        background->Draw(*canvas, left, top, left, top, areaWidth, areaHeight);
    } else if (tilePicture && ready) {
        tilePicture->TileInto(*canvas, x, y);
    } else if (palette) {
        canvas->Fill(palette->Colour(kPaletteBackground), left, top, areaWidth, areaHeight);
    }
}

CLiteItem* CLiteContainer::FindItem(int px, int py) const
{
    CLiteItem* found = nullptr;
    for (CLiteItem* item = firstItem; item; item = item->next) {
        if (item->enabled && item->x <= px && px < item->x + item->width && item->y <= py &&
            py < item->y + item->height)
            found = item;
    }
    return found;
}

CLiteItem* CLiteContainer::MouseTarget(int px, int py) const
{
    return capturedItem ? capturedItem : FindItem(px, py);
}

void CLiteContainer::OnLeftDown(int px, int py)
{
    if (CLiteItem* target = MouseTarget(px, py))
        target->OnLeftDown(px, py);
}

void CLiteContainer::OnLeftUp(int px, int py)
{
    if (CLiteItem* target = MouseTarget(px, py))
        target->OnLeftUp(px, py);
}

void CLiteContainer::OnMouseMove(int px, int py)
{
    if (CLiteItem* target = MouseTarget(px, py))
        target->OnMouseMove(px, py);
}

void CLiteContainer::OnDoubleClick(int px, int py) { OnLeftDown(px, py); }

void CLiteContainer::FillBackground() {}

void CLiteContainer::ReservedHook31(int32_t, int32_t, int32_t) {}
void CLiteContainer::ReservedHook32(int32_t, int32_t, int32_t) {}
void CLiteContainer::ReservedHook33(int32_t) {}
void CLiteContainer::ReservedHook34(int32_t, int32_t) {}
