#include "host/Vst3Module.h"

#include <windows.h>

#include "host/PluginLibrary.h"
#include "vst3/Vst3Abi.h"

namespace {

#if defined(_WIN64)
constexpr const char* kArchitecture = "x86_64-win";
#else
constexpr const char* kArchitecture = "x86-win";
#endif

std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string Vst3BinaryOf(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(WindowsPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path;
    // The binary inside has the bundle's own name, X.vst3.
    return path + "/Contents/" + kArchitecture + "/" + NameOf(path);
}

// Older hosts load modules without these; a module that has them expects the calls.
bool Vst3EnterModule(const PluginLibrary& library, std::string& problem)
{
    auto enter = reinterpret_cast<Vst3InitDllProc>(library.Export("InitDll"));
    if (enter && !enter()) {
        problem = "InitDll failed";
        return false;
    }
    return true;
}

void Vst3LeaveModule(const PluginLibrary& library)
{
    if (auto leave = reinterpret_cast<Vst3ExitDllProc>(library.Export("ExitDll")))
        leave();
}
