#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "effect/ControlDescription.h"
#include "effect/FilterEditor.h"
#include "gui/LiteContainer.h"

class CVelvetineFilter;
class CVelvetineFilterInfo;

// The effect's editor: the background picture with a row of five buttons, one per
// oversampling factor. The highlighted button shows the machine's "Oversampling" value; a
// press reports the button's value to the host as automation and sets it in the machine.
class CVelvetineFilterGUI : public CLiteContainer, public CFilterEditor {
public:
    static constexpr int kButtonCount = OversamplingControl::kStepCount;
    // Posted to the window's thread when the value changes on another thread.
    static constexpr UINT kRedrawMessage = WM_APP + 1;

    struct ButtonArea {
        int32_t left, top, right, bottom;  // inclusive
    };

    // Builds the editor in `parent`, showing the machine's current value, and shows it.
    // The host's window may be gone or no window at all: then IsBuilt() is false, the
    // editor holds no window or GDI object, and the caller deletes it.
    CVelvetineFilterGUI(ControlParent parent, CVelvetineFilter* machine, CVelvetineFilterInfo* description);

    void OnLeftDown(int x, int y) override;
    void RenderArea(int left, int top, int right, int bottom, int areaWidth, int areaHeight) override;
    void Refresh() override;
    void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Highlights the button of `value`. On the window's thread the editor is redrawn at
    // once; another thread only posts the redraw, so that it never waits for rendering or
    // for the locks a press holds while the host hears of it.
    void ShowValue(double value) override;
    // Redraws on the window's thread as soon as it handles its messages; from any thread.
    void RequestRedraw() override;
    bool OnWindowThread() const override;
    int Selected() const override { return selected.load(std::memory_order_relaxed); }
    void* HostWindow() const override;

    ButtonArea buttons[kButtonCount];
    std::atomic<int> selected;
    CVelvetineFilter* machine;
    CVelvetineFilterInfo* description;

private:
    void Press(int button);
    void DrawButtons();

    const std::thread::id windowThread;
    std::atomic<bool> redrawPosted;
};
