#include "core/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

constexpr uint32_t kLeafFeatures = 1;
constexpr uint32_t kLeafExtendedFeatureFlags = 7;
constexpr uint32_t kLeafExtendedMax = 0x80000000u;
constexpr uint32_t kLeafExtendedFeatures = 0x80000001u;

constexpr uint32_t kEdxMmx = 1u << 23;
constexpr uint32_t kEdxSse = 1u << 25;
constexpr uint32_t kEdxSse2 = 1u << 26;
constexpr uint32_t kEdx3dNow = 1u << 31;
constexpr uint32_t kEcxOsXsave = 1u << 27;
constexpr uint32_t kEcxAvx = 1u << 28;
constexpr uint32_t kEbxAvx2 = 1u << 5;
// XCR0: the SSE and the AVX register state.
constexpr uint64_t kXcr0SseAndAvx = 0x6;

CpuidRegisters ProcessorCpuid(uint32_t leaf)
{
    CpuidRegisters r{0, 0, 0, 0};
#if defined(__i386__) || defined(__x86_64__)
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
#else
    (void)leaf;
#endif
    return r;
}

uint64_t ProcessorXgetbv(uint32_t index)
{
#if defined(__i386__) || defined(__x86_64__)
    uint32_t low = 0, high = 0;
    // Spelled as bytes so that the code builds without enabling XSAVE for the compiler;
    // it only runs when cpuid reports OSXSAVE.
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(index));
    return (static_cast<uint64_t>(high) << 32) | low;
#else
    (void)index;
    return 0;
#endif
}

// AVX2 counts only where the system also saves the 256-bit registers.
bool HasUsableAvx2(CpuidInstruction cpuid, XgetbvInstruction xgetbv, int32_t highestBasic)
{
    if (!xgetbv || highestBasic < static_cast<int32_t>(kLeafExtendedFeatureFlags))
        return false;
    const uint32_t ecx = cpuid(kLeafFeatures).ecx;
    if ((ecx & (kEcxOsXsave | kEcxAvx)) != (kEcxOsXsave | kEcxAvx))
        return false;
    if ((xgetbv(0) & kXcr0SseAndAvx) != kXcr0SseAndAvx)
        return false;
    return (cpuid(kLeafExtendedFeatureFlags).ebx & kEbxAvx2) != 0;
}

}  // namespace

uint32_t ProbeCpuFeatures(CpuidInstruction cpuid, XgetbvInstruction xgetbv)
{
    uint32_t features = 0;
    // The highest basic leaf compares as a signed number.
    const int32_t highestBasic = static_cast<int32_t>(cpuid(0).eax);
    if (highestBasic >= 1) {
        const uint32_t edx = cpuid(kLeafFeatures).edx;
        if (edx & kEdxMmx)
            features |= CPU_MMX;
        if (edx & kEdxSse)
            features |= CPU_SSE;
        if (edx & kEdxSse2)
            features |= CPU_SSE2;
        if (HasUsableAvx2(cpuid, xgetbv, highestBasic))
            features |= CPU_AVX2;
    }
    const uint32_t highestExtended = cpuid(kLeafExtendedMax).eax;
    if (highestExtended >= kLeafExtendedFeatures && (cpuid(kLeafExtendedFeatures).edx & kEdx3dNow))
        features |= CPU_3DNOW;
    return features;
}

uint32_t ProbeCpuFeatures()
{
#if defined(__i386__) || defined(__x86_64__)
    return ProbeCpuFeatures(&ProcessorCpuid, &ProcessorXgetbv);
#else
    return 0;
#endif
}
