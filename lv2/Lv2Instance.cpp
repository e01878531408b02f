#include "lv2/Lv2Instance.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effect/ControlDescription.h"
#include "effect/VelvetineFilter.h"
#include "effect/FilterDescription.h"
#include "framework/AudioBuffer.h"
#include "framework/Port.h"
#include "core/CpuFeatures.h"
#include "core/SampleCopy.h"

namespace {

constexpr int kDefaultSampleRate = 48000;

// One description serves every instance of the process, as in the VST 2.x binding; it is
// made with the first instance and kept.
CFilterDescription& SharedDescription()
{
    static CLv2Host descriptionHost(kDefaultSampleRate, CLv2Instance::kDefaultChunk);
    static CFilterDescription* description = [] {
        CreateConstantBuffers();
        return new CFilterDescription(&descriptionHost);
    }();
    return *description;
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

// The processor is probed once per process, as the VST 2.x binding does.
bool ProcessorHasAvx2()
{
    static const bool avx2 = (ProbeCpuFeatures() & CPU_AVX2) != 0;
    return avx2;
}

CMachine* NewMachine(CLv2Host& host, int chunk)
{
    CVelvetineFilter* machine = new CVelvetineFilter(&host, &SharedDescription());
    machine->UseAvx2(ProcessorHasAvx2());
    machine->SetBlockLength(chunk);
    return machine;
}

}  // namespace

CLv2Instance::CLv2Instance(double sampleRate, int maxBlockLength)
    : host(SampleRateOf(sampleRate), ChunkFor(maxBlockLength)),
      chunk(ChunkFor(maxBlockLength)),
      machine(NewMachine(host, chunk)),
      machineBlock(chunk),
      dirty(false)
{
}

CLv2Instance::~CLv2Instance() = default;

void CLv2Instance::ConnectPort(uint32_t port, void* data)
{
    if (port < kLv2PortCount)
        ports[port] = static_cast<float*>(data);
}

void CLv2Instance::Activate()
{
    if (!dirty)
        return;
    // The machine keeps its history in its prototypes; a new machine is the sure way to
    // start from silence, and activation may allocate. Out of memory, the old one stays.
    try {
        machine.reset(NewMachine(host, chunk));
        machineBlock = chunk;
        machineControl = -1.0;
        dirty = false;
    } catch (const std::bad_alloc&) {
    }
}

void CLv2Instance::Run(uint32_t frames)
{
    // Read once per run, as the VST 2.x binding reads the parameter once per block. The port
    // selects the largest offered factor not above it; an unconnected one, the default.
    const float* control = ports[kLv2Oversampling];
    const int step = control ? OversamplingControl::StepOfFactor(*control) : OversamplingControl::kDefaultStep;
    const double value = OversamplingControl::ValueOfStep(step);
    if (value != machineControl) {
        machine->SetControl(0, value);
        machineControl = value;
    }
    const float* inLeft = ports[kLv2InLeft];
    const float* inRight = ports[kLv2InRight];
    float* outLeft = ports[kLv2OutLeft];
    float* outRight = ports[kLv2OutRight];
    if (!outLeft || !outRight || frames == 0)
        return;
    dirty = true;
    for (uint32_t done = 0; done < frames;) {
        const int length = static_cast<int>(std::min<uint32_t>(frames - done, chunk));
        ProcessChunk(inLeft ? inLeft + done : nullptr, inRight ? inRight + done : nullptr,
                     outLeft + done, outRight + done, length);
        done += static_cast<uint32_t>(length);
    }
}

void CLv2Instance::ProcessChunk(const float* inLeft, const float* inRight, float* outLeft,
                                float* outRight, int frames)
{
    // Never longer than the buffers were made for, so resizing them only shortens them.
    if (frames != machineBlock) {
        machine->SetBlockLength(frames);
        machineBlock = frames;
    }
    // Connected inputs run straight from the host's buffers to its outputs. Either way every
    // input sample of the chunk is read before any output is written, so the host may hand
    // the same buffer as input and output.
    const float* const sources[2] = {inLeft, inRight};
    float* const targets[2] = {outLeft, outRight};
    if (inLeft && inRight && machine->ProcessArrays(sources, targets, frames))
        return;
    // An unconnected input reads as silence.
    const SampleCopies copies = BaselineSampleCopies();
    CAudioBuffer& input = *machine->ports[0]->audio;
    CAudioBuffer& output = *machine->ports[1]->audio;
    for (int c = 0; c < 2; ++c) {
        if (sources[c])
            copies.widen(sources[c], input.channel[c], frames);
        else
            std::fill(input.channel[c], input.channel[c] + frames, 0.0);
    }
    machine->Process();
    for (int c = 0; c < 2; ++c)
        copies.narrow(output.channel[c], targets[c], frames);
}
