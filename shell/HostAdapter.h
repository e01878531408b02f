#pragma once

#include <cstdint>

#include "core/HostBase.h"

// The VST 2.x host callback (audioMasterCallback).
using HostCallback = intptr_t (*)(void* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);

// The framework's host interface over the VST 2.x host callback. One exists per process,
// bound to the callback of the first instance; calls about a particular instance name it
// through the effect record they pass, so the first instance's callback serves them all.
class CHostAdapter final : public CHostBase {
public:
    enum Opcode : int32_t {
        kAutomate = 0,        // audioMasterAutomate
        kGetSampleRate = 16,  // audioMasterGetSampleRate
        kGetBlockSize = 17,   // audioMasterGetBlockSize
    };

    explicit CHostAdapter(HostCallback callback) : callback(callback) {}

    intptr_t Automate(CMachine* machine, int index, double value) override;
    int GetSampleRate() override;
    int GetBlockSize() override;
    intptr_t CallHost(void* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override;

    HostCallback callback;
    // The effect record the sample-rate and block-size queries pass. They are asked while a
    // machine is being built, before its own record exists, so by default they pass null.
    void* queryRecord = nullptr;
};
