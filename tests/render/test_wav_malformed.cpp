// Files the reader must refuse, each with the reason it gives, and the damaged or unusual
// files it must still read.

#include <gtest/gtest.h>

#include <sstream>

#include "WavBytes.h"
#include "tools/render/WavError.h"
#include "tools/render/WavReader.h"

namespace {

using namespace WavBytes;

std::string RejectionOf(const Bytes& image) {
    std::istringstream in(AsString(image));
    try {
        CWavReader reader(in);
    } catch (const CWavError& error) {
        return error.what();
    }
    return "(accepted)";
}

Bytes WithByte(Bytes bytes, size_t index, uint8_t value) {
    bytes.at(index) = value;
    return bytes;
}

const Bytes kStereo16 = BasicFormat(1, 2, 44100, 16);
const Bytes kFourFrames = Bytes(16, 0x11);

struct Rejection {
    const char* name;
    Bytes image;
    const char* reason;
};

void PrintTo(const Rejection& value, std::ostream* out) { *out << value.name; }

class MalformedFile : public ::testing::TestWithParam<Rejection> {};

TEST_P(MalformedFile, IsRejectedWithItsReason) {
    EXPECT_EQ(RejectionOf(GetParam().image), GetParam().reason);
}

const Bytes kWholeFile = SimpleWav(kStereo16, kFourFrames);

INSTANTIATE_TEST_SUITE_P(
    Headers, MalformedFile,
    ::testing::Values(
        Rejection{"Empty", {}, "the file is empty"},
        Rejection{"TooShortForRiff", {'R', 'I', 'F', 'F', 0, 0}, "not a RIFF/WAVE file"},
        Rejection{"NotRiff", Join({{'R', 'I', 'F', 'X'}, Bytes(kWholeFile.begin() + 4, kWholeFile.end())}),
                  "not a RIFF/WAVE file"},
        Rejection{"RiffButNotWave", Join({Bytes(kWholeFile.begin(), kWholeFile.begin() + 8), {'A', 'V', 'I', ' '},
                                          Bytes(kWholeFile.begin() + 12, kWholeFile.end())}),
                  "not a RIFF/WAVE file"},
        Rejection{"TextFile", {'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '\n'},
                  "not a RIFF/WAVE file"},
        Rejection{"CutBeforeDataChunk", Bytes(kWholeFile.begin(), kWholeFile.begin() + 36),
                  "the header is cut off before the data chunk"},
        Rejection{"CutInsideDataChunkHeader", Bytes(kWholeFile.begin(), kWholeFile.begin() + 40),
                  "the header is cut off before the data chunk"},
        Rejection{"CutInsideFormatChunk", Bytes(kWholeFile.begin(), kWholeFile.begin() + 30),
                  "the header is cut off inside the format chunk"},
        Rejection{"CutInsideUnknownChunk", Riff({Chunk("fmt ", kStereo16), ChunkClaiming("LIST", 100, Bytes(10))}),
                  "the header is cut off before the data chunk"},
        Rejection{"NoFormatChunk", Riff({Chunk("data", kFourFrames)}), "the data chunk comes before any format chunk"}),
    [](const ::testing::TestParamInfo<Rejection>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    FormatChunks, MalformedFile,
    ::testing::Values(
        Rejection{"PcmFormatOf14Bytes", SimpleWav(Bytes(kStereo16.begin(), kStereo16.begin() + 14), kFourFrames),
                  "format chunk too short for PCM: 14 bytes, needs 16"},
        Rejection{"FloatFormatOf12Bytes",
                  SimpleWav(Join({Little16(3), Bytes(10)}), kFourFrames),
                  "format chunk too short for IEEE float: 12 bytes, needs 16"},
        Rejection{"ExtensibleFormatOf18Bytes",
                  SimpleWav(Join({BasicFormat(0xFFFE, 2, 44100, 16), Little16(0)}), kFourFrames),
                  "format chunk too short for WAVE_FORMAT_EXTENSIBLE: 18 bytes, needs 40"},
        Rejection{"OneByteFormat", SimpleWav({1}, kFourFrames), "format chunk too short: 1 bytes"},
        Rejection{"BlockAlignTooLarge", SimpleWav(BasicFormat(1, 2, 44100, 16, 6), kFourFrames),
                  "block alignment 6 does not match 2 channel(s) of 16 bits (expected 4)"},
        Rejection{"BlockAlignZero", SimpleWav(BasicFormat(3, 1, 44100, 32, 0), kFourFrames),
                  "block alignment 0 does not match 1 channel(s) of 32 bits (expected 4)"},
        Rejection{"ThreeChannels", SimpleWav(BasicFormat(1, 3, 44100, 16), Bytes(18)),
                  "3 channels: only mono and stereo files can be rendered"},
        Rejection{"SixChannelsExtensible", SimpleWav(ExtensibleFormat(1, 6, 48000, 24, 24), Bytes(18)),
                  "6 channels: only mono and stereo files can be rendered"},
        Rejection{"NoChannels", SimpleWav(BasicFormat(1, 0, 44100, 16), kFourFrames),
                  "the format chunk declares no channels"},
        Rejection{"ZeroSampleRate", SimpleWav(BasicFormat(1, 2, 0, 16), kFourFrames), "the sample rate is 0"},
        Rejection{"MicrosoftAdpcm", SimpleWav(Join({BasicFormat(2, 2, 44100, 4, 2048), Little16(32), Bytes(32)}), kFourFrames),
                  "unsupported encoding: Microsoft ADPCM (format tag 0x0002)"},
        Rejection{"ImaAdpcm", SimpleWav(Join({BasicFormat(0x11, 1, 44100, 4, 512), Little16(2), Bytes(2)}), kFourFrames),
                  "unsupported encoding: IMA ADPCM (format tag 0x0011)"},
        Rejection{"ALaw", SimpleWav(Join({BasicFormat(6, 1, 8000, 8), Little16(0)}), kFourFrames),
                  "unsupported encoding: A-law (format tag 0x0006)"},
        Rejection{"MuLaw", SimpleWav(Join({BasicFormat(7, 1, 8000, 8), Little16(0)}), kFourFrames),
                  "unsupported encoding: mu-law (format tag 0x0007)"},
        Rejection{"MuLawInExtensible", SimpleWav(ExtensibleFormat(7, 1, 8000, 8, 8), kFourFrames),
                  "unsupported encoding: mu-law (format tag 0x0007)"},
        Rejection{"UnknownTag", SimpleWav(BasicFormat(0x1234, 2, 44100, 16), kFourFrames),
                  "unsupported encoding: an unknown encoding (format tag 0x1234)"},
        Rejection{"UnknownSubFormatGuid",
                  SimpleWav(WithByte(ExtensibleFormat(1, 2, 44100, 16, 16), 39, 0x00), kFourFrames),
                  "unsupported encoding: WAVE_FORMAT_EXTENSIBLE with an unknown sub-format"},
        Rejection{"TwelveBitPcm", SimpleWav(BasicFormat(1, 1, 44100, 12, 2), kFourFrames),
                  "unsupported sample size: 12-bit PCM"},
        Rejection{"SixteenBitFloat", SimpleWav(BasicFormat(3, 1, 44100, 16), kFourFrames),
                  "unsupported sample size: 16-bit float"},
        Rejection{"ValidBitsBeyondContainer", SimpleWav(ExtensibleFormat(1, 2, 44100, 16, 24), kFourFrames),
                  "24 valid bits do not fit a 16-bit container"}),
    [](const ::testing::TestParamInfo<Rejection>& info) { return info.param.name; });

// Reading a file that is accepted, returning the left channel.
std::vector<double> ReadLeft(const Bytes& image, std::string* warning = nullptr) {
    std::istringstream in(AsString(image));
    CWavReader reader(in);
    if (warning) *warning = reader.Warning();
    std::vector<double> left(reader.FrameCount()), right(reader.FrameCount());
    double* pointers[2] = {left.data(), right.data()};
    EXPECT_EQ(reader.Read(pointers, 1u << 20), reader.FrameCount());
    return left;
}

TEST(DamagedData, ChunkClaimingMoreThanTheFileHoldsIsReadToItsLastWholeFrame) {
    // Ten bytes of a claimed hundred: two whole stereo 16-bit frames and half of a third.
    const Bytes samples = {0x00, 0x40, 0, 0, 0x00, 0xC0, 0, 0, 0xFF, 0x7F};
    std::string warning;
    const std::vector<double> left =
        ReadLeft(Riff({Chunk("fmt ", kStereo16), ChunkClaiming("data", 100, samples)}), &warning);
    EXPECT_EQ(left, (std::vector<double>{0.5, -0.5}));
    EXPECT_EQ(warning, "the data chunk is cut short: 10 of 100 bytes present; processing the 2 whole frames present");
}

TEST(DamagedData, TrailingPartialFrameIsDroppedWithAWarning) {
    const Bytes samples = {0x00, 0x40, 0, 0, 0x00, 0xC0, 0, 0, 0xFF, 0x7F, 0x00};
    std::string warning;
    const std::vector<double> left = ReadLeft(Riff({Chunk("fmt ", kStereo16), Chunk("data", samples)}), &warning);
    EXPECT_EQ(left, (std::vector<double>{0.5, -0.5}));
    EXPECT_EQ(warning,
              "the data chunk ends in a partial frame: 11 bytes in frames of 4; processing the 2 whole frames present");
}

TEST(DamagedData, WholeFramesGiveNoWarning) {
    std::string warning = "unset";
    EXPECT_EQ(ReadLeft(kWholeFile, &warning).size(), 4u);
    EXPECT_EQ(warning, "");
}

TEST(UnusualFiles, UnknownChunksOfOddSizeAreSkippedWithTheirPadByte) {
    const Bytes samples = {0x00, 0x40, 0, 0};
    const Bytes image = Riff({Chunk("JUNK", Bytes(7, 0xEE)), Chunk("fmt ", kStereo16), Chunk("LIST", Bytes(3, 'x')),
                              Chunk("bext", {}), Chunk("data", samples), Chunk("id3 ", Bytes(5))});
    EXPECT_EQ(ReadLeft(image), std::vector<double>{0.5});
}

TEST(UnusualFiles, OddSizedFormatChunkIsFollowedByItsPadByte) {
    // 17 bytes: the 16 that PCM needs and one stray byte, which some writers leave.
    const Bytes samples = {0x00, 0x40, 0, 0};
    const Bytes image = Riff({Chunk("fmt ", Join({kStereo16, {0x00}})), Chunk("data", samples)});
    EXPECT_EQ(ReadLeft(image), std::vector<double>{0.5});
}

TEST(UnusualFiles, MonoEightBitWithOddLengthAndAnEmptyDataChunk) {
    EXPECT_EQ(ReadLeft(SimpleWav(BasicFormat(1, 1, 8000, 8), {0x80, 0x00, 0xC0})),
              (std::vector<double>{0.0, -1.0, 0.5}));
    std::string warning = "unset";
    EXPECT_TRUE(ReadLeft(SimpleWav(kStereo16, {}), &warning).empty());
    EXPECT_EQ(warning, "");
}

TEST(UnusualFiles, AnyPositiveSampleRateIsAccepted) {
    for (uint32_t rate : {1u, 7350u, 11025u, 384000u, 0xFFFFFFFFu}) {
        std::istringstream in(AsString(SimpleWav(BasicFormat(1, 2, rate, 16), kFourFrames)));
        CWavReader reader(in);
        EXPECT_EQ(reader.Format().sampleRate, rate);
    }
}

}  // namespace
