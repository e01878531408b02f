#pragma once

#include <cstdint>

#include "clap/ClapAbi.h"

// The plug-in's one CLAP parameter, the oversampling factor, as hosts see it: stable id 0,
// plain values 0 ... 4, one per step, shown as "2x" ... "32x".
namespace ClapParameter {

constexpr clap_id kId = 0;

void Describe(clap_param_info* info);
// The step a plain value selects: the nearest one, inside the range; NaN selects the first,
// as the machine's control does.
int StepOfPlainValue(double value);
bool ValueToText(double value, char* text, uint32_t capacity);
bool TextToValue(const char* text, double* value);

}  // namespace ClapParameter
