#pragma once

// Sample blocks handed to the plug-in, with guard samples after each channel, so that the
// untouched tail shows whether the plug-in wrote exactly the frames it was asked for, and
// a copy of the inputs, so that a write to them shows.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace robustness {

// Two input and two output channels of up to `capacity` frames, each followed by guard
// samples. Outputs are prefilled with a sentinel before every call so that any sample the
// plug-in wrote outside the frames it was given is found; inputs are kept to check that
// the plug-in never writes them.
template <typename Sample>
class GuardedStereoBlock {
public:
    static constexpr int kGuardFrames = 16;
    static constexpr Sample kSentinel = Sample(-12345.25);

    explicit GuardedStereoBlock(int capacity) : capacity(capacity)
    {
        for (int c = 0; c < 2; ++c) {
            in[c].assign(size_t(capacity + kGuardFrames), Sample(0));
            inCopy[c].assign(size_t(capacity + kGuardFrames), Sample(0));
            out[c].assign(size_t(capacity + kGuardFrames), kSentinel);
        }
    }

    int Capacity() const { return capacity; }
    Sample** Inputs()
    {
        inputs[0] = in[0].data();
        inputs[1] = in[1].data();
        return inputs;
    }
    Sample** Outputs()
    {
        outputs[0] = out[0].data();
        outputs[1] = out[1].data();
        return outputs;
    }

    // Fills the first `frames` inputs with one of the kinds of signal a host plays
    // (silence, noise up to full scale, a square wave at full scale, subnormal values) and
    // every output with the sentinel.
    template <typename Random>
    void Prepare(Random& random, int frames)
    {
        const int kind = int(random() % 4);
        const int filled = frames < 0 ? 0 : (frames > capacity ? capacity : frames);
        uint64_t state = random() | 1;
        for (int c = 0; c < 2; ++c) {
            for (int i = 0; i < filled; ++i) {
                // xorshift: the sample values need no better generator, and this runs for
                // every sample of a million blocks.
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                const double unit = double(int64_t(state)) * (1.0 / 9223372036854775808.0);
                double value = 0.0;
                if (kind == 1)
                    value = unit;
                else if (kind == 2)
                    value = (i / 37) % 2 ? -1.0 : 1.0;
                else if (kind == 3)
                    value = unit * double(SmallestNormal()) * 0.5;
                in[c][size_t(i)] = Sample(value);
            }
            std::copy(in[c].begin(), in[c].begin() + filled, inCopy[c].begin());
            std::fill(out[c].begin(), out[c].end(), kSentinel);
        }
    }

    // Whether the first `frames` outputs are finite and nothing else was written.
    bool WroteExactlyFiniteFrames(int frames) const
    {
        const int written = frames > 0 ? frames : 0;
        for (int c = 0; c < 2; ++c) {
            for (int i = 0; i < written; ++i)
                if (!std::isfinite(out[c][size_t(i)]))
                    return false;
            for (size_t i = size_t(written); i < out[c].size(); ++i)
                if (std::memcmp(&out[c][i], &kSentinel, sizeof(Sample)) != 0)
                    return false;
        }
        return true;
    }

    bool InputsUntouched() const { return in[0] == inCopy[0] && in[1] == inCopy[1]; }

private:
    static Sample SmallestNormal();

    int capacity;
    std::vector<Sample> in[2];
    std::vector<Sample> inCopy[2];
    std::vector<Sample> out[2];
    Sample* inputs[2] = {nullptr, nullptr};
    Sample* outputs[2] = {nullptr, nullptr};
};

template <>
inline float GuardedStereoBlock<float>::SmallestNormal()
{
    return 1.17549435e-38f;
}

template <>
inline double GuardedStereoBlock<double>::SmallestNormal()
{
    return 2.2250738585072014e-308;
}

}  // namespace robustness
