#pragma once

// The DLL this build made, for the test programs (the build passes its path). Loaded once
// per program and kept: the plug-in's process-wide state must outlive every test.

#include <gtest/gtest.h>

#include <set>

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
