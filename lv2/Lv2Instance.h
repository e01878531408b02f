#pragma once

#include <cstdint>
#include <memory>

#include "core/StereoBridge.h"
#include "lv2/Lv2Ports.h"

class CVelvetineFilter;

// One LV2 instance of the effect: the machine, the bridge that runs it and the ports the
// host connects. Buffers are sized once, for the longest run the host announced (or a fixed
// chunk); longer runs are processed in chunks of that length, so run never allocates.
class CLv2Instance {
public:
    static constexpr int kDefaultChunk = 1024;
    static constexpr int kLargestChunk = 8192;

    // Throws std::bad_alloc when the machine cannot be made.
    CLv2Instance(double sampleRate, int maxBlockLength);
    ~CLv2Instance();

    void ConnectPort(uint32_t port, void* data);
    // Starts from silence: the filter forgets every sample it was given before.
    void Activate();
    void Run(uint32_t frames);

    int ChunkLength() const { return chunk; }

    CLv2Instance(const CLv2Instance&) = delete;
    CLv2Instance& operator=(const CLv2Instance&) = delete;

private:
    int chunk;
    std::unique_ptr<CVelvetineFilter> machine;
    CStereoBridge bridge;
    double machineControl = -1.0;  // the control value last handed to the machine
    float* ports[kLv2PortCount] = {};
};
