#include "lv2/Lv2Instance.h"

#include <algorithm>
#include <climits>

#include "core/CpuFeatures.h"
#include "core/PluginProcess.h"
#include "effect/ControlDescription.h"
#include "effect/FilterDescription.h"
#include "effect/VelvetineFilter.h"
#include "lv2/Lv2Host.h"

namespace {

constexpr int kDefaultSampleRate = 48000;

// One description serves every instance of the process. Its host answers for machines
// being made; each instance then prepares its machine for its own rate and block length.
const PluginProcess& Process()
{
    return SharedPluginProcess([] {
        static CLv2Host descriptionHost(kDefaultSampleRate, CLv2Instance::kDefaultChunk);
        return new CFilterDescription(&descriptionHost);
    });
}

int SampleRateOf(double rate)
{
    if (!(rate >= 1.0 && rate <= 1e7))
        return kDefaultSampleRate;
    return static_cast<int>(rate);
}

int ChunkFor(int maxBlockLength)
{
    if (maxBlockLength <= 0)
        return CLv2Instance::kDefaultChunk;
    return std::min(maxBlockLength, CLv2Instance::kLargestChunk);
}

}  // namespace

CLv2Instance::CLv2Instance(double sampleRate, int maxBlockLength)
    : chunk(ChunkFor(maxBlockLength)),
      machine(Process().description->CreateFilter()),
      bridge(*machine, CStereoBridge::BlockRule::kPrepared)
{
    bridge.UseAvx2((Process().cpuFeatures & CPU_AVX2) != 0);
    bridge.Prepare(SampleRateOf(sampleRate), chunk);
}

CLv2Instance::~CLv2Instance() = default;

void CLv2Instance::ConnectPort(uint32_t port, void* data)
{
    if (port < kLv2PortCount)
        ports[port] = static_cast<float*>(data);
}

void CLv2Instance::Activate() { bridge.Reset(); }

void CLv2Instance::Run(uint32_t frames)
{
    // Read once per run, as the VST 2.x binding reads the parameter once per block. The port
    // selects the largest offered factor not above it; an unconnected one, the default.
    const float* control = ports[kLv2Oversampling];
    const int step = control ? OversamplingControl::StepOfFactor(*control) : OversamplingControl::kDefaultStep;
    const double value = OversamplingControl::ValueOfStep(step);
    if (value != machineControl) {
        bridge.SetParameter(value);
        machineControl = value;
    }
    float* const outputs[2] = {ports[kLv2OutLeft], ports[kLv2OutRight]};
    if (!outputs[0] || !outputs[1] || frames == 0)
        return;
    const float* const inputs[2] = {ports[kLv2InLeft], ports[kLv2InRight]};
    bridge.Process(inputs, outputs, static_cast<int>(std::min<uint32_t>(frames, INT_MAX)));
}
