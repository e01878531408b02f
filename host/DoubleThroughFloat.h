#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// 64-bit blocks for an instance that processes 32-bit samples only: each block is narrowed
// into float buffers made beforehand, processed there and widened back, in pieces as long
// as those buffers, so that the audio thread allocates nothing. The outputs may be the
// inputs.
class DoubleThroughFloat {
public:
    // Off the audio thread: the buffers for blocks up to `frames` long.
    void Reserve(int32_t frames)
    {
        const size_t length = size_t(std::max<int32_t>(frames, 1));
        for (int c = 0; c < 2; ++c) {
            in[c].assign(length, 0.0f);
            out[c].assign(length, 0.0f);
        }
    }

    template <typename ProcessFloats>
    void Process(double** inputs, double** outputs, int32_t frames, ProcessFloats processFloats)
    {
        const int32_t piece = int32_t(in[0].size());
        if (piece == 0)
            return;  // never reserved: nothing to process with
        for (int32_t done = 0; done < frames; done += piece) {
            const int32_t length = std::min(piece, frames - done);
            for (int c = 0; c < 2; ++c)
                std::transform(inputs[c] + done, inputs[c] + done + length, in[c].begin(),
                               [](double sample) { return float(sample); });
            float* floatInputs[2] = {in[0].data(), in[1].data()};
            float* floatOutputs[2] = {out[0].data(), out[1].data()};
            processFloats(floatInputs, floatOutputs, length);
            for (int c = 0; c < 2; ++c)
                std::copy(out[c].begin(), out[c].begin() + length, outputs[c] + done);
        }
    }

private:
    std::vector<float> in[2];
    std::vector<float> out[2];
};
