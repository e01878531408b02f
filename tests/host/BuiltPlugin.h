#pragma once

// The DLL this build made, for the test programs (the build passes its path). Loaded once
// per program and kept: the plug-in's process-wide state must outlive every test.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#ifdef _WIN32
#include "host/ModalWindowWatch.h"
#endif
#include "host/OpcodeNames.h"
#include "host/PluginLibrary.h"
#include "host/RecordingHost.h"

inline PluginLibrary& BuiltPlugin()
{
    static PluginLibrary* library = new PluginLibrary(VELVETINE_PLUGIN_PATH);
    return *library;
}

// Fails the current test unless the DLL and its entry point are there.
#define ASSERT_PLUGIN_LOADED()                                                     \
    ASSERT_TRUE(BuiltPlugin().Loaded() && BuiltPlugin().Entry()) << BuiltPlugin().Error()

// Whatever a test program did, the plug-in may only have asked its host for the sample rate
// and the block size, and reported automation.
class HostOpcodesCheck : public ::testing::Environment {
public:
    void TearDown() override
    {
        for (int32_t opcode : ProgramHost().OpcodesEverReceived())
            EXPECT_TRUE(opcode == audioMasterAutomate || opcode == audioMasterGetSampleRate ||
                        opcode == audioMasterGetBlockSize)
                << "the plug-in sent " << HostOpcodeName(opcode);
    }
};

static ::testing::Environment* const hostOpcodesCheck =
    ::testing::AddGlobalTestEnvironment(new HostOpcodesCheck);

#ifdef _WIN32
// No test of the plug-in waits behind a box: one that appears fails the running test with
// its caption and text within a second or so, and is closed. The watch is never destroyed:
// boxes may come from static destructors too.
inline void FailTheRunningTestForBox(const std::string& box)
{
    ADD_FAILURE() << "a modal window of the process under test was shown and closed: " << box;
    // The box may be the fatal-error report, after which the process ends at once.
    std::fflush(stdout);
}

inline ModalWindowWatch& ProgramModalWindowWatch()
{
    static ModalWindowWatch* watch = new ModalWindowWatch(&FailTheRunningTestForBox);
    return *watch;
}

class ModalWindowWatchStart : public ::testing::Environment {
public:
    void SetUp() override { ProgramModalWindowWatch(); }
};

static ::testing::Environment* const modalWindowWatchStart =
    ::testing::AddGlobalTestEnvironment(new ModalWindowWatchStart);
#endif  // Linux has no boxes: the fatal report goes to standard error

