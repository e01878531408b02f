#pragma once

#include <cstdint>

#include "shell/Vst2.h"

class CHostAdapter;
class CTidegateAdapter;
class CVelvetineFilterInfo;

// The process-wide record made by the first entry call and never released.
struct ProcessContext {
    uint32_t cpuFeatures;
    CHostAdapter* host;  // bound to the first entry call's host callback
};

// The entry point the host calls once per instance; also exported as MAIN. Returns the new
// instance's effect record, or null when no instance could be made.
extern "C" AEffect* VSTPluginMain(audioMasterCallback callback);

// A new adapter bound to a new filter machine; null when one cannot be made.
CTidegateAdapter* CreateInstance(audioMasterCallback callback);

// The process-wide state, null before the first entry call.
const ProcessContext* CurrentProcessContext();
CVelvetineFilterInfo* CurrentMachineDescription();
