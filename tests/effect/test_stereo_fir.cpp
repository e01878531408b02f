#include "effect/StereoFir.h"

#include "effect/FilterDesign.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StereoFir, StartsSilentAtPositionZeroWithPrivateCopiesOfBothSets) {
    std::vector<double> setA = {0.5, -0.25, 0.125, 2.0, -1.0};
    std::vector<double> setB = {1.0, 2.0, 3.0, 4.0, 5.0};
    CStereoFir fir(5, setA.data(), setB.data());
    EXPECT_EQ(fir.length, 5);
    EXPECT_EQ(fir.position, 0);
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(fir.delayA[j], 0.0) << j;
        EXPECT_EQ(fir.delayB[j], 0.0) << j;
        EXPECT_EQ(fir.coefficientsA[j], setA[j]) << j;
        EXPECT_EQ(fir.coefficientsB[j], setB[j]) << j;
    }
    EXPECT_NE(fir.delayA, fir.delayB);
    // The caller's arrays may go away or change afterwards.
    setA.assign(5, 9.0);
    setB.assign(5, 9.0);
    EXPECT_EQ(fir.coefficientsA[3], 2.0);
    EXPECT_EQ(fir.coefficientsB[3], 4.0);
}

TEST(StereoFir, OneSetForBothChannelsStillGivesTwoSeparateArrays) {
    const PrototypeDesign& design = DesignedPrototype(0);
    const int n = static_cast<int>(design.coefficients.size());
    CStereoFir fir(n, design.coefficients.data(), design.coefficients.data());
    ASSERT_NE(fir.coefficientsA, fir.coefficientsB);
    ASSERT_NE(fir.coefficientsA, design.coefficients.data());
    for (int j = 0; j < n; ++j) {
        EXPECT_EQ(fir.coefficientsA[j], fir.coefficientsB[j]) << j;
        EXPECT_EQ(fir.coefficientsA[j], design.coefficients[j]) << j;
    }
    // Writing one channel's set leaves the other alone.
    fir.coefficientsA[0] = 42.0;
    EXPECT_EQ(fir.coefficientsB[0], design.coefficients[0]);
}

TEST(StereoFir, SetCoefficientsReplacesBothSetsAndKeepsTheHistory) {
    const double first[3] = {1.0, 2.0, 3.0};
    const double secondA[3] = {-1.0, -2.0, -3.0};
    const double secondB[3] = {7.0, 8.0, 9.0};
    CStereoFir fir(3, first, first);
    fir.delayA[1] = 0.5;
    fir.delayB[2] = -0.5;
    fir.position = 2;
    fir.SetCoefficients(secondA, secondB);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(fir.coefficientsA[j], secondA[j]) << j;
        EXPECT_EQ(fir.coefficientsB[j], secondB[j]) << j;
    }
    EXPECT_EQ(fir.delayA[1], 0.5);
    EXPECT_EQ(fir.delayB[2], -0.5);
    EXPECT_EQ(fir.position, 2);
    EXPECT_EQ(fir.length, 3);
}
