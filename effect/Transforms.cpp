#include "effect/Transforms.h"

#include "effect/FilterDesign.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

enum class Direction { Forward, Inverse };

// ---------------------------------------------------------------------------------------
// Direct path

// cos and sin of the direct transform's angle ((j k) 2 pi) / n for every product j k of
// two indices below n. The angle depends on j and k only through their product, and the
// n^2 terms of a transform hold only a quarter to a third as many distinct products, so each
// is evaluated once and looked up afterwards. The values are the very same calls on the same
// angles, which keeps every transform bit for bit what a per-term evaluation gives.
class ProductTwiddles {
public:
    struct Twiddle {
        double cos;
        double sin;
    };

    explicit ProductTwiddles(int n) {
        if (n <= 0) {
            return;
        }
        const int largest = (n - 1) * (n - 1);
        std::vector<char> occurs(largest + 1, 0);
        for (int j = 0; j < n; ++j) {
            for (int k = j; k < n; ++k) {
                occurs[j * k] = 1;
            }
        }
        // Cosine and sine side by side: a lookup touches one cache line. Products that
        // never occur are never read and stay uninitialised.
        table.reset(new Twiddle[largest + 1]);
        const double reciprocal = 1.0 / n;
        for (int product = 0; product <= largest; ++product) {
            if (occurs[product]) {
                const double theta = (product * kDesignTwoPi) * reciprocal;
                table[product] = Twiddle{std::cos(theta), std::sin(theta)};
            }
        }
    }

    const Twiddle& operator[](int product) const { return table[product]; }

private:
    std::unique_ptr<Twiddle[]> table;
};

// Sums term by term in ascending j, the order the design's numbers were fixed with.
template <Direction direction>
void DirectTransform(int n, const ProductTwiddles& twiddles, const double* inReal,
                     const double* inImag, double* outReal, double* outImag) {
    const double reciprocal = 1.0 / n;
    for (int k = 0; k < n; ++k) {
        double real = 0.0;
        double imag = 0.0;
        for (int j = 0; j < n; ++j) {
            const ProductTwiddles::Twiddle& twiddle = twiddles[j * k];
            const double co = twiddle.cos;
            const double si = twiddle.sin;
            if constexpr (direction == Direction::Forward) {
                real += inReal[j] * co + inImag[j] * si;
                imag += inImag[j] * co - inReal[j] * si;
            } else {
                real += inReal[j] * co - inImag[j] * si;
                imag += inImag[j] * co + inReal[j] * si;
            }
        }
        if constexpr (direction == Direction::Inverse) {
            real *= reciprocal;
            imag *= reciprocal;
        }
        outReal[k] = real;
        outImag[k] = imag;
    }
}

// ---------------------------------------------------------------------------------------
// Radix-2 path

struct Complex {
    double re;
    double im;
};

// The twiddle angle of step e t, formed in single precision as the FFT always has been.
double FftAngle(int step, int n) {
    const float twoPi = 6.2831855f;
    const float reciprocal = 1.0f / static_cast<float>(n);
    const float angle = (static_cast<float>(step) * twoPi) * reciprocal;
    return static_cast<double>(angle);
}

void BitReverse(std::vector<Complex>& work) {
    const int n = static_cast<int>(work.size());
    int q = 0;
    for (int p = 0; p < n - 1; ++p) {
        if (p < q) {
            const Complex swapped = work[p];
            work[p] = work[q];
            work[q] = swapped;
        }
        int bit = n / 2;
        while (bit <= q) {
            q -= bit;
            bit /= 2;
        }
        q += bit;
    }
}

// Decimation in frequency: natural order in, bit-reversed order out.
void ForwardButterflies(std::vector<Complex>& work) {
    const int n = static_cast<int>(work.size());
    for (int span = n, stride = 1; span >= 2; span /= 2, stride *= 2) {
        const int half = span / 2;
        for (int block = 0; block < n; block += span) {
            for (int e = 0; e < half; ++e) {
                const double theta = FftAngle(e * stride, n);
                const double co = std::cos(theta);
                const double si = std::sin(theta);
                Complex& a = work[block + e];
                Complex& b = work[block + e + half];
                const Complex difference{a.re - b.re, a.im - b.im};
                a = Complex{a.re + b.re, a.im + b.im};
                b = Complex{difference.re * co + difference.im * si,
                            difference.im * co - difference.re * si};
            }
        }
    }
}

// Decimation in time: bit-reversed order in, natural order out.
void InverseButterflies(std::vector<Complex>& work) {
    const int n = static_cast<int>(work.size());
    for (int span = 2, stride = n / 2; span <= n; span *= 2, stride /= 2) {
        const int half = span / 2;
        for (int block = 0; block < n; block += span) {
            for (int e = 0; e < half; ++e) {
                const double theta = FftAngle(e * stride, n);
                const double co = std::cos(theta);
                const double si = std::sin(theta);
                Complex& a = work[block + e];
                Complex& b = work[block + e + half];
                const Complex rotated{b.re * co - b.im * si, b.re * si + b.im * co};
                const Complex old = a;
                a = Complex{old.re + rotated.re, old.im + rotated.im};
                b = Complex{old.re - rotated.re, old.im - rotated.im};
            }
        }
    }
}

