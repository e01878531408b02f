#pragma once

#include <string>

#include "host/PluginDriver.h"

// Opens a plug-in file with the driver its name calls for: a .dll or .so is a VST 2.x
// library, a .lv2 folder an LV2 bundle, a .clap file a CLAP library, a .vst3 bundle (or a
// .vst3 DLL on Windows) a VST3 module. A new standard is one more driver and one more line
// in the table behind this.
OpenedPluginFile OpenPluginFile(const std::string& path);
