// Writing and reading back every encoding, the byte layout of each, and the rounding and
// clipping rule for conversions to integer PCM.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include "WavBytes.h"
#include "tools/render/LittleEndian.h"
#include "tools/render/SampleConversion.h"
#include "tools/render/WavReader.h"
#include "tools/render/WavWriter.h"

namespace {

using WavBytes::Bytes;

struct Channels {
    std::vector<std::vector<double>> samples;
    std::vector<const double*> ConstPointers() const {
        std::vector<const double*> pointers;
        for (const auto& channel : samples) pointers.push_back(channel.data());
        return pointers;
    }
};

std::string WriteWav(const WavFormat& format, const Channels& channels) {
    std::stringstream out;
    CWavWriter writer(out, format);
    writer.Write(channels.ConstPointers().data(), channels.samples[0].size());
    writer.Finish();
    return out.str();
}

Channels ReadAll(const std::string& image, WavFormat* format = nullptr) {
    std::istringstream in(image);
    CWavReader reader(in);
    if (format) *format = reader.Format();
    Channels channels;
    channels.samples.assign(reader.Format().channels, std::vector<double>(reader.FrameCount()));
    std::vector<double*> pointers;
    for (auto& channel : channels.samples) pointers.push_back(channel.data());
    EXPECT_EQ(reader.Read(pointers.data(), reader.FrameCount() + 10), reader.FrameCount());
    EXPECT_TRUE(reader.Warning().empty()) << reader.Warning();
    return channels;
}

// Values every encoding of that kind holds exactly, including both ends of the range.
std::vector<double> ExactValues(SampleEncoding encoding) {
    switch (encoding) {
        case SampleEncoding::Float32:
            return {0.0, 1.0, -1.0, 0.25f, -0.1f, 3.5f, std::numeric_limits<float>::denorm_min(), -1e-30f};
        case SampleEncoding::Float64:
            return {0.0, 0.1, -1.0 / 3.0, 4.75, -1e-300, std::numeric_limits<double>::max()};
        default: {
            const int bits = 8 * BytesPerSample(encoding);
            const double step = 1.0 / PcmFullScale(bits);
            return {0.0, -1.0, 1.0 - step, step, -step, 0.5, -0.5 + 3 * step};
        }
    }
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<SampleEncoding, int>> {};

TEST_P(RoundTrip, ExactValuesComeBackUnchangedWithTheirFormat) {
    WavFormat format;
    format.encoding = std::get<0>(GetParam());
    format.channels = std::get<1>(GetParam());
    format.sampleRate = 96000;
    Channels written;
    const std::vector<double> values = ExactValues(format.encoding);
    written.samples.push_back(values);
    if (format.channels == 2) written.samples.push_back(std::vector<double>(values.rbegin(), values.rend()));

    WavFormat readFormat;
    const Channels read = ReadAll(WriteWav(format, written), &readFormat);
    EXPECT_EQ(readFormat.encoding, format.encoding);
    EXPECT_EQ(readFormat.channels, format.channels);
    EXPECT_EQ(readFormat.sampleRate, 96000u);
    ASSERT_EQ(read.samples.size(), written.samples.size());
    for (size_t c = 0; c < read.samples.size(); ++c) {
        ASSERT_EQ(read.samples[c].size(), values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(read.samples[c][i], written.samples[c][i]) << "channel " << c << " frame " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryEncoding, RoundTrip,
                         ::testing::Combine(::testing::Values(SampleEncoding::Pcm8, SampleEncoding::Pcm16,
                                                              SampleEncoding::Pcm24, SampleEncoding::Pcm32,
                                                              SampleEncoding::Float32, SampleEncoding::Float64),
                                            ::testing::Values(1, 2)));

// The layout on disk, checked against bytes written by hand: a reader and writer that agree
// with each other but not with the format would pass the round trips above.
TEST(WavLayout, KnownBytesDecodeToKnownSamples) {
    using namespace WavBytes;
    struct Case {
        Bytes format;
        Bytes samples;
        double left, right;
    };
    const Case cases[] = {
        {BasicFormat(1, 2, 8000, 8), {0x00, 0xFF}, -1.0, 127.0 / 128},
        {BasicFormat(1, 2, 8000, 16), {0x00, 0x80, 0x01, 0x00}, -1.0, 1.0 / 32768},
        {BasicFormat(1, 2, 8000, 24), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, -1.0 / 8388608, 8388607.0 / 8388608},
        {BasicFormat(1, 2, 8000, 32), {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x40}, -1.0, 0.5},
        {BasicFormat(3, 2, 8000, 32), {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0}, 1.0, -2.0},
        {BasicFormat(3, 2, 8000, 64), Join({Bytes(6, 0), {0xF0, 0x3F}, Bytes(6, 0), {0xE0, 0xBF}}), 1.0, -0.5},
        {ExtensibleFormat(1, 2, 8000, 24, 20), {0x00, 0x00, 0x80, 0x00, 0x00, 0x40}, -1.0, 0.5},
        {ExtensibleFormat(3, 2, 8000, 32, 32), {0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x00}, 0.5, 0.0},
    };
    for (const Case& c : cases) {
        const Channels read = ReadAll(AsString(SimpleWav(c.format, c.samples)));
        ASSERT_EQ(read.samples.size(), 2u);
        ASSERT_EQ(read.samples[0].size(), 1u);
        EXPECT_EQ(read.samples[0][0], c.left) << "format tag " << int(c.format[0]) << " bits " << int(c.format[14]);
        EXPECT_EQ(read.samples[1][0], c.right) << "format tag " << int(c.format[0]) << " bits " << int(c.format[14]);
    }
}

TEST(WavLayout, WriterHeaderDeclaresTheSizesAndPadsOddData) {
    WavFormat format;
    format.encoding = SampleEncoding::Pcm8;
    format.channels = 1;
    format.sampleRate = 22050;
    Channels three;
    three.samples = {{0.0, -1.0, 0.5}};
    const std::string image = WriteWav(format, three);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(image.data());
    ASSERT_EQ(image.size(), 44u + 3 + 1);  // 16-byte fmt, three samples, one pad byte
    EXPECT_EQ(GetLittle32(bytes + 4), image.size() - 8);
    EXPECT_EQ(std::string(image, 36, 4), "data");
    EXPECT_EQ(GetLittle32(bytes + 40), 3u);
    EXPECT_EQ(bytes[44], 0x80);
    EXPECT_EQ(bytes[45], 0x00);
    EXPECT_EQ(bytes[46], 0xC0);
    EXPECT_EQ(GetLittle32(bytes + 24), 22050u);
    EXPECT_EQ(GetLittle32(bytes + 28), 22050u);  // byte rate
}

TEST(WavLayout, FloatOutputCarriesTagThreeAndAFactChunk) {
    WavFormat format;
    format.encoding = SampleEncoding::Float32;
    format.channels = 2;
    Channels five;
    five.samples = {std::vector<double>(5, 0.25), std::vector<double>(5, -0.25)};
    const std::string image = WriteWav(format, five);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(image.data());
    EXPECT_EQ(GetLittle16(bytes + 20), 3u);
    EXPECT_EQ(GetLittle32(bytes + 16), 18u);
    ASSERT_EQ(std::string(image, 38, 4), "fact");
    EXPECT_EQ(GetLittle32(bytes + 46), 5u);
    ASSERT_EQ(std::string(image, 50, 4), "data");
    EXPECT_EQ(GetLittle32(bytes + 54), 40u);
    EXPECT_EQ(image.size(), 58u + 40);
    EXPECT_EQ(GetLittle32(bytes + 4), image.size() - 8);
}

// Integer output rounds to the nearest code with halves away from zero and clips at both
// ends of the range; float32 rounds to the nearest float.
TEST(SampleConversionRule, RoundsHalvesAwayFromZeroAndClips) {
    const double lsb16 = 1.0 / 32768;
    EXPECT_EQ(SampleToPcm(0.5 * lsb16, 16), 1);
    EXPECT_EQ(SampleToPcm(-0.5 * lsb16, 16), -1);
    EXPECT_EQ(SampleToPcm(1.5 * lsb16, 16), 2);
    EXPECT_EQ(SampleToPcm(2.5 * lsb16, 16), 3);
    EXPECT_EQ(SampleToPcm(0.49 * lsb16, 16), 0);
    EXPECT_EQ(SampleToPcm(-1.51 * lsb16, 16), -2);
    EXPECT_EQ(SampleToPcm(1.0, 16), 32767);
    EXPECT_EQ(SampleToPcm(1.0 - 0.4 * lsb16, 16), 32767);
    EXPECT_EQ(SampleToPcm(7.0, 16), 32767);
    EXPECT_EQ(SampleToPcm(-1.0, 16), -32768);
    EXPECT_EQ(SampleToPcm(-1.0 - 0.6 * lsb16, 16), -32768);
    EXPECT_EQ(SampleToPcm(-std::numeric_limits<double>::infinity(), 16), -32768);
    EXPECT_EQ(SampleToPcm(std::numeric_limits<double>::quiet_NaN(), 16), 0);
    EXPECT_EQ(SampleToPcm(1.0, 24), 8388607);
    EXPECT_EQ(SampleToPcm(2.5 / 8388608, 24), 3);
    EXPECT_EQ(SampleToPcm(1.0, 32), 2147483647);
    EXPECT_EQ(SampleToPcm(-1.0, 32), -2147483647 - 1);
    EXPECT_EQ(SampleToPcm(-2.5 / 2147483648.0, 32), -3);
    EXPECT_EQ(SampleToPcm(-0.5 / 128, 8), -1);
}

TEST(SampleConversionRule, WriterAppliesTheRuleInEveryIntegerEncoding) {
    struct Case {
        SampleEncoding encoding;
        int bits;
    };
    for (const Case c : {Case{SampleEncoding::Pcm8, 8}, Case{SampleEncoding::Pcm16, 16},
                         Case{SampleEncoding::Pcm24, 24}, Case{SampleEncoding::Pcm32, 32}}) {
        WavFormat format;
        format.encoding = c.encoding;
        format.channels = 1;
        const double lsb = 1.0 / PcmFullScale(c.bits);
        Channels written;
        written.samples = {{2.5 * lsb, -2.5 * lsb, 0.3 * lsb, 1.5, -1.5, 1.0}};
        const Channels read = ReadAll(WriteWav(format, written));
        const std::vector<double> expected = {3 * lsb, -3 * lsb, 0.0, 1.0 - lsb, -1.0, 1.0 - lsb};
        EXPECT_EQ(read.samples[0], expected) << EncodingName(c.encoding);
    }
}

TEST(SampleConversionRule, Float32OutputRoundsToNearestAndDoesNotClip) {
    WavFormat format;
    format.encoding = SampleEncoding::Float32;
    format.channels = 1;
    Channels written;
    written.samples = {{0.1, 1.0 + 1e-9, -3.0, 1.0 + 0x1.8p-24}};
    const Channels read = ReadAll(WriteWav(format, written));
    EXPECT_EQ(read.samples[0][0], static_cast<double>(0.1f));
    EXPECT_EQ(read.samples[0][1], 1.0);
    EXPECT_EQ(read.samples[0][2], -3.0);
    EXPECT_EQ(read.samples[0][3], 1.0 + 0x1p-23);  // above the half-way point: rounds up
}

TEST(WavReaderBlocks, ReadsInPiecesOfAnySize) {
    WavFormat format;
    format.encoding = SampleEncoding::Pcm24;
    format.channels = 2;
    Channels written;
    written.samples.resize(2);
    for (int i = 0; i < 1000; ++i) {
        written.samples[0].push_back((i - 500) / 8388608.0);
        written.samples[1].push_back((7 * i) / 8388608.0);
    }
    std::istringstream in(WriteWav(format, written));
    CWavReader reader(in);
    ASSERT_EQ(reader.FrameCount(), 1000u);
    std::vector<double> left(1000), right(1000);
    size_t done = 0;
    for (size_t piece : {1u, 0u, 333u, 2u, 1000u, 5u}) {
        double* channels[2] = {left.data() + done, right.data() + done};
        done += reader.Read(channels, piece);
    }
    EXPECT_EQ(done, 1000u);
    EXPECT_EQ(left, written.samples[0]);
    EXPECT_EQ(right, written.samples[1]);
}

}  // namespace
