#pragma once

#include <cstdint>

// One or two channels of 64-bit samples, each channel 64-byte aligned and exactly as long
// as the block. The memory is kept as capacity: shrinking and growing back up to the
// largest length held allocates nothing.
class CAudioBuffer {
public:
    CAudioBuffer(int length, bool stereo);
    virtual ~CAudioBuffer();
    // Every sample of every channel becomes 0.0.
    virtual void Clear();
    // Gives each channel room for `length` samples (negative counts as 0), then clears.
    virtual void Resize(int length);

    // Every channel also has this many writable samples in front of its first one, outside
    // the block: processing may put the samples that came before the block there, so that
    // one pass runs over both.
    static constexpr int kLead = 16;

    double* channel[2];
    bool stereo;
    int length;

    int Capacity() const { return capacity; }

    CAudioBuffer(const CAudioBuffer&) = delete;
    CAudioBuffer& operator=(const CAudioBuffer&) = delete;

private:
    int capacity;
};

// The process-wide constant sample buffers, created once by the first instance.
struct ConstantBuffer {
    double* samples;
    int32_t length;
};
extern ConstantBuffer* ZeroBuffer;
extern ConstantBuffer* OneBuffer;
// Creates ZeroBuffer and OneBuffer (8192 samples each) unless they exist.
void CreateConstantBuffers();
