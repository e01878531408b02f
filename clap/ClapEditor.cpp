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
    if (host && host->get_extension) {
        timers = static_cast<const clap_host_timer_support*>(host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
        descriptors =
            static_cast<const clap_host_posix_fd_support*>(host->get_extension(host, CLAP_EXT_POSIX_FD_SUPPORT));
    }
    ShowPluginStep();
}

CClapEditor::~CClapEditor()
{
    // Before the window goes, so that the host never waits on a closed connection.
    StopWatching();
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
    StartWatching();
    return true;
}

void CClapEditor::StartWatching()
{
    StopWatching();  // a second set_parent replaced the window and its connection
    if (timers && timers->register_timer && !timers->register_timer(host, kTimerPeriodMs, &timer))
        timer = CLAP_INVALID_ID;
    const int fd = session.EventDescriptor();
    if (fd >= 0 && descriptors && descriptors->register_fd && descriptors->register_fd(host, fd, CLAP_POSIX_FD_READ))
        watchedFd = fd;
}

void CClapEditor::OnTimer(clap_id firing)
{
    if (firing != CLAP_INVALID_ID && firing == timer)
        Serve();
}

void CClapEditor::OnFd(int fd)
{
    if (fd >= 0 && fd == watchedFd)
        Serve();
}

void CClapEditor::Serve()
{
    ShowPluginStep();
    session.Idle();
}

void CClapEditor::ShowPluginStep()
{
    const double value = OversamplingControl::ValueOfStep(plugin.Step());
    if (machine->GetControl(OversamplingControl::kIndex) != value)
        machine->SetControl(OversamplingControl::kIndex, value);
}

void CClapEditor::StopWatching()
{
    if (timer != CLAP_INVALID_ID && timers && timers->unregister_timer)
        timers->unregister_timer(host, timer);
    timer = CLAP_INVALID_ID;
    if (watchedFd >= 0 && descriptors && descriptors->unregister_fd)
        descriptors->unregister_fd(host, watchedFd);
    watchedFd = -1;
}