template <Direction direction>
void FftTransform(int n, const double* inReal, const double* inImag, double* outReal,
                  double* outImag) {
    std::vector<Complex> work(n);
    for (int j = 0; j < n; ++j) {
        work[j] = Complex{inReal[j], inImag[j]};
    }
    if constexpr (direction == Direction::Forward) {
        ForwardButterflies(work);
        BitReverse(work);
    } else {
        BitReverse(work);
        InverseButterflies(work);
        for (Complex& value : work) {
            value.re /= n;
            value.im /= n;
        }
    }
    for (int k = 0; k < n; ++k) {
        outReal[k] = work[k].re;
        outImag[k] = work[k].im;
    }
}

// ---------------------------------------------------------------------------------------

// The transforms of one length. A prototype design runs four transforms of its length,
// which share one set of direct-path twiddles.
class Transformer {
public:
    explicit Transformer(int n) : n(n), fft(UsesFftPath(n)), twiddles(fft ? 0 : n) {}

    int Length() const { return n; }

    template <Direction direction>
    void Run(const double* inReal, const double* inImag, double* outReal,
             double* outImag) const {
        if (fft) {
            FftTransform<direction>(n, inReal, inImag, outReal, outImag);
        } else {
            DirectTransform<direction>(n, twiddles, inReal, inImag, outReal, outImag);
        }
    }

private:
    int n;
    bool fft;
    ProductTwiddles twiddles;
};

// a[0] = c[0], a[k] = 2 c[k] below n / 2, the coefficient at n / 2 kept once for an even
// length and dropped for an odd one, zero above.
std::vector<double> FoldCepstrum(int n, const double* cep) {
    std::vector<double> folded(n, 0.0);
    if (n <= 0) {
        return folded;
    }
    const int half = n / 2;
    folded[0] = cep[0];
    for (int k = 1; k < half; ++k) {
        folded[k] = 2.0 * cep[k];
    }
    if (n % 2 == 0) {
        folded[half] = cep[half];
    }
    return folded;
}

void CepstrumOf(const Transformer& transform, const double* x, double* cep) {
    const int n = transform.Length();
    std::vector<double> real(x, x + n);
    std::vector<double> imag(n, 0.0);
    std::vector<double> spectrumReal(n);
    std::vector<double> spectrumImag(n);
    transform.Run<Direction::Forward>(real.data(), imag.data(), spectrumReal.data(),
                                      spectrumImag.data());
    // No floor under the magnitude: the prototypes have no zero bin, and a floor would
    // change their numbers.
    for (int k = 0; k < n; ++k) {
        const double re = spectrumReal[k];
        const double im = spectrumImag[k];
        spectrumReal[k] = std::log(std::sqrt(re * re + im * im));
        spectrumImag[k] = 0.0;
    }
    // The imaginary output is not wanted; `real` has served and takes it.
    transform.Run<Direction::Inverse>(spectrumReal.data(), spectrumImag.data(), cep,
                                      real.data());
}

void MinimumPhaseFrom(const Transformer& transform, const double* cep, double* h) {
    const int n = transform.Length();
    std::vector<double> folded = FoldCepstrum(n, cep);
    std::vector<double> imag(n, 0.0);
    std::vector<double> spectrumReal(n);
    std::vector<double> spectrumImag(n);
    transform.Run<Direction::Forward>(folded.data(), imag.data(), spectrumReal.data(),
                                      spectrumImag.data());
    for (int k = 0; k < n; ++k) {
        const double amplitude = std::exp(spectrumReal[k]);
        const double phase = spectrumImag[k];
        spectrumReal[k] = amplitude * std::cos(phase);
        spectrumImag[k] = amplitude * std::sin(phase);
    }
    transform.Run<Direction::Inverse>(spectrumReal.data(), spectrumImag.data(), h,
                                      imag.data());
}

}  // namespace

bool UsesFftPath(int n) {
    for (long long m = 2; m <= n; m *= 2) {
        if (m == n) {
            return true;
        }
    }
    return false;
}

void ForwardTransform(int n, const double* inReal, const double* inImag, double* outReal,
                      double* outImag) {
    Transformer(n).Run<Direction::Forward>(inReal, inImag, outReal, outImag);
}

void InverseTransform(int n, const double* inReal, const double* inImag, double* outReal,
                      double* outImag) {
    Transformer(n).Run<Direction::Inverse>(inReal, inImag, outReal, outImag);
}

void RealCepstrum(int n, const double* x, double* cep) {
    CepstrumOf(Transformer(n), x, cep);
}

void MinimumPhase(int n, const double* cep, double* h) {
    MinimumPhaseFrom(Transformer(n), cep, h);
}

void MinimumPhaseOfSignal(int n, const double* x, double* h) {
    const Transformer transform(n);
    std::vector<double> cep(n);
    CepstrumOf(transform, x, cep.data());
    MinimumPhaseFrom(transform, cep.data(), h);
}
