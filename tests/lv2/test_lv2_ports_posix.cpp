// What only LV2 has: ports a host may leave unconnected. The scenarios every standard goes
// through run over the drivers (tests/host/test_robust_drivers*.cpp).

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <random>
#include <vector>

#include "host/Lv2Features.h"

namespace {

const LV2_Descriptor* Descriptor()
{
    static const LV2_Descriptor* descriptor = []() -> const LV2_Descriptor* {
        void* library = dlopen(VELVETINE_LV2_PATH, RTLD_NOW | RTLD_LOCAL);
        auto entry = library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor")) : nullptr;
        return entry ? entry(0) : nullptr;
    }();
    return descriptor;
}

// Runs `left` and `right` (null: left unconnected) through a fresh instance at 2x.
std::vector<std::vector<float>> RunAtTwoTimes(const std::vector<float>* left, const std::vector<float>& right)
{
    const uint32_t frames = uint32_t(right.size());
    Lv2Features features{int32_t(frames)};
    LV2_Handle handle = Descriptor()->instantiate(Descriptor(), 48000.0, "", features.List());
    EXPECT_NE(handle, nullptr);
    std::vector<std::vector<float>> out(2, std::vector<float>(frames, 99.0f));
    if (!handle)
        return out;
    float factor = 2.0f;
    Descriptor()->connect_port(handle, 0, left ? const_cast<float*>(left->data()) : nullptr);
    Descriptor()->connect_port(handle, 1, const_cast<float*>(right.data()));
    Descriptor()->connect_port(handle, 2, out[0].data());
    Descriptor()->connect_port(handle, 3, out[1].data());
    Descriptor()->connect_port(handle, 4, &factor);
    Descriptor()->activate(handle);
    Descriptor()->run(handle, frames);
    Descriptor()->deactivate(handle);
    Descriptor()->cleanup(handle);
    return out;
}

TEST(Lv2Ports, AnUnconnectedInputIsSilence)
{
    ASSERT_NE(Descriptor(), nullptr) << "no LV2 descriptor in " << VELVETINE_LV2_PATH;
    std::mt19937 random(5);
    std::vector<float> right(1000);
    for (float& value : right)
        value = std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
    const std::vector<float> silence(right.size(), 0.0f);
    const auto unconnected = RunAtTwoTimes(nullptr, right);
    EXPECT_EQ(unconnected, RunAtTwoTimes(&silence, right));
    EXPECT_NE(unconnected[1], silence);
}

}  // namespace
