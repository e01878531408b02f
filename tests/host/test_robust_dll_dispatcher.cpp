// The built DLL as a hostile host drives it: a million random dispatcher calls with random
// opcodes and arguments (the editor opcodes with null, with pointers and small integers
// that are no window, with a real window, and with windows that are gone by the time the
// editor is built: the previous editor's own, one inside it, one destroyed just before),
// interleaved with parameter and processing calls of random frame
// counts in both precisions. Nothing may crash, write outside what it was given, or give
// a non-finite sample; afterwards the instance's filter answers as a fresh one does, and
// closing it leaves no window behind.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/gui/Win32Fixtures.h"
#include "tests/host/BuiltPlugin.h"
#include "tests/host/EditorHarness.h"
#include "tests/robustness/RandomHostCalls.h"

namespace {

using robustness::CallMix;
using robustness::RandomHostCalls;
using robustness::RunFigures;
using testgui::ParentWindow;
using testgui::PumpMessages;

AEffect* NewInstance()
{
    return BuiltPlugin().Entry()(ProgramHost().Callback());
}

// The editor an instance has open directly in `parent`, or null.
HWND EditorIn(HWND parent)
{
    for (HWND child : editortest::ChildWindows(parent))
        if (GetParent(child) == parent)
            return child;
    return nullptr;
}

HWND PlainChild(HWND parent)
{
    return CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 8, 8, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(RobustDll, RandomCallsNeitherCrashNorWriteOutsideWhatTheyWereGiven)
{
    ASSERT_PLUGIN_LOADED();
    constexpr int kSlices = 4;
    constexpr uint64_t kTotalCalls = 1000000;
    ParentWindow parent;
    robustness::EditorHooks hooks;
    hooks.realWindow = [&parent] { return static_cast<void*>(parent.handle); };
    hooks.editorWindow = [&parent] { return static_cast<void*>(EditorIn(parent.handle)); };
    hooks.childOfEditor = [&parent]() -> void* {
        HWND editor = EditorIn(parent.handle);
        return editor ? PlainChild(editor) : nullptr;
    };
    hooks.destroyedWindow = [&parent] {
        HWND gone = PlainChild(parent.handle);
        DestroyWindow(gone);
        return static_cast<void*>(gone);
    };
    hooks.pumpMessages = [] { PumpMessages(); };

    RunFigures figures;
    for (int slice = 0; slice < kSlices; ++slice) {
        SCOPED_TRACE("slice " + std::to_string(slice));
        AEffect* effect = NewInstance();
        ASSERT_NE(effect, nullptr);
        RandomHostCalls host(0xD11u + uint64_t(slice), hooks);
        // A fatal box ends the process inside a call: its report names that call.
        ProgramModalWindowWatch().SetReport([&host](const std::string& box) { FailTheRunningTestForBox(host.Where() + box); });
        CallMix mix;
        mix.dispatcherCalls = kTotalCalls / kSlices;
        // Processing costs the same here as natively; the editor calls are what is slow
        // under Wine, so fewer blocks keep the run within a minute or two.
        mix.interleavedPerHundred = 20;
        mix.blocksPerHundred = 20;
        const bool clean = host.Run(effect, mix, figures);
        PumpMessages();
        ProgramModalWindowWatch().SetReport(&FailTheRunningTestForBox);

        if (clean) {
            AEffect* fresh = NewInstance();
            ASSERT_NE(fresh, nullptr);
            EXPECT_EQ(robustness::ResponsesAfterSilence(effect),
                      robustness::ResponsesAfterSilence(fresh));
            EXPECT_EQ(fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f), 1);
        }
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        PumpMessages();
        EXPECT_TRUE(editortest::ChildWindows(parent.handle).empty())
            << "an editor window outlived its instance";
        ASSERT_TRUE(clean);
    }
    EXPECT_GE(figures.dispatcherCalls, kTotalCalls);
    EXPECT_GT(figures.editorsInVanishingWindows, 0u);
    std::printf("random host calls: %s\n", figures.Summary().c_str());
    RecordProperty("figures", figures.Summary());
}

}  // namespace
