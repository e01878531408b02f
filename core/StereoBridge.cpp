#include "core/StereoBridge.h"

#include <algorithm>
#include <type_traits>

#include "effect/ControlDescription.h"
#include "effect/VelvetineFilter.h"
#include "framework/AudioBuffer.h"
#include "framework/Port.h"

namespace {

template <class Sample>
bool HasChannels(Sample* const* channels)
{
    return channels && channels[0] && channels[1];
}

// The buffer of the machine's first port of `type` when it holds two channels. The buffer
// lives as long as its port; only its memory moves.
CAudioBuffer* StereoBufferOf(const CMachine& machine, uint32_t type)
{
    for (int i = 0; machine.ports && i < machine.portCount; ++i) {
        const CPort* port = machine.ports[i];
        if (!port || port->type != type)
            continue;
        const CAudioBuffer* audio = port->audio;
        return audio && audio->stereo && audio->channel[0] && audio->channel[1] ? port->audio : nullptr;
    }
    return nullptr;
}

}  // namespace

CStereoBridge::CStereoBridge(CMachine& machine, BlockRule rule)
    : machine(machine),
      filter(dynamic_cast<CVelvetineFilter*>(&machine)),
      rule(rule),
      blockLength(0),
      preparedFrames(1),
      lineIn(StereoBufferOf(machine, PORT_STEREO_AUDIO_INPUT)),
      lineOut(StereoBufferOf(machine, PORT_STEREO_AUDIO_OUTPUT)),
      copies(BaselineSampleCopies())
{
}

void CStereoBridge::UseAvx2(bool processorHasAvx2)
{
    const SampleCopies wide = Avx2SampleCopies();
    copies = processorHasAvx2 && wide.widen && wide.narrow && wide.copy ? wide : BaselineSampleCopies();
}

void CStereoBridge::Prepare(int sampleRate, int maxFrames)
{
    SetSampleRate(sampleRate);
    preparedFrames = std::max(maxFrames, 1);
    SetBlockLength(preparedFrames);
}

void CStereoBridge::SetSampleRate(int sampleRate) { machine.SetSampleRate(sampleRate); }

void CStereoBridge::SetBlockLength(int frames)
{
    blockLength = std::max(frames, 0);
    machine.SetBlockLength(blockLength);
}

void CStereoBridge::Reset()
{
    if (filter)
        filter->ClearHistory();
}

void CStereoBridge::SetParameter(double value) { machine.SetControl(OversamplingControl::kIndex, value); }

double CStereoBridge::Parameter() const { return machine.GetControl(OversamplingControl::kIndex); }

template <class Sample>
void CStereoBridge::Run(const Sample* const* inputs, Sample* const* outputs, int frames)
{
    frames = std::max(frames, 0);
    if (rule == BlockRule::kFollowsCalls) {
        if (frames != blockLength)
            SetBlockLength(frames);
        RunSpan(inputs, outputs, 0, frames);
        return;
    }
    // Never longer than the buffers were prepared for, so a new length only shortens them.
    for (int done = 0; done < frames;) {
        const int length = std::min(frames - done, preparedFrames);
        if (length != blockLength)
            SetBlockLength(length);
        RunSpan(inputs, outputs, done, length);
        done += length;
    }
}

template <class Sample>
void CStereoBridge::RunSpan(const Sample* const* inputs, Sample* const* outputs, int offset, int frames)
{
    const bool writable = HasChannels(outputs);
    const Sample* in[2] = {nullptr, nullptr};
    Sample* out[2] = {nullptr, nullptr};
    for (int c = 0; c < 2; ++c) {
        if (inputs && inputs[c])
            in[c] = inputs[c] + offset;
        if (writable)
            out[c] = outputs[c] + offset;
    }
    // Every input sample of the span is read before any output is written either way, so
    // the host may hand the same arrays as input and output.
    if (in[0] && in[1] && writable && machine.ProcessArrays(in, out, frames))
        return;
    if (lineIn) {
        const int length = std::min(frames, lineIn->length);
        for (int c = 0; c < 2; ++c) {
            double* line = lineIn->channel[c];
            if (!in[c])
                std::fill(line, line + length, 0.0);
            else if constexpr (std::is_same_v<Sample, double>)
                copies.copy(in[c], line, length);
            else
                copies.widen(in[c], line, length);
        }
    }
    machine.Process();
    if (!writable || !lineOut)
        return;
    const int length = std::min(frames, lineOut->length);
    for (int c = 0; c < 2; ++c) {
        if constexpr (std::is_same_v<Sample, double>)
            copies.copy(lineOut->channel[c], out[c], length);
        else
            copies.narrow(lineOut->channel[c], out[c], length);
    }
}

template void CStereoBridge::Run(const float* const*, float* const*, int);
template void CStereoBridge::Run(const double* const*, double* const*, int);
