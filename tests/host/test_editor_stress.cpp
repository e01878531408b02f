// The editor while a host works the instance from several threads at once: an audio thread
// that sets the parameter every block, a thread that reads parameters and display texts,
// and the user-interface thread that opens, replaces and closes the editor and presses its
// buttons. Nothing may crash, deadlock or touch an editor that is gone, and a host thread
// must never wait for the editor.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/BuiltPlugin.h"
#include "tests/host/EditorHarness.h"
#include "host/PluginInstance.h"

namespace {

using namespace editortest;
using Clock = std::chrono::steady_clock;
using testgui::ParentWindow;
using testgui::PumpMessages;

constexpr auto kStressDuration = std::chrono::seconds(30);
constexpr auto kQuietDuration = std::chrono::seconds(5);
constexpr int kBlockFrames = 64;
constexpr auto kStallLimit = std::chrono::seconds(10);

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A crash on any thread ends the program at once with a message, instead of waiting for a
// debugger that nobody attaches.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    std::printf("crash: exception 0x%08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
                exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

const LPTOP_LEVEL_EXCEPTION_FILTER crashFilter = SetUnhandledExceptionFilter(&ReportCrash);

// Removes the observer from the program's host when the test ends, however it ends.
class ObserverScope {
public:
    explicit ObserverScope(std::function<void(const HostCallRecord&)> observer)
    {
        ProgramHost().SetObserver(std::move(observer));
    }
    ~ObserverScope() { ProgramHost().SetObserver(nullptr); }
};

HWND OnlyChild(HWND parent)
{
    const std::vector<HWND> children = ChildWindows(parent);
    return children.size() == 1 ? children[0] : nullptr;
}

// Whether `done` became true within `limit`, pumping nothing.
bool WaitFor(const std::atomic<bool>& done, Clock::duration limit)
{
    const Clock::time_point deadline = Clock::now() + limit;
    while (!done && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done;
}

TEST(EditorThreads, HostThreadDoesNotWaitWhileAPressNotifiesTheHost)
{
    ASSERT_PLUGIN_LOADED();
    ParentWindow parent;
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.Start(44100.0f, kBlockFrames);
    plugin.Dispatch(effEditOpen, 0, 0, parent.handle);
    PumpMessages();
    HWND editor = OnlyChild(parent.handle);
    ASSERT_NE(editor, nullptr);

    // While the press holds its locks and the host takes its time over the notification,
    // the audio thread sets the parameter and processes a block.
    std::atomic<bool> audioDone{false};
    bool audioFinishedInTime = false;
    std::thread audio;
    {
        ObserverScope slowHost([&](const HostCallRecord& call) {
            if (call.opcode != audioMasterAutomate || call.effect != plugin.Effect())
                return;
            audio = std::thread([&] {
                StereoBlock<float> block(kBlockFrames);
                plugin.SetParameter(0, 0.75f);
                plugin.Process(block);
                audioDone = true;
            });
            audioFinishedInTime = WaitFor(audioDone, std::chrono::seconds(2));
        });
        PressButton(editor, 1);
    }
    audio.join();
    EXPECT_TRUE(audioFinishedInTime) << "the audio thread waited for the press to finish";
    // The press stored its value after the host heard of it, so it wins.
    EXPECT_EQ(plugin.GetParameter(0), 0.25f);
    PumpMessages();
    static const Artwork artwork;
    EXPECT_EQ(ShownSelection(editor, artwork), 1);
    plugin.Dispatch(effEditClose);
}

// The numbers the threads report.
struct StressCounts {
    std::atomic<long> blocks{0};
    std::atomic<long> reads{0};
    std::atomic<long> badTexts{0};
    std::atomic<long> nonFinite{0};
    std::atomic<bool> audioDone{false};
    std::atomic<bool> readerDone{false};
    Clock::duration worstBlock{};
    std::vector<double> blockTimes;  // milliseconds, audio thread only
};

void RunAudio(PluginInstance& plugin, const std::atomic<bool>& stop, StressCounts& counts)
{
    static const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.3f, 0.999f, 0.6f};
    std::minstd_rand noise(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    StereoBlock<float> single(kBlockFrames);
    StereoBlock<double> dual(kBlockFrames);
    counts.blockTimes.reserve(1 << 20);
    for (long n = 0; !stop; ++n) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kBlockFrames; ++i)
                dual.in[c][size_t(i)] = single.in[c][size_t(i)] = sample(noise);
        const Clock::time_point start = Clock::now();
        plugin.SetParameter(0, values[n % 8]);
        if (n % 4 == 3)
            plugin.Process(dual);
        else
            plugin.Process(single);
        const Clock::duration took = Clock::now() - start;
        counts.worstBlock = std::max(counts.worstBlock, took);
        if (counts.blockTimes.size() < counts.blockTimes.capacity())
            counts.blockTimes.push_back(Milliseconds(took));
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kBlockFrames; ++i)
                if (!std::isfinite(single.out[c][size_t(i)]) || !std::isfinite(dual.out[c][size_t(i)]))
                    ++counts.nonFinite;
        ++counts.blocks;
    }
    counts.audioDone = true;
}

void RunReader(PluginInstance& plugin, const std::atomic<bool>& stop, StressCounts& counts)
{
    const std::set<std::string> displays = {"2x", "4x", "8x", "16x", "32x"};
    const std::string expectedName = plugin.Text(effGetParamName, 0);  // as the boundary cuts it
    while (!stop) {
        const float value = plugin.GetParameter(0);
        const std::string display = plugin.Text(effGetParamDisplay, 0);
        const std::string name = plugin.Text(effGetParamName, 0);
        if (!(value >= 0.0f && value <= 1.0f) || !displays.count(display) || name != expectedName || name.empty())
            ++counts.badTexts;
        ++counts.reads;
    }
    counts.readerDone = true;
}

