#include "effect/VelvetineFilter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "effect/FilterDesign.h"
#include "effect/StereoFir.h"
#include "framework/AudioBuffer.h"
#include "framework/Host.h"
#include "framework/Port.h"

namespace {

enum ControlIndex { kOversampling = 0, kControlCount };

// The controls, one row each; display kind 0 shows the oversampling factor.
constexpr const char* kControlNames[kControlCount] = {"Oversampling"};
constexpr int kControlDisplayKinds[kControlCount] = {0};
constexpr double kControlDefaults[kControlCount] = {0.0};

enum PortIndex { kLineIn = 0, kLineOut, kPortCount };

}  // namespace

CVelvetineFilter::CVelvetineFilter(CHost* host, CVelvetineFilterInfo* description)
    : CMachine(host),
      sampleRate(0),
      blockLength(0),
      controlValues(nullptr),
      bank(nullptr),
      lineIn(nullptr),
      lineOut(nullptr),
      editor(nullptr),
      description(nullptr)
{
    sampleRate = host->GetSampleRate();
    blockLength = std::max(host->GetBlockSize(), 0);
    DesignPrototypes();
    this->description = description;

    ports = new CPort*[kPortCount];
    ports[kLineIn] = new CPort(host, this, PORT_STEREO_AUDIO_INPUT, "Line In");
    // The processing copies offered host inputs in itself, fused with the block.
    ports[kLineIn]->audio->takesHostArrays = true;
    ports[kLineOut] = new CPort(host, this, PORT_STEREO_AUDIO_OUTPUT, "Line Out");
    lineIn = ports[kLineIn]->audio;
    lineOut = ports[kLineOut]->audio;
    portCount = kPortCount;
    controlCount = kControlCount;

    controlValues = new std::atomic<double>[kControlCount];
    for (int i = 0; i < kControlCount; ++i)
        SetControl(i, kControlDefaults[i]);
}

CVelvetineFilter::~CVelvetineFilter()
{
    DeleteEditor();
    for (int i = 0; i < portCount; ++i)
        delete ports[i];
    delete[] ports;
    ports = nullptr;
    portCount = 0;
    for (int i = 0; i < kPrototypeCount; ++i)
        delete bank[i];
    delete[] bank;
    delete[] controlValues;
}

void CVelvetineFilter::DesignPrototypes()
{
    bank = new CStereoFir*[kPrototypeCount];
    for (int i = 0; i < kPrototypeCount; ++i) {
        const PrototypeDesign& design = DesignedPrototype(i);
        const double* h = design.coefficients.data();
        bank[i] = new CStereoFir(static_cast<int>(design.coefficients.size()), h, h);
        bank[i]->gain = design.gain;
    }
}

void CVelvetineFilter::UseAvx2(bool processorHasAvx2)
{
    const SparseFirKernels kernels =
        processorHasAvx2 ? Avx2SparseFirKernels() : BaselineSparseFirKernels();
    for (int i = 0; i < kPrototypeCount; ++i)
        bank[i]->UseKernels(kernels);
}

void CVelvetineFilter::Process()
{
    // Read once: a change made from another thread during the block applies to the next.
    const int index = PrototypeIndex(controlValues[kOversampling].load(std::memory_order_relaxed));
    CAudioBuffer& input = *lineIn;
    CAudioBuffer& output = *lineOut;
    const int frames = std::min({blockLength, input.length, output.length});
    const int factor = PrototypeFactor(index);
    CStereoFir& fir = *bank[index];
    // The input buffer's lead takes the prototype's history, so the block runs in one pass,
    // and keeps it for the next block as long as the same prototype runs over the same
    // memory: the buffer only moves when it grows, which raises its capacity.
    static_assert(CAudioBuffer::kLead >= kSparseHistory, "the lead holds the history");
    const bool leadHoldsHistory = lead.prototype == index && lead.left == input.channel[0] &&
                                  lead.right == input.channel[1] &&
                                  lead.capacity == input.Capacity();
    bool held = false;
    if (fir.HasDesignedForm(factor)) {
        held = RunDesigned(fir, input, output, frames, factor, leadHoldsHistory);
    } else {
        TakeHostInput(input, frames);
        fir.Run(input.channel[0], input.channel[1], output.channel[0], output.channel[1], frames,
                factor);
    }
    lead = {held ? index : -1, input.channel[0], input.channel[1], input.Capacity()};
}

namespace {

template <class Sample>
bool Offered(Sample* const* channels)
{
    return channels[0] && channels[1];
}

}  // namespace

// Straight from the host's arrays into the host's arrays when the binding offers both in
// one precision, so that no copy comes before or after.
bool CVelvetineFilter::RunDesigned(CStereoFir& fir, CAudioBuffer& input, CAudioBuffer& output,
                                   int frames, int factor, bool leadHoldsHistory)
{
    CAudioBuffer::HostArrays& from = input.host;
    CAudioBuffer::HostArrays& to = output.host;
    if (Offered(from.floats) && Offered(to.floats)) {
        to.delivered = true;
        return fir.RunBlock(from.floats, input.channel, to.floats, frames, factor,
                            leadHoldsHistory);
    }
    if (Offered(from.doubles) && Offered(to.doubles)) {
        to.delivered = true;
        return fir.RunBlock(from.doubles, input.channel, to.doubles, frames, factor,
                            leadHoldsHistory);
    }
    TakeHostInput(input, frames);
    const double* const inLines[2] = {nullptr, nullptr};
    double* const* target = output.channel;
    if (Offered(to.doubles)) {
        target = to.doubles;
        to.delivered = true;
    }
    return fir.RunBlock(inLines, input.channel, target, frames, factor, leadHoldsHistory);
}

// Offered inputs that the block does not read itself go into the buffer first.
void CVelvetineFilter::TakeHostInput(CAudioBuffer& input, int frames)
{
    for (int c = 0; c < 2; ++c) {
        if (Offered(input.host.floats))
            std::copy(input.host.floats[c], input.host.floats[c] + frames, input.channel[c]);
        else if (Offered(input.host.doubles))
            std::copy(input.host.doubles[c], input.host.doubles[c] + frames, input.channel[c]);
    }
}

double CVelvetineFilter::GetControl(int index)
{
    return index == kOversampling ? controlValues[kOversampling].load(std::memory_order_relaxed)
                                   : 0.0;
}

void CVelvetineFilter::SetControl(int index, double value)
{
    if (index != kOversampling)
        return;
    controlValues[kOversampling].store(value, std::memory_order_relaxed);
    if (editor)
        UpdateEditor();
}

void CVelvetineFilter::GetControlName(int index, char* text)
{
    if (index >= 0 && index < kControlCount)
        std::strcpy(text, kControlNames[index]);
    else
        text[0] = '\0';
}

void CVelvetineFilter::GetControlText(int index, double value, char* text)
{
    if (index == kOversampling && kControlDisplayKinds[index] == 0)
        std::snprintf(text, kMachineTextSize, "%ix", PrototypeFactor(PrototypeIndex(value)));
    else
        text[0] = '\0';
}

void CVelvetineFilter::SetSampleRate(int rate) { sampleRate = rate; }

void CVelvetineFilter::SetBlockLength(int frames)
{
    blockLength = std::max(frames, 0);
    SetBlockSize(blockLength);
}

bool CVelvetineFilter::ReservedQuery() { return false; }
