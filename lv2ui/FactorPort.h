#pragma once

#include <cstdint>

// The LV2 control port carries the oversampling factor itself (2, 4, 8, 16, 32); the
// machine's control runs from 0 to 1 in steps of 0.25, one per factor.
constexpr uint32_t kFactorPortIndex = 4;

// 2 << index for the control's factor index trunc(4 v), kept inside 0...4.
inline float FactorOfControl(double value)
{
    int index = value >= 0.0 ? static_cast<int>(value * 4.0) : 0;
    if (index > 4)
        index = 4;
    return static_cast<float>(2 << index);
}

// The control value of the largest factor not above `factor`, as the processing reads the
// port, so that the highlight shows what is heard; below 2 and not a number give 2x.
inline double ControlOfFactor(float factor)
{
    int index = 0;
    for (int i = 1; i <= 4; ++i)
        if (factor >= static_cast<float>(2 << i))
            index = i;
    return 0.25 * index;
}
