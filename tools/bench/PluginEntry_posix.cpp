#include "tools/bench/PluginEntry.h"

#include <lv2/core/lv2.h>

#include "shell/EntryPoint.h"

VstPluginEntry LoadPluginEntry(const std::string&, std::string&)
{
    return &VSTPluginMain;
}

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

bool OpenLv2Plugin(double sampleRate, Lv2Plugin& plugin)
{
    const LV2_Descriptor* descriptor = lv2_descriptor(0);
    if (!descriptor)
        return false;
    plugin.handle = descriptor->instantiate(descriptor, sampleRate, "", nullptr);
    if (!plugin.handle)
        return false;
    plugin.connectPort = descriptor->connect_port;
    plugin.run = descriptor->run;
    plugin.cleanup = descriptor->cleanup;
    descriptor->activate(plugin.handle);
    return true;
}
