// Cost per stereo frame of the plug-in's audio path as a host sees it: the whole
// processReplacing and processDoubleReplacing calls (the adapter's copies included) at
// several block sizes, with the host's four buffers staggered in memory, exactly 4 KiB
// multiples apart, or the outputs the inputs themselves. Beside it, in the same process and
// run: the standalone limit kernel (the bare 17-tap arithmetic over contiguous samples in the
// first-level cache, no history, no copies, at whichever length it runs fastest) and the
// plain loop over every tap of the prototype. Each figure is the fastest of several trials:
// the machine is shared, and other work only makes a trial slower. The outputs of all three
// are also compared bit for bit.
//
// The same effect in the other standards (LV2's run, CLAP's process, ...) is timed call for
// call beside the VST 2.x plug-in, in the same rounds, and set against it: a binding should
// add nothing a host would notice.
//
// Every plug-in is loaded and driven through the host library's drivers, as the render host
// drives them; the LV2 driver connects the ports before every run, as hosts may.
//
// Usage: process_bench [VST2_PLUGIN [OTHER_PLUGIN...]]
//   VST2_PLUGIN: QMVelvetine.dll or another build's VST 2.x library; OTHER_PLUGIN: the same
//   effect in another standard (QMVelvetine.clap, a bundle). Natively, without arguments, the
//   build's own VST 2.x shared object beside its other plug-ins.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/FilterDesign.h"
#include "effect/SparseFirKernel.h"
#include "host/PluginDrivers.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBlockSizes[] = {32, 64, 512, 4096};
constexpr int kTrials = 4;   // per round
constexpr int kRounds = 2;  // per cell and pass
constexpr int kPasses = 8;
constexpr int kFramesPerTrial = 1 << 16;
constexpr int kLimitLengths[] = {32, 64, 256, 512};
// The same kernel over runs too long for the first-level cache, for comparison.
constexpr int kLongLengths[] = {4096};
constexpr int kSampleRate = 48000;
// Where the host's buffers start moves from round to round, by whole cache lines within a
// page, the four channels keeping their distances: an instance's own buffers lie wherever
// its allocations fell, and one placement of the host's may happen to alias them in the
// processor's store buffer. Each cell keeps its fastest round, so every plug-in is timed at
// the placements that do not.
constexpr int kPlacements = 4;
constexpr size_t kPlacementStep = 320;
// The fastest of kTrials runs of `run`, which processes `frames` frames; ns per frame.
template <typename Run>
double FastestNanosecondsPerFrame(Run run, long frames, int trials = kTrials)
{
    run();  // warm caches and branch predictors
    double best = 1e300;
    for (int t = 0; t < trials; ++t) {
        const Clock::time_point start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best * 1e9 / static_cast<double>(frames);
}

std::vector<double> Noise(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    std::vector<double> noise(count);
    for (double& x : noise)
        x = sample(random);
    return noise;
}

// The host's two inputs and two outputs in one arena. Staggered: a quarter of 4 KiB plus a
// cache line apart. Paged: every channel starts on a 4 KiB boundary, so all four share
// their low twelve address bits, as consecutive arrays of 512 doubles or 1024 floats do.
// In place: the outputs are the inputs, as many hosts hand them. Each block then filters
// the last one's output again, a loop that drives any signal out of range within a trial;
// silence stays silence, and the arithmetic costs the same on it.
enum class Layout { kStaggered, kPaged, kInPlace };

template <typename Sample>
class HostBuffers {
public:
    HostBuffers(int frames, Layout layout, int placement = 0) : inPlace(layout == Layout::kInPlace)
    {
        const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
        const size_t stride = (bytes + 4095) / 4096 * 4096 + (layout == Layout::kPaged ? 0 : 1088);
        const size_t shift = size_t(placement) * kPlacementStep;
        arena.resize(4 * stride + 4096 + shift);
        const uintptr_t base =
            ((reinterpret_cast<uintptr_t>(arena.data()) + 4095) & ~uintptr_t{4095}) + shift;
        for (int c = 0; c < 4; ++c)
            channel[c] = reinterpret_cast<Sample*>(base + c * stride);
        const std::vector<double> left = Noise(frames, 11), right = Noise(frames, 12);
        for (int i = 0; i < frames; ++i) {
            channel[0][i] = static_cast<Sample>(inPlace ? 0.0 : left[i]);
            channel[1][i] = static_cast<Sample>(inPlace ? 0.0 : right[i]);
        }
    }
    Sample** Inputs() { return channel; }
    Sample** Outputs() { return inPlace ? channel : channel + 2; }
    Sample** SpareOutputs() { return channel + 2; }

private:
    bool inPlace;
    std::vector<unsigned char> arena;
    Sample* channel[4];
};

// Prepared for `block`-frame calls at the bench's rate, set to prototype `factorIndex`.
void Prepare(PluginDriver& driver, int factorIndex, int block)
{
    driver.Prepare(kSampleRate, block);
    driver.SetParameter(0.25f * float(factorIndex));
}

template <typename Sample>
double ShippedCost(PluginDriver& driver, int factorIndex, int block, Layout layout, int placement)
{
    HostBuffers<Sample> buffers(block, layout, placement);
    Prepare(driver, factorIndex, block);
    const int calls = std::max(1, kFramesPerTrial / block);
    // In place, the history must be silence too, or the loop grows it out of range: one
    // block of the silence elsewhere fills it.
    if (layout == Layout::kInPlace)
        driver.Process(buffers.Inputs(), buffers.SpareOutputs(), block);
    return FastestNanosecondsPerFrame(
        [&] {
            for (int c = 0; c < calls; ++c)
                driver.Process(buffers.Inputs(), buffers.Outputs(), block);
        },
        long(calls) * block);
}

// The 17 taps of prototype `index` that meet input samples.
std::vector<double> SparseTaps(int index)
{
    const PrototypeDesign& design = DesignedPrototype(index);
    std::vector<double> taps(kSparseTaps);
    for (int j = 0; j < kSparseTaps; ++j)
        taps[j] = design.coefficients[j * PrototypeFactor(index)];
    return taps;
}

// Both channels straight through the kernel: the arithmetic and nothing else, over
// contiguous samples that stay in the first-level cache, at several lengths; the fastest
// per frame is the limit. The four arrays are a quarter of 4 KiB plus a cache line apart,
// so that no store aliases the next loads.
template <size_t Count>
double LimitCost(SparseFirKernel kernel, int index, const int (&lengths)[Count])
{
    const std::vector<double> taps = SparseTaps(index);
    const double gain = DesignedPrototype(index).gain;
    double best = 1e300;
    for (int frames : lengths) {
        const size_t stride = (sizeof(double) * (kSparseHistory + frames) + 4095) / 4096 * 4096 + 1088;
        std::vector<unsigned char> arena(4 * stride + 4096);
        const uintptr_t base = (reinterpret_cast<uintptr_t>(arena.data()) + 4095) & ~uintptr_t{4095};
        double* channel[4];
        for (int c = 0; c < 4; ++c)
            channel[c] = reinterpret_cast<double*>(base + c * stride);
        const std::vector<double> left = Noise(kSparseHistory + frames, 1),
                                  right = Noise(kSparseHistory + frames, 2);
        std::copy(left.begin(), left.end(), channel[0]);
        std::copy(right.begin(), right.end(), channel[1]);
        const int calls = std::max(1, kFramesPerTrial / frames);
        best = std::min(best, FastestNanosecondsPerFrame(
            [&] {
                for (int r = 0; r < calls; ++r) {
                    kernel(channel[0] + kSparseHistory, channel[2], frames, taps.data(), gain);
                    kernel(channel[1] + kSparseHistory, channel[3], frames, taps.data(), gain);
                }
            },
            long(calls) * frames));
    }
    return best;
}

// The plug-in's own block run for both channels, called directly on staggered buffers as
// the shipped path calls it, the lead holding the history: everything of the shipped cost
// but the host's call, the adapter and the choice of prototype.
template <typename Sample>
double BlockRunCost(const SparseFirKernels& kernels, int index, int block)
{
    HostBuffers<Sample> buffers(block, Layout::kStaggered);
    const std::vector<double> tapsOfOne = SparseTaps(index);
    double taps[2][kSparseTaps], recent[2][kSparseHistory] = {};
    for (int c = 0; c < 2; ++c)
        std::copy(tapsOfOne.begin(), tapsOfOne.end(), taps[c]);
    std::vector<double> lines(2 * (kSparseHistory + static_cast<size_t>(block)) + 16);
    double* const aligned = reinterpret_cast<double*>(
        (reinterpret_cast<uintptr_t>(lines.data()) + 63) & ~uintptr_t{63});
    double* line[2] = {aligned + kSparseHistory,
                       aligned + 2 * kSparseHistory + ((block + 7) & ~7)};
    const double gain = DesignedPrototype(index).gain;
    const int calls = std::max(1, kFramesPerTrial / block);
    const auto run = [&](bool leadHoldsHistory) {
        if constexpr (sizeof(Sample) == sizeof(double))
            kernels.block(buffers.Inputs(), line, buffers.Outputs(), block, recent, taps, gain,
                          leadHoldsHistory);
        else
            kernels.narrowingBlock(buffers.Inputs(), line, buffers.Outputs(), block, recent,
                                   taps, gain, leadHoldsHistory);
    };
    run(false);
    return FastestNanosecondsPerFrame(
        [&] {
            for (int c = 0; c < calls; ++c)
                run(true);
        },
        long(calls) * block);
}

// The processing as first described: each input followed by f - 1 zeros in a circular
// line, every output the sum over all 16 f + 1 taps with a remainder per tap.
class PlainLoop {
public:
    explicit PlainLoop(int index)
        : h(DesignedPrototype(index).coefficients), gain(DesignedPrototype(index).gain),
          factor(PrototypeFactor(index)), n(int(h.size())), lineA(n, 0.0), lineB(n, 0.0)
    {
    }
    void Run(const double* inLeft, const double* inRight, double* outLeft, double* outRight,
             int frames)
    {
        for (int i = 0; i < frames; ++i) {
            lineA[position] = inLeft[i];
            lineB[position] = inRight[i];
            double accA = 0.0, accB = 0.0;
            for (int k = 0; k < n; ++k) {
                const int t = (position + n - k) % n;
                accA += h[k] * lineA[t];
                accB += h[k] * lineB[t];
            }
            position = (position + 1) % n;
            outLeft[i] = gain * accA + 0.0;
            outRight[i] = gain * accB + 0.0;
            for (int z = 1; z < factor; ++z) {
                lineA[position] = 0.0;
                lineB[position] = 0.0;
                position = (position + 1) % n;
            }
        }
    }

private:
    std::vector<double> h;
    double gain;
    int factor, n;
    std::vector<double> lineA, lineB;
    int position = 0;
};

double PlainCost(int index)
{
    constexpr int kFrames = 1024;
    PlainLoop plain(index);
    const std::vector<double> left = Noise(kFrames, 1), right = Noise(kFrames, 2);
    std::vector<double> outLeft(kFrames), outRight(kFrames);
    return FastestNanosecondsPerFrame(
        [&] { plain.Run(left.data(), right.data(), outLeft.data(), outRight.data(), kFrames); },
        kFrames, 3);
}

// The most plug-ins of other standards one run compares with the VST 2.x plug-in.
constexpr int kMaxCompared = 4;

struct Best {
    double value[12];
    // Per compared plug-in: 64-bit and 32-bit calls on staggered buffers.
    double compared[kMaxCompared][2];
    Best()
    {
        std::fill(std::begin(value), std::end(value), 1e300);
        for (auto& pair : compared)
            std::fill(std::begin(pair), std::end(pair), 1e300);
    }
    void Keep(int v, double x) { value[v] = std::min(value[v], x); }
    void KeepCompared(size_t c, int precision, double x)
    {
        compared[c][precision] = std::min(compared[c][precision], x);
    }
};

bool SameBits(const std::vector<double>& a, const std::vector<double>& b, size_t& first)
{
    for (first = 0; first < a.size(); ++first)
        if (std::memcmp(&a[first], &b[first], sizeof(double)) != 0)
            return false;
    return true;
}

// A fresh instance fed blocks of uneven sizes against the plain loop and the kernel over
// the same samples: "identical" or where they first differ.
std::string CompareBits(PluginFile& file, int index, SparseFirKernel kernel)
{
    const int blocks[] = {32, 64, 1, 100, 512, 17, 4096, 33};
    int total = 0;
    for (int b : blocks)
        total += b;
    const std::vector<double> left = Noise(total, 21 + index), right = Noise(total, 31 + index);
    std::vector<double> shippedL(total), shippedR(total), plainL(total), plainR(total);

    std::string error;
    std::unique_ptr<PluginDriver> instance = file.NewInstance(kSampleRate, 512, error);
    if (!instance)
        return error;
    Prepare(*instance, index, 512);
    int at = 0;
    for (int b : blocks) {
        double* in[2] = {const_cast<double*>(left.data()) + at, const_cast<double*>(right.data()) + at};
        double* out[2] = {shippedL.data() + at, shippedR.data() + at};
        instance->Process(in, out, b);
        at += b;
    }
    PlainLoop plain(index);
    plain.Run(left.data(), right.data(), plainL.data(), plainR.data(), total);

    std::vector<double> paddedL(kSparseHistory, 0.0), paddedR(kSparseHistory, 0.0);
    paddedL.insert(paddedL.end(), left.begin(), left.end());
    paddedR.insert(paddedR.end(), right.begin(), right.end());
    std::vector<double> limitL(total), limitR(total);
    const std::vector<double> taps = SparseTaps(index);
    kernel(paddedL.data() + kSparseHistory, limitL.data(), total, taps.data(), DesignedPrototype(index).gain);
    kernel(paddedR.data() + kSparseHistory, limitR.data(), total, taps.data(), DesignedPrototype(index).gain);

    size_t first = 0;
    if (!SameBits(plainL, shippedL, first) || !SameBits(plainR, shippedR, first))
        return "shipped differs from plain at frame " + std::to_string(first);
    if (!SameBits(plainL, limitL, first) || !SameBits(plainR, limitR, first))
        return "limit differs from plain at frame " + std::to_string(first);
    return "identical";
}

bool HasAvx2()
{
#if defined(__i386__) || defined(__x86_64__)
    return Avx2SparseFirKernel() && __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// The kernels the plug-in itself chooses on this processor.
SparseFirKernels ChosenKernels()
{
    return HasAvx2() ? Avx2SparseFirKernels() : BaselineSparseFirKernels();
}

// An instance of another standard's plug-in, timed beside the VST 2.x one.
struct ComparedPlugin {
    std::unique_ptr<PluginFile> file;
    std::unique_ptr<PluginDriver> instance;
    bool doubles = false;  // processes 64-bit samples itself rather than through float
};

// Every variant of one cell timed once, each kept in `best` if it is the fastest yet.
void TimeRound(Best& best, PluginDriver& instance, std::vector<ComparedPlugin>& compared,
               int index, int block, int placement)
{
    best.Keep(0, ShippedCost<double>(instance, index, block, Layout::kStaggered, placement));
    best.Keep(1, ShippedCost<double>(instance, index, block, Layout::kPaged, placement));
    best.Keep(2, ShippedCost<float>(instance, index, block, Layout::kStaggered, placement));
    best.Keep(3, ShippedCost<float>(instance, index, block, Layout::kPaged, placement));
    best.Keep(8, ShippedCost<double>(instance, index, block, Layout::kInPlace, placement));
    best.Keep(9, ShippedCost<float>(instance, index, block, Layout::kInPlace, placement));
    for (size_t c = 0; c < compared.size(); ++c) {
        PluginDriver& other = *compared[c].instance;
        if (compared[c].doubles)
            best.KeepCompared(c, 0, ShippedCost<double>(other, index, block, Layout::kStaggered, placement));
        best.KeepCompared(c, 1, ShippedCost<float>(other, index, block, Layout::kStaggered, placement));
    }
    best.Keep(4, LimitCost(BaselineSparseFirKernel(), index, kLimitLengths));
    if (HasAvx2())
        best.Keep(5, LimitCost(Avx2SparseFirKernel(), index, kLimitLengths));
    const SparseFirKernels kernels = ChosenKernels();
    best.Keep(6, LimitCost(kernels.filter, index, kLongLengths));
    best.Keep(10, BlockRunCost<double>(kernels, index, block));
    best.Keep(11, BlockRunCost<float>(kernels, index, block));
}

// A plug-in file opened with its driver, or null with `error` saying why.
std::unique_ptr<PluginFile> Open(const std::string& path, std::string& error)
{
    OpenedPluginFile opened = OpenPluginFile(path);
    if (!opened.file)
        error = path + ": " + opened.problem + opened.systemError;
    return std::move(opened.file);
}

// The plug-in files to time, the VST 2.x one first: those named on the command line, or
// natively the build's own.
std::vector<std::string> PluginPaths(int argc, char** argv)
{
    std::vector<std::string> paths(argv + 1, argv + argc);
#ifdef VELVETINE_BENCH_PLUGINS
    if (paths.empty())
        paths = {VELVETINE_BENCH_PLUGINS};
#endif
    return paths;
}

// One table per compared plug-in: its calls against the VST 2.x calls of the same rounds.
// Returns the worst ratio.
double PrintComparison(const char* standard, bool doubles, size_t c, const std::vector<Best>& cells)
{
    std::printf("\n%s beside VST 2.x (staggered buffers; ratio = %s / VST 2.x, same rounds):\n"
                "%-6s %5s %8s %8s %7s | %8s %8s %7s\n",
                standard, standard, "factor", "block", "vst2 d", "d", "ratio", "vst2 f", "f", "ratio");
    double worst = 0.0;
    for (int index = 0; index < kPrototypeCount; ++index) {
        for (size_t b = 0; b < std::size(kBlockSizes); ++b) {
            const Best& best = cells[index * std::size(kBlockSizes) + b];
            const double ratioF = best.compared[c][1] / best.value[2];
            worst = std::max(worst, ratioF);
            char doubleCells[32] = "       -        -";
            if (doubles) {
                const double ratioD = best.compared[c][0] / best.value[0];
                worst = std::max(worst, ratioD);
                std::snprintf(doubleCells, sizeof doubleCells, "%8.2f %7.2f", best.compared[c][0], ratioD);
            }
            std::printf("%5dx %5d %8.2f %s | %8.2f %8.2f %7.2f\n", PrototypeFactor(index),
                        kBlockSizes[b], best.value[0], doubleCells, best.value[2],
                        best.compared[c][1], ratioF);
        }
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> paths = PluginPaths(argc, argv);
    if (paths.empty() || paths.size() > 1 + kMaxCompared) {
        std::fprintf(stderr, "usage: process_bench VST2_PLUGIN [OTHER_PLUGIN...] (at most %d others)\n",
                     kMaxCompared);
        return 2;
    }
    std::string error;
    std::unique_ptr<PluginFile> vst2 = Open(paths[0], error);
    std::unique_ptr<PluginDriver> instance = vst2 ? vst2->NewInstance(kSampleRate, 512, error) : nullptr;
    std::vector<ComparedPlugin> compared(paths.size() - 1);
    for (size_t c = 0; instance && c < compared.size(); ++c) {
        compared[c].file = Open(paths[c + 1], error);
        if (compared[c].file)
            compared[c].instance = compared[c].file->NewInstance(kSampleRate, 512, error);
        if (!compared[c].instance) {
            instance.reset();
            break;
        }
        compared[c].doubles = compared[c].instance->Layout().noDoublesReason.empty();
    }
    if (!instance) {
        std::fprintf(stderr, "process_bench: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s build, AVX2 %s\n", sizeof(void*) == 8 ? "64-bit" : "32-bit",
                HasAvx2() ? "present" : "absent");
    std::printf("ns per stereo frame; d = processDoubleReplacing, f = processReplacing; "
                "stag = buffers staggered, 4k = buffers 4 KiB apart;\n"
                "ratio = worst shipped (in place below included) / limit;\n"
                "long = the limit kernel over 4096 frames (beyond the first-level cache), "
                "ratio/long = worst shipped / long\n");
    std::printf("%-6s %5s %8s %8s %8s %8s | %8s %8s %8s | %6s | %6s %10s | %9s %9s\n",
                "factor", "block", "d stag", "d 4k", "f stag", "f 4k", "limit", "sse2",
                "avx2", "ratio", "long", "ratio/long", "plain", "plain/d");
    // One round times every variant of a cell once, and the fastest of each over all its
    // rounds is kept, so that the ratios compare figures taken side by side. The rounds of a
    // cell are spread over several passes through the whole table: a shared machine's speed
    // drifts over seconds, and a cell timed only within one slow stretch would keep it.
    std::vector<Best> cells(kPrototypeCount * std::size(kBlockSizes));
    const auto cell = [&](int index, size_t b) -> Best& {
        return cells[index * std::size(kBlockSizes) + b];
    };
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int index = 0; index < kPrototypeCount; ++index) {
            for (size_t b = 0; b < std::size(kBlockSizes); ++b) {
                for (int round = 0; round < kRounds; ++round)
                    TimeRound(cell(index, b), *instance, compared, index, kBlockSizes[b],
                              (pass * kRounds + round) % kPlacements);
            }
        }
    }
    double worstRatio = 0.0, worstLongRatio = 0.0;
    std::vector<std::string> inPlaceRows, blockRunRows;
    for (int index = 0; index < kPrototypeCount; ++index) {
        const double plain = PlainCost(index);
        for (size_t b = 0; b < std::size(kBlockSizes); ++b) {
            const Best& best = cell(index, b);
            const int block = kBlockSizes[b];
            double costs[6], baseline, wide = 0.0;
            for (int v = 0; v < 4; ++v)
                costs[v] = best.value[v];
            costs[4] = best.value[8];
            costs[5] = best.value[9];
            baseline = best.value[4];
            if (HasAvx2())
                wide = best.value[5];
            const double limit = HasAvx2() ? std::min(baseline, wide) : baseline;
            const double worst = *std::max_element(std::begin(costs), std::end(costs));
            worstRatio = std::max(worstRatio, worst / limit);
            const double longRuns = best.value[6];
            worstLongRatio = std::max(worstLongRatio, worst / longRuns);
            std::printf("%5dx %5d %8.2f %8.2f %8.2f %8.2f | %8.2f %8.2f %8.2f | %6.2f | "
                        "%6.2f %10.2f | %9.1f %9.0f\n",
                        PrototypeFactor(index), block, costs[0], costs[1], costs[2], costs[3],
                        limit, baseline, wide, worst / limit, longRuns, worst / longRuns, plain,
                        plain / costs[0]);
            char row[96];
            std::snprintf(row, sizeof row, "%5dx %5d %8.2f %8.2f | %8.2f | %6.2f\n",
                          PrototypeFactor(index), block, costs[4], costs[5], limit,
                          std::max(costs[4], costs[5]) / limit);
            inPlaceRows.push_back(row);
            std::snprintf(row, sizeof row, "%5dx %5d %8.2f %8.2f | %8.2f | %6.2f %6.2f\n",
                          PrototypeFactor(index), block, best.value[10], best.value[11], limit,
                          best.value[10] / limit, best.value[11] / limit);
            blockRunRows.push_back(row);
        }
    }
    std::printf("\nin place (each channel's output its own input; "
                "ratio = worse of the two / limit):\n%-6s %5s %8s %8s | %8s | %6s\n",
                "factor", "block", "d same", "f same", "limit", "ratio");
    for (const std::string& row : inPlaceRows)
        std::fputs(row.c_str(), stdout);
    std::printf("\nthe block run alone (the shipped path without the host's call, the adapter "
                "and the choice of prototype; staggered buffers):\n%-6s %5s %8s %8s | %8s | %6s %6s\n",
                "factor", "block", "d run", "f run", "limit", "d/lim", "f/lim");
    for (const std::string& row : blockRunRows)
        std::fputs(row.c_str(), stdout);
    std::vector<std::string> verdicts;
    for (size_t c = 0; c < compared.size(); ++c) {
        const char* standard = compared[c].file->Standard();
        const double worst = PrintComparison(standard, compared[c].doubles, c, cells);
        char verdict[96];
        std::snprintf(verdict, sizeof verdict, "worst %s / VST 2.x: %.2f (bar 1.1)\n", standard, worst);
        verdicts.push_back(verdict);
    }
    std::printf("\n");
    const SparseFirKernel kernel = ChosenKernels().filter;
    for (int index = 0; index < kPrototypeCount; ++index)
        std::printf("bits %2dx (shipped, limit, plain): %s\n", PrototypeFactor(index),
                    CompareBits(*vst2, index, kernel).c_str());
    std::printf("worst shipped / limit: %.2f (bar 1.5); worst shipped / long: %.2f\n", worstRatio,
                worstLongRatio);
    for (const std::string& verdict : verdicts)
        std::fputs(verdict.c_str(), stdout);
    return 0;
}
