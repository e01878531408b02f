#include "host/Lv2Driver.h"

// The project ships its LV2 plug-in for Linux only.
OpenedPluginFile OpenLv2File(const std::string&)
{
    OpenedPluginFile opened;
    opened.problem = "LV2 bundles are loaded in native builds only";
    return opened;
}
