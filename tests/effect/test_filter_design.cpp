#include "effect/FilterDesign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "prototype_reference.inc"

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double PhaseZeroSum(const std::vector<double>& h, int factor) {
    double sum = 0.0;
    for (std::size_t k = 0; k < h.size(); k += factor) {
        sum += h[k];
    }
    return sum;
}

}  // namespace

TEST(DesignConstants, PiAndTwoPiAreTheFourteenDecimalValues) {
    EXPECT_EQ(Bits(kDesignPi), 0x400921FB54442D11u);
    EXPECT_EQ(Bits(kDesignTwoPi), 0x401921FB54442D11u);
}

TEST(PrototypeTable, FactorsAndLengths) {
    const int factors[kPrototypeCount] = {2, 4, 8, 16, 32};
    for (int i = 0; i < kPrototypeCount; ++i) {
        EXPECT_EQ(PrototypeFactor(i), factors[i]);
        EXPECT_EQ(PrototypeLength(i), 16 * factors[i] + 1);
        EXPECT_EQ(PrototypeLength(i), prototype_reference::kLengths[i]);
    }
}

TEST(BlackmanWindow, FollowsTheThreeTermFormulaWithoutForcedEnds) {
    for (int n : {33, 513}) {
        std::vector<double> w(n);
        BlackmanWindow(n, w.data());
        // The ends come out as a rounding residue of about -1.4e-17, not a forced zero.
        EXPECT_LT(w[0], 0.0) << n;
        EXPECT_GT(w[0], -1e-16) << n;
        EXPECT_LT(w[n - 1], 1e-16) << n;
        EXPECT_NEAR(w[(n - 1) / 2], 1.0, 1e-15) << n;
        // A quarter of the way: 0.42 - 0.5 cos(pi / 2) + 0.08 cos(pi).
        EXPECT_NEAR(w[(n - 1) / 4], 0.34, 2e-15) << n;
        for (int j = 0; j < n; ++j) {
            EXPECT_NEAR(w[j], w[n - 1 - j], 1e-14) << n << " " << j;
            const double theta = 2.0 * 3.141592653589793 * j / (n - 1);
            EXPECT_NEAR(w[j], 0.42 - 0.5 * std::cos(theta) + 0.08 * std::cos(2.0 * theta), 1e-13)
                << n << " " << j;
        }
    }
}

TEST(PrototypeSinc, IsExactlyOneAtTheCentreAndCrossesZeroAtWholeSamples) {
    for (int i = 0; i < kPrototypeCount; ++i) {
        const int f = PrototypeFactor(i);
        const int n = PrototypeLength(i);
        std::vector<double> s(n);
        PrototypeSinc(i, s.data());
        EXPECT_EQ(s[8 * f], 1.0) << f;
        for (int j = 0; j < n; ++j) {
            const double x = -8.0 + static_cast<double>(j) / f;
            if (j % f == 0) {
                // sin of a multiple of the 14-decimal pi: tiny, not zero.
                if (j != 8 * f) {
                    EXPECT_NEAR(s[j], 0.0, 1e-13) << f << " " << j;
                }
            } else {
                const double y = 3.14159265358979 * x;
                EXPECT_NEAR(s[j], std::sin(y) / y, 1e-15) << f << " " << j;
            }
        }
        // Half a sample from the centre: sin(pi / 2) / (pi / 2).
        if (f >= 2) {
            EXPECT_NEAR(s[8 * f + f / 2], 2.0 / 3.14159265358979, 1e-15) << f;
        }
    }
}

TEST(PhaseZeroGain, IsTheReciprocalMagnitudeOfTheSumOverEveryFactorthTap) {
    // Only taps 0, 3, 6 are summed for factor 3: 0.5 - 0.25 + 0.125.
    const double h[7] = {0.5, 100.0, 100.0, -0.25, 100.0, 100.0, 0.125};
    EXPECT_DOUBLE_EQ(PhaseZeroGain(h, 7, 3), 1.0 / 0.375);
    // A negative sum still gives a positive gain.
    const double negative[4] = {-0.5, 9.0, -0.3, 9.0};
    EXPECT_DOUBLE_EQ(PhaseZeroGain(negative, 4, 2), 1.0 / 0.8);
    // A zero sum gives unit gain instead of a division by zero.
    const double cancelling[4] = {0.75, 9.0, -0.75, 9.0};
    EXPECT_EQ(PhaseZeroGain(cancelling, 4, 2), 1.0);
}

