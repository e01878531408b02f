#include "tools/bench/PluginEntry.h"

#include <windows.h>

#include <algorithm>

VstPluginEntry LoadPluginEntry(const std::string& path, std::string& error)
{
    std::string windowsPath = path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    if (!path.empty() && path[0] == '/')
        windowsPath = "Z:" + windowsPath;
    HMODULE library = LoadLibraryA(windowsPath.c_str());
    if (!library) {
        error = "cannot load " + windowsPath + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    auto entry = reinterpret_cast<VstPluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")));
    if (!entry)
        error = "no VSTPluginMain in " + windowsPath;
    return entry;
}

bool OpenLv2Plugin(double, Lv2Plugin&)
{
    return false;
}
