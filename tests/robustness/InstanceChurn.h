#pragma once

// Many instances in one process, as a host with a large project makes them: 64 instances
// created, driven and closed in random order, some with their editor open, round after
// round. Shared by the native test and the Windows test of the DLL; each measures the
// process's memory after every round in its own way.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "shell/Vst2.h"

namespace robustness {

struct ChurnSetup {
    VstPluginEntry entry = nullptr;
    audioMasterCallback callback = nullptr;
    int instances = 64;
    // A window to open an editor in (null natively, where effEditOpen gets a pointer that
    // is no window), and the thread's message pump.
    std::function<void*()> editorParent;
    std::function<void()> pumpMessages;
};

struct ChurnRound {
    int created = 0;
    int editorsOpened = 0;
    int blocks = 0;
    bool allClosedWithOne = true;  // every effClose answered 1
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
    // there), then all are closed in random order (interleaved with work on the rest).
    ChurnRound Round()
    {
        ChurnRound round;
        std::vector<AEffect*> alive;
        while (round.created < setup.instances) {
            if (alive.empty() || random() % 3 != 0) {
                AEffect* effect = setup.entry(setup.callback);
                ++round.created;
                if (!effect) {
                    round.everyInstanceMade = false;
                    continue;
                }
                Start(effect);
                alive.push_back(effect);
            } else {
                Work(alive[random() % alive.size()], round);
            }
        }
        while (!alive.empty()) {
            const size_t pick = random() % alive.size();
            if (random() % 3 == 0) {
                Work(alive[pick], round);
                continue;
            }
            AEffect* effect = alive[pick];
            alive.erase(alive.begin() + std::ptrdiff_t(pick));
            if (effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) != 1)
                round.allClosedWithOne = false;
            if (setup.pumpMessages)
                setup.pumpMessages();
        }
        return round;
    }

private:
    static constexpr size_t kLargestBlock = 2048;

    void Start(AEffect* effect)
    {
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, intptr_t(random() % kLargestBlock), nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        effect->setParameter(effect, 0, float(random() % 5) / 4.0f);
    }

    void Work(AEffect* effect, ChurnRound& round)
    {
        switch (random() % 6) {
        case 0: {
            // Some editors are opened (and some opened again, which replaces the old one),
            // some closed again; the rest stay open until their instance is closed.
            void* parent = setup.editorParent ? setup.editorParent() : nullptr;
            effect->dispatcher(effect, effEditOpen, 0, 0, parent ? parent : &round, 0.0f);
            ++round.editorsOpened;
            if (setup.pumpMessages)
                setup.pumpMessages();
            break;
        }
        case 1:
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
            break;
        case 2:
            effect->setParameter(effect, 0, float(random() % 101) / 100.0f);
            break;
        default:
            Process(effect, round);
            break;
        }
    }

    void Process(AEffect* effect, ChurnRound& round)
    {
        const int32_t frames = int32_t(random() % kLargestBlock);
        ++round.blocks;
        if (random() % 2) {
            double* inputs[2] = {in[0].data(), in[1].data()};
            double* outputs[2] = {out[0].data(), out[1].data()};
            effect->processDoubleReplacing(effect, inputs, outputs, frames);
            for (int c = 0; c < 2; ++c)
                for (int32_t i = 0; i < frames; ++i)
                    round.outputsFinite = round.outputsFinite && std::isfinite(out[c][size_t(i)]);
        } else {
            float* inputs[2] = {floatIn[0].data(), floatIn[1].data()};
            float* outputs[2] = {floatOut[0].data(), floatOut[1].data()};
            effect->processReplacing(effect, inputs, outputs, frames);
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
