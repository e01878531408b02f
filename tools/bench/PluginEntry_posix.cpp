#include "tools/bench/PluginEntry.h"

#include "shell/EntryPoint.h"

VstPluginEntry LoadPluginEntry(const std::string&, std::string&)
{
    return &VSTPluginMain;
}
