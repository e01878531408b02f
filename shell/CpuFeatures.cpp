#include "shell/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

constexpr uint32_t kLeafFeatures = 1;
constexpr uint32_t kLeafExtendedMax = 0x80000000u;
constexpr uint32_t kLeafExtendedFeatures = 0x80000001u;

constexpr uint32_t kEdxMmx = 1u << 23;
constexpr uint32_t kEdxSse = 1u << 25;
constexpr uint32_t kEdxSse2 = 1u << 26;
constexpr uint32_t kEdx3dNow = 1u << 31;

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

}  // namespace

uint32_t ProbeCpuFeatures(CpuidInstruction cpuid)
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
    }
    const uint32_t highestExtended = cpuid(kLeafExtendedMax).eax;
    if (highestExtended >= kLeafExtendedFeatures && (cpuid(kLeafExtendedFeatures).edx & kEdx3dNow))
        features |= CPU_3DNOW;
    return features;
}

uint32_t ProbeCpuFeatures()
{
#if defined(__i386__) || defined(__x86_64__)
    return ProbeCpuFeatures(&ProcessorCpuid);
#else
    return 0;
#endif
}
