#pragma once

#include <cstdint>

class CPicture;

// Decodes 8-bit truecolour PNG data (RGB or RGBA, not interlaced) into `picture`, whose
// width, height, pixels and hasAlpha are zero. Anything else is rejected through
// FatalError with a message naming the problem.
void DecodePng(CPicture& picture, const uint8_t* bytes, uint32_t length);
