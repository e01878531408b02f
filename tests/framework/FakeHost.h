#pragma once

// A CHost that answers from fields and records every call it receives, for tests of
// machines and ports. Header-only so that tests of every layer can use it.

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Host.h"

struct HostCall {
    enum Kind { kAutomate, kSampleRate, kBlockSize, kCallHost };
    Kind kind;
    CMachine* machine = nullptr;
    int index = 0;
    double value = 0.0;
};

class FakeHost final : public CHost {
public:
    int sampleRate = 44100;
    int blockSize = 512;
    std::vector<HostCall> calls;
    // Runs inside Automate, to look at the machine at the moment the host hears of a change.
    std::function<void(CMachine*, int, double)> onAutomate;

    int ReservedQueryA() override { return 0; }
    int ReservedQueryB() override { return 0; }
    int ReservedQueryC() override { return 0; }
    intptr_t Automate(CMachine* machine, int index, double value) override
    {
        calls.push_back({HostCall::kAutomate, machine, index, value});
        if (onAutomate)
            onAutomate(machine, index, value);
        return 0;
    }
    int ReservedQueryD() override { return 0; }
    double GetTempo() override { return 120.0; }
    double GetTicksPerBeat() override { return 16.0; }
    int GetSamplesPerTick() override { return sampleRate / 32; }
    int GetSampleRate() override
    {
        calls.push_back({HostCall::kSampleRate});
        return sampleRate;
    }
    int GetBlockSize() override
    {
        calls.push_back({HostCall::kBlockSize});
        return blockSize;
    }
    bool ReservedFlag() override { return false; }
    int ReservedQueryE() override { return 0; }
    intptr_t CallHost(void*, int32_t, int32_t, intptr_t, void*, float) override
    {
        calls.push_back({HostCall::kCallHost});
        return 0;
    }

    std::vector<HostCall> CallsOf(HostCall::Kind kind) const
    {
        std::vector<HostCall> matching;
        for (const HostCall& call : calls)
            if (call.kind == kind)
                matching.push_back(call);
        return matching;
    }
};
