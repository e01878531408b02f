#include "effect/Transforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

struct Spectrum {
    std::vector<double> re;
    std::vector<double> im;
};

Spectrum Forward(const std::vector<double>& re, const std::vector<double>& im) {
    const int n = static_cast<int>(re.size());
    Spectrum out{std::vector<double>(n), std::vector<double>(n)};
    ForwardTransform(n, re.data(), im.data(), out.re.data(), out.im.data());
    return out;
}

Spectrum Inverse(const std::vector<double>& re, const std::vector<double>& im) {
    const int n = static_cast<int>(re.size());
    Spectrum out{std::vector<double>(n), std::vector<double>(n)};
    InverseTransform(n, re.data(), im.data(), out.re.data(), out.im.data());
    return out;
}

std::vector<double> RandomSignal(int n, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> values(n);
    for (double& value : values) {
        value = uniform(generator);
    }
    return values;
}

std::vector<double> Cepstrum(const std::vector<double>& x) {
    std::vector<double> cep(x.size());
    RealCepstrum(static_cast<int>(x.size()), x.data(), cep.data());
    return cep;
}

std::vector<double> MinPhase(const std::vector<double>& cep) {
    std::vector<double> h(cep.size());
    MinimumPhase(static_cast<int>(cep.size()), cep.data(), h.data());
    return h;
}

// One power-of-two length (radix-2 path) and one other length (direct path) per case.
const int kPathLengths[] = {64, 65};

}  // namespace

TEST(TransformPath, PowersOfTwoFromTwoUpTakeTheFftEverythingElseTheDirectTransform) {
    EXPECT_FALSE(UsesFftPath(1));
    EXPECT_FALSE(UsesFftPath(0));
    EXPECT_FALSE(UsesFftPath(-4));
    for (int n = 2; n <= 4096; n *= 2) {
        EXPECT_TRUE(UsesFftPath(n)) << n;
        EXPECT_FALSE(UsesFftPath(n + 1)) << n + 1;
        if (n > 2) {
            EXPECT_FALSE(UsesFftPath(n - 1)) << n - 1;
        }
    }
    // The prototype lengths.
    for (int n : {33, 65, 129, 257, 513}) {
        EXPECT_FALSE(UsesFftPath(n)) << n;
    }
    EXPECT_TRUE(UsesFftPath(512));
}

TEST(Transforms, ForwardIsUnscaledWithNegativeExponent) {
    // A unit impulse at index 1 transforms to e^(-i 2 pi k / n) on both paths.
    for (int n : kPathLengths) {
        std::vector<double> re(n, 0.0), im(n, 0.0);
        re[1] = 1.0;
        const Spectrum spectrum = Forward(re, im);
        const double tolerance = UsesFftPath(n) ? 1e-6 : 1e-12;
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(spectrum.re[k], std::cos(2.0 * kPi * k / n), tolerance) << n << " " << k;
            EXPECT_NEAR(spectrum.im[k], -std::sin(2.0 * kPi * k / n), tolerance) << n << " " << k;
        }
        // A constant sums to n in bin 0: no 1/n on the way forward.
        const Spectrum constant = Forward(std::vector<double>(n, 1.0), std::vector<double>(n, 0.0));
        EXPECT_NEAR(constant.re[0], n, 1e-9) << n;
        EXPECT_NEAR(constant.re[1], 0.0, 1e-6) << n;
    }
}

TEST(Transforms, InverseScalesByOneOverNWithPositiveExponent) {
    for (int n : kPathLengths) {
        std::vector<double> re(n, 0.0), im(n, 0.0);
        re[1] = 1.0;
        const Spectrum signal = Inverse(re, im);
        const double tolerance = UsesFftPath(n) ? 1e-8 : 1e-14;
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(signal.re[k], std::cos(2.0 * kPi * k / n) / n, tolerance) << n << " " << k;
        }
        // An imaginary impulse: Re(i e^(+i theta)) / n = -sin(theta) / n.
        std::vector<double> imaginary(n, 0.0);
        imaginary[3] = 1.0;
        const Spectrum fromImag = Inverse(std::vector<double>(n, 0.0), imaginary);
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(fromImag.re[k], -std::sin(2.0 * kPi * 3 * k / n) / n, tolerance)
                << n << " " << k;
        }
    }
}

