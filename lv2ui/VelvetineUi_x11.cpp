// The LV2 user interface: the same editor as the VST 2.x plug-in's, embedded in the host's
// X11 window. The UI runs a filter machine of its own that only holds the value it shows:
// a press reaches the host through the write function, and the host's port events set the
// value, so the UI and the processing share no memory.

#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/HostBase.h"
#include "core/Identity.h"
#include "core/editor/EditorSession.h"
#include "effect/ControlDescription.h"
#include "effect/VelvetineFilter.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "lv2/Lv2Ports.h"

namespace {

// The machine's view of the LV2 host: a change made in the editor is written to the
// control port as the factor the port carries.
class CUiHost final : public CHostBase {
public:
    CUiHost(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController)
        : write(writeFunction), controller(hostController)
    {
    }

    intptr_t Automate(CMachine*, int index, double value) override
    {
        if (index != 0 || !write)
            return 0;
        const float factor = static_cast<float>(
            OversamplingControl::FactorOfStep(OversamplingControl::StepOfValue(value)));
        write(controller, kLv2Oversampling, sizeof factor, 0, &factor);
        return 0;
    }
    // The UI's machine never processes audio; any rate and block size serve.
    int GetSampleRate() override { return 48000; }
    int GetBlockSize() override { return 0; }

private:
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
};

struct VelvetineUi {
    VelvetineUi(LV2UI_Write_Function write, LV2UI_Controller controller)
        : host(write, controller), info(&host), machine(info.CreateMachine()), editor(*machine)
    {
    }

    CUiHost host;
    CVelvetineFilterInfo info;
    std::unique_ptr<CMachine> machine;
    CEditorSession editor;
};

const void* Feature(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0)
            return (*features)->data;
    return nullptr;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    // Without the host's window there is nothing to embed in.
    void* parent = const_cast<void*>(Feature(features, LV2_UI__parent));
    if (!parent || !widget)
        return nullptr;
    auto ui = std::make_unique<VelvetineUi>(write, controller);
    if (!ui->editor.Open(parent))
        return nullptr;
    *widget = ui->editor.Window();
    int width = 0, height = 0;
    auto* resize = static_cast<const LV2UI_Resize*>(Feature(features, LV2_UI__resize));
    if (resize && ui->editor.Size(&width, &height))
        resize->ui_resize(resize->handle, width, height);
    return ui.release();
}

void Cleanup(LV2UI_Handle handle) { delete static_cast<VelvetineUi*>(handle); }

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (port != kLv2Oversampling || format != 0 || size != sizeof(float) || !buffer)
        return;
    float factor;
    std::memcpy(&factor, buffer, sizeof factor);
    static_cast<VelvetineUi*>(handle)->machine->SetControl(
        0, OversamplingControl::ValueOfStep(OversamplingControl::StepOfFactor(factor)));
}

int Idle(LV2UI_Handle handle)
{
    static_cast<VelvetineUi*>(handle)->editor.Idle();
    return 0;
}

const LV2UI_Idle_Interface idleInterface = {Idle};

const void* ExtensionData(const char* uri)
{
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor descriptor = {Identity::kLv2UiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
