// The DLL as a module: its load notification and the version resource that file
// properties and installers read.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/host/BuiltPlugin.h"

namespace {

std::string VersionString(const std::vector<char>& info, const char* name)
{
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        !value)
        return "<missing>";
    return std::string(value);
}

TEST(DllModule, VersionResourceNamesProductCompanyAndVersion)
{
    ASSERT_PLUGIN_LOADED();
    const std::string path = BuiltPlugin().Path();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (DWORD(VELVETINE_VERSION_MAJOR) << 16) | VELVETINE_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(VELVETINE_VERSION_PATCH) << 16);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    EXPECT_EQ(VersionString(info, "ProductName"), "QM Velvetine");
    EXPECT_EQ(VersionString(info, "CompanyName"), "Fernhollowstudios");
    EXPECT_EQ(VersionString(info, "FileVersion"), VELVETINE_VERSION);
    EXPECT_EQ(VersionString(info, "ProductVersion"), VELVETINE_VERSION);
    EXPECT_EQ(VersionString(info, "OriginalFilename"), "QMVelvetine.dll");
    EXPECT_NE(VersionString(info, "FileDescription"), "<missing>");
}

TEST(DllModule, LoadNotificationAnswersTrueToEveryReason)
{
    ASSERT_PLUGIN_LOADED();
    using LoadNotification = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
    auto notify = reinterpret_cast<LoadNotification>(BuiltPlugin().Export("DllMain"));
    ASSERT_NE(notify, nullptr);
    const auto module = static_cast<HINSTANCE>(BuiltPlugin().Module());
    for (DWORD reason : {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH})
        EXPECT_EQ(notify(module, reason, nullptr), TRUE) << reason;
    // The library stays usable: the handle it recorded is its own.
    AEffect* effect = BuiltPlugin().Entry()(ProgramHost().Callback());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
