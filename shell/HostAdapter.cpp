#include "shell/HostAdapter.h"

#include "framework/Machine.h"

intptr_t CHostAdapter::Automate(CMachine* machine, int index, double value)
{
    return callback(machine->hostData, kAutomate, index, 0, nullptr, static_cast<float>(value));
}

int CHostAdapter::GetSampleRate()
{
    return static_cast<int32_t>(callback(queryRecord, kGetSampleRate, 0, 0, nullptr, 0.0f));
}

int CHostAdapter::GetBlockSize()
{
    return static_cast<int32_t>(callback(queryRecord, kGetBlockSize, 0, 0, nullptr, 0.0f));
}

intptr_t CHostAdapter::CallHost(void* effect, int32_t opcode, int32_t index, intptr_t value,
                                void* ptr, float opt)
{
    return callback(effect, opcode, index, value, ptr, opt);
}
