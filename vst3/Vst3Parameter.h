#pragma once

#include "vst3/Vst3Abi.h"

// The plug-in's one VST3 parameter, the oversampling factor, as hosts see it: a list of five
// entries (step count 4), normalized values 0, 1/4 ... 1, plain values the steps 0 ... 4,
// shown as "2x" ... "32x".
namespace Vst3Parameter {

extern const vst3::ParamID kId;

void Describe(vst3::ParameterInfo* info);
// The step a normalized value selects, as hosts map a list's values: each step owns an
// equal share of 0 ... 1; anything outside (NaN included) selects the nearest end.
int StepOfNormalized(double normalized);
double NormalizedOfStep(int step);
// The plain value is the step: a number outside 0 ... 4 selects the nearest.
double NormalizedOfPlain(double plain);
// False when the string fits nothing (null, or not ASCII).
bool TextOfNormalized(double normalized, vst3::String128 text);
bool NormalizedOfText(const vst3::char16* text, double* normalized);

}  // namespace Vst3Parameter
