#pragma once

#include <cstdint>

// One entry of a machine's program table: a name and one value per control.
struct Program {
    static constexpr int kNameSize = 64;  // a host's 24-byte program name always fits

    uint32_t reserved = 0;
    double* values = nullptr;
    char name[kNameSize] = {};
};
