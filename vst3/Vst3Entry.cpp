// The module's export every platform shares: GetPluginFactory. The platform's load and
// unload entries are in Vst3Entry_win32.cpp and Vst3Entry_posix.cpp.

#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Factory.h"

// Exported by name through the module-definition file or the version script; hosts release
// the reference they are given, which the module's factory only counts.
extern "C" vst3::IPluginFactory* VST3_API GetPluginFactory();

extern "C" vst3::IPluginFactory* VST3_API GetPluginFactory()
{
    vst3::IPluginFactory* factory = Vst3Factory();
    factory->addRef();
    return factory;
}
