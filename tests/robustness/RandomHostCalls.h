#pragma once

// A hostile host: millions of dispatcher calls with random opcodes and arguments,
// interleaved with parameter and processing calls of random frame counts, all made through
// an instance's effect record. It is shared by the native test (the shell library linked
// into the program) and the Windows tests (the plug-in DLL loaded under Wine).
//
// Arguments follow what hosts really send where the interface makes them addresses: `ptr`
// is null or a guarded buffer (a well-formed event block for effProcessEvents), `value` of
// effGetSpeakerArrangement is null or a guarded buffer, the chunk size of effSetChunk fits
// the buffer, and effSetBlockSize gets the frame counts hosts announce. Everything else is
// random over its whole range. The effect must not crash, must write only what each
// opcode allows and only inside the buffers, and must keep every output sample finite.
//
// A run is fixed by its seed: it prints the seed when it starts, and a failure names the
// seed and the index of the call that failed, so a run with that seed replays it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/Vst2.h"
#include "tests/robustness/GuardedBuffer.h"
#include "tests/robustness/GuardedStereoBlock.h"

namespace robustness {

constexpr int32_t kLowestOpcode = -10;
constexpr int32_t kHighestOpcode = 110;
constexpr int kLargestBlock = 5000;
constexpr int kLargestAnnouncedBlock = 1048576;
constexpr int kEditorWidth = 275;
constexpr int kEditorHeight = 120;

// What the editor opcodes may be given besides null and a pointer that is no window. All
// are empty natively, where null stands in for each.
struct EditorHooks {
    std::function<void*()> realWindow;       // a window to build the editor in
    std::function<void*()> editorWindow;     // the window of the editor open in it, or null
    std::function<void*()> childOfEditor;    // a new window inside that editor, or null
    std::function<void*()> destroyedWindow;  // a window destroyed just now
    std::function<void()> pumpMessages;      // runs the thread's pending messages
};

struct CallMix {
    uint64_t dispatcherCalls = 1000000;
    int interleavedPerHundred = 25;  // other calls per hundred dispatcher calls
    int blocksPerHundred = 30;       // processing calls per hundred of those
};

struct RunFigures {
    uint64_t dispatcherCalls = 0;
    uint64_t setParameterCalls = 0;
    uint64_t getParameterCalls = 0;
    uint64_t floatBlocks = 0;
    uint64_t doubleBlocks = 0;
    uint64_t editorsInRealWindows = 0;
    uint64_t editorsInVanishingWindows = 0;  // the old editor's, one inside it, a destroyed one
    double worstBlockMicroseconds = 0.0;
    int worstBlockFrames = 0;

