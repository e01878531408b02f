#pragma once

#include <cstdint>

enum ControlEventKind : uint32_t {
    EVENT_NOTE_ON = 1,
    EVENT_NOTE_OFF = 2,
};

// One queued event, stamped with its frame offset into the coming block.
struct ControlEvent {
    uint32_t reserved0 = 0;
    int32_t time = 0;
    uint32_t kind = 0;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    uint8_t note = 0;
    double value = 0.0;
    uint64_t reserved3 = 0;
};
