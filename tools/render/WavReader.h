#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "tools/render/WavFormat.h"

// Reads the samples of a RIFF/WAVE stream as doubles in [-1, 1), a block at a time, so
// that files far larger than memory can be rendered. The constructor walks the chunks up to
// the data chunk and throws CWavError for anything it cannot read.
class CWavReader {
public:
    explicit CWavReader(std::istream& in);

    const WavFormat& Format() const { return format_; }

    // Whole frames that will be delivered: a data chunk cut short by the end of the file,
    // or ending in a partial frame, is read up to its last whole frame.
    uint64_t FrameCount() const { return frameCount_; }

    // One line describing what was dropped from a short data chunk; empty when nothing was.
    const std::string& Warning() const { return warning_; }

    // Fills channels[0 ... Format().channels - 1] with up to maxFrames frames and returns
    // how many it delivered; fewer than asked only at the end of the data.
    size_t Read(double* const* channels, size_t maxFrames);

private:
    void FindDataChunk();
    void ReadFormatChunk(uint32_t size);
    void StartData(uint32_t claimedBytes);
    void Skip(uint64_t bytes);
    bool ReadExactly(uint8_t* buffer, size_t bytes);

    std::istream& in_;
    uint64_t streamSize_ = 0;
    uint64_t offset_ = 0;
    bool haveFormat_ = false;
    WavFormat format_;
    uint64_t frameCount_ = 0;
    uint64_t framesDelivered_ = 0;
    std::string warning_;
    std::vector<uint8_t> bytes_;
};
