#pragma once

#include <cstdint>

class CMachine;

// The framework's view of the host: machines ask it for the sample rate, the block size
// and timing figures, and report control changes through it. It never sees a plug-in
// standard; the shell implements it over the VST 2.x host callback.
class CHost {
public:
    virtual int ReservedQueryA() = 0;
    virtual int ReservedQueryB() = 0;
    virtual int ReservedQueryC() = 0;
    // Tells the host that control `index` of `machine` changed to `value`.
    virtual intptr_t Automate(CMachine* machine, int index, double value) = 0;
    virtual int ReservedQueryD() = 0;
    virtual double GetTempo() = 0;
    virtual double GetTicksPerBeat() = 0;
    virtual int GetSamplesPerTick() = 0;
    virtual int GetSampleRate() = 0;
    virtual int GetBlockSize() = 0;
    virtual bool ReservedFlag() = 0;
    virtual int ReservedQueryE() = 0;
    virtual intptr_t CallHost(void* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) = 0;

protected:
    ~CHost() = default;  // the process's host interface is never deleted through this type
};
