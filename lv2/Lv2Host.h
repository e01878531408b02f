#pragma once

#include "framework/Host.h"

// The framework's host interface for one LV2 instance. An LV2 host tells a plug-in its
// sample rate and block length when it makes the instance and hears of parameter changes
// through the control port it writes itself, so this interface answers from what it was
// told and reports nothing.
class CLv2Host final : public CHost {
public:
    CLv2Host(int sampleRate, int blockLength) : sampleRate(sampleRate), blockLength(blockLength)
    {
    }

    int ReservedQueryA() override { return 5; }
    int ReservedQueryB() override { return 5; }
    int ReservedQueryC() override { return 5; }
    intptr_t Automate(CMachine* machine, int index, double value) override { return 0; }
    int ReservedQueryD() override { return 0; }
    double GetTempo() override { return 120.0; }
    double GetTicksPerBeat() override { return 16.0; }
    // 120 beats per minute at 16 ticks per beat: 32 ticks per second.
    int GetSamplesPerTick() override { return static_cast<int>(sampleRate * 0.03125); }
    int GetSampleRate() override { return sampleRate; }
    int GetBlockSize() override { return blockLength; }
    bool ReservedFlag() override { return false; }
    int ReservedQueryE() override { return 0; }
    intptr_t CallHost(void* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override
    {
        return 0;
    }

private:
    int sampleRate;
    int blockLength;
};