TEST(DesignPrototype, PhaseZeroSumsAndGainsAreTheKnownFigures) {
    const double sums[kPrototypeCount] = {0.9375, 0.9087, 0.9488, 0.9757, 0.9896};
    const double gains[kPrototypeCount] = {1.0667, 1.1005, 1.0540, 1.0249, 1.0105};
    for (int i = 0; i < kPrototypeCount; ++i) {
        const PrototypeDesign& design = DesignedPrototype(i);
        ASSERT_EQ(static_cast<int>(design.coefficients.size()), PrototypeLength(i));
        const double sum = PhaseZeroSum(design.coefficients, PrototypeFactor(i));
        EXPECT_NEAR(sum, sums[i], 5e-5) << i;
        EXPECT_NEAR(design.gain, gains[i], 5e-5) << i;
        EXPECT_DOUBLE_EQ(design.gain, 1.0 / std::fabs(sum)) << i;
    }
}

TEST(DesignPrototype, TwoTimesPrototypeHasTheKnownShape) {
    const std::vector<double>& h = DesignedPrototype(0).coefficients;
    ASSERT_EQ(h.size(), 33u);
    const double head[5] = {0.02858, 0.1894, 0.5438, 0.8613, 0.6954};
    for (int j = 0; j < 5; ++j) {
        EXPECT_NEAR(h[j], head[j], 5e-5) << j;
    }
    EXPECT_NEAR(h[32], -0.00455, 5e-6);
    // Minimum phase: the energy sits at the front and the peak is at tap 3.
    for (std::size_t j = 0; j < h.size(); ++j) {
        if (j != 3) {
            EXPECT_LT(std::fabs(h[j]), h[3]) << j;
        }
    }
}

TEST(DesignPrototype, AgreesWithTheIndependentReferenceDesign) {
    // The 32x design is ill-conditioned: runtime sin/cos and summation order move its taps
    // by up to a few 1e-9, whereas a slip in the formulas (reduced angles, another pi,
    // a different folding) moves them by 1e-6 or more.
    const double tolerance = 1e-8;
    for (int i = 0; i < kPrototypeCount; ++i) {
        const PrototypeDesign& design = DesignedPrototype(i);
        const int n = prototype_reference::kLengths[i];
        ASSERT_EQ(static_cast<int>(design.coefficients.size()), n);
        EXPECT_NEAR(design.gain, prototype_reference::kGains[i], tolerance) << i;
        double worst = 0.0;
        int worstTap = 0;
        for (int j = 0; j < n; ++j) {
            const double difference =
                std::fabs(design.coefficients[j] - prototype_reference::kPrototypes[i][j]);
            if (!(difference <= worst)) {  // a NaN tap counts as the worst
                worst = difference;
                worstTap = j;
            }
        }
        EXPECT_LE(worst, tolerance) << "prototype " << i << ", tap " << worstTap;
        std::printf("prototype %d (%2dx): largest difference from the reference %.3g\n", i,
                    PrototypeFactor(i), worst);
    }
}

TEST(DesignedPrototype, IsTheFullDesignBitForBitAndComputedOnce) {
    for (int i = 0; i < kPrototypeCount; ++i) {
        const PrototypeDesign& shared = DesignedPrototype(i);
        const PrototypeDesign fresh = DesignPrototype(i);
        ASSERT_EQ(shared.coefficients.size(), fresh.coefficients.size()) << i;
        for (std::size_t j = 0; j < fresh.coefficients.size(); ++j) {
            EXPECT_EQ(Bits(shared.coefficients[j]), Bits(fresh.coefficients[j])) << i << " " << j;
        }
        EXPECT_EQ(Bits(shared.gain), Bits(fresh.gain)) << i;
        EXPECT_EQ(&DesignedPrototype(i), &shared) << i;
    }
}
