// The LV2 plug-in driven through its descriptor, loaded from the built bundle as LV2 hosts
// load it: in-place and chunked runs, a hostile host's random calls, the audio thread's
// steady state (no allocation, no lock), non-finite input and many instances.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/robustness/CountingAllocator.h"

namespace {

using robustness::counting::Activity;
using robustness::counting::CountDuring;

constexpr uint32_t kPortCount = 5;
constexpr uint32_t kControlPort = 4;

const LV2_Descriptor* Descriptor()
{
    static const LV2_Descriptor* descriptor = [] () -> const LV2_Descriptor* {
        void* library = dlopen(VELVETINE_LV2_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
        return entry ? entry(0) : nullptr;
    }();
    return descriptor;
}

// The features a host offers: urid:map and, when asked, the maximum block length.
class HostFeatures {
public:
    explicit HostFeatures(int32_t maxBlockLength)
        : maxBlock(maxBlockLength),
          map{this, &HostFeatures::Map},
          options{{LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_BUF_SIZE__maxBlockLength),
                   sizeof(int32_t), Map(this, "http://lv2plug.in/ns/ext/atom#Int"), &maxBlock},
                  {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}},
          mapFeature{LV2_URID__map, &map},
          optionsFeature{LV2_OPTIONS__options, options},
          list{&mapFeature, &optionsFeature, nullptr}
    {
    }
    const LV2_Feature* const* List() const { return maxBlock > 0 ? list : list + 2; }

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& uris = static_cast<HostFeatures*>(handle)->uris;
        return uris.emplace(uri, LV2_URID(uris.size() + 1)).first->second;
    }

    int32_t maxBlock;
    std::map<std::string, LV2_URID> uris;
    LV2_URID_Map map;
    LV2_Options_Option options[2];
    LV2_Feature mapFeature;
    LV2_Feature optionsFeature;
    const LV2_Feature* list[3];
};

// One instance with its own buffers, connected once.
class Instance {
public:
    explicit Instance(int32_t maxBlockLength = 0, int frames = 4096)
        : features(maxBlockLength), in(2, std::vector<float>(frames)), out(2, std::vector<float>(frames))
    {
        handle = Descriptor()->instantiate(Descriptor(), 48000.0, "", features.List());
        if (!handle)
            return;
        for (uint32_t c = 0; c < 2; ++c) {
            Descriptor()->connect_port(handle, c, in[c].data());
            Descriptor()->connect_port(handle, 2 + c, out[c].data());
        }
        Descriptor()->connect_port(handle, kControlPort, &control);
        Descriptor()->activate(handle);
    }
    ~Instance()
    {
        if (handle) {
            Descriptor()->deactivate(handle);
            Descriptor()->cleanup(handle);
        }
    }
    void Run(uint32_t frames) { Descriptor()->run(handle, frames); }

    HostFeatures features;
    LV2_Handle handle = nullptr;
    float control = 2.0f;
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
};

void FillNoise(std::vector<std::vector<float>>& channels, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (auto& channel : channels)
        for (float& value : channel)
            value = sample(random);
}

#define ASSERT_DESCRIPTOR() \
    ASSERT_NE(Descriptor(), nullptr) << "no LV2 descriptor in " << VELVETINE_LV2_PATH << ": " << dlerror()

TEST(Lv2Plugin, InPlaceAndChunkedRunsGiveWhatSeparateBuffersGive)
{
    ASSERT_DESCRIPTOR();
    constexpr int kFrames = 20000;
    for (float factor : {2.0f, 8.0f, 32.0f}) {
        SCOPED_TRACE("oversampling " + std::to_string(factor));
        Instance separate(0, kFrames);    // the fixed internal chunk
        Instance inPlace(256, kFrames);   // a small announced maximum: long runs are chunked
        ASSERT_TRUE(separate.handle && inPlace.handle);
        FillNoise(separate.in, 7);
        inPlace.out = separate.in;  // processed where it lies
        for (uint32_t c = 0; c < 2; ++c) {
            Descriptor()->connect_port(inPlace.handle, c, inPlace.out[c].data());
            Descriptor()->connect_port(inPlace.handle, 2 + c, inPlace.out[c].data());
        }
        separate.control = inPlace.control = factor;
        separate.Run(kFrames);
        // Runs longer and shorter than the chunk, one after the other.
        std::mt19937 random(11);
        for (int done = 0; done < kFrames;) {
            const int length = std::min<int>(kFrames - done, std::uniform_int_distribution<int>(0, 1500)(random));
            for (uint32_t c = 0; c < 2; ++c) {
                Descriptor()->connect_port(inPlace.handle, c, inPlace.out[c].data() + done);
                Descriptor()->connect_port(inPlace.handle, 2 + c, inPlace.out[c].data() + done);
            }
            inPlace.Run(uint32_t(length));
            done += length;
        }
        EXPECT_EQ(inPlace.out, separate.out);
        EXPECT_NE(separate.out, separate.in);
    }
}

