#pragma once

#include <cstdint>

#include "framework/Mutex.h"
#include "gui/Control.h"

class CPicture;

// A windowless element drawn into its container's canvas and fed the container's mouse
// input. Positions are container coordinates.
class CLiteItem {
public:
    virtual ~CLiteItem() = default;
    virtual void Draw(CPicture& canvas) {}
    virtual void OnMouseMove(int x, int y) {}
    virtual void OnLeftDown(int x, int y) {}
    virtual void OnLeftUp(int x, int y) {}

    CLiteItem* next = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool visible = true;
    bool enabled = true;
};

// The control editors are built on. Its whole image is composed in software on a canvas
// picture of its own size (background, then the derived editor's drawing, then windowless
// items) and handed to GDI once per update, so drawing costs one SetDIBits and one BitBlt
// whatever is drawn. Destroyed through its CMutex base.
class CLiteContainer : public CControl, public CMutex {
public:
    // `background`, if given, must be RGB and exactly width x height; it stays its owner's.
    // A background that does not fit is always fatal; `onFailure` covers the native parts.
    CLiteContainer(ControlParent parent, int width, int height, CPicture* background,
                   OnBuildFailure onFailure = OnBuildFailure::Fatal);
    ~CLiteContainer() override;

    void Paint() override;
    void OnLeftDown(int x, int y) override;
    void OnLeftUp(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    // A double click arrives as a second press.
    void OnDoubleClick(int x, int y) override;
    void FillBackground() override;

    virtual void ReservedHook31(int32_t, int32_t, int32_t);
    virtual void ReservedHook32(int32_t, int32_t, int32_t);
    virtual void ReservedHook33(int32_t);
    virtual void ReservedHook34(int32_t, int32_t);
    // Composes the canvas area (left...right, top...bottom), width x height pixels.
    virtual void RenderArea(int left, int top, int right, int bottom, int areaWidth, int areaHeight);

    // Renders the canvas, draws the items and shows the result in the window. Callers pass
    // left = top = 0 and the container's size.
    void Update(int left, int top, int areaWidth, int areaHeight);
    // The last enabled item containing the point, or null.
    CLiteItem* FindItem(int x, int y) const;

    CPicture* background;  // not owned
    CPicture* canvas;      // owned
    CLiteItem* firstItem;
    CLiteItem* capturedItem;

private:
    CLiteItem* MouseTarget(int x, int y) const;
};
