#include "framework/AudioBuffer.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::align_val_t kChannelAlignment{64};

// The lead keeps the alignment: 16 doubles are 128 bytes.
double* AllocateChannel(int samples)
{
    const size_t count = static_cast<size_t>(samples) + CAudioBuffer::kLead;
    return static_cast<double*>(::operator new[](sizeof(double) * count, kChannelAlignment)) +
           CAudioBuffer::kLead;
}

void FreeChannel(double* samples)
{
    if (samples)
        ::operator delete[](samples - CAudioBuffer::kLead, kChannelAlignment);
}

}  // namespace

CAudioBuffer::CAudioBuffer(int length, bool stereo)
    : channel{nullptr, nullptr}, stereo(stereo), length(0), capacity(0)
{
    Resize(length);
}

CAudioBuffer::~CAudioBuffer()
{
    FreeChannel(channel[1]);
    FreeChannel(channel[0]);
}

void CAudioBuffer::Clear()
{
    std::fill(channel[0], channel[0] + length, 0.0);
    if (stereo)
        std::fill(channel[1], channel[1] + length, 0.0);
}

void CAudioBuffer::Resize(int newLength)
{
    newLength = std::max(newLength, 0);
    // Some hosts change the frame count on every call: the memory of the largest block
    // seen is kept, so that going back to it allocates nothing on the audio thread.
    if (newLength > capacity || !channel[0]) {
        FreeChannel(channel[1]);
        FreeChannel(channel[0]);
        channel[0] = AllocateChannel(newLength);
        channel[1] = stereo ? AllocateChannel(newLength) : nullptr;
        capacity = newLength;
    }
    length = newLength;
    Clear();
}

ConstantBuffer* ZeroBuffer = nullptr;
ConstantBuffer* OneBuffer = nullptr;

void CreateConstantBuffers()
{
    constexpr int32_t kConstantLength = 8192;
    if (ZeroBuffer && OneBuffer)
        return;
    ZeroBuffer = new ConstantBuffer{new double[kConstantLength], kConstantLength};
    OneBuffer = new ConstantBuffer{new double[kConstantLength], kConstantLength};
    for (int32_t i = 0; i < kConstantLength; ++i) {
        ZeroBuffer->samples[i] = 0.0;
        OneBuffer->samples[i] = 1.0;
    }
}
