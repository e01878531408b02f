// The DLL as a host first meets it: its exports and the record an instance hands out.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/host/BuiltPlugin.h"
#include "host/PluginInstance.h"

namespace {

// The entry point's second name: MAIN in the DLLs, main for older Linux hosts.
#if defined(_WIN32)
constexpr const char* kEntryAlias = "MAIN";
#else
constexpr const char* kEntryAlias = "main";
#endif

TEST(DllRecord, EntryPointIsExportedUnderBothNames)
{
    ASSERT_PLUGIN_LOADED();
    EXPECT_EQ(BuiltPlugin().Export(kEntryAlias), BuiltPlugin().Export("VSTPluginMain"));
#if defined(_WIN32)
    EXPECT_NE(BuiltPlugin().Export("DllMain"), nullptr);
#endif
    EXPECT_EQ(BuiltPlugin().Export("_VSTPluginMain"), nullptr);
}

TEST(DllRecord, RecordCarriesTheEffectsIdentity)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    ASSERT_TRUE(plugin.IsOpen());
    const AEffect* e = plugin.Effect();
    EXPECT_EQ(e->magic, 0x56737450);
    // Replacing in both precisions, and the editor where this build has one.
    EXPECT_EQ(e->flags, VELVETINE_PLUGIN_HAS_EDITOR ? 0x1011 : 0x1010);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->numParams, 1);
    EXPECT_EQ(e->numPrograms, 0);
    EXPECT_EQ(e->uniqueID, 0x514D564C);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->object, nullptr);
    const std::vector<char> zeros(sizeof e->future, 0);
    EXPECT_EQ(std::memcmp(e->future, zeros.data(), zeros.size()), 0);
    for (const void* function :
         {reinterpret_cast<const void*>(e->dispatcher), reinterpret_cast<const void*>(e->process),
          reinterpret_cast<const void*>(e->setParameter),
          reinterpret_cast<const void*>(e->getParameter),
          reinterpret_cast<const void*>(e->processReplacing),
          reinterpret_cast<const void*>(e->processDoubleReplacing)})
        EXPECT_NE(function, nullptr);
}

TEST(DllRecord, EveryInstanceHasItsOwnRecord)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance first(BuiltPlugin().Entry(), ProgramHost());
    PluginInstance second(reinterpret_cast<VstPluginEntry>(BuiltPlugin().Export(kEntryAlias)),
                          ProgramHost());
    ASSERT_TRUE(first.IsOpen() && second.IsOpen());
    EXPECT_NE(first.Effect(), second.Effect());
    EXPECT_NE(first.Effect()->object, second.Effect()->object);
    first.SetParameter(0, 0.5f);
    EXPECT_EQ(first.GetParameter(0), 0.5f);
    EXPECT_EQ(second.GetParameter(0), 0.0f);
}

}  // namespace
