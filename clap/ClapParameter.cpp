#include "clap/ClapParameter.h"

#include <cstdio>
#include <cstring>

#include "effect/ControlDescription.h"

void ClapParameter::Describe(clap_param_info* info)
{
    std::memset(info, 0, sizeof *info);
    info->id = kId;
    info->flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_ENUM;
    std::snprintf(info->name, sizeof info->name, "%s", OversamplingControl::kName);
    info->min_value = 0.0;
    info->max_value = OversamplingControl::kStepCount - 1;
    info->default_value = OversamplingControl::kDefaultStep;
}

int ClapParameter::StepOfPlainValue(double value)
{
    if (!(value >= 0.0))
        return 0;
    if (value >= OversamplingControl::kStepCount - 1)
        return OversamplingControl::kStepCount - 1;
    return static_cast<int>(value + 0.5);
}

bool ClapParameter::ValueToText(double value, char* text, uint32_t capacity)
{
    if (!text || capacity == 0)
        return false;
    std::snprintf(text, capacity, "%s", OversamplingControl::TextOfStep(StepOfPlainValue(value)));
    return true;
}

bool ClapParameter::TextToValue(const char* text, double* value)
{
    int step = 0;
    if (!text || !value || !OversamplingControl::StepOfText(text, &step))
        return false;
    *value = step;
    return true;
}
