#include "core/PluginProcess.h"

#include "core/CpuFeatures.h"
#include "framework/AudioBuffer.h"

namespace {

// Never released: instances come and go, the description stays.
PluginProcess* process = nullptr;

}  // namespace

const PluginProcess* CurrentPluginProcess() { return process; }

uint32_t ProbeProcessAndMakeBuffers()
{
    const uint32_t features = ProbeCpuFeatures();
    CreateConstantBuffers();
    return features;
}

const PluginProcess& KeepPluginProcess(uint32_t cpuFeatures, CFilterDescription* description)
{
    description->useAvx2 = (cpuFeatures & CPU_AVX2) != 0;
    process = new PluginProcess{cpuFeatures, description};
    return *process;
}
