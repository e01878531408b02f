// The entry point: process-wide state made once and bound to the first callback, one
// machine and adapter per call. The tests run in order within this one process.

#include <gtest/gtest.h>

#include <vector>

#include "effect/VelvetineFilter.h"
#include "framework/AudioBuffer.h"
#include "core/CpuFeatures.h"
#include "shell/CreationRecord.h"
#include "shell/EntryPoint.h"
#include "shell/HostAdapter.h"
#include "shell/TidegateAdapter.h"

namespace {

struct Call {
    void* effect;
    int32_t opcode;
    int32_t index;
    float opt;
};

std::vector<Call> firstCalls;
std::vector<Call> secondCalls;

intptr_t Answer(std::vector<Call>& log, void* effect, int32_t opcode, int32_t index, float opt,
                intptr_t rate)
{
    log.push_back({effect, opcode, index, opt});
    if (opcode == audioMasterGetSampleRate)
        return rate;
    if (opcode == audioMasterGetBlockSize)
        return 256;
    return 0;
}

intptr_t FirstHost(void* effect, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    return Answer(firstCalls, effect, opcode, index, opt, 48000);
}

intptr_t SecondHost(void* effect, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    return Answer(secondCalls, effect, opcode, index, opt, 96000);
}

CTidegateAdapter* AdapterOf(AEffect* effect)
{
    return static_cast<CTidegateAdapter*>(AudioEffect::FromRecord(effect));
}

TEST(EntryPoint, ANullCallbackMakesNothing)
{
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
    EXPECT_EQ(CurrentProcessContext(), nullptr);
    EXPECT_EQ(CurrentMachineDescription(), nullptr);
}

TEST(EntryPoint, FirstCallMakesTheProcessStateAndAFilterInstance)
{
    AEffect* effect = VSTPluginMain(&FirstHost);
    ASSERT_NE(effect, nullptr);
    const ProcessContext* context = CurrentProcessContext();
    ASSERT_NE(context, nullptr);
    ASSERT_NE(context->host, nullptr);
    EXPECT_EQ(context->host->callback, &FirstHost);
    EXPECT_EQ(context->cpuFeatures, ProbeCpuFeatures());
    ASSERT_NE(CurrentMachineDescription(), nullptr);
    ASSERT_NE(ZeroBuffer, nullptr);
    ASSERT_NE(OneBuffer, nullptr);

    CTidegateAdapter* adapter = AdapterOf(effect);
    auto* machine = dynamic_cast<CVelvetineFilter*>(adapter->Machine());
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(machine->host, context->host);
    EXPECT_EQ(machine->hostData, effect);
    EXPECT_EQ(machine->SampleRate(), 48000);
    EXPECT_EQ(machine->BlockLength(), 256);
    EXPECT_EQ(adapter->HostCallbackCopy(), &FirstHost);

    ASSERT_FALSE(firstCalls.empty());
    EXPECT_EQ(firstCalls.front().opcode, audioMasterGetSampleRate);
    for (const Call& call : firstCalls) {
        // No instance record exists yet: null on Windows, the stand-in natively.
        EXPECT_EQ(call.effect, CreationQueryRecord());
        EXPECT_TRUE(call.opcode == audioMasterGetSampleRate ||
                    call.opcode == audioMasterGetBlockSize);
    }
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(EntryPoint, LaterInstancesShareTheStateAndTheFirstCallback)
{
    const ProcessContext* context = CurrentProcessContext();
    ASSERT_NE(context, nullptr);
    CHostAdapter* host = context->host;
    CVelvetineFilterInfo* description = CurrentMachineDescription();
    ConstantBuffer* zeros = ZeroBuffer;
    firstCalls.clear();

    AEffect* a = VSTPluginMain(&FirstHost);
    AEffect* b = VSTPluginMain(&SecondHost);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(CurrentProcessContext(), context);
    EXPECT_EQ(CurrentProcessContext()->host, host);
    EXPECT_EQ(host->callback, &FirstHost);
    EXPECT_EQ(CurrentMachineDescription(), description);
    EXPECT_EQ(ZeroBuffer, zeros);
    EXPECT_TRUE(secondCalls.empty());
    EXPECT_EQ(AdapterOf(b)->HostCallbackCopy(), &SecondHost);
    EXPECT_EQ(static_cast<CVelvetineFilter*>(AdapterOf(b)->Machine())->SampleRate(), 48000);

    // A report about the second instance goes through the first callback and names b.
    firstCalls.clear();
    AdapterOf(b)->setParameterAutomated(0, 0.75f);
    ASSERT_EQ(firstCalls.size(), 1u);
    EXPECT_EQ(firstCalls[0].effect, b);
    EXPECT_EQ(firstCalls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(firstCalls[0].index, 0);
    EXPECT_EQ(firstCalls[0].opt, 0.75f);
    EXPECT_EQ(b->getParameter(b, 0), 0.75f);
    EXPECT_EQ(a->getParameter(a, 0), 0.0f);
    EXPECT_TRUE(secondCalls.empty());

    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(EntryPoint, AfterEveryInstanceClosedTheStateStaysAndServesNewOnes)
{
    const ProcessContext* context = CurrentProcessContext();
    firstCalls.clear();
    AEffect* effect = VSTPluginMain(&SecondHost);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(CurrentProcessContext(), context);
    EXPECT_TRUE(secondCalls.empty());
    ASSERT_FALSE(firstCalls.empty());
    EXPECT_EQ(firstCalls.front().opcode, audioMasterGetSampleRate);

    float in[2][4] = {{1, 0, 0, 0}, {0, 0, 0, 0}};
    float out[2][4] = {};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    effect->processReplacing(effect, inputs, outputs, 4);
    EXPECT_NE(out[0][0], 0.0f);
    EXPECT_EQ(out[1][0], 0.0f);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
