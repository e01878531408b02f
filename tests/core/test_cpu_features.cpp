// The processor feature word, from scripted cpuid answers and from the processor itself.

#include <gtest/gtest.h>

#include <map>

#include "core/CpuFeatures.h"

namespace {

std::map<uint32_t, CpuidRegisters> answers;

CpuidRegisters Scripted(uint32_t leaf)
{
    const auto found = answers.find(leaf);
    return found == answers.end() ? CpuidRegisters{0, 0, 0, 0} : found->second;
}

constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26, k3dNow = 1u << 31;

TEST(CpuFeatures, LeafOneGivesMmxSseAndSse2)
{
    answers = {{0, {1, 0, 0, 0}}, {1, {0, 0, 0xFFFFFFFFu, kMmx | kSse2}}, {0x80000000u, {0x80000001u, 0, 0, 0}}};
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_MMX | CPU_SSE2);
    answers[1].edx = kSse;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_SSE);
    answers[1].edx = 0xFFFFFFFFu & ~k3dNow;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_MMX | CPU_SSE | CPU_SSE2);
}

TEST(CpuFeatures, NoBasicLeafOneMeansNoBasicFeatures)
{
    answers = {{0, {0, 0, 0, 0}}, {1, {0, 0, 0, kMmx | kSse | kSse2}}};
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), 0u);
    // The highest basic leaf compares as a signed number.
    answers[0].eax = 0x80000002u;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), 0u);
}

TEST(CpuFeatures, ThreeDNowNeedsTheExtendedLeaf)
{
    answers = {{0, {1, 0, 0, 0}}, {1, {0, 0, 0, kMmx}}, {0x80000000u, {0x80000000u, 0, 0, 0}},
               {0x80000001u, {0, 0, 0, k3dNow}}};
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_MMX);
    answers[0x80000000u].eax = 0x80000008u;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_MMX | CPU_3DNOW);
    answers[0x80000001u].edx = ~k3dNow;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_MMX);
}

uint64_t xcr0 = 0;
uint64_t ScriptedXgetbv(uint32_t) { return xcr0; }

TEST(CpuFeatures, Avx2NeedsLeafSevenAndTheSystemSavingWideRegisters)
{
    constexpr uint32_t kOsXsaveAndAvx = (1u << 27) | (1u << 28), kAvx2 = 1u << 5;
    answers = {{0, {7, 0, 0, 0}}, {1, {0, 0, kOsXsaveAndAvx, kSse2}}, {7, {0, kAvx2, 0, 0}}};
    xcr0 = 0x7;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted, &ScriptedXgetbv), CPU_SSE2 | CPU_AVX2);
    EXPECT_EQ(ProbeCpuFeatures(&Scripted), CPU_SSE2);
    xcr0 = 0x3;  // the system does not save the upper halves
    EXPECT_EQ(ProbeCpuFeatures(&Scripted, &ScriptedXgetbv), CPU_SSE2);
    xcr0 = 0x7;
    answers[1].ecx = 1u << 28;  // no OSXSAVE: xgetbv must not even run
    EXPECT_EQ(ProbeCpuFeatures(&Scripted, &ScriptedXgetbv), CPU_SSE2);
    answers[1].ecx = kOsXsaveAndAvx;
    answers[0].eax = 6;
    EXPECT_EQ(ProbeCpuFeatures(&Scripted, &ScriptedXgetbv), CPU_SSE2);
}

TEST(CpuFeatures, TheProcessorHasWhatTheBuildRequires)
{
#if defined(__x86_64__) || defined(__SSE2__)
    // Every x86-64 processor, and every processor this build's SSE2 code runs on.
    const uint32_t features = ProbeCpuFeatures();
    EXPECT_EQ(features & (CPU_MMX | CPU_SSE | CPU_SSE2), CPU_MMX | CPU_SSE | CPU_SSE2);
    EXPECT_EQ(features & ~0x1Fu, 0u);
    EXPECT_EQ((features & CPU_AVX2) != 0, __builtin_cpu_supports("avx2") != 0);
#else
    GTEST_SKIP() << "not an SSE2 build";
#endif
}

}  // namespace
