#pragma once

#include <string>

#include "host/PluginDriver.h"

// A CLAP library (X.clap): its clap_entry initialised while the file lives, and the first
// plug-in of its factory, driven as CLAP hosts drive it (activated for the rate and largest
// block, parameter changes as value events at the start of the next block).
OpenedPluginFile OpenClapFile(const std::string& path);
