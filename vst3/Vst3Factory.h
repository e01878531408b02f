#pragma once

#include "vst3/Vst3Abi.h"

// The module's one factory, as GetPluginFactory hands it out: the processor and the edit
// controller, described from the identity record. It lives as long as the module; hosts'
// references only count.
vst3::IPluginFactory3* Vst3Factory();
