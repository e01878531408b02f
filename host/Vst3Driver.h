#pragma once

#include <string>

#include "host/PluginDriver.h"

// A VST3 module (the bundle folder X.vst3, or on Windows also a plain X.vst3 DLL), entered
// while the file lives, and the first audio effect class of its factory, driven as VST3 hosts
// drive it: the processor and its edit controller made and connected, the controller given
// the processor's state, processing set up for the rate and largest block, activated, and
// parameter changes handed to the processor at offset 0 of the next block.
OpenedPluginFile OpenVst3File(const std::string& path);
