// The watch that keeps test programs from waiting behind a message box: it reports a box
// of this process with its caption and text, and closes it, well within five seconds.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "tests/host/BuiltPlugin.h"
#include "host/ModalWindowWatch.h"

namespace {

struct Collected {
    std::mutex lock;
    std::vector<std::string> boxes;
};

// Shows a box as the fatal-error report does, on this thread or another, and returns how
// long it took the watch to close it; what the watch reported goes to `collected`.
double SecondsUntilClosed(Collected& collected, bool onAnotherThread)
{
    ModalWindowWatch::Report previous = ProgramModalWindowWatch().SetReport([&collected](const std::string& box) {
        std::lock_guard<std::mutex> hold(collected.lock);
        collected.boxes.push_back(box);
    });
    const auto start = std::chrono::steady_clock::now();
    auto show = [] { MessageBoxA(nullptr, "CreateWindowA Failed: 0x578", "Duskmoor", MB_OK | MB_ICONERROR); };
    if (onAnotherThread)
        std::thread(show).join();
    else
        show();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ProgramModalWindowWatch().SetReport(previous);
    return seconds;
}

TEST(ModalWindowWatch, ReportsAndClosesABoxOnAnyThreadWithinFiveSeconds)
{
    for (bool onAnotherThread : {false, true}) {
        SCOPED_TRACE(onAnotherThread ? "box on another thread" : "box on the test's thread");
        Collected collected;
        const double seconds = SecondsUntilClosed(collected, onAnotherThread);
        std::printf("box closed after %.2f s\n", seconds);
        EXPECT_LT(seconds, 5.0);
        ASSERT_EQ(collected.boxes.size(), 1u);
        EXPECT_NE(collected.boxes[0].find("\"Duskmoor\""), std::string::npos) << collected.boxes[0];
        EXPECT_NE(collected.boxes[0].find("CreateWindowA Failed: 0x578"), std::string::npos)
            << collected.boxes[0];
    }
}

}  // namespace
