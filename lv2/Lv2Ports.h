#pragma once

#include <cstdint>

// The plug-in's LV2 ports, by index, as the turtle declares them. The control port carries
// the oversampling factor itself (2 ... 32), not the machine's control value.
enum Lv2Port : uint32_t { kLv2InLeft, kLv2InRight, kLv2OutLeft, kLv2OutRight, kLv2Oversampling, kLv2PortCount };
