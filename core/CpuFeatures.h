#pragma once

#include <cstdint>

enum CpuFeature : uint32_t {
    CPU_MMX = 1,
    CPU_SSE = 2,
    CPU_SSE2 = 4,
    CPU_3DNOW = 8,
    // The processor has AVX2 and the system saves the wide registers across thread switches.
    CPU_AVX2 = 16,
};

struct CpuidRegisters {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

// Executes cpuid for `leaf` with sub-leaf 0.
using CpuidInstruction = CpuidRegisters (*)(uint32_t leaf);
// Executes xgetbv for register `index`: which register states the system saves.
using XgetbvInstruction = uint64_t (*)(uint32_t index);

// The processor's feature word, read with cpuid. 0 on processors without the instruction.
uint32_t ProbeCpuFeatures();
// The same decoding over any source of cpuid answers; without an xgetbv source the system
// counts as saving no wide registers.
uint32_t ProbeCpuFeatures(CpuidInstruction cpuid, XgetbvInstruction xgetbv = nullptr);
