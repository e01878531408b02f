// The bridge every binding runs the machine through: however a host cuts, lays out or
// leaves out its buffers, the samples that come out are those of one plain pass.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "core/StereoBridge.h"
#include "effect/FilterDescription.h"
#include "effect/VelvetineFilter.h"
#include "tests/framework/FakeHost.h"

namespace {

using Rule = CStereoBridge::BlockRule;

template <class Sample>
struct Stereo {
    explicit Stereo(int frames) : left(frames), right(frames) {}
    std::vector<Sample> left, right;
    Sample* channels[2] = {nullptr, nullptr};
    Sample* const* Channels()
    {
        channels[0] = left.data();
        channels[1] = right.data();
        return channels;
    }
    bool operator==(const Stereo& other) const { return left == other.left && right == other.right; }
};

template <class Sample>
Stereo<Sample> Noise(int frames, unsigned seed)
{
    Stereo<Sample> noise(frames);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    for (int i = 0; i < frames; ++i) {
        noise.left[i] = static_cast<Sample>(level(random));
        noise.right[i] = static_cast<Sample>(level(random));
    }
    return noise;
}

// A machine and its bridge, at 8x unless told otherwise.
struct Bridged {
    Bridged(Rule rule, int prepared, double value = 0.5)
        : description(&host), machine(description.CreateFilter()), bridge(*machine, rule)
    {
        bridge.Prepare(48000, prepared);
        bridge.SetParameter(value);
    }
    template <class Sample>
    Stereo<Sample> Run(Stereo<Sample> input, int callLength)
    {
        Stereo<Sample> output(static_cast<int>(input.left.size()));
        for (size_t at = 0; at < input.left.size(); at += callLength) {
            const int length = static_cast<int>(std::min<size_t>(callLength, input.left.size() - at));
            const Sample* in[2] = {input.left.data() + at, input.right.data() + at};
            Sample* out[2] = {output.left.data() + at, output.right.data() + at};
            bridge.Process(in, out, length);
        }
        return output;
    }
    FakeHost host;
    CFilterDescription description;
    std::unique_ptr<CVelvetineFilter> machine;
    CStereoBridge bridge;
};

template <class Sample>
void ExpectCallLengthsDoNotMatter()
{
    const Stereo<Sample> input = Noise<Sample>(5000, 1);
    const Stereo<Sample> whole = Bridged(Rule::kFollowsCalls, 5000).Run(input, 5000);
    for (int call : {1, 31, 512, 777, 5000}) {
        EXPECT_TRUE(Bridged(Rule::kPrepared, 512).Run(input, call) == whole) << "calls of " << call;
        EXPECT_TRUE(Bridged(Rule::kFollowsCalls, 64).Run(input, call) == whole) << "calls of " << call;
    }
}

}  // namespace

TEST(StereoBridge, CallsLongerOrShorterThanPreparedGiveThePlainPass)
{
    ExpectCallLengthsDoNotMatter<float>();
    ExpectCallLengthsDoNotMatter<double>();
}

TEST(StereoBridge, InPlaceBuffersGiveWhatSeparateOnesGive)
{
    Stereo<float> buffers = Noise<float>(3000, 2);
    const Stereo<float> separate = Bridged(Rule::kPrepared, 1024).Run(buffers, 3000);
    Bridged inPlace(Rule::kPrepared, 1024);
    inPlace.bridge.Process(buffers.Channels(), buffers.Channels(), 3000);
    EXPECT_TRUE(buffers == separate);
}

TEST(StereoBridge, UnconnectedInputsReadAsSilence)
{
    Stereo<double> input = Noise<double>(600, 3);
    std::fill(input.right.begin(), input.right.end(), 0.0);
    const Stereo<double> expected = Bridged(Rule::kPrepared, 256).Run(input, 600);

    Bridged bridged(Rule::kPrepared, 256);
    Stereo<double> output = Noise<double>(600, 4);  // stale samples that must all be replaced
    const double* leftOnly[2] = {input.left.data(), nullptr};
    bridged.bridge.Process(leftOnly, output.Channels(), 600);
    EXPECT_TRUE(output == expected);

    Stereo<double> fromNothing = Noise<double>(600, 5);
    Bridged silent(Rule::kPrepared, 256);
    silent.bridge.Process(nullptr, fromNothing.Channels(), 600);
    EXPECT_EQ(fromNothing.left, std::vector<double>(600, 0.0));
}

TEST(StereoBridge, ResetForgetsEverySampleAsANewMachineWould)
{
    for (double value : {0.0, 0.25, 1.0}) {
        const Stereo<float> later = Noise<float>(700, 6);
        const Stereo<float> fresh = Bridged(Rule::kPrepared, 256, value).Run(later, 100);
        Bridged used(Rule::kPrepared, 256, value);
        used.Run(Noise<float>(900, 7), 300);
        used.bridge.SetParameter(0.75);  // another prototype holds history too
        used.Run(Noise<float>(300, 8), 300);
        used.bridge.SetParameter(value);
        used.bridge.Reset();
        EXPECT_TRUE(used.Run(later, 100) == fresh) << "value " << value;
    }
}
