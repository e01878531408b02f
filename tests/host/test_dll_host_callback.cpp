// What the effect asks of its host, and through which callback. The process's first instance
// binds the effect's one host interface to its callback; every test here creates its first
// instance with the program's host, so that callback is always ProgramHost's.

#include <gtest/gtest.h>

#include <vector>

#include "tests/host/BuiltPlugin.h"
#include "tests/host/FilterExpectation.h"
#include "host/PluginInstance.h"

namespace {

void ExpectCreationQueries(const std::vector<HostCallRecord>& calls, const std::string& log)
{
    ASSERT_FALSE(calls.empty()) << "creation asked the host nothing";
    EXPECT_EQ(calls.front().opcode, audioMasterGetSampleRate) << log;
    bool blockSizeAsked = false;
    for (const HostCallRecord& call : calls) {
        EXPECT_TRUE(call.opcode == audioMasterGetSampleRate ||
                    call.opcode == audioMasterGetBlockSize)
            << log;
        blockSizeAsked |= call.opcode == audioMasterGetBlockSize;
#if defined(_WIN32)
        EXPECT_EQ(call.effect, nullptr) << log;
#else
        // Linux hosts follow the record of every callback: a well-formed stand-in, never null.
        ASSERT_NE(call.effect, nullptr) << log;
        EXPECT_EQ(call.effect->magic, kEffectMagic);
        EXPECT_EQ(call.effect, calls.front().effect);
        EXPECT_EQ(call.effect->dispatcher(call.effect, effGetVendorString, 0, 0, nullptr, 0.0f), 0);
#endif
        EXPECT_EQ(call.index, 0);
        EXPECT_EQ(call.value, 0);
        EXPECT_EQ(call.ptr, nullptr);
        EXPECT_EQ(call.opt, 0.0f);
    }
    EXPECT_TRUE(blockSizeAsked) << log;
}

// An instance that processes like a fresh filter at 2x.
void ExpectWorkingFilter(PluginInstance& plugin)
{
    plugin.Start();
    StereoBlock<double> block(24);
    block.in[1][0] = 1.0;
    plugin.Process(block);
    const PrototypeDesign& design = DesignedPrototype(0);
    for (int j = 0; j <= 16; ++j)
        EXPECT_NEAR(block.out[1][j], design.gain * design.coefficients[2 * j], 1e-12) << j;
    EXPECT_EQ(block.out[0][0], 0.0);
}

TEST(DllHostCallback, CreationAsksSampleRateThenBlockSizeForNoInstance)
{
    ASSERT_PLUGIN_LOADED();
    ProgramHost().ClearCalls();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    ASSERT_TRUE(plugin.IsOpen());
    ExpectCreationQueries(ProgramHost().Calls(), ProgramHost().Describe());
}

TEST(DllHostCallback, EveryInstanceAsksThroughTheFirstCallback)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance first(BuiltPlugin().Entry(), ProgramHost());
    ASSERT_TRUE(first.IsOpen());

    RecordingHost other;
    ProgramHost().ClearCalls();
    PluginInstance second(BuiltPlugin().Entry(), other);
    ASSERT_TRUE(second.IsOpen());
    ExpectCreationQueries(ProgramHost().Calls(), ProgramHost().Describe());

    // Driving the second instance reaches its host through nothing but the first callback.
    ExpectWorkingFilter(second);
    second.SetParameter(0, 0.75f);
    EXPECT_EQ(second.Text(effGetParamDisplay), "16x");
    EXPECT_EQ(first.Text(effGetParamDisplay), "2x");
    EXPECT_EQ(other.CallCount(), 0u) << other.Describe();
}

TEST(DllHostCallback, AfterCloseANewInstanceReusesTheProcessState)
{
    ASSERT_PLUGIN_LOADED();
    {
        PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
        ASSERT_TRUE(plugin.IsOpen());
        EXPECT_EQ(plugin.Close(), 1);
    }
    RecordingHost later;
    ProgramHost().ClearCalls();
    PluginInstance plugin(BuiltPlugin().Entry(), later);
    ASSERT_TRUE(plugin.IsOpen());
    ExpectCreationQueries(ProgramHost().Calls(), ProgramHost().Describe());
    ExpectWorkingFilter(plugin);
    EXPECT_EQ(later.CallCount(), 0u) << later.Describe();
}

TEST(DllHostCallback, ANullCallbackGetsNoInstance)
{
    ASSERT_PLUGIN_LOADED();
    EXPECT_EQ(BuiltPlugin().Entry()(nullptr), nullptr);
    // The process state stays bound to the program's host.
    ProgramHost().ClearCalls();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    ASSERT_TRUE(plugin.IsOpen());
    EXPECT_FALSE(ProgramHost().Calls().empty());
}

}  // namespace
