#pragma once

// The audio side of a host in steady state: processing calls of random frame counts (never
// more than the largest block already processed or announced), in both precisions, with
// parameter calls between them, as an audio thread makes them, through a prepared driver of
// any standard. Nothing else is called, so nothing here may allocate, lock or enter the
// system.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <vector>

#include "host/PluginDriver.h"

namespace robustness {

class SteadyStateHost {
public:
    SteadyStateHost(PluginDriver& driver, int largestFrames)
        : driver(driver), largestFrames(largestFrames)
    {
        for (int c = 0; c < 2; ++c) {
            floatIn[c].assign(size_t(largestFrames), 0.0f);
            floatOut[c].assign(size_t(largestFrames), 0.0f);
            doubleIn[c].assign(size_t(largestFrames), 0.0);
            doubleOut[c].assign(size_t(largestFrames), 0.0);
        }
        for (int i = 0; i < largestFrames; ++i) {
            const double value = double((i * 7919) % 2001 - 1000) / 1000.0;
            floatIn[0][size_t(i)] = floatIn[1][size_t(i)] = float(value);
            doubleIn[0][size_t(i)] = doubleIn[1][size_t(i)] = value;
        }
    }

    // Processes one block of the largest size in each precision: afterwards every buffer
    // the instance needs exists.
    void Warm()
    {
        ProcessFloat(largestFrames);
        ProcessDouble(largestFrames);
    }

    // `calls` random calls from a generator of its own (no library state is touched).
    void Run(uint64_t calls, uint64_t seed)
    {
        uint64_t state = seed | 1;
        for (uint64_t n = 0; n < calls; ++n) {
            state = Next(state);
            const uint32_t choice = uint32_t(state >> 40) % 8;
            const int frames = int((state >> 8) % uint64_t(largestFrames + 6)) - 5;
            if (choice < 3) {
                ProcessFloat(frames);
            } else if (choice < 6) {
                ProcessDouble(frames);
            } else if (choice == 6) {
                driver.SetParameter(ParameterValue(state));
            } else {
                sink += driver.GetParameter();
            }
        }
    }

    // The longest time one block of `frames` frames took, and the median, over `blocks`
    // blocks in the given precision.
    struct BlockTimes {
        double medianMicroseconds;
        double worstMicroseconds;
    };
    BlockTimes TimeBlocks(int frames, int blocks, bool doublePrecision)
    {
        std::vector<double> times;
        for (int i = 0; i < blocks; ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (doublePrecision)
                ProcessDouble(frames);
            else
                ProcessFloat(frames);
            times.push_back(std::chrono::duration<double, std::micro>(
                                std::chrono::steady_clock::now() - start)
                                .count());
        }
        std::sort(times.begin(), times.end());
        return BlockTimes{times[times.size() / 2], times.back()};
    }

    // Replaces both input channels with `value` everywhere.
    void FillInputs(double value)
    {
        for (int c = 0; c < 2; ++c) {
            std::fill(floatIn[c].begin(), floatIn[c].end(), float(value));
            std::fill(doubleIn[c].begin(), doubleIn[c].end(), value);
        }
    }

    float sink = 0.0f;  // keeps GetParameter calls from being optimised away

private:
    static uint64_t Next(uint64_t state)
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }

    static float ParameterValue(uint64_t state)
    {
        switch ((state >> 50) % 8) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            return -std::numeric_limits<float>::infinity();
        case 2:
            return 7.5f;
        default:
            return float((state >> 30) % 1001) / 1000.0f;
        }
    }

    void ProcessFloat(int frames)
    {
        float* inputs[2] = {floatIn[0].data(), floatIn[1].data()};
        float* outputs[2] = {floatOut[0].data(), floatOut[1].data()};
        driver.Process(inputs, outputs, frames);
    }

    void ProcessDouble(int frames)
    {
        double* inputs[2] = {doubleIn[0].data(), doubleIn[1].data()};
        double* outputs[2] = {doubleOut[0].data(), doubleOut[1].data()};
        driver.Process(inputs, outputs, frames);
    }

    PluginDriver& driver;
    int largestFrames;
    std::vector<float> floatIn[2], floatOut[2];
    std::vector<double> doubleIn[2], doubleOut[2];
};

}  // namespace robustness
