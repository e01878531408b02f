// The instance as a hostile host drives it: a million random dispatcher calls with random
// opcodes and arguments, interleaved with parameter and processing calls of random frame
// counts, through the effect record the entry point returns. In the sanitizer build every
// stray access inside the shell, the machine and the filter is caught as well.

#include <gtest/gtest.h>

#include <cstdio>

#include "shell/EntryPoint.h"
#include "shell/Vst2.h"
#include "tests/robustness/RandomHostCalls.h"

namespace {

using robustness::CallMix;
using robustness::RandomHostCalls;
using robustness::RunFigures;

intptr_t PlainHost(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterGetSampleRate)
        return 44100;
    if (opcode == audioMasterGetBlockSize)
        return 512;
    return 0;
}

TEST(RobustDispatcher, RandomCallsNeitherCrashNorWriteOutsideWhatTheyWereGiven)
{
    // Instances are opened and closed around slices of the stream, so that closing an
    // instance after any history is part of the run as well.
    constexpr int kSlices = 4;
    constexpr uint64_t kTotalCalls = 1000000;
    RunFigures figures;
    for (int slice = 0; slice < kSlices; ++slice) {
        SCOPED_TRACE("slice " + std::to_string(slice));
        AEffect* effect = VSTPluginMain(&PlainHost);
        ASSERT_NE(effect, nullptr);
        RandomHostCalls host(0x5EED0000u + uint64_t(slice));
        CallMix mix;
        mix.dispatcherCalls = kTotalCalls / kSlices;
        const bool clean = host.Run(effect, mix, figures);

        // Whatever the calls did, the instance's filter state must be intact: after silence
        // it answers exactly as a fresh instance does.
        if (clean) {
            AEffect* fresh = VSTPluginMain(&PlainHost);
            ASSERT_NE(fresh, nullptr);
            EXPECT_EQ(robustness::ResponsesAfterSilence(effect),
                      robustness::ResponsesAfterSilence(fresh));
            EXPECT_EQ(fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f), 1);
        }
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        ASSERT_TRUE(clean);
    }
    EXPECT_GE(figures.dispatcherCalls, kTotalCalls);
    std::printf("random host calls: %s\n", figures.Summary().c_str());
    RecordProperty("figures", figures.Summary());
}

}  // namespace
