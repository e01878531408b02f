#pragma once

#include <string>

#include "shell/Vst2.h"

// The plug-in's entry point as a host reaches it. Windows: `path` names the DLL, which is
// loaded and kept loaded. Native builds link the plug-in into the program and ignore it.
// Null (with `error` set) when there is none.
VstPluginEntry LoadPluginEntry(const std::string& path, std::string& error);
