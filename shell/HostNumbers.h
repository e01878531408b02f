#pragma once

#include <cmath>
#include <cstdint>

// A host's float turned into an integer by truncation toward zero. Values a 32-bit integer
// cannot hold saturate, and NaN gives 0, instead of being undefined behaviour.
inline int32_t TruncateToInt32(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
