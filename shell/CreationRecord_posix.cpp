#include "shell/CreationRecord.h"

#include <cstring>

#include "shell/Vst2.h"

namespace {

intptr_t AnswerNothing(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }
void ProcessNothing(AEffect*, float**, float**, int32_t) {}
void ProcessNothingDouble(AEffect*, double**, double**, int32_t) {}
void SetNothing(AEffect*, int32_t, float) {}
float GetNothing(AEffect*, int32_t) { return 0.0f; }

// Linux hosts follow the record of every callback they get, even during the entry call:
// they are given this stand-in, well formed, describing the effect and doing nothing.
AEffect MakeStandIn()
{
    AEffect record;
    std::memset(&record, 0, sizeof record);
    record.magic = kEffectMagic;
    record.dispatcher = &AnswerNothing;
    record.process = &ProcessNothing;
    record.setParameter = &SetNothing;
    record.getParameter = &GetNothing;
    record.numParams = 1;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    record.ioRatio = 1.0f;
    record.uniqueID = VstFourCharCode('Q', 'M', 'V', 'L');
    record.version = 1;
    record.processReplacing = &ProcessNothing;
    record.processDoubleReplacing = &ProcessNothingDouble;
    return record;
}

AEffect standIn = MakeStandIn();

}  // namespace

void* CreationQueryRecord()
{
    return &standIn;
}
