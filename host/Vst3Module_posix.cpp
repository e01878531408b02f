#include "host/Vst3Module.h"

#include <sys/stat.h>

#include "host/PluginLibrary.h"
#include "vst3/Vst3Abi.h"

namespace {

#if defined(__x86_64__)
constexpr const char* kArchitecture = "x86_64-linux";
#elif defined(__i386__)
constexpr const char* kArchitecture = "i386-linux";
#elif defined(__aarch64__)
constexpr const char* kArchitecture = "aarch64-linux";
#else
constexpr const char* kArchitecture = "unknown-linux";
#endif

std::string NameWithoutSuffix(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string Vst3BinaryOf(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return path;
    return path + "/Contents/" + kArchitecture + "/" + NameWithoutSuffix(path) + ".so";
}

bool Vst3EnterModule(const PluginLibrary& library, std::string& problem)
{
    auto enter = reinterpret_cast<Vst3ModuleEntryProc>(library.Export("ModuleEntry"));
    if (!enter || !library.Export("ModuleExit")) {
        problem = "exports no ModuleEntry and ModuleExit: Linux hosts refuse such a VST3 module";
        return false;
    }
    if (!enter(library.Module())) {
        problem = "ModuleEntry failed";
        return false;
    }
    return true;
}

void Vst3LeaveModule(const PluginLibrary& library)
{
    if (auto leave = reinterpret_cast<Vst3ModuleExitProc>(library.Export("ModuleExit")))
        leave();
}
