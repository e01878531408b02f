#pragma once

#include <string>

#include "shell/Vst2.h"

// A plug-in library loaded the way hosts load it: LoadLibraryA and GetProcAddress of
// "VSTPluginMain" on Windows, dlopen and dlsym natively (falling back to "main", the name
// older Linux hosts look for).
class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();  // unloads the library

    bool Loaded() const { return module != nullptr; }
    const std::string& Path() const { return path; }
    // Why loading failed, with the system's error code.
    const std::string& Error() const { return error; }
    void* Module() const { return module; }

    VstPluginEntry Entry() const { return entry; }
    // Any exported function, or null.
    void* Export(const char* name) const;

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

private:
    std::string path;
    std::string error;
    void* module = nullptr;
    VstPluginEntry entry = nullptr;
};

// Windows builds only. A path as Windows programs under Wine take it: "/a/b.dll" becomes
// "Z:\a\b.dll"; paths that already have a drive are only given backslashes.
std::string WindowsPath(const std::string& path);
