#pragma once

#include <string>

class PluginLibrary;

// Where a VST3 module's binary is and how a host enters and leaves it, per platform: a
// bundle folder X.vst3 holds the binary for each platform under Contents/<architecture>/
// (x86-win, x86_64-win, x86_64-linux); on Windows a plain X.vst3 DLL file is loaded as it is.
std::string Vst3BinaryOf(const std::string& path);
// InitDll on Windows, ModuleEntry on Linux: false when the module refuses or lacks it.
bool Vst3EnterModule(const PluginLibrary& library, std::string& problem);
void Vst3LeaveModule(const PluginLibrary& library);
