#pragma once

#include <string>

#include "host/PluginDriver.h"

// An LV2 bundle: the shared object named as the bundle is (X.lv2/X.so), loaded as LV2 hosts
// load it, and its first descriptor. Native builds only: elsewhere the file is refused.
OpenedPluginFile OpenLv2File(const std::string& bundle);
