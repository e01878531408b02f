#include "effect/VelvetineFilter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "effect/ControlDescription.h"
#include "effect/FilterDesign.h"
#include "effect/StereoFir.h"
#include "framework/AudioBuffer.h"
#include "framework/Host.h"
#include "framework/Port.h"

namespace {

enum ControlIndex { kOversampling = OversamplingControl::kIndex, kControlCount };

// The controls, one row each; display kind 0 shows the oversampling factor.
constexpr const char* kControlNames[kControlCount] = {OversamplingControl::kName};
constexpr int kControlDisplayKinds[kControlCount] = {0};
constexpr double kControlDefaults[kControlCount] = {
    OversamplingControl::ValueOfStep(OversamplingControl::kDefaultStep)};

enum PortIndex { kLineIn = 0, kLineOut, kPortCount };

}  // namespace

CVelvetineFilter::CVelvetineFilter(CHost* host, CFilterDescription* description)
    : CMachine(host),
      sampleRate(0),
      blockLength(0),
      controlValues(nullptr),
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
    for (CStereoFir* fir : bank)
        delete fir;
    delete[] controlValues;
}

void CVelvetineFilter::DesignPrototypes()
{
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

void CVelvetineFilter::ClearHistory()
{
    for (CStereoFir* fir : bank)
        fir->ClearHistory();
    KeepLead(-1);
}

int CVelvetineFilter::SelectedPrototype() const
{
    return selectedPrototype.load(std::memory_order_relaxed);
}

int CVelvetineFilter::PortFrames() const
{
    return std::min({blockLength, lineIn->length, lineOut->length});
}

bool CVelvetineFilter::LeadHoldsHistory(int prototype) const
{
    static_assert(CAudioBuffer::kLead >= kSparseHistory, "the lead holds the history");
    return lead.prototype == prototype && lead.left == lineIn->channel[0] &&
           lead.right == lineIn->channel[1] && lead.capacity == lineIn->Capacity();
}

void CVelvetineFilter::KeepLead(int prototype)
{
    lead = {prototype, lineIn->channel[0], lineIn->channel[1], lineIn->Capacity()};
}

void CVelvetineFilter::Process()
{
    const int index = SelectedPrototype();
    CStereoFir& fir = *bank[index];
    const int factor = PrototypeFactor(index);
    const int frames = PortFrames();
    CAudioBuffer& input = *lineIn;
    CAudioBuffer& output = *lineOut;
    bool held = false;
    if (fir.HasDesignedForm(factor)) {
        const double* const inLines[2] = {nullptr, nullptr};
        held = fir.RunBlock(inLines, input.channel, output.channel, frames, factor,
                            LeadHoldsHistory(index));
    } else {
        fir.Run(input.channel[0], input.channel[1], output.channel[0], output.channel[1], frames,
                factor);
    }
    KeepLead(held ? index : -1);
}

// The usual block, as long as every port, in the designed form: the fused block reads the
// host's inputs and writes its sums straight to the host's outputs, so that no copy comes
// before or after. Anything else is left to Process.
template <class Sample>
bool CVelvetineFilter::RunArrays(const Sample* const* inputs, Sample* const* outputs,
                                 int frames)
{
    const int index = SelectedPrototype();
    CStereoFir& fir = *bank[index];
    const int factor = PrototypeFactor(index);
    if (frames != PortFrames() || !fir.HasDesignedForm(factor))
        return false;
    const bool held =
        fir.RunBlock(inputs, lineIn->channel, outputs, frames, factor, LeadHoldsHistory(index));
    KeepLead(held ? index : -1);
    return true;
}

bool CVelvetineFilter::ProcessArrays(const float* const* inputs, float* const* outputs,
                                     int frames)
{
    return RunArrays(inputs, outputs, frames);
}

bool CVelvetineFilter::ProcessArrays(const double* const* inputs, double* const* outputs,
                                     int frames)
{
    return RunArrays(inputs, outputs, frames);
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
    selectedPrototype.store(PrototypeIndex(value), std::memory_order_relaxed);
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
        std::snprintf(text, kMachineTextSize, "%s",
                      OversamplingControl::TextOfStep(OversamplingControl::StepOfValue(value)));
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
