#pragma once

// The host side of the VST3 editor tests on every window system: a component handler
// recording the edits the controller reports, and a plug frame that is also the host's run
// loop (on Linux hosts serve their plug-ins' X11 events from it), recording what the view
// registers. A host context offering the run loop, or not, for views without a frame.

#include <algorithm>
#include <vector>

#include "vst3/Vst3Abi.h"

namespace vst3test {

class RecordingHandler : public vst3::IComponentHandler {
public:
    struct Edit {
        char kind;  // 'b'egin, 'p'erform, 'e'nd
        vst3::ParamID id;
        double value;
        bool operator==(const Edit& other) const
        {
            return kind == other.kind && id == other.id && value == other.value;
        }
    };

    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override
    {
        *object = vst3::SameUid(iid, vst3::kIComponentHandlerIid) || vst3::SameUid(iid, vst3::kFUnknownIid) ? this : nullptr;
        return *object ? vst3::kResultOk : vst3::kNoInterface;
    }
    uint32_t VST3_API addRef() override { return uint32_t(++references); }
    uint32_t VST3_API release() override { return uint32_t(--references); }
    vst3::tresult VST3_API beginEdit(vst3::ParamID id) override { return Record({'b', id, 0.0}); }
    vst3::tresult VST3_API performEdit(vst3::ParamID id, double value) override { return Record({'p', id, value}); }
    vst3::tresult VST3_API endEdit(vst3::ParamID id) override { return Record({'e', id, 0.0}); }
    vst3::tresult VST3_API restartComponent(int32_t) override { return vst3::kResultOk; }

    std::vector<Edit> edits;
    int references = 0;  // those the plug-in holds

private:
    vst3::tresult Record(const Edit& edit)
    {
        edits.push_back(edit);
        return vst3::kResultOk;
    }
};

// The host's run loop, recording what is registered and still is.
class RecordingRunLoop : public vst3::IRunLoop {
public:
    vst3::tresult VST3_API registerEventHandler(vst3::IEventHandler* handler, int fd) override
    {
        if (!handler)
            return vst3::kInvalidArgument;
        handlers.push_back({handler, fd});
        return vst3::kResultOk;
    }
    vst3::tresult VST3_API unregisterEventHandler(vst3::IEventHandler* handler) override
    {
        const auto kept = std::remove_if(handlers.begin(), handlers.end(),
                                         [handler](const Watched& w) { return w.handler == handler; });
        const bool found = kept != handlers.end();
        handlers.erase(kept, handlers.end());
        return found ? vst3::kResultOk : vst3::kInvalidArgument;
    }
    vst3::tresult VST3_API registerTimer(vst3::ITimerHandler* handler, uint64_t milliseconds) override
    {
        if (!handler || milliseconds == 0)
            return vst3::kInvalidArgument;
        timers.push_back(handler);
        return vst3::kResultOk;
    }
    vst3::tresult VST3_API unregisterTimer(vst3::ITimerHandler* handler) override
    {
        const auto found = std::find(timers.begin(), timers.end(), handler);
        if (found == timers.end())
            return vst3::kInvalidArgument;
        timers.erase(found);
        return vst3::kResultOk;
    }

    // What a host's loop does when its timers fire.
    void FireTimers()
    {
        for (vst3::ITimerHandler* timer : std::vector<vst3::ITimerHandler*>(timers))
            timer->onTimer();
    }

    struct Watched {
        vst3::IEventHandler* handler;
        int fd;
    };
    std::vector<Watched> handlers;
    std::vector<vst3::ITimerHandler*> timers;
};

// The view's frame, whose run loop serves the editor.
class RecordingFrame : public vst3::IPlugFrame, public RecordingRunLoop {
public:
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override
    {
        *object = nullptr;
        if (vst3::SameUid(iid, vst3::kIPlugFrameIid) || vst3::SameUid(iid, vst3::kFUnknownIid))
            *object = static_cast<vst3::IPlugFrame*>(this);
        else if (vst3::SameUid(iid, vst3::kIRunLoopIid) && offersRunLoop)
            *object = static_cast<vst3::IRunLoop*>(this);
        if (!*object)
            return vst3::kNoInterface;
        ++references;
        return vst3::kResultOk;
    }
    uint32_t VST3_API addRef() override { return uint32_t(++references); }
    uint32_t VST3_API release() override { return uint32_t(--references); }
    vst3::tresult VST3_API resizeView(vst3::IPlugView*, vst3::ViewRect*) override { return vst3::kResultFalse; }

    bool offersRunLoop = true;
    int references = 0;  // those the plug-in holds
};

}  // namespace vst3test
