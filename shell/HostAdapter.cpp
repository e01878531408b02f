#include "shell/HostAdapter.h"

#include "framework/Machine.h"

namespace {

// 120 beats per minute at 16 ticks per beat: 32 ticks per second.
constexpr double kTempo = 120.0;
constexpr double kTicksPerBeat = 16.0;
constexpr double kTicksPerSecondReciprocal = 0.03125;

}  // namespace

int CHostAdapter::ReservedQueryA() { return 5; }
int CHostAdapter::ReservedQueryB() { return 5; }
int CHostAdapter::ReservedQueryC() { return 5; }

intptr_t CHostAdapter::Automate(CMachine* machine, int index, double value)
{
    return callback(machine->hostData, kAutomate, index, 0, nullptr, static_cast<float>(value));
}

int CHostAdapter::ReservedQueryD() { return 0; }

double CHostAdapter::GetTempo() { return kTempo; }

double CHostAdapter::GetTicksPerBeat() { return kTicksPerBeat; }

int CHostAdapter::GetSamplesPerTick()
{
    return static_cast<int>(static_cast<double>(GetSampleRate()) * kTicksPerSecondReciprocal);
}

int CHostAdapter::GetSampleRate()
{
    return static_cast<int32_t>(callback(queryRecord, kGetSampleRate, 0, 0, nullptr, 0.0f));
}

int CHostAdapter::GetBlockSize()
{
    return static_cast<int32_t>(callback(queryRecord, kGetBlockSize, 0, 0, nullptr, 0.0f));
}

bool CHostAdapter::ReservedFlag() { return false; }

int CHostAdapter::ReservedQueryE() { return 0; }

intptr_t CHostAdapter::CallHost(void* effect, int32_t opcode, int32_t index, intptr_t value,
                                void* ptr, float opt)
{
    return callback(effect, opcode, index, value, ptr, opt);
}
