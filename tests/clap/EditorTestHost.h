#pragma once

// The host side of the CLAP editor tests on every window system: a host record offering
// the timer, file descriptors to wait on and the parameter flush, recording what the plug-in asks of them, and an output
// event list recording what the plug-in reports.

#include <algorithm>
#include <cstring>
#include <vector>

#include "clap/ClapAbi.h"

namespace claptest {

struct OutputEvent {
    uint16_t type;
    double value;
};

class EditorTestHost {
public:
    static constexpr clap_id kTimerId = 7;

    EditorTestHost()
    {
        host = {kClapVersion, this, "test", "", "", "1", &Extension, &Request, &Request, &Request};
        outputs = {this, &Push};
    }

    clap_host host;
    clap_output_events outputs;
    std::vector<uint32_t> timers;  // the periods asked for
    std::vector<clap_id> unregistered;
    std::vector<int> fds;  // registered and not yet unregistered
    int flushRequests = 0;
    std::vector<OutputEvent> pushed;

private:
    static EditorTestHost* Self(const clap_host* h) { return static_cast<EditorTestHost*>(h->host_data); }
    static const void* CLAP_ABI Extension(const clap_host*, const char* id)
    {
        static const clap_host_timer_support timerSupport = {&RegisterTimer, &UnregisterTimer};
        static const clap_host_params params = {&Rescan, &Clear, &RequestFlush};
        static const clap_host_posix_fd_support fdSupport = {&RegisterFd, &ModifyFd, &UnregisterFd};
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
            return &timerSupport;
        if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
            return &fdSupport;
        return std::strcmp(id, CLAP_EXT_PARAMS) == 0 ? &params : nullptr;
    }
    static void CLAP_ABI Request(const clap_host*) {}
    static bool CLAP_ABI RegisterTimer(const clap_host* h, uint32_t period, clap_id* id)
    {
        Self(h)->timers.push_back(period);
        *id = kTimerId;
        return true;
    }
    static bool CLAP_ABI UnregisterTimer(const clap_host* h, clap_id id)
    {
        Self(h)->unregistered.push_back(id);
        return true;
    }
    static bool CLAP_ABI RegisterFd(const clap_host* h, int fd, clap_posix_fd_flags_t)
    {
        Self(h)->fds.push_back(fd);
        return true;
    }
    static bool CLAP_ABI ModifyFd(const clap_host*, int, clap_posix_fd_flags_t) { return true; }
    static bool CLAP_ABI UnregisterFd(const clap_host* h, int fd)
    {
        auto& fds = Self(h)->fds;
        const auto found = std::find(fds.begin(), fds.end(), fd);
        if (found == fds.end())
            return false;
        fds.erase(found);
        return true;
    }
    static void CLAP_ABI Rescan(const clap_host*, uint32_t) {}
    static void CLAP_ABI Clear(const clap_host*, clap_id, uint32_t) {}
    static void CLAP_ABI RequestFlush(const clap_host* h) { ++Self(h)->flushRequests; }
    static bool CLAP_ABI Push(const clap_output_events* list, const clap_event_header* event)
    {
        double value = 0.0;
        if (event->type == CLAP_EVENT_PARAM_VALUE)
            value = reinterpret_cast<const clap_event_param_value*>(event)->value;
        static_cast<EditorTestHost*>(list->ctx)->pushed.push_back({event->type, value});
        return true;
    }
};

}  // namespace claptest
