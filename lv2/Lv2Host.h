#pragma once

#include "core/HostBase.h"

// The framework's host interface for one LV2 instance. An LV2 host tells a plug-in its
// sample rate and block length when it makes the instance and hears of parameter changes
// through the control port it writes itself, so this interface answers from what it was
// told and reports nothing.
class CLv2Host final : public CHostBase {
public:
    CLv2Host(int sampleRate, int blockLength) : sampleRate(sampleRate), blockLength(blockLength)
    {
    }

    int GetSampleRate() override { return sampleRate; }
    int GetBlockSize() override { return blockLength; }

private:
    int sampleRate;
    int blockLength;
};