// What the user-interface thread did.
struct InterfaceCounts {
    long opens = 0;
    long closes = 0;
    long presses = 0;
    long stalls = 0;
};

// One random step of a user and a host on the user-interface thread.
void InterfaceStep(PluginInstance& plugin, HWND frames[2], int& frame, std::minstd_rand& random,
                   InterfaceCounts& counts)
{
    const int action = int(random() % 10);
    if (action == 0) {  // open into the other frame, or again into the same one
        frame = int(random() % 2);
        plugin.Dispatch(effEditOpen, 0, 0, frames[frame]);
        ++counts.opens;
    } else if (action == 1) {
        plugin.Dispatch(effEditClose);
        ++counts.closes;
    } else if (action <= 6) {
        if (HWND editor = OnlyChild(frames[frame])) {
            const int button = int(random() % kButtonCount);
            if (action == 6)
                DoubleClick(editor, ButtonLeft(button) + 3, kButtonTop + 3);
            else
                PressButton(editor, button);
            ++counts.presses;
        }
    } else if (action == 7) {
        plugin.SetParameter(0, float(random() % 5) * 0.25f);
    }
    PumpMessages();
}

// Runs the audio and reader threads for `duration` while the user-interface thread either
// works the editor or only handles its messages.
void RunPhase(PluginInstance& plugin, HWND frames[2], int& frame, Clock::duration duration, bool userActive,
              StressCounts& counts, InterfaceCounts& interface)
{
    std::atomic<bool> stop{false};
    std::thread audio([&] { RunAudio(plugin, stop, counts); });
    std::thread reader([&] { RunReader(plugin, stop, counts); });

    std::minstd_rand random(11);
    const Clock::time_point start = Clock::now();
    Clock::time_point lastProgress = start;
    long lastBlocks = 0, lastReads = 0;
    while (Clock::now() - start < duration) {
        for (int i = 0; i < 20; ++i) {
            if (userActive)
                InterfaceStep(plugin, frames, frame, random, interface);
            else
                PumpMessages();
        }
        if (!userActive)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (counts.blocks != lastBlocks && counts.reads != lastReads) {
            lastBlocks = counts.blocks;
            lastReads = counts.reads;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress > kStallLimit) {
            ++interface.stalls;
            break;
        }
        if (interface.presses % 64 == 0)
            ProgramHost().ClearCalls();  // keeps the record small
    }
    stop = true;
    const bool finished = WaitFor(counts.audioDone, kStallLimit) && WaitFor(counts.readerDone, kStallLimit);
    if (!finished || interface.stalls) {
        ADD_FAILURE() << "a host thread stopped making progress: deadlock (" << counts.blocks << " blocks, "
                      << counts.reads << " reads)";
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);  // the threads cannot be joined
    }
    audio.join();
    reader.join();
}

void PrintBlockTimes(const char* phase, const StressCounts& counts)
{
    std::vector<double> times = counts.blockTimes;
    std::sort(times.begin(), times.end());
    const double median = times.empty() ? 0.0 : times[times.size() / 2];
    const double p999 = times.empty() ? 0.0 : times[std::min(times.size() - 1, times.size() * 999 / 1000)];
    std::printf("%s: %ld blocks of %d frames, %ld reads; block time (setParameter + process) median %.3f ms, "
                "99.9%% %.3f ms, worst %.3f ms\n",
                phase, long(counts.blocks), kBlockFrames, long(counts.reads), median, p999,
                Milliseconds(counts.worstBlock));
}

TEST(EditorThreads, OpenCloseAndPressWhileTheHostWorksOnOtherThreads)
{
    ASSERT_PLUGIN_LOADED();
    ParentWindow frameA, frameB;
    HWND frames[2] = {frameA.handle, frameB.handle};
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.Start(44100.0f, kBlockFrames);
    int frame = 0;
    plugin.Dispatch(effEditOpen, 0, 0, frames[frame]);

    // For comparison: the same host threads with an open editor that nobody touches.
    StressCounts quiet;
    InterfaceCounts idle;
    RunPhase(plugin, frames, frame, kQuietDuration, false, quiet, idle);

    StressCounts counts;
    InterfaceCounts interface;
    const Clock::time_point start = Clock::now();
    RunPhase(plugin, frames, frame, kStressDuration, true, counts, interface);
    std::printf("stress: %.1f s, %ld opens, %ld closes, %ld presses\n", Milliseconds(Clock::now() - start) / 1000.0,
                interface.opens, interface.closes, interface.presses);
    PrintBlockTimes("untouched editor", quiet);
    PrintBlockTimes("stress", counts);
    RecordProperty("worst_block_ms", std::to_string(Milliseconds(counts.worstBlock)));

    EXPECT_EQ(quiet.nonFinite + counts.nonFinite, 0);
    EXPECT_EQ(quiet.badTexts + counts.badTexts, 0);
    EXPECT_GT(counts.blocks, 1000);
    EXPECT_GT(interface.opens, 10);
    EXPECT_GT(interface.presses, 100);

    // Afterwards the editor still follows the parameter, from either thread.
    static const Artwork artwork;
    plugin.Dispatch(effEditOpen, 0, 0, frames[frame]);
    PumpMessages();
    HWND editor = OnlyChild(frames[frame]);
    ASSERT_NE(editor, nullptr);
    plugin.SetParameter(0, 0.5f);
    EXPECT_EQ(ShownSelection(editor, artwork), 2);
    std::thread([&] { plugin.SetParameter(0, 0.25f); }).join();
    PumpMessages();
    EXPECT_EQ(ShownSelection(editor, artwork), 1);
    plugin.Dispatch(effEditClose);
}

}  // namespace
