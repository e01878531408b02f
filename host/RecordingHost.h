#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "shell/Vst2.h"

// One call the plug-in made to its host.
struct HostCallRecord {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

// A host callback that records every call and answers the sample rate and block size (44100
// and 512 unless told otherwise), VST version 2400, and 0 to everything else. Callbacks are plain functions
// without a context pointer, so each RecordingHost takes one of a fixed set of callback
// functions for its lifetime: hosts alive at the same time have distinct callbacks.
// Thread-safe: the plug-in may call from any thread.
class RecordingHost {
public:
    static constexpr int kMaxHosts = 16;

    RecordingHost();
    ~RecordingHost();

    audioMasterCallback Callback() const;

    void SetSampleRate(intptr_t rate);
    void SetBlockSize(intptr_t frames);
    // Runs inside the callback, after the call is recorded and before it is answered; the
    // host's lock is not held, so the observer may call the plug-in.
    void SetObserver(std::function<void(const HostCallRecord&)> observer);

    std::vector<HostCallRecord> Calls() const;
    std::vector<HostCallRecord> CallsWithOpcode(int32_t opcode) const;
    size_t CallCount() const;
    void ClearCalls();
    // Every opcode this host ever received; ClearCalls does not forget them.
    std::set<int32_t> OpcodesEverReceived() const;
    // Every recorded call on a line of its own, opcodes by name, for failure messages.
    std::string Describe() const;

    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // Used by the callback functions.
    static intptr_t Receive(int slot, const HostCallRecord& call);

private:
    intptr_t Answer(const HostCallRecord& call);

    int slot;
    mutable std::mutex mutex;
    std::vector<HostCallRecord> calls;
    std::set<int32_t> opcodesEverReceived;
    intptr_t sampleRate = 44100;
    intptr_t blockSize = 512;
    std::function<void(const HostCallRecord&)> observer;
};

// A host that lives as long as the program: the plug-in binds its process-wide host interface
// to the first callback it sees, so tests create their first instance with this one.
RecordingHost& ProgramHost();
