#pragma once

#include <cstdint>
#include <string>

#include "shell/Vst2.h"

// The plug-in's entry point as a host reaches it. Windows: `path` names the DLL, which is
// loaded and kept loaded. Native builds link the plug-in into the program and ignore it.
// Null (with `error` set) when there is none.
VstPluginEntry LoadPluginEntry(const std::string& path, std::string& error);

// An instance of the LV2 plug-in, driven through its descriptor's functions as LV2 hosts
// drive it. Natively the bundle's code is linked in; Windows builds have none.
struct Lv2Plugin {
    void* handle = nullptr;
    void (*connectPort)(void* handle, uint32_t port, void* data) = nullptr;
    void (*run)(void* handle, uint32_t frames) = nullptr;
    void (*cleanup)(void* handle) = nullptr;
};
// Instantiated and activated at `sampleRate`; false where there is no LV2 plug-in.
bool OpenLv2Plugin(double sampleRate, Lv2Plugin& plugin);
