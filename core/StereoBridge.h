#pragma once

#include <cstddef>

#include "core/SampleCopy.h"
#include "framework/Machine.h"

class CAudioBuffer;
class CVelvetineFilter;

// Runs one machine from a host's stereo channel arrays, for every plug-in standard:
// 32-bit and 64-bit samples, the same arrays as input and output, unconnected inputs read
// as silence. Blocks the machine can take straight from the host's arrays go there; others
// pass through the machine's port buffers. Processing allocates nothing and takes no lock
// unless the binding's rule for block lengths asks for it (see BlockRule).
class CStereoBridge {
public:
    enum class BlockRule {
        // Prepared once for the longest block; a longer call runs in chunks of that length.
        kPrepared,
        // The machine's block length becomes every call's frame count, as a VST 2.x effect's
        // does: a longer block than any before grows the port buffers on the audio thread.
        kFollowsCalls,
    };

    // The machine stays its owner's; the bridge only drives it, through its first stereo
    // audio input and output ports.
    CStereoBridge(CMachine& machine, BlockRule rule);

    // Copies 32-bit samples with AVX2 when the processor has it; chosen before processing.
    void UseAvx2(bool processorHasAvx2);

    // Not on the audio thread: sizes the port buffers for `maxFrames` (at least one frame).
    void Prepare(int sampleRate, int maxFrames);
    void SetSampleRate(int sampleRate);
    // Makes the machine's block length `frames` now (negative counts as 0).
    void SetBlockLength(int frames);
    int BlockLength() const { return blockLength; }

    // Silence in the filter's history, as in a new machine; allocates nothing. (Machines of
    // other kinds, such as test stand-ins, keep theirs.)
    void Reset();

    // The machine's one control, 0 ... 1.
    void SetParameter(double value);
    double Parameter() const;

    // `inputs` may be null, or have null channels, which read as silence; `outputs` must have
    // both channels to be written (otherwise the block runs and nothing is written).
    // Inputs and outputs may be the same arrays.
    void Process(const float* const* inputs, float* const* outputs, int frames)
    {
        if (!RanDirectly(inputs, outputs, frames))
            Run(inputs, outputs, frames);
    }
    void Process(const double* const* inputs, double* const* outputs, int frames)
    {
        if (!RanDirectly(inputs, outputs, frames))
            Run(inputs, outputs, frames);
    }

    // The `frames` frames from `offset` on of arrays as Process takes them: a block that a
    // host's event splits runs in spans.
    template <class Sample>
    void ProcessFrom(const Sample* const* inputs, Sample* const* outputs, size_t offset, int frames)
    {
        if (offset == 0) {
            Process(inputs, outputs, frames);
            return;
        }
        const Sample* in[2] = {nullptr, nullptr};
        Sample* out[2] = {nullptr, nullptr};
        for (int c = 0; c < 2; ++c) {
            if (inputs && inputs[c])
                in[c] = inputs[c] + offset;
            if (outputs && outputs[c])
                out[c] = outputs[c] + offset;
        }
        Process(in, out, frames);
    }

    CStereoBridge(const CStereoBridge&) = delete;
    CStereoBridge& operator=(const CStereoBridge&) = delete;

private:
    // The usual call, checked here, inline, so that it costs the host nothing beyond the
    // machine's own call: a block as long as the last, every channel given, which the
    // machine runs straight from the host's arrays into the host's.
    template <class Sample>
    bool RanDirectly(const Sample* const* inputs, Sample* const* outputs, int frames)
    {
        return frames == blockLength && inputs && inputs[0] && inputs[1] && outputs && outputs[0] &&
               outputs[1] && machine.ProcessArrays(inputs, outputs, frames);
    }
    template <class Sample>
    void Run(const Sample* const* inputs, Sample* const* outputs, int frames);
    template <class Sample>
    void RunSpan(const Sample* const* inputs, Sample* const* outputs, int offset, int frames);

    CMachine& machine;
    CVelvetineFilter* filter;  // the same machine, when it is the filter
    BlockRule rule;
    int blockLength;
    int preparedFrames;
    CAudioBuffer* lineIn;
    CAudioBuffer* lineOut;
    SampleCopies copies;
};