    std::string Summary() const
    {
        std::ostringstream text;
        text << dispatcherCalls << " dispatcher calls, " << setParameterCalls << " setParameter, "
             << getParameterCalls << " getParameter, " << floatBlocks << " float blocks, "
             << doubleBlocks << " double blocks, " << editorsInRealWindows
             << " editors opened in real windows, " << editorsInVanishingWindows
             << " in windows gone by then; worst block " << worstBlockMicroseconds
             << " us (" << worstBlockFrames << " frames)";
        return text.str();
    }
};

// How many bytes at the start of `ptr` an opcode may write; nothing beyond them may change.
inline size_t WritableBytes(int32_t opcode)
{
    switch (opcode) {
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return kVstMaxProgNameLen;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return kVstMaxParamStrLen;
    case effGetEffectName:
        return 32;  // kVstMaxEffectNameLen
    case effGetVendorString:
        return kVstMaxVendorStrLen;
    case effGetProductString:
        return kVstMaxProductStrLen;
    case effEditGetRect:          // an ERect*
    case effGetChunk:             // a void*
    case effGetSpeakerArrangement:  // a VstSpeakerArrangement*
        return sizeof(void*);
    default:
        return 0;
    }
}

inline bool IsTextAnswer(int32_t opcode)
{
    return opcode == effGetProgramName || opcode == effGetProgramNameIndexed ||
           opcode == effGetParamLabel || opcode == effGetParamDisplay ||
           opcode == effGetParamName || opcode == effGetEffectName ||
           opcode == effGetVendorString || opcode == effGetProductString;
}

inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RandomHostCalls {
public:
    explicit RandomHostCalls(uint64_t seed, EditorHooks hooks = EditorHooks())
        : seed(seed), random(seed), hooks(std::move(hooks)), floats(kLargestBlock), doubles(kLargestBlock)
    {
    }

    // Drives `effect` until `mix.dispatcherCalls` dispatcher calls were made or a fault was
    // found (reported as a test failure naming the call). effClose is never sent: the
    // caller opens and closes instances around the run.
    bool Run(AEffect* effect, const CallMix& mix, RunFigures& figures)
    {
        parameterZero = effect->getParameter(effect, 0);
        std::printf("random host calls: seed 0x%llx\n", static_cast<unsigned long long>(seed));
        std::fflush(stdout);
        for (uint64_t n = 0; n < mix.dispatcherCalls; ++n) {
            callIndex.store(n, std::memory_order_relaxed);
            if (!DispatchOne(effect, figures))
                return false;
            if (int(random() % 100) < mix.interleavedPerHundred &&
                !InterleavedCall(effect, mix, figures))
                return false;
            if (hooks.pumpMessages && n % 64 == 0)
                hooks.pumpMessages();
        }
        return true;
    }

    // Where the run is, for replaying a failure: the seed and the index of the call being
    // made. Safe to ask from another thread, as a watch that sees a box does.
    std::string Where() const
    {
        std::ostringstream text;
        text << "seed 0x" << std::hex << seed << std::dec << ", call "
             << callIndex.load(std::memory_order_relaxed) << ": ";
        return text.str();
    }

private:
    int32_t RandomOpcode()
    {
        for (;;) {
            const int32_t opcode = kLowestOpcode + int32_t(random() % (kHighestOpcode - kLowestOpcode + 1));
            if (opcode != effClose)
                return opcode;
        }
    }

    int32_t RandomIndex()
    {
        switch (random() % 4) {
        case 0:
            return int32_t(random() % 12) - 3;
        case 1:
            return random() % 2 ? std::numeric_limits<int32_t>::min()
                                : std::numeric_limits<int32_t>::max();
        default:
            return int32_t(uint32_t(random()));
        }
    }

    intptr_t RandomValue()
    {
        switch (random() % 8) {
        case 0:
        case 1:
            return intptr_t(random() % 34) - 16;
        case 2:
            return random() % 2 ? std::numeric_limits<intptr_t>::min()
                                : std::numeric_limits<intptr_t>::max();
        default:
            return intptr_t(uintptr_t(random()));
        }
    }

    // Frame counts as hosts announce them: mostly ordinary, up to a million at times.
    intptr_t AnnouncedBlockSize()
    {
        if (random() % 2)
            return intptr_t(random() % 8203) - 10;
        const double exponent = std::uniform_real_distribution<double>(0.0, 20.0)(random);
        if (random() % 64 == 0)
            return kLargestAnnouncedBlock;
        return std::min<intptr_t>(intptr_t(std::pow(2.0, exponent)), kLargestAnnouncedBlock);
    }

    float RandomFloat()
    {
        switch (random() % 6) {
        case 0:
            return std::uniform_real_distribution<float>(-2.0f, 2.0f)(random);
        case 1:
            return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        case 2: {
            const float special[] = {0.0f,
                                     -0.0f,
                                     1.0f,
                                     std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::max(),
                                     -std::numeric_limits<float>::max(),
                                     std::numeric_limits<float>::denorm_min(),
                                     2147483648.0f,
                                     -2147483904.0f};
            return special[random() % (sizeof special / sizeof special[0])];
        }
        default: {
            const uint32_t bits = uint32_t(random());
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        }
    }

    int RandomFrames()
    {
        if (random() % 2)
            return int(random() % 70) - 5;
        return int(random() % (kLargestBlock + 6)) - 5;
    }

    // A VstEvents block inside the buffer: up to eight events, mostly MIDI with random bytes.
    void WriteEventBlock(GuardedBuffer& buffer)
    {
        uint8_t* base = buffer.Data();
        const int32_t count = int32_t(random() % 9);
        const size_t eventsStart = 128;
        VstEvents header{};
        header.numEvents = count;
        std::memcpy(base, &header, offsetof(VstEvents, events));
        for (int32_t i = 0; i < count; ++i) {
            uint8_t* at = base + eventsStart + size_t(i) * sizeof(VstMidiEvent);
            VstMidiEvent event{};
            const int32_t types[] = {kVstMidiType, kVstMidiType, kVstMidiType, 0, 2, 3, 7};
            event.type = types[random() % (sizeof types / sizeof types[0])];
            event.byteSize = int32_t(sizeof(VstMidiEvent));
            event.deltaFrames = random() % 4 ? int32_t(random() % 600) : int32_t(uint32_t(random()));
            for (char& byte : event.midiData)
                byte = char(random() & 0xFF);
            std::memcpy(at, &event, sizeof event);
            VstEvent* pointer = reinterpret_cast<VstEvent*>(at);
            std::memcpy(base + offsetof(VstEvents, events) + size_t(i) * sizeof pointer, &pointer,
                        sizeof pointer);
        }
        buffer.KeepAsReference();
    }

    struct Call {
        int32_t opcode;
        int32_t index;
        intptr_t value;
        void* ptr;
        float opt;
        bool realWindow;
        bool vanishingWindow;
    };

    static void* Ask(const std::function<void*()>& hook) { return hook ? hook() : nullptr; }

    void ChooseEditorParent(Call& call)
    {
        switch (random() % 7) {
        case 0:
            call.ptr = nullptr;
            break;
        case 1:
            call.ptr = other.Data();  // data, not a window
            break;
        case 2:
            // A confused host's small integer; under Wine these also name live windows.
            call.ptr = reinterpret_cast<void*>(uintptr_t(1 + random() % 0xFFFF));
            break;
        case 3:
            call.ptr = Ask(hooks.editorWindow);
            call.vanishingWindow = call.ptr != nullptr;
            break;
        case 4:
            call.ptr = Ask(hooks.childOfEditor);
            call.vanishingWindow = call.ptr != nullptr;
            break;
        case 5:
            call.ptr = Ask(hooks.destroyedWindow);
            call.vanishingWindow = call.ptr != nullptr;
            break;
        default:
            call.ptr = Ask(hooks.realWindow);
            call.realWindow = call.ptr != nullptr;
            break;
        }
    }

    Call RandomCall()
    {
        Call call{RandomOpcode(), RandomIndex(), RandomValue(), nullptr, RandomFloat(), false, false};
        const bool withBuffer = random() % 2;
        buffer.Refill(random);
        other.Refill(random);
        if (withBuffer)
            call.ptr = buffer.Data();
        switch (call.opcode) {
        case effSetBlockSize:
            call.value = AnnouncedBlockSize();
            break;
        case effProcessEvents:
            if (withBuffer)
                WriteEventBlock(buffer);
            break;
        case effSetChunk:
            call.value = intptr_t(random() % (GuardedBuffer::kSize + 1));
            break;
        case effGetSpeakerArrangement:
            call.value = random() % 2 ? reinterpret_cast<intptr_t>(other.Data()) : 0;
            break;
        case effEditOpen:
            ChooseEditorParent(call);
            break;
        default:
            break;
        }
        return call;
    }


    std::string Describe(const Call& call) const
    {
        std::ostringstream text;
        text << Where() << "opcode " << call.opcode << " index " << call.index << " value " << call.value
             << " ptr " << call.ptr << " opt " << call.opt;
        return text.str();
    }

    bool DispatchOne(AEffect* effect, RunFigures& figures)
    {
        const Call call = RandomCall();
        if (call.realWindow)
            ++figures.editorsInRealWindows;
        if (call.vanishingWindow)
            ++figures.editorsInVanishingWindows;
        const intptr_t result =
            effect->dispatcher(effect, call.opcode, call.index, call.value, call.ptr, call.opt);
        ++figures.dispatcherCalls;
        return CheckDispatch(call, result);
    }

    bool CheckDispatch(const Call& call, intptr_t result)
    {
        if (!buffer.GuardsIntact() || !other.GuardsIntact()) {
            ADD_FAILURE() << "a guard byte changed after " << Describe(call);
            return false;
        }
        if (call.ptr == buffer.Data()) {
            const size_t limit = WritableBytes(call.opcode);
            if (buffer.FirstChangeFrom(limit) != GuardedBuffer::kSize) {
                ADD_FAILURE() << "byte " << buffer.FirstChangeFrom(limit) << " of ptr changed ("
                              << limit << " may) after " << Describe(call);
                return false;
            }
            if (IsTextAnswer(call.opcode) && buffer.FirstChangeFrom(0) < limit &&
                std::memchr(buffer.Data(), 0, limit) == nullptr) {
                ADD_FAILURE() << "unterminated text after " << Describe(call);
                return false;
            }
            if (call.opcode == effEditGetRect && result == 1 && !RectIsTheEditors()) {
                ADD_FAILURE() << "effEditGetRect handed out a wrong rectangle after " << Describe(call);
                return false;
            }
        }
        const size_t otherLimit = call.opcode == effGetSpeakerArrangement ? sizeof(void*) : 0;
        if (other.FirstChangeFrom(otherLimit) != GuardedBuffer::kSize) {
            ADD_FAILURE() << "memory the call was not given changed after " << Describe(call);
            return false;
        }
        return true;
    }

    bool RectIsTheEditors() const
    {
        ERect* rect = nullptr;
        std::memcpy(&rect, buffer.Data(), sizeof rect);
        return rect && rect->top == 0 && rect->left == 0 && rect->bottom == kEditorHeight &&
               rect->right == kEditorWidth;
    }

    bool InterleavedCall(AEffect* effect, const CallMix& mix, RunFigures& figures)
    {
        const int kind = int(random() % 100);
        if (kind < mix.blocksPerHundred)
            return random() % 2 ? ProcessBlock(effect, floats, effect->processReplacing, figures)
                                : ProcessBlock(effect, doubles, effect->processDoubleReplacing, figures);
        if (kind % 2) {
            const int32_t index = random() % 4 ? int32_t(random() % 3) - 1 : RandomIndex();
            const float value = RandomFloat();
            effect->setParameter(effect, index, value);
            ++figures.setParameterCalls;
            if (index == 0)
                parameterZero = value;
            return true;
        }
        const int32_t index = random() % 4 ? int32_t(random() % 3) - 1 : RandomIndex();
        const float value = effect->getParameter(effect, index);
        ++figures.getParameterCalls;
        const float expected = index == 0 ? parameterZero : 0.0f;
        if (!SameBits(value, expected) && !(std::isnan(value) && std::isnan(expected))) {
            ADD_FAILURE() << Where() << "getParameter(" << index << ") gave " << value << " instead of "
                          << expected;
            return false;
        }
        return true;
    }

    template <typename Sample, typename Processor>
    bool ProcessBlock(AEffect* effect, GuardedStereoBlock<Sample>& block, Processor process,
                      RunFigures& figures)
    {
        const int frames = RandomFrames();
        block.Prepare(random, frames);
        const auto start = std::chrono::steady_clock::now();
        process(effect, block.Inputs(), block.Outputs(), frames);
        const double microseconds =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
        if (microseconds > figures.worstBlockMicroseconds) {
            figures.worstBlockMicroseconds = microseconds;
            figures.worstBlockFrames = frames;
        }
        ++(sizeof(Sample) == sizeof(float) ? figures.floatBlocks : figures.doubleBlocks);
        if (!block.WroteExactlyFiniteFrames(frames)) {
            ADD_FAILURE() << Where() << sizeof(Sample) * 8 << "-bit block of " << frames
                          << " frames: a non-finite output or a write outside the frames";
            return false;
        }
        if (!block.InputsUntouched()) {
            ADD_FAILURE() << Where() << sizeof(Sample) * 8 << "-bit block of " << frames
                          << " frames changed its inputs";
            return false;
        }
        return true;
    }

    const uint64_t seed;
    std::atomic<uint64_t> callIndex{0};
    std::mt19937_64 random;
    EditorHooks hooks;
    GuardedBuffer buffer;
    GuardedBuffer other;
    GuardedStereoBlock<float> floats;
    GuardedStereoBlock<double> doubles;
    float parameterZero = 0.0f;
};

// The outputs an instance gives, at each of the five factors, for an impulse in the left
// channel and a step in the right one after its delay lines have been flushed with silence.
// Two instances with intact state give the same bits whatever was done to them before.
inline std::vector<double> ResponsesAfterSilence(AEffect* effect)
{
    constexpr int kSilence = 600;  // longer than the longest prototype
    constexpr int kResponse = 48;
    std::vector<double> responses;
    std::vector<double> in[2] = {std::vector<double>(kSilence), std::vector<double>(kSilence)};
    std::vector<double> out[2] = {std::vector<double>(kSilence), std::vector<double>(kSilence)};
    double* inputs[2] = {in[0].data(), in[1].data()};
    double* outputs[2] = {out[0].data(), out[1].data()};
    for (int factor = 0; factor < 5; ++factor) {
        effect->setParameter(effect, 0, float(factor) / 4.0f);
        std::fill(in[0].begin(), in[0].end(), 0.0);
        std::fill(in[1].begin(), in[1].end(), 0.0);
        effect->processDoubleReplacing(effect, inputs, outputs, kSilence);
        in[0][0] = 1.0;
        std::fill(in[1].begin(), in[1].begin() + kResponse, 0.5);
        effect->processDoubleReplacing(effect, inputs, outputs, kResponse);
        responses.insert(responses.end(), out[0].begin(), out[0].begin() + kResponse);
        responses.insert(responses.end(), out[1].begin(), out[1].begin() + kResponse);
    }
    return responses;
}

}  // namespace robustness
