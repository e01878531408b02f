#include "effect/ControlDescription.h"

#include <cctype>
#include <cstring>

namespace {

constexpr const char* kStepTexts[OversamplingControl::kStepCount] = {"2x", "4x", "8x", "16x", "32x"};

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

const char* OversamplingControl::TextOfStep(int step)
{
    if (step < 0 || step >= kStepCount)
        return "";
    return kStepTexts[step];
}

bool OversamplingControl::StepOfText(const char* text, int* step)
{
    if (!text || !step)
        return false;
    while (IsSpace(*text))
        ++text;
    size_t length = std::strlen(text);
    while (length > 0 && IsSpace(text[length - 1]))
        --length;
    for (int i = 0; i < kStepCount; ++i) {
        const size_t full = std::strlen(kStepTexts[i]);  // "8x"; the number alone is one less
        if ((length == full || length == full - 1) && std::strncmp(text, kStepTexts[i], length) == 0) {
            *step = i;
            return true;
        }
    }
    return false;
}
