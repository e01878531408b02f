#include "vst3/Vst3Parameter.h"

#include <cstring>

#include "effect/ControlDescription.h"

namespace {

constexpr int kLastStep = OversamplingControl::kStepCount - 1;

// Copies `text` (ASCII) into `out` of `capacity` units, cut to fit, ending with a zero.
void CopyToUtf16(const char* text, vst3::char16* out, int capacity)
{
    int i = 0;
    for (; text[i] && i < capacity - 1; ++i)
        out[i] = vst3::char16(static_cast<unsigned char>(text[i]));
    out[i] = 0;
}

}  // namespace

const vst3::ParamID Vst3Parameter::kId = OversamplingControl::kIndex;

void Vst3Parameter::Describe(vst3::ParameterInfo* info)
{
    std::memset(info, 0, sizeof *info);
    info->id = kId;
    CopyToUtf16(OversamplingControl::kName, info->title, 128);
    CopyToUtf16(OversamplingControl::kName, info->shortTitle, 128);
    info->stepCount = kLastStep;
    info->defaultNormalizedValue = NormalizedOfStep(OversamplingControl::kDefaultStep);
    info->unitId = 0;  // the root unit
    info->flags = vst3::ParameterInfo::kCanAutomate | vst3::ParameterInfo::kIsList;
}

int Vst3Parameter::StepOfNormalized(double normalized)
{
    if (!(normalized >= 0.0))
        return 0;
    const double scaled = normalized * OversamplingControl::kStepCount;
    return scaled >= kLastStep ? kLastStep : static_cast<int>(scaled);
}

double Vst3Parameter::NormalizedOfStep(int step) { return double(step) / kLastStep; }

double Vst3Parameter::NormalizedOfPlain(double plain)
{
    if (!(plain >= 0.0))
        return 0.0;
    return plain >= kLastStep ? 1.0 : NormalizedOfStep(static_cast<int>(plain + 0.5));
}

bool Vst3Parameter::TextOfNormalized(double normalized, vst3::String128 text)
{
    if (!text)
        return false;
    CopyToUtf16(OversamplingControl::TextOfStep(StepOfNormalized(normalized)), text, 128);
    return true;
}

bool Vst3Parameter::NormalizedOfText(const vst3::char16* text, double* normalized)
{
    if (!text || !normalized)
        return false;
    char ascii[128];
    int i = 0;
    for (; text[i]; ++i) {
        if (text[i] > 0x7F || i == int(sizeof ascii) - 1)
            return false;
        ascii[i] = char(text[i]);
    }
    ascii[i] = 0;
    int step = 0;
    if (!OversamplingControl::StepOfText(ascii, &step))
        return false;
    *normalized = NormalizedOfStep(step);
    return true;
}
