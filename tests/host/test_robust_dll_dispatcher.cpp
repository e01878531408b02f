// The built plug-in library as a hostile host drives it: a million random dispatcher calls
// with random opcodes and arguments (on Windows the editor opcodes also with a real window
// and with windows that are gone by the time the editor is built: the previous editor's own,
// one inside it, one destroyed just before), interleaved with parameter and processing calls
// of random frame counts in both precisions. Nothing may crash, write outside what it was
// given, or give a non-finite sample; afterwards the instance's filter answers as a fresh
// one does, and closing it leaves no window behind. The sanitizer build catches every stray
// access inside the shell, the machine and the filter as well.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/host/BuiltPlugin.h"
#include "tests/host/RandomCallWindows.h"
#include "tests/robustness/RandomHostCalls.h"

namespace {

using robustness::CallMix;
using robustness::RandomHostCalls;
using robustness::RunFigures;

AEffect* NewInstance()
{
    return BuiltPlugin().Entry()(ProgramHost().Callback());
}

TEST(RobustDispatcher, RandomCallsNeitherCrashNorWriteOutsideWhatTheyWereGiven)
{
    ASSERT_PLUGIN_LOADED();
    // Instances are opened and closed around slices of the stream, so that closing an
    // instance after any history is part of the run as well.
    constexpr int kSlices = 4;
    constexpr uint64_t kTotalCalls = 1000000;
    RunFigures figures;
    for (int slice = 0; slice < kSlices; ++slice) {
        SCOPED_TRACE("slice " + std::to_string(slice));
        AEffect* effect = NewInstance();
        ASSERT_NE(effect, nullptr);
        RandomHostCalls host(0xD11u + uint64_t(slice), RandomCallEditorHooks());
        NameBoxesBy([&host] { return host.Where(); });
        CallMix mix;
        mix.dispatcherCalls = kTotalCalls / kSlices;
            // The editor calls are what is slow under Wine; fewer blocks keep the run within a
        // minute or two there.
        mix.interleavedPerHundred = 20;
        mix.blocksPerHundred = 20;
        const bool clean = host.Run(effect, mix, figures);
        PumpEditorMessages();
        NameBoxesBy(nullptr);

        if (clean) {
            AEffect* fresh = NewInstance();
            ASSERT_NE(fresh, nullptr);
            EXPECT_EQ(robustness::ResponsesAfterSilence(effect),
                      robustness::ResponsesAfterSilence(fresh));
            EXPECT_EQ(fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f), 1);
        }
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        PumpEditorMessages();
        EXPECT_TRUE(NoEditorLeft()) << "an editor window outlived its instance";
        ASSERT_TRUE(clean);
    }
    EXPECT_GE(figures.dispatcherCalls, kTotalCalls);
    if (RandomCallEditorHooks().destroyedWindow) {
        EXPECT_GT(figures.editorsInVanishingWindows, 0u);
    }
    std::printf("random host calls: %s\n", figures.Summary().c_str());
    RecordProperty("figures", figures.Summary());
}

}  // namespace
