#pragma once

// The effect's one control and its audio buses, described as data for every binding: the
// machine, the plug-in standards' parameter and port declarations and the editors all read
// them from here.

// "Oversampling": five steps, one per factor 2x ... 32x. The machine's control value runs
// from 0 to 1 in steps of 0.25; a value selects the step trunc(4 v), kept inside 0 ... 4.
struct OversamplingControl {
    // The machine's control and the plug-in's parameter: the first and only one.
    static constexpr int kIndex = 0;
    static constexpr const char* kName = "Oversampling";
    static constexpr int kStepCount = 5;
    static constexpr int kDefaultStep = 0;
    static constexpr double kStepWidth = 0.25;

    // 2, 4, 8, 16, 32.
    static constexpr int FactorOfStep(int step) { return 2 << step; }
    static constexpr double ValueOfStep(int step) { return kStepWidth * step; }

    // The step a control value selects. A restored state or a misbehaving host may hand over
    // anything, so whatever it is selects one of the steps; NaN selects the first.
    static constexpr int StepOfValue(double value)
    {
        if (!(value >= 0.0))
            return 0;
        const double scaled = value / kStepWidth;
        if (scaled >= kStepCount - 1)
            return kStepCount - 1;
        return static_cast<int>(scaled);
    }

    // The step of the largest factor not above `factor`; below 2 and NaN give the first.
    static constexpr int StepOfFactor(double factor)
    {
        int step = 0;
        for (int i = 1; i < kStepCount; ++i)
            if (factor >= FactorOfStep(i))
                step = i;
        return step;
    }

    // "2x" ... "32x".
    static const char* TextOfStep(int step);

    // The step a text names: a factor's text ("8x") or its number ("8"), with white space
    // around it allowed; false for anything else.
    static bool StepOfText(const char* text, int* step);
};

// One stereo input bus and one stereo output bus; a host may hand the same arrays for both.
struct StereoBuses {
    static constexpr int kChannels = 2;
    static constexpr int kInputBuses = 1;
    static constexpr int kOutputBuses = 1;
    static constexpr bool kInPlace = true;
};