TEST(Transforms, ForwardThenInverseRestoresTheInputOnBothPaths) {
    for (int n : {2, 8, 64, 512, 1, 3, 33, 65, 513}) {
        const std::vector<double> re = RandomSignal(n, 11u + n);
        const std::vector<double> im = RandomSignal(n, 97u + n);
        const Spectrum spectrum = Forward(re, im);
        const Spectrum back = Inverse(spectrum.re, spectrum.im);
        for (int j = 0; j < n; ++j) {
            EXPECT_NEAR(back.re[j], re[j], 1e-12) << n << " " << j;
            if (UsesFftPath(n)) {
                // The radix-2 inverse computes its imaginary part exactly as well.
                EXPECT_NEAR(back.im[j], im[j], 1e-12) << n << " " << j;
            }
        }
    }
}

TEST(Transforms, InputsStayUntouched) {
    for (int n : kPathLengths) {
        const std::vector<double> re = RandomSignal(n, 5u);
        const std::vector<double> im = RandomSignal(n, 6u);
        std::vector<double> reCopy = re, imCopy = im;
        Forward(reCopy, imCopy);
        Inverse(reCopy, imCopy);
        EXPECT_EQ(reCopy, re);
        EXPECT_EQ(imCopy, im);
    }
}

TEST(Transforms, FftAgreesWithTheDirectSumToSinglePrecisionTwiddles) {
    // The radix-2 twiddle angles are formed in single precision, so the two paths agree
    // to about 1e-7 relative, and no closer than that in general.
    for (int n : {16, 256, 512}) {
        const std::vector<double> re = RandomSignal(n, 3u * n);
        const std::vector<double> im = RandomSignal(n, 7u * n);
        const Spectrum fft = Forward(re, im);
        // The exact direct sum of the same length, in long double.
        double largest = 0.0;
        double worst = 0.0;
        for (int k = 0; k < n; ++k) {
            long double sumRe = 0.0L, sumIm = 0.0L;
            for (int j = 0; j < n; ++j) {
                const long double theta = 2.0L * 3.14159265358979323846264338L * ((j * k) % n) / n;
                sumRe += re[j] * std::cos(theta) + im[j] * std::sin(theta);
                sumIm += im[j] * std::cos(theta) - re[j] * std::sin(theta);
            }
            largest = std::max(largest, static_cast<double>(std::hypot(sumRe, sumIm)));
            worst = std::max(worst, static_cast<double>(std::hypot(fft.re[k] - sumRe,
                                                                  fft.im[k] - sumIm)));
        }
        EXPECT_LT(worst / largest, 2e-6) << n;
        if (n >= 256) {
            EXPECT_GT(worst / largest, 1e-10) << n << ": twiddles no longer single precision";
        }
    }
}

TEST(Cepstrum, RealCepstrumOfATwoTapFilterIsItsLogSeries) {
    // ln|1 + a e^(-i w)| = sum_k (-1)^(k+1) a^k cos(k w) / k, so the real cepstrum of
    // [1, a] is (-1)^(k+1) a^k / (2 k) at k and at n - k, and 0 at 0.
    const double a = 0.5;
    for (int n : kPathLengths) {
        std::vector<double> x(n, 0.0);
        x[0] = 1.0;
        x[1] = a;
        const std::vector<double> cep = Cepstrum(x);
        const double tolerance = UsesFftPath(n) ? 1e-7 : 1e-12;
        EXPECT_NEAR(cep[0], 0.0, tolerance) << n;
        for (int k = 1; k < n / 2; ++k) {
            const double expected = (k % 2 == 1 ? 1.0 : -1.0) * std::pow(a, k) / (2.0 * k);
            EXPECT_NEAR(cep[k], expected, tolerance) << n << " " << k;
            EXPECT_NEAR(cep[n - k], expected, tolerance) << n << " " << k;
        }
    }
}

TEST(Cepstrum, ZeroMagnitudeIsNotFloored) {
    for (int n : kPathLengths) {
        const std::vector<double> cep = Cepstrum(std::vector<double>(n, 0.0));
        EXPECT_FALSE(std::isfinite(cep[0])) << n;
    }
}

