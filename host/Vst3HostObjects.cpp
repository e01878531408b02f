#include "host/Vst3HostObjects.h"

#include <algorithm>
#include <cstring>

namespace {

template <class Interface>
vst3::tresult Answer(Interface* self, const vst3::TUID iid, const vst3::Uid& own, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    if (vst3::SameUid(iid, vst3::kFUnknownIid) || vst3::SameUid(iid, own)) {
        *object = self;
        return vst3::kResultOk;
    }
    *object = nullptr;
    return vst3::kNoInterface;
}

}  // namespace

vst3::tresult VST3_API CVst3HostApplication::queryInterface(const vst3::TUID iid, void** object)
{
    return Answer(this, iid, vst3::kIHostApplicationIid, object);
}

vst3::tresult VST3_API CVst3HostApplication::getName(vst3::String128 name)
{
    static const char text[] = "velvetine host";
    for (size_t i = 0; i < sizeof text; ++i)
        name[i] = vst3::char16(text[i]);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3HostApplication::createInstance(vst3::TUID, vst3::TUID, void** object)
{
    if (object)
        *object = nullptr;
    return vst3::kResultFalse;
}

vst3::tresult VST3_API CVst3MemoryStream::queryInterface(const vst3::TUID iid, void** object)
{
    return Answer(this, iid, vst3::kIBStreamIid, object);
}

vst3::tresult VST3_API CVst3MemoryStream::read(void* buffer, int32_t numBytes, int32_t* numBytesRead)
{
    if (!buffer || numBytes < 0)
        return vst3::kInvalidArgument;
    const size_t moved = std::min({size_t(numBytes), size_t(chunk), bytes.size() - std::min(position, bytes.size())});
    if (moved)
        std::memcpy(buffer, bytes.data() + position, moved);
    position += moved;
    if (numBytesRead)
        *numBytesRead = int32_t(moved);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3MemoryStream::write(void* buffer, int32_t numBytes, int32_t* numBytesWritten)
{
    if (!buffer || numBytes < 0)
        return vst3::kInvalidArgument;
    const size_t moved = std::min(size_t(numBytes), size_t(chunk));
    if (bytes.size() < position + moved)
        bytes.resize(position + moved);
    std::memcpy(bytes.data() + position, buffer, moved);
    position += moved;
    if (numBytesWritten)
        *numBytesWritten = int32_t(moved);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3MemoryStream::seek(int64_t to, int32_t mode, int64_t* result)
{
    const int64_t base = mode == 0 ? 0 : mode == 1 ? int64_t(position) : int64_t(bytes.size());
    if (mode < 0 || mode > 2 || base + to < 0)
        return vst3::kInvalidArgument;
    position = size_t(base + to);
    if (result)
        *result = int64_t(position);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3MemoryStream::tell(int64_t* at)
{
    if (!at)
        return vst3::kInvalidArgument;
    *at = int64_t(position);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3ParamValueQueue::queryInterface(const vst3::TUID iid, void** object)
{
    return Answer(this, iid, vst3::kIParamValueQueueIid, object);
}

vst3::tresult VST3_API CVst3ParamValueQueue::getPoint(int32_t index, int32_t& sampleOffset, vst3::ParamValue& value)
{
    if (index < 0 || index >= count)
        return vst3::kInvalidArgument;
    sampleOffset = offsets[index];
    value = values[index];
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3ParamValueQueue::addPoint(int32_t sampleOffset, vst3::ParamValue value, int32_t& index)
{
    if (count == kCapacity)
        return vst3::kResultFalse;
    offsets[count] = sampleOffset;
    values[count] = value;
    index = count++;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3ParameterChanges::queryInterface(const vst3::TUID iid, void** object)
{
    return Answer(this, iid, vst3::kIParameterChangesIid, object);
}

vst3::IParamValueQueue* VST3_API CVst3ParameterChanges::getParameterData(int32_t index)
{
    return index >= 0 && index < count ? &queues[index] : nullptr;
}

vst3::IParamValueQueue* VST3_API CVst3ParameterChanges::addParameterData(const vst3::ParamID& id, int32_t& index)
{
    for (int32_t i = 0; i < count; ++i)
        if (queues[i].getParameterId() == id) {
            index = i;
            return &queues[i];
        }
    if (count == kCapacity)
        return nullptr;
    queues[count].Reset(id);
    index = count;
    return &queues[count++];
}

bool CVst3ParameterChanges::Add(vst3::ParamID id, int32_t offset, vst3::ParamValue value)
{
    int32_t index = 0;
    vst3::IParamValueQueue* queue = addParameterData(id, index);
    return queue && queue->addPoint(offset, value, index) == vst3::kResultOk;
}
