#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Machine.h"
#include "shell/HostAdapter.h"

namespace {

struct CallbackCall {
    void* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

// The callback is a plain function, so what it sees and answers lives here.
std::vector<CallbackCall> received;
intptr_t sampleRateAnswer = 44100;
intptr_t blockSizeAnswer = 512;

intptr_t RecordingCallback(void* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt)
{
    received.push_back({effect, opcode, index, value, ptr, opt});
    switch (opcode) {
    case 16:
        return sampleRateAnswer;
    case 17:
        return blockSizeAnswer;
    default:
        return 0x5eed;
    }
}

class Machine : public CMachine {
public:
    using CMachine::CMachine;
    void Process() override {}
    void SetSampleRate(int) override {}
    void SetBlockLength(int) override {}
    bool ReservedQuery() override { return false; }
};

class HostAdapter : public ::testing::Test {
protected:
    void SetUp() override
    {
        received.clear();
        sampleRateAnswer = 44100;
        blockSizeAnswer = 512;
    }
    CHostAdapter adapter{&RecordingCallback};
};

TEST_F(HostAdapter, SampleRateAndBlockSizeAskTheHostWithANullRecord)
{
    sampleRateAnswer = 96000;
    blockSizeAnswer = 1024;
    EXPECT_EQ(adapter.GetSampleRate(), 96000);
    EXPECT_EQ(adapter.GetBlockSize(), 1024);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].opcode, 16);
    EXPECT_EQ(received[1].opcode, 17);
    for (const CallbackCall& call : received) {
        EXPECT_EQ(call.effect, nullptr);
        EXPECT_EQ(call.index, 0);
        EXPECT_EQ(call.value, 0);
        EXPECT_EQ(call.ptr, nullptr);
        EXPECT_EQ(call.opt, 0.0f);
    }
}

TEST_F(HostAdapter, SamplesPerTickTruncateTheRateOverThirtyTwo)
{
    EXPECT_EQ(adapter.GetSamplesPerTick(), 1378);  // 1378.125
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].opcode, 16);
    sampleRateAnswer = 48000;
    EXPECT_EQ(adapter.GetSamplesPerTick(), 1500);
    sampleRateAnswer = 31;
    EXPECT_EQ(adapter.GetSamplesPerTick(), 0);
    sampleRateAnswer = 0;  // not checked: a silent host gives 0
    EXPECT_EQ(adapter.GetSamplesPerTick(), 0);
    EXPECT_EQ(adapter.GetSampleRate(), 0);
}

TEST_F(HostAdapter, AutomateNamesTheMachinesOwnRecordAndNarrowsTheValue)
{
    Machine first(&adapter), second(&adapter);
    int firstRecord = 0, secondRecord = 0;
    first.hostData = &firstRecord;
    second.hostData = &secondRecord;

    EXPECT_EQ(adapter.Automate(&second, 0, 0.25), 0x5eed);
    second.SetControlAutomated(3, 0.1);

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].effect, &secondRecord);
    EXPECT_EQ(received[0].opcode, 0);
    EXPECT_EQ(received[0].index, 0);
    EXPECT_EQ(received[0].value, 0);
    EXPECT_EQ(received[0].ptr, nullptr);
    EXPECT_EQ(received[0].opt, 0.25f);
    EXPECT_EQ(received[1].effect, &secondRecord);
    EXPECT_EQ(received[1].index, 3);
    EXPECT_EQ(received[1].opt, 0.1f);
}

TEST_F(HostAdapter, TimingFiguresAreConstantsWithoutAskingTheHost)
{
    EXPECT_EQ(adapter.GetTempo(), 120.0);
    EXPECT_EQ(adapter.GetTicksPerBeat(), 16.0);
    EXPECT_EQ(adapter.ReservedQueryA(), 5);
    EXPECT_EQ(adapter.ReservedQueryB(), 5);
    EXPECT_EQ(adapter.ReservedQueryC(), 5);
    EXPECT_EQ(adapter.ReservedQueryD(), 0);
    EXPECT_FALSE(adapter.ReservedFlag());
    EXPECT_EQ(adapter.ReservedQueryE(), 0);
    EXPECT_TRUE(received.empty());
}

TEST_F(HostAdapter, CallHostPassesEverythingThrough)
{
    int record = 0, payload = 0;
    EXPECT_EQ(adapter.CallHost(&record, 42, -7, -123456, &payload, 2.5f), 0x5eed);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].effect, &record);
    EXPECT_EQ(received[0].opcode, 42);
    EXPECT_EQ(received[0].index, -7);
    EXPECT_EQ(received[0].value, -123456);
    EXPECT_EQ(received[0].ptr, &payload);
    EXPECT_EQ(received[0].opt, 2.5f);
}

}  // namespace
