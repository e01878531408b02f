#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "framework/AudioBuffer.h"
#include "framework/ControlBuffer.h"
#include "framework/Port.h"
#include "tests/framework/FakeHost.h"

namespace {

bool IsAligned(const double* samples)
{
    return reinterpret_cast<uintptr_t>(samples) % 16 == 0;
}

void ExpectSilent(const CAudioBuffer& buffer)
{
    for (int c = 0; c < (buffer.stereo ? 2 : 1); ++c)
        for (int i = 0; i < buffer.length; ++i)
            ASSERT_EQ(buffer.channel[c][i], 0.0) << "channel " << c << " sample " << i;
}

void Fill(CAudioBuffer& buffer, double value)
{
    for (int c = 0; c < (buffer.stereo ? 2 : 1); ++c)
        for (int i = 0; i < buffer.length; ++i)
            buffer.channel[c][i] = value;
}

TEST(Port, StereoAudioPortHasClearedAlignedBufferOfTheHostBlockSize)
{
    FakeHost host;
    host.blockSize = 512;
    CPort port(&host, nullptr, PORT_STEREO_AUDIO_INPUT, "Line In");

    EXPECT_EQ(port.type, 273u);
    EXPECT_STREQ(port.name, "Line In");
    EXPECT_EQ(port.events, nullptr);
    ASSERT_NE(port.audio, nullptr);
    EXPECT_TRUE(port.audio->stereo);
    EXPECT_EQ(port.audio->length, 512);
    ASSERT_NE(port.audio->channel[0], nullptr);
    ASSERT_NE(port.audio->channel[1], nullptr);
    EXPECT_NE(port.audio->channel[0], port.audio->channel[1]);
    EXPECT_TRUE(IsAligned(port.audio->channel[0]));
    EXPECT_TRUE(IsAligned(port.audio->channel[1]));
    ExpectSilent(*port.audio);
    EXPECT_EQ(host.CallsOf(HostCall::kBlockSize).size(), 1u);
}

TEST(Port, TypeBitsDecideWhichBuffersExist)
{
    FakeHost host;
    host.blockSize = 64;
    const char name[] = "Mono";
    CPort mono(&host, nullptr, PORT_AUDIO | PORT_INPUT, name);
    ASSERT_NE(mono.audio, nullptr);
    EXPECT_FALSE(mono.audio->stereo);
    EXPECT_EQ(mono.audio->channel[1], nullptr);
    EXPECT_EQ(mono.audio->length, 64);
    EXPECT_EQ(mono.events, nullptr);
    EXPECT_NE(mono.name, name) << "the port keeps its own copy of the name";

    const size_t sizeQueries = host.CallsOf(HostCall::kBlockSize).size();
    CPort events(&host, nullptr, PORT_EVENTS, "Events");
    EXPECT_EQ(events.audio, nullptr);
    ASSERT_NE(events.events, nullptr);
    EXPECT_EQ(events.events->Count(), 0);
    EXPECT_EQ(host.CallsOf(HostCall::kBlockSize).size(), sizeQueries)
        << "a port without audio does not ask for the block size";

    CPort both(&host, nullptr, PORT_AUDIO | PORT_EVENTS | PORT_OUTPUT | PORT_STEREO, "Both");
    EXPECT_NE(both.audio, nullptr);
    EXPECT_NE(both.events, nullptr);
}

TEST(AudioBuffer, ResizeClearsAndKeepsMemoryAsCapacity)
{
    CAudioBuffer buffer(512, true);
    double* const left = buffer.channel[0];
    double* const right = buffer.channel[1];

    Fill(buffer, 0.5);
    buffer.Resize(512);
    EXPECT_EQ(buffer.channel[0], left) << "the same length keeps the arrays";
    EXPECT_EQ(buffer.channel[1], right);
    ExpectSilent(buffer);

    for (int frames : {300, 1, 511, 0, 512}) {
        Fill(buffer, -1.0);
        buffer.Resize(frames);
        EXPECT_EQ(buffer.length, frames);
        EXPECT_EQ(buffer.Capacity(), 512);
        EXPECT_EQ(buffer.channel[0], left) << "shrinking to " << frames << " allocated";
        EXPECT_EQ(buffer.channel[1], right);
        ExpectSilent(buffer);
    }
    // Samples beyond the new length are not part of the buffer; a later growth clears
    // them anyway.
    buffer.Resize(100);
    Fill(buffer, 2.0);
    buffer.Resize(400);
    ExpectSilent(buffer);
}

TEST(AudioBuffer, GrowingBeyondCapacityGivesNewClearedAlignedArrays)
{
    CAudioBuffer buffer(512, true);
    Fill(buffer, 0.25);
    buffer.Resize(1024);
    EXPECT_EQ(buffer.length, 1024);
    EXPECT_EQ(buffer.Capacity(), 1024);
    EXPECT_TRUE(IsAligned(buffer.channel[0]));
    EXPECT_TRUE(IsAligned(buffer.channel[1]));
    ExpectSilent(buffer);
    Fill(buffer, 1.0);  // every one of the 1024 samples is writable (sanitizers check)
    buffer.Resize(700);
    ExpectSilent(buffer);

    CAudioBuffer mono(16, false);
    mono.Resize(4096);
    EXPECT_EQ(mono.channel[1], nullptr);
    EXPECT_TRUE(IsAligned(mono.channel[0]));
    EXPECT_EQ(mono.length, 4096);
    ExpectSilent(mono);
}

TEST(AudioBuffer, NegativeAndZeroLengthsGiveAnEmptyBuffer)
{
    CAudioBuffer fresh(-5, true);
    EXPECT_EQ(fresh.length, 0);
    EXPECT_EQ(fresh.Capacity(), 0);
    fresh.Clear();
    fresh.Resize(8);
    EXPECT_EQ(fresh.length, 8);
    ExpectSilent(fresh);

    CAudioBuffer buffer(256, true);
    double* const left = buffer.channel[0];
    buffer.Resize(-1);
    EXPECT_EQ(buffer.length, 0);
    EXPECT_EQ(buffer.channel[0], left);
    buffer.Resize(std::numeric_limits<int>::min());
    EXPECT_EQ(buffer.length, 0);
    buffer.Resize(256);
    EXPECT_EQ(buffer.channel[0], left);
}

TEST(ConstantBuffers, HoldZerosAndOnesAndAreCreatedOnce)
{
    CreateConstantBuffers();
    ASSERT_NE(ZeroBuffer, nullptr);
    ASSERT_NE(OneBuffer, nullptr);
    const ConstantBuffer* zero = ZeroBuffer;
    const double* zeroSamples = ZeroBuffer->samples;
    EXPECT_EQ(ZeroBuffer->length, 8192);
    EXPECT_EQ(OneBuffer->length, 8192);
    for (int i = 0; i < 8192; ++i) {
        ASSERT_EQ(ZeroBuffer->samples[i], 0.0) << i;
        ASSERT_EQ(OneBuffer->samples[i], 1.0) << i;
    }
    CreateConstantBuffers();
    EXPECT_EQ(ZeroBuffer, zero);
    EXPECT_EQ(ZeroBuffer->samples, zeroSamples);
}

}  // namespace
