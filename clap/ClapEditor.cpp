#include "clap/ClapEditor.h"

#include <cstring>

#include "clap/ClapPlugin.h"
#include "clap/ClapWindowApi.h"
#include "effect/ControlDescription.h"
#include "framework/Machine.h"

bool CClapEditor::SupportsApi(const char* api) { return api && std::strcmp(api, ClapWindowApi()) == 0; }

CClapEditor::CClapEditor(CClapPlugin& plugin, const clap_host* host)
    : plugin(plugin),
      host(host),
      machineHost([&plugin](double value) { plugin.EditorChanged(value); }),
      info(&machineHost),
      machine(info.CreateMachine()),
      session(*machine)
{
    if (host && host->get_extension)
        timers = static_cast<const clap_host_timer_support*>(host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
    ShowPluginStep();
}

CClapEditor::~CClapEditor()
{
    StopTimer();
    session.Destroy();
}

bool CClapEditor::Size(uint32_t* width, uint32_t* height) const
{
    int w = 0, h = 0;
    if (!width || !height || !session.Size(&w, &h))
        return false;
    *width = uint32_t(w);
    *height = uint32_t(h);
    return true;
}

bool CClapEditor::SetParent(const clap_window* window)
{
    if (!window || !CClapEditor::SupportsApi(window->api))
        return false;
    void* parent = ClapParentWindow(*window);
    if (!parent || !session.Open(parent))
        return false;
    ShowPluginStep();
    if (timer == CLAP_INVALID_ID && timers && timers->register_timer &&
        !timers->register_timer(host, kTimerPeriodMs, &timer))
        timer = CLAP_INVALID_ID;
    return true;
}

void CClapEditor::OnTimer(clap_id firing)
{
    if (firing != timer || timer == CLAP_INVALID_ID)
        return;
    ShowPluginStep();
    session.Idle();
}

void CClapEditor::ShowPluginStep()
{
    const double value = OversamplingControl::ValueOfStep(plugin.Step());
    if (machine->GetControl(OversamplingControl::kIndex) != value)
        machine->SetControl(OversamplingControl::kIndex, value);
}

void CClapEditor::StopTimer()
{
    if (timer != CLAP_INVALID_ID && timers && timers->unregister_timer)
        timers->unregister_timer(host, timer);
    timer = CLAP_INVALID_ID;
}
