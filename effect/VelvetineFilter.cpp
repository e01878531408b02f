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
      editor(nullptr),
      description(nullptr)
{
    sampleRate = host->GetSampleRate();
    blockLength = std::max(host->GetBlockSize(), 0);
    DesignPrototypes();
    this->description = description;

    ports = new CPort*[kPortCount];
    ports[kLineIn] = new CPort(host, this, PORT_STEREO_AUDIO_INPUT, "Line In");
    ports[kLineOut] = new CPort(host, this, PORT_STEREO_AUDIO_OUTPUT, "Line Out");
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

int CVelvetineFilter::PrototypeIndex(double value)
{
    // A restored state block or a misbehaving host may hand over anything; whatever it is
    // must select one of the five prototypes. NaN fails the first test and selects 2x.
    if (!(value >= 0.0))
        return 0;
    const double scaled = 4.0 * value;
    if (scaled >= kPrototypeCount - 1)
        return kPrototypeCount - 1;
    return static_cast<int>(scaled);
}

void CVelvetineFilter::Process()
{
    // Read once: a change made from another thread during the block applies to the next.
    const int index = PrototypeIndex(controlValues[kOversampling].load(std::memory_order_relaxed));
    CAudioBuffer& input = *ports[kLineIn]->audio;
    CAudioBuffer& output = *ports[kLineOut]->audio;
    const int frames = std::min({blockLength, input.length, output.length});
    // The input buffer's lead takes the prototype's history, so the block runs in one pass,
    // and keeps it for the next block as long as the same prototype runs over the same
    // memory: the buffer only moves when it grows, which raises its capacity.
    static_assert(CAudioBuffer::kLead >= kSparseHistory, "the lead holds the history");
    const bool leadHoldsHistory = lead.prototype == index && lead.left == input.channel[0] &&
                                  lead.right == input.channel[1] &&
                                  lead.capacity == input.Capacity();
    const bool held = RunIntoOutput(*bank[index], input, output, frames, PrototypeFactor(index),
                                    leadHoldsHistory);
    lead = {held ? index : -1, input.channel[0], input.channel[1], input.Capacity()};
}

// Straight into the host's arrays when the binding offers them, so no copy follows.
bool CVelvetineFilter::RunIntoOutput(CStereoFir& fir, CAudioBuffer& input, CAudioBuffer& output,
                                     int frames, int factor, bool leadHoldsHistory)
{
    CAudioBuffer::HostOutput& host = output.hostOutput;
    double* in[2] = {input.channel[0], input.channel[1]};
    if (host.floats[0] && host.floats[1] && fir.HasDesignedForm(factor)) {
        host.delivered = true;
        return fir.RunWithLead(in[0], in[1], host.floats[0], host.floats[1], frames, factor,
                               leadHoldsHistory);
    }
    if (host.doubles[0] && host.doubles[1]) {
        host.delivered = true;
        return fir.RunWithLead(in[0], in[1], host.doubles[0], host.doubles[1], frames, factor,
                               leadHoldsHistory);
    }
    return fir.RunWithLead(in[0], in[1], output.channel[0], output.channel[1], frames, factor,
                           leadHoldsHistory);
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
