#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "effect/ControlDescription.h"

namespace {

int StepOf(const char* text)
{
    int step = -1;
    return OversamplingControl::StepOfText(text, &step) ? step : -1;
}

}  // namespace

TEST(ControlDescription, TextsNameTheirStepsAndComeBack)
{
    for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
        const char* text = OversamplingControl::TextOfStep(step);
        EXPECT_EQ(StepOf(text), step) << text;
        EXPECT_EQ(std::atoi(text), OversamplingControl::FactorOfStep(step)) << text;
    }
    EXPECT_STREQ(OversamplingControl::TextOfStep(4), "32x");
    EXPECT_STREQ(OversamplingControl::TextOfStep(5), "");
    EXPECT_STREQ(OversamplingControl::TextOfStep(-1), "");
}

TEST(ControlDescription, TextsTakeTheNumberAloneAndSpacesButNothingElse)
{
    EXPECT_EQ(StepOf("8"), 2);
    EXPECT_EQ(StepOf("  16x \t"), 3);
    EXPECT_EQ(StepOf(" 2 "), 0);
    for (const char* text : {"", " ", "x", "8.0", "08", "8 x", "8xx", "3", "1", "64x", "-2", "32X2"})
        EXPECT_EQ(StepOf(text), -1) << '"' << text << '"';
    int step = 7;
    EXPECT_FALSE(OversamplingControl::StepOfText(nullptr, &step));
    EXPECT_EQ(step, 7);
}

TEST(ControlDescription, FactorsSelectTheLargestOfferedNotAbove)
{
    EXPECT_EQ(OversamplingControl::StepOfFactor(2.0), 0);
    EXPECT_EQ(OversamplingControl::StepOfFactor(7.9), 1);
    EXPECT_EQ(OversamplingControl::StepOfFactor(8.0), 2);
    EXPECT_EQ(OversamplingControl::StepOfFactor(1000.0), 4);
    EXPECT_EQ(OversamplingControl::StepOfFactor(0.0), 0);
    EXPECT_EQ(OversamplingControl::StepOfFactor(std::nan("")), 0);
    for (int step = 0; step < OversamplingControl::kStepCount; ++step)
        EXPECT_EQ(OversamplingControl::StepOfValue(OversamplingControl::ValueOfStep(step)), step);
}
