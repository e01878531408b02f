#include "host/PluginLibrary.h"

#include <windows.h>

#include <algorithm>

PluginLibrary::PluginLibrary(const std::string& requestedPath) : path(WindowsPath(requestedPath))
{
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) {
        error = "LoadLibraryA(" + path + ") failed with error " + std::to_string(GetLastError());
        return;
    }
    module = library;
    entry = reinterpret_cast<VstPluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")));
    if (!entry)
        error = "no VSTPluginMain in " + path;
}

PluginLibrary::~PluginLibrary()
{
    if (module)
        FreeLibrary(static_cast<HMODULE>(module));
}

void* PluginLibrary::Export(const char* name) const
{
    if (!module)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::string WindowsPath(const std::string& path)
{
    std::string result = path;
    std::replace(result.begin(), result.end(), '/', '\\');
    if (!path.empty() && path[0] == '/')
        result = "Z:" + result;
    return result;
}