TEST(Lv2Plugin, AnUnconnectedInputIsSilence)
{
    ASSERT_DESCRIPTOR();
    constexpr int kFrames = 1000;
    Instance silent(0, kFrames), unconnected(0, kFrames);
    ASSERT_TRUE(silent.handle && unconnected.handle);
    FillNoise(unconnected.in, 5);
    silent.in[1] = unconnected.in[1];
    std::fill(silent.in[0].begin(), silent.in[0].end(), 0.0f);
    Descriptor()->connect_port(unconnected.handle, 0, nullptr);
    silent.Run(kFrames);
    unconnected.Run(kFrames);
    EXPECT_EQ(unconnected.out, silent.out);
    EXPECT_NE(unconnected.out[1], std::vector<float>(kFrames, 0.0f));
}

TEST(Lv2Plugin, RandomHostCallsKeepOutputsFiniteAndInsideTheirBuffers)
{
    ASSERT_DESCRIPTOR();
    constexpr uint32_t kSeed = 0x1f2e3d;
    constexpr int kGuard = 64;
    constexpr float kGuardValue = 1234.5f;
    std::mt19937 random(kSeed);
    auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const float controls[] = {2, 3, 4, 7.9f, 8, 16, 31.99f, 32, 0, -5, 1e30f, -1e30f,
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::denorm_min()};
    for (int instanceRound = 0; instanceRound < 10; ++instanceRound) {
        const int32_t announced = draw(0, 3) == 0 ? 0 : draw(1, 5000);
        Instance plugin(announced, 1);
        ASSERT_NE(plugin.handle, nullptr);
        std::vector<std::vector<float>> buffers(4, std::vector<float>(3 * 8192 + kGuard));
        for (int call = 0; call < 300; ++call) {
            SCOPED_TRACE("seed " + std::to_string(kSeed) + ", instance " + std::to_string(instanceRound) +
                         ", call " + std::to_string(call));
            const uint32_t frames = uint32_t(draw(0, 3) == 0 ? draw(0, 3 * 8192) : draw(0, 600));
            for (int c = 0; c < 4; ++c) {
                std::fill(buffers[c].begin(), buffers[c].end(), kGuardValue);
                for (uint32_t i = 0; i < frames && c < 2; ++i)
                    buffers[c][i] = std::uniform_real_distribution<float>(-1, 1)(random);
            }
            // Inputs shared with outputs now and then, as hosts may.
            const bool inPlace = draw(0, 4) == 0;
            for (uint32_t c = 0; c < 2; ++c) {
                Descriptor()->connect_port(plugin.handle, c, buffers[c].data());
                Descriptor()->connect_port(plugin.handle, 2 + c, buffers[inPlace ? c : 2 + c].data());
            }
            plugin.control = controls[draw(0, int(std::size(controls)) - 1)];
            switch (draw(0, 9)) {
            case 0:
                Descriptor()->deactivate(plugin.handle);
                Descriptor()->activate(plugin.handle);
                break;
            case 1:
                Descriptor()->connect_port(plugin.handle, kPortCount + uint32_t(draw(0, 1000)), buffers[0].data());
                break;
            default:
                break;
            }
            plugin.Run(frames);
            for (int c = 0; c < 2; ++c) {
                const std::vector<float>& output = buffers[inPlace ? c : 2 + c];
                for (uint32_t i = 0; i < frames; ++i)
                    ASSERT_TRUE(std::isfinite(output[i])) << "channel " << c << ", frame " << i;
                for (size_t i = frames; i < output.size(); ++i)
                    ASSERT_EQ(output[i], kGuardValue) << "written past the run: channel " << c << ", frame " << i;
            }
        }
    }
}

