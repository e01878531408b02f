#pragma once

#include <memory>

#include "clap/ClapAbi.h"
#include "core/MachineHosts.h"
#include "core/editor/EditorSession.h"
#include "effect/editor/VelvetineFilterInfo.h"

class CClapPlugin;
class CMachine;

// The editor of one instance, embedded in the host's window. It runs a machine of its own
// that only holds the value it shows: a press reaches the plug-in (and through it the host)
// as a gesture, and the host's changes are shown from the host's timer, which also serves
// the window system's events, so the editor needs no thread of its own. A host that waits on
// file descriptors is also given the editor's X11 connection, so that a press is handled as
// soon as it arrives rather than at the next tick.
class CClapEditor {
public:
    static constexpr uint32_t kTimerPeriodMs = 20;

    // Whether `api` names this platform's window system.
    static bool SupportsApi(const char* api);

    CClapEditor(CClapPlugin& plugin, const clap_host* host);
    ~CClapEditor();

    bool Size(uint32_t* width, uint32_t* height) const;
    // Builds the editor's window inside the host's; false for another api or no window.
    bool SetParent(const clap_window* window);
    void OnTimer(clap_id timer);
    void OnFd(int fd);
    // The window stays the host's to show or hide; the editor follows it.
    bool Shown() const { return session.Window() != nullptr; }

    CClapEditor(const CClapEditor&) = delete;
    CClapEditor& operator=(const CClapEditor&) = delete;

private:
    void ShowPluginStep();
    void StartWatching();
    void StopWatching();
    void Serve();

    CClapPlugin& plugin;
    const clap_host* host;
    const clap_host_timer_support* timers = nullptr;
    const clap_host_posix_fd_support* descriptors = nullptr;
    clap_id timer = CLAP_INVALID_ID;
    int watchedFd = -1;
    CEditorMachineHost machineHost;
    CVelvetineFilterInfo info;
    std::unique_ptr<CMachine> machine;
    CEditorSession session;
};
