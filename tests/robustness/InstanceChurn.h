#pragma once

// Many instances in one process, as a host with a large project makes them: 64 instances
// created, driven and destroyed in random order, some with their editor open, round after
// round, through the drivers of any standard. Shared by the native test and the Windows
// test of the DLL; each measures the process's memory after every round in its own way.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/PluginDriver.h"

namespace robustness {

struct ChurnSetup {
    PluginFile* file = nullptr;
    int instances = 64;
    // Work a standard adds to the processing and parameter calls (the Windows test opens
    // and closes VST 2.x editors in real windows); returns whether it did any.
    std::function<bool(PluginDriver& driver, uint64_t choice)> extraWork;
    std::function<void()> pumpMessages;
};

struct ChurnRound {
    int created = 0;
    int extraWork = 0;
    int blocks = 0;
    bool outputsFinite = true;
    bool everyInstanceMade = true;
};

class InstanceChurn {
public:
    InstanceChurn(const ChurnSetup& setup, uint64_t seed) : setup(setup), random(seed)
    {
        // Rounds are fixed by the seed; a failing round is replayed by the same seed.
        std::printf("instance churn: seed 0x%llx\n", static_cast<unsigned long long>(seed));
        for (int c = 0; c < 2; ++c) {
            in[c].assign(kLargestBlock, 0.0);
            out[c].assign(kLargestBlock, 0.0);
            floatIn[c].assign(kLargestBlock, 0.0f);
            floatOut[c].assign(kLargestBlock, 0.0f);
        }
        for (size_t i = 0; i < kLargestBlock; ++i) {
            in[0][i] = in[1][i] = std::sin(double(i) * 0.05) * 0.8;
            floatIn[0][i] = floatIn[1][i] = float(in[0][i]);
        }
    }

    // One round: every instance is created (interleaved with work on those already
    // there), then all are destroyed in random order (interleaved with work on the rest).
    ChurnRound Round()
    {
        ChurnRound round;
        std::vector<std::unique_ptr<PluginDriver>> alive;
        while (round.created < setup.instances) {
            if (alive.empty() || random() % 3 != 0) {
                std::string error;
                const int32_t maxBlock = int32_t(1 + random() % kLargestBlock);
                std::unique_ptr<PluginDriver> driver = setup.file->NewInstance(48000.0, maxBlock, error);
                ++round.created;
                if (!driver) {
                    round.everyInstanceMade = false;
                    continue;
                }
                driver->Prepare(48000.0, maxBlock);
                driver->SetParameter(float(random() % 5) / 4.0f);
                alive.push_back(std::move(driver));
            } else {
                Work(*alive[random() % alive.size()], round);
            }
        }
        while (!alive.empty()) {
            const size_t pick = random() % alive.size();
            if (random() % 3 == 0) {
                Work(*alive[pick], round);
                continue;
            }
            alive.erase(alive.begin() + std::ptrdiff_t(pick));
            if (setup.pumpMessages)
                setup.pumpMessages();
        }
        return round;
    }

private:
    static constexpr size_t kLargestBlock = 2048;

    void Work(PluginDriver& driver, ChurnRound& round)
    {
        const uint64_t choice = random();
        if (choice % 6 < 2 && setup.extraWork && setup.extraWork(driver, choice / 6)) {
            ++round.extraWork;
            return;
        }
        switch (choice % 6) {
        case 2:
            driver.SetParameter(float(random() % 101) / 100.0f);
            break;
        case 3:
            driver.Reset();
            break;
        default:
            Process(driver, round);
            break;
        }
    }

    void Process(PluginDriver& driver, ChurnRound& round)
    {
        const int32_t frames = int32_t(random() % kLargestBlock);
        ++round.blocks;
        if (random() % 2) {
            double* inputs[2] = {in[0].data(), in[1].data()};
            double* outputs[2] = {out[0].data(), out[1].data()};
            driver.Process(inputs, outputs, frames);
            for (int c = 0; c < 2; ++c)
                for (int32_t i = 0; i < frames; ++i)
                    round.outputsFinite = round.outputsFinite && std::isfinite(out[c][size_t(i)]);
        } else {
            float* inputs[2] = {floatIn[0].data(), floatIn[1].data()};
            float* outputs[2] = {floatOut[0].data(), floatOut[1].data()};
            driver.Process(inputs, outputs, frames);
            for (int c = 0; c < 2; ++c)
                for (int32_t i = 0; i < frames; ++i)
                    round.outputsFinite =
                        round.outputsFinite && std::isfinite(floatOut[c][size_t(i)]);
        }
    }

    ChurnSetup setup;
    std::mt19937_64 random;
    std::vector<double> in[2], out[2];
    std::vector<float> floatIn[2], floatOut[2];
};

}  // namespace robustness