TEST(MinimumPhase, KeepsAMinimumPhaseSequenceAndMirrorsAMaximumPhaseOne) {
    for (int n : kPathLengths) {
        const double tolerance = UsesFftPath(n) ? 1e-6 : 1e-11;
        std::vector<double> minimum(n, 0.0), maximum(n, 0.0);
        minimum[0] = 1.0;
        minimum[1] = -0.6;
        minimum[2] = 0.25;
        // The same magnitude response with the zeros reflected outside the unit circle.
        maximum[0] = 0.25;
        maximum[1] = -0.6;
        maximum[2] = 1.0;
        const std::vector<double> fromMinimum = MinPhase(Cepstrum(minimum));
        const std::vector<double> fromMaximum = MinPhase(Cepstrum(maximum));
        for (int j = 0; j < n; ++j) {
            EXPECT_NEAR(fromMinimum[j], minimum[j], tolerance) << n << " " << j;
            EXPECT_NEAR(fromMaximum[j], minimum[j], tolerance) << n << " " << j;
        }
    }
}

TEST(MinimumPhase, FoldingKeepsIndexZeroOnceAndDoublesBelowTheMiddle) {
    // exp of a constant spectrum c is the impulse e^c; a cepstral value c at 1 <= k < n / 2
    // is doubled, giving e^(2 c e^(-i w k)) whose first-order term is 2 c at index k.
    for (int n : {32, 33, 34}) {
        const double tolerance = UsesFftPath(n) ? 1e-6 : 1e-13;
        std::vector<double> cep(n, 0.0);
        cep[0] = 0.2;
        std::vector<double> h = MinPhase(cep);
        EXPECT_NEAR(h[0], std::exp(0.2), tolerance) << n;
        EXPECT_NEAR(h[5], 0.0, tolerance) << n;

        cep.assign(n, 0.0);
        cep[5] = 0.01;
        h = MinPhase(cep);
        // Higher-order terms land at multiples of 5 (mod n), far below the tolerance at 5.
        EXPECT_NEAR(h[0], 1.0, tolerance) << n;
        EXPECT_NEAR(h[5], 0.02, tolerance) << n;
        EXPECT_NEAR(h[10], 0.02 * 0.02 / 2.0, tolerance) << n;
        EXPECT_NEAR(h[n - 5], 0.0, tolerance) << n;
    }
}

TEST(MinimumPhase, FoldingDropsTheMiddleAndTheUpperHalfOfAnOddLength) {
    for (int n : {33, 65}) {
        const double tolerance = 1e-13;
        std::vector<double> cep(n, 0.0);
        for (int k = n / 2; k < n; ++k) {
            cep[k] = 0.3;  // everything from the middle up is folded away
        }
        const std::vector<double> h = MinPhase(cep);
        EXPECT_NEAR(h[0], 1.0, tolerance) << n;
        for (int j = 1; j < n; ++j) {
            EXPECT_NEAR(h[j], 0.0, tolerance) << n << " " << j;
        }
    }
}

TEST(MinimumPhase, FoldingKeepsTheMiddleOnceForAnEvenLength) {
    // A middle value c alone gives the spectrum c (-1)^k, and exp(c (-1)^k) =
    // cosh c + (-1)^k sinh c: the impulse pair (cosh c at 0, sinh c at n / 2). Doubling it
    // would give cosh 2c and sinh 2c; the upper half beyond the middle is dropped.
    const double c = 0.3;
    for (int n : {32, 34}) {
        const double tolerance = UsesFftPath(n) ? 1e-6 : 1e-13;
        std::vector<double> cep(n, 0.0);
        for (int k = n / 2; k < n; ++k) {
            cep[k] = c;
        }
        const std::vector<double> h = MinPhase(cep);
        for (int j = 0; j < n; ++j) {
            const double expected = j == 0 ? std::cosh(c) : j == n / 2 ? std::sinh(c) : 0.0;
            EXPECT_NEAR(h[j], expected, tolerance) << n << " " << j;
        }
    }
}

TEST(MinimumPhase, OfSignalIsTheTwoStepsBitForBit) {
    for (int n : {33, 64, 65}) {
        std::vector<double> x = RandomSignal(n, 21u + n);
        x[0] += 4.0;  // keeps every bin clear of zero
        const std::vector<double> twoSteps = MinPhase(Cepstrum(x));
        std::vector<double> oneCall(n);
        MinimumPhaseOfSignal(n, x.data(), oneCall.data());
        for (int j = 0; j < n; ++j) {
            EXPECT_EQ(std::memcmp(&oneCall[j], &twoSteps[j], sizeof(double)), 0)
                << n << " " << j << ": " << oneCall[j] << " vs " << twoSteps[j];
        }
    }
}
