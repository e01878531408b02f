#pragma once

// The plug-in files this build made, one per standard it ships here (the build passes
// their paths, separated by '|'), for scenarios written once over the drivers: each runs
// for every file. A file is opened once per program and kept, since a plug-in's
// process-wide state must outlive every instance.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/PluginDrivers.h"

namespace robustness {

inline std::vector<std::string> BuiltPluginFiles()
{
    std::vector<std::string> paths;
    std::istringstream list(VELVETINE_PLUGIN_FILES);
    for (std::string path; std::getline(list, path, '|');)
        paths.push_back(path);
    return paths;
}

inline OpenedPluginFile& OpenedBuiltPlugin(const std::string& path)
{
    static auto* opened = new std::map<std::string, OpenedPluginFile>;
    auto found = opened->find(path);
    if (found == opened->end())
        found = opened->emplace(path, OpenPluginFile(path)).first;
    return found->second;
}

// "Vst2", "Lv2", "Clap", "Vst3": test names by the standard the file's name calls for.
inline std::string StandardOfFile(const ::testing::TestParamInfo<std::string>& info)
{
    const std::string& path = info.param;
    const std::string ending = path.substr(path.find_last_of('.') + 1);
    if (ending == "lv2")
        return "Lv2";
    if (ending == "vst3")
        return "Vst3";
    return ending == "clap" ? "Clap" : "Vst2";
}

// A scenario over one plug-in file: its instances, prepared as a host prepares them.
class PluginScenario : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        const OpenedPluginFile& opened = OpenedBuiltPlugin(GetParam());
        ASSERT_TRUE(opened.file) << GetParam() << ": " << opened.problem << opened.systemError;
        file = opened.file.get();
    }

    std::unique_ptr<PluginDriver> NewInstance(double sampleRate = 44100.0, int32_t maxBlock = 512)
    {
        std::string error;
        std::unique_ptr<PluginDriver> driver = file->NewInstance(sampleRate, maxBlock, error);
        EXPECT_TRUE(driver) << error;
        if (driver)
            driver->Prepare(sampleRate, maxBlock);
        return driver;
    }

    // Whether the standard carries 64-bit samples; scenarios about the 64-bit arithmetic
    // itself are skipped where they would only test the driver's conversion.
    bool ProcessesDoubles()
    {
        std::unique_ptr<PluginDriver> driver = NewInstance();
        return driver && driver->Layout().noDoublesReason.empty();
    }

    PluginFile* file = nullptr;
};

#define INSTANTIATE_OVER_BUILT_PLUGINS(suite)                                                   \
    INSTANTIATE_TEST_SUITE_P(Built, suite, ::testing::ValuesIn(robustness::BuiltPluginFiles()), \
                             robustness::StandardOfFile)

}  // namespace robustness
