#pragma once

#include <cstddef>
#include <cstdint>
#include <climits>
#include <vector>

#include "vst3/Vst3Abi.h"

// What a VST3 host hands its plug-ins, for the project's driver and tests: objects the
// caller owns (their reference counts only count), none of which allocates once made.

// The host's application context: a name, and no objects to make.
class CVst3HostApplication : public vst3::IHostApplication {
public:
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    vst3::tresult VST3_API getName(vst3::String128 name) override;
    vst3::tresult VST3_API createInstance(vst3::TUID cid, vst3::TUID iid, void** object) override;
};

// A stream over bytes in memory. `chunk` caps what one read or write moves, as pipes and
// some hosts' streams do; reads past the end move nothing.
class CVst3MemoryStream : public vst3::IBStream {
public:
    explicit CVst3MemoryStream(std::vector<uint8_t> bytes = {}, int32_t chunk = INT32_MAX)
        : bytes(std::move(bytes)), chunk(chunk)
    {
    }

    const std::vector<uint8_t>& Bytes() const { return bytes; }
    void Rewind() { position = 0; }

    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    vst3::tresult VST3_API read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override;
    vst3::tresult VST3_API write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override;
    vst3::tresult VST3_API seek(int64_t to, int32_t mode, int64_t* result) override;
    vst3::tresult VST3_API tell(int64_t* at) override;

private:
    std::vector<uint8_t> bytes;
    int32_t chunk;
    std::size_t position = 0;
};

// One parameter's points in one block, up to a fixed number.
class CVst3ParamValueQueue : public vst3::IParamValueQueue {
public:
    static constexpr int32_t kCapacity = 16;

    void Reset(vst3::ParamID id)
    {
        parameter = id;
        count = 0;
    }

    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    vst3::ParamID VST3_API getParameterId() override { return parameter; }
    int32_t VST3_API getPointCount() override { return count; }
    vst3::tresult VST3_API getPoint(int32_t index, int32_t& sampleOffset, vst3::ParamValue& value) override;
    vst3::tresult VST3_API addPoint(int32_t sampleOffset, vst3::ParamValue value, int32_t& index) override;

private:
    vst3::ParamID parameter = 0;
    int32_t count = 0;
    int32_t offsets[kCapacity] = {};
    vst3::ParamValue values[kCapacity] = {};
};

// The changes of one block: a queue per parameter, up to a fixed number of parameters.
class CVst3ParameterChanges : public vst3::IParameterChanges {
public:
    static constexpr int32_t kCapacity = 4;

    void Clear() { count = 0; }
    // A point for `id` at `offset`; false when the lists are full.
    bool Add(vst3::ParamID id, int32_t offset, vst3::ParamValue value);

    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    int32_t VST3_API getParameterCount() override { return count; }
    vst3::IParamValueQueue* VST3_API getParameterData(int32_t index) override;
    vst3::IParamValueQueue* VST3_API addParameterData(const vst3::ParamID& id, int32_t& index) override;

private:
    int32_t count = 0;
    CVst3ParamValueQueue queues[kCapacity];
};
