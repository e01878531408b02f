#include "host/RecordingHost.h"

#include <array>
#include <atomic>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "host/OpcodeNames.h"

namespace {

std::array<std::atomic<RecordingHost*>, RecordingHost::kMaxHosts> hostsBySlot{};

template <int Slot>
intptr_t SlotCallback(void* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt)
{
    return RecordingHost::Receive(
        Slot, HostCallRecord{static_cast<AEffect*>(effect), opcode, index, value, ptr, opt});
}

template <int... Slots>
constexpr std::array<audioMasterCallback, sizeof...(Slots)> MakeCallbacks(
    std::integer_sequence<int, Slots...>)
{
    return {&SlotCallback<Slots>...};
}

const std::array<audioMasterCallback, RecordingHost::kMaxHosts> callbacks =
    MakeCallbacks(std::make_integer_sequence<int, RecordingHost::kMaxHosts>());

}  // namespace

RecordingHost::RecordingHost() : slot(-1)
{
    for (int i = 0; i < kMaxHosts && slot < 0; ++i) {
        RecordingHost* expected = nullptr;
        if (hostsBySlot[i].compare_exchange_strong(expected, this))
            slot = i;
    }
    if (slot < 0)
        throw std::runtime_error("every host callback is in use");
}

RecordingHost::~RecordingHost()
{
    hostsBySlot[slot].store(nullptr);
}

audioMasterCallback RecordingHost::Callback() const
{
    return callbacks[slot];
}

intptr_t RecordingHost::Receive(int slot, const HostCallRecord& call)
{
    RecordingHost* host = hostsBySlot[slot].load();
    return host ? host->Answer(call) : 0;  // a host that is gone answers nothing
}

namespace {
constexpr int32_t kAudioMasterVersion = 1;
constexpr intptr_t kHostVstVersion = 2400;
}  // namespace

intptr_t RecordingHost::Answer(const HostCallRecord& call)
{
    std::function<void(const HostCallRecord&)> observe;
    intptr_t answer = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
        opcodesEverReceived.insert(call.opcode);
        observe = observer;
        if (call.opcode == audioMasterGetSampleRate)
            answer = sampleRate;
        else if (call.opcode == audioMasterGetBlockSize)
            answer = blockSize;
        else if (call.opcode == kAudioMasterVersion)
            answer = kHostVstVersion;  // plug-ins from elsewhere may refuse an older host
    }
    if (observe)
        observe(call);
    return answer;
}

void RecordingHost::SetSampleRate(intptr_t rate)
{
    std::lock_guard<std::mutex> lock(mutex);
    sampleRate = rate;
}

void RecordingHost::SetBlockSize(intptr_t frames)
{
    std::lock_guard<std::mutex> lock(mutex);
    blockSize = frames;
}

void RecordingHost::SetObserver(std::function<void(const HostCallRecord&)> newObserver)
{
    std::lock_guard<std::mutex> lock(mutex);
    observer = std::move(newObserver);
}

std::vector<HostCallRecord> RecordingHost::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
}

std::vector<HostCallRecord> RecordingHost::CallsWithOpcode(int32_t opcode) const
{
    std::vector<HostCallRecord> matching;
    for (const HostCallRecord& call : Calls())
        if (call.opcode == opcode)
            matching.push_back(call);
    return matching;
}

size_t RecordingHost::CallCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls.size();
}

void RecordingHost::ClearCalls()
{
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
}

std::set<int32_t> RecordingHost::OpcodesEverReceived() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return opcodesEverReceived;
}

std::string RecordingHost::Describe() const
{
    std::ostringstream text;
    for (const HostCallRecord& call : Calls())
        text << HostOpcodeName(call.opcode) << " effect=" << static_cast<const void*>(call.effect)
             << " index=" << call.index << " value=" << call.value << " ptr=" << call.ptr
             << " opt=" << call.opt << "\n";
    return text.str();
}

RecordingHost& ProgramHost()
{
    static RecordingHost* host = new RecordingHost();  // never deleted: the plug-in keeps its callback
    return *host;
}
