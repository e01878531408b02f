#pragma once

#include <cstdint>

#include "framework/Host.h"

// The host interface every plug-in standard gives the machine: the fixed answers here, once
// for all of them. A binding supplies the sample rate and block size it was told and, where
// its standard carries them, the machine's automation reports.
class CHostBase : public CHost {
public:
    int ReservedQueryA() override { return 5; }
    int ReservedQueryB() override { return 5; }
    int ReservedQueryC() override { return 5; }
    // A binding whose host hears of the machine's changes overrides this.
    intptr_t Automate(CMachine*, int, double) override { return 0; }
    int ReservedQueryD() override { return 0; }
    // 120 beats per minute at 16 ticks per beat: 32 ticks per second.
    double GetTempo() override { return 120.0; }
    double GetTicksPerBeat() override { return 16.0; }
    int GetSamplesPerTick() override { return static_cast<int>(GetSampleRate() * 0.03125); }
    bool ReservedFlag() override { return false; }
    int ReservedQueryE() override { return 0; }
    intptr_t CallHost(void*, int32_t, int32_t, intptr_t, void*, float) override { return 0; }

protected:
    ~CHostBase() = default;
};
