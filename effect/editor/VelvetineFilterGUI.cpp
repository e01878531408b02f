#include "effect/editor/VelvetineFilterGUI.h"

#include "effect/ControlDescription.h"
#include "effect/VelvetineFilter.h"
#include "effect/editor/EditorPictures.h"
#include "effect/editor/EditorWindow.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "gui/Picture.h"

namespace {

const int kButtonSize = 28;
const int kFirstButtonLeft = 44;
const int kButtonTop = 54;
const int kButtonPitch = 40;  // also the distance between faces in the button strips

}  // namespace

CVelvetineFilterGUI::CVelvetineFilterGUI(ControlParent parent, CVelvetineFilter* filter, CVelvetineFilterInfo* info)
    : CLiteContainer(parent, EditorWidth(info), EditorHeight(info), info->backgroundPicture,
                     OnBuildFailure::Decline),
      buttons(),
      selected(0),
      machine(filter),
      description(info),
      windowThread(std::this_thread::get_id()),
      redrawPosted(false)
{
    selected = CVelvetineFilter::PrototypeIndex(machine->GetControl(OversamplingControl::kIndex));
    for (int i = 0; i < kButtonCount; ++i) {
        const int left = kFirstButtonLeft + kButtonPitch * i;
        buttons[i] = {left, kButtonTop, left + kButtonSize - 1, kButtonTop + kButtonSize - 1};
    }
    if (!IsBuilt())
        return;
    Update(0, 0, width, height);
    Show(SW_SHOW);
}

void CVelvetineFilterGUI::OnLeftDown(int px, int py)
{
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonArea& button = buttons[i];
        if (button.left <= px && px <= button.right && button.top <= py && py <= button.bottom)
            Press(i);
    }
}

void CVelvetineFilterGUI::Press(int button)
{
    machine->Lock();
    Lock();
    const double value = static_cast<float>(button) * 0.25f;
    machine->SetControlAutomated(OversamplingControl::kIndex, value);
    machine->Unlock();
    Unlock();
}

void CVelvetineFilterGUI::RenderArea(int left, int top, int right, int bottom, int areaWidth, int areaHeight)
{
    if (background)
        background->Draw(*canvas, left, top, left, top, areaWidth, areaHeight);
    DrawButtons();
}

void CVelvetineFilterGUI::DrawButtons()
{
    const int highlighted = Selected();
    for (int i = 0; i < kButtonCount; ++i) {
        const CPicture* strip =
            i == highlighted ? description->highlightedButtonsPicture : description->normalButtonsPicture;
        if (strip)
            strip->Draw(*canvas, buttons[i].left, buttons[i].top, kButtonPitch * i, 0, kButtonSize, kButtonSize);
    }
}

void CVelvetineFilterGUI::Refresh()
{
    Update(0, 0, width, height);
    Show(SW_SHOW);
}

bool CVelvetineFilterGUI::OnWindowThread() const { return std::this_thread::get_id() == windowThread; }

void CVelvetineFilterGUI::ShowValue(double value)
{
    selected = CVelvetineFilter::PrototypeIndex(value);
    if (OnWindowThread())
        Update(0, 0, width, height);
    else
        RequestRedraw();
}

void CVelvetineFilterGUI::RequestRedraw()
{
    // One redraw in the queue is enough: it draws whatever is selected when it runs.
    if (redrawPosted.exchange(true))
        return;
    if (!Post(kRedrawMessage, 0, 0))
        redrawPosted = false;
}

void CVelvetineFilterGUI::OnAppMessage(UINT message, WPARAM, LPARAM)
{
    if (message != kRedrawMessage)
        return;
    redrawPosted = false;
    Update(0, 0, width, height);
}

void* CVelvetineFilterGUI::HostWindow() const { return EditorWindowForHost(*this); }