TEST(Lv2Plugin, RunsNeitherAllocateNorLockAtAnyLengthOrFactor)
{
    ASSERT_DESCRIPTOR();
    if (!robustness::counting::Available())
        GTEST_SKIP() << "the sanitizers' allocator replaces the counting hooks";
    for (int32_t announced : {0, 512}) {
        Instance plugin(announced, 20000);
        ASSERT_NE(plugin.handle, nullptr);
        FillNoise(plugin.in, 3);
        std::mt19937 random(5);
        const Activity seen = CountDuring([&] {
            for (int call = 0; call < 2000; ++call) {
                plugin.control = float(2 << std::uniform_int_distribution<int>(0, 4)(random));
                plugin.Run(uint32_t(std::uniform_int_distribution<int>(0, 20000)(random)));
            }
        });
        EXPECT_EQ(seen.allocations, 0u) << "announced " << announced;
        EXPECT_EQ(seen.releases, 0u) << "announced " << announced;
        EXPECT_EQ(seen.locks, 0u) << "announced " << announced;
        // Instantiating allocates: proof that the counters see the plug-in's own allocations.
        const Activity made = CountDuring([&] { Instance another(announced, 64); });
        EXPECT_GT(made.allocations, 0u);
    }
}

TEST(Lv2Plugin, NonFiniteInputPassesAndActivationForgetsIt)
{
    ASSERT_DESCRIPTOR();
    Instance plugin(0, 256);
    Instance fresh(0, 256);
    ASSERT_TRUE(plugin.handle && fresh.handle);
    plugin.control = fresh.control = 16.0f;
    plugin.in[0][10] = std::numeric_limits<float>::quiet_NaN();
    plugin.in[1][20] = std::numeric_limits<float>::infinity();
    plugin.Run(256);
    EXPECT_TRUE(std::isnan(plugin.out[0][10]));
    // An infinity stays infinite, as the VST 2.x binding gives it.
    EXPECT_EQ(plugin.out[1][20], std::numeric_limits<float>::infinity());
    // The delay lines still hold the non-finite samples until the host reactivates.
    FillNoise(plugin.in, 9);
    fresh.in = plugin.in;
    Descriptor()->deactivate(plugin.handle);
    Descriptor()->activate(plugin.handle);
    plugin.Run(256);
    fresh.Run(256);
    EXPECT_EQ(plugin.out, fresh.out);
}

TEST(Lv2Plugin, ManyInstancesComeAndGoWithoutGrowth)
{
    ASSERT_DESCRIPTOR();
    constexpr uint32_t kSeed = 77;
    std::mt19937 random(kSeed);
    std::vector<std::unique_ptr<Instance>> live(64);
    int64_t bytesAfterWarmUp = 0;
    for (int round = 0; round < 12; ++round) {
        for (int step = 0; step < 200; ++step) {
            auto& slot = live[std::uniform_int_distribution<int>(0, 63)(random)];
            if (slot) {
                slot->control = float(std::uniform_int_distribution<int>(0, 40)(random));
                slot->Run(uint32_t(std::uniform_int_distribution<int>(0, 4096)(random)));
                if (std::uniform_int_distribution<int>(0, 2)(random) == 0)
                    slot.reset();
            } else {
                slot.reset(new Instance(std::uniform_int_distribution<int>(0, 2048)(random), 4096));
                ASSERT_NE(slot->handle, nullptr);
            }
        }
        for (auto& slot : live)
            slot.reset();
        if (round == 1)
            bytesAfterWarmUp = robustness::counting::liveBytes.load();
    }
    if (robustness::counting::Available()) {
        EXPECT_LE(robustness::counting::liveBytes.load(), bytesAfterWarmUp)
            << "memory held with no instance alive grew after the first rounds (seed " << kSeed << ")";
    }
}

}  // namespace
