// Every dispatcher opcode from -2 to 100 against the effect's opcode table, the texts and
// their limits, and hosts that pass null where the dispatcher would write or read.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/host/BuiltPlugin.h"
#include "host/PluginInstance.h"

namespace {

constexpr unsigned char kGuard = 0xA5;
constexpr intptr_t kTotalSamples = 123456789;

struct GuardedBuffer {
    GuardedBuffer() { std::memset(bytes, kGuard, sizeof bytes); }
    std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes)); }
    // The first byte from `from` on that was written, or -1.
    int FirstWrittenFrom(size_t from) const
    {
        for (size_t i = from; i < sizeof bytes; ++i)
            if (bytes[i] != kGuard)
                return static_cast<int>(i);
        return -1;
    }
    unsigned char bytes[256];
};

// Results of the opcodes that do not answer 0 (effClose and effEditGetRect aside).
const std::map<int32_t, intptr_t> kNonZeroResults = {
    {effIdentify, 0x4E764566},       {effProcessEvents, 1},     {effCanBeAutomated, 1},
    {effGetProgramNameIndexed, 1},   {effGetVendorString, 1},   {effGetVstVersion, 2400},
    {effGetCurrentMidiProgram, -1},  {effBeginSetProgram, 1},   {effEndSetProgram, 1},
    {effSetTotalSampleToProcess, kTotalSamples},               {effBeginLoadBank, 1},
    {effBeginLoadProgram, 1},
};

// Texts the effect writes: what, and how far at most (terminator included).
struct ExpectedText {
    std::string text;
    size_t limit;
};
const std::map<int32_t, ExpectedText> kTexts = {
    {effGetProgramName, {"", 24}},        {effGetParamLabel, {"", 8}},
    {effGetParamDisplay, {"2x", 8}},      {effGetParamName, {"Oversam", 8}},
    {effGetProgramNameIndexed, {"", 24}}, {effGetVendorString, {"Fernhollowstudios", 64}},
};

class DllDispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_PLUGIN_LOADED();
        plugin = std::make_unique<PluginInstance>(BuiltPlugin().Entry(), ProgramHost());
        ASSERT_TRUE(plugin->IsOpen());
    }
    std::unique_ptr<PluginInstance> plugin;
};

// Calls one opcode the way a host would, with a guard-filled buffer wherever the opcode
// takes a pointer the effect has no business writing, and checks the result and the buffer.
void CheckOpcode(PluginInstance& plugin, int32_t opcode)
{
    SCOPED_TRACE(EffectOpcodeName(opcode));
    GuardedBuffer buffer;
    intptr_t value = 0;
    void* ptr = buffer.bytes;
    float opt = 0.0f;
    char canDo[] = "receiveVstMidiEvent";
    char programName[] = "Host's name";
    VstEvents noEvents{};
    ERect* rect = nullptr;
    void* chunk = nullptr;
    VstSpeakerArrangement* arrangements[2] = {reinterpret_cast<VstSpeakerArrangement*>(&buffer),
                                              reinterpret_cast<VstSpeakerArrangement*>(&buffer)};
    switch (opcode) {
    case effSetProgram: value = 0; break;
    case effSetProgramName: ptr = programName; break;
    case effSetSampleRate: opt = 48000.0f; break;
    case effSetBlockSize: value = 256; break;
    case effMainsChanged: value = 1; break;
    case effEditGetRect: ptr = &rect; break;
    case effEditOpen: ptr = nullptr; break;  // a parent window; the editor tests use real ones
    case effGetChunk: ptr = &chunk; break;
    case effSetChunk: value = 16; break;
    case effProcessEvents: ptr = &noEvents; break;
    case effCanDo: ptr = canDo; break;
    case effEditKeyDown:
    case effEditKeyUp: value = 0x20; opt = 1.0f; break;
    case effGetSpeakerArrangement:
        value = reinterpret_cast<intptr_t>(&arrangements[0]);
        ptr = &arrangements[1];
        break;
    case effSetTotalSampleToProcess: value = kTotalSamples; break;
    default: break;
    }

    const intptr_t result = plugin.Dispatch(opcode, 0, value, ptr, opt);

    if (opcode == effEditGetRect) {
        // The rectangle pointer is always handed out; 1 only with the editor's size.
        ASSERT_NE(rect, nullptr);
        ASSERT_TRUE(result == 0 || result == 1) << result;
        if (result == 1) {
            EXPECT_EQ(rect->top, 0);
            EXPECT_EQ(rect->left, 0);
            EXPECT_EQ(rect->bottom, 120);
            EXPECT_EQ(rect->right, 275);
        }
        return;
    }
    const auto nonZero = kNonZeroResults.find(opcode);
    EXPECT_EQ(result, nonZero == kNonZeroResults.end() ? 0 : nonZero->second);

    const auto text = kTexts.find(opcode);
    if (text != kTexts.end()) {
        EXPECT_EQ(buffer.Text(), text->second.text);
        EXPECT_EQ(buffer.FirstWrittenFrom(text->second.text.size() + 1), -1);
    } else {
        EXPECT_EQ(buffer.FirstWrittenFrom(0), -1) << "the effect wrote into the host's memory";
    }
    if (opcode == effGetChunk) {
        EXPECT_EQ(chunk, nullptr);
    }
    if (opcode == effGetSpeakerArrangement) {
        EXPECT_EQ(arrangements[0], nullptr);
        EXPECT_EQ(arrangements[1], nullptr);
    }
}

TEST_F(DllDispatcher, EveryOpcodeAnswersAsTheTableSays)
{
    ProgramHost().ClearCalls();
    for (int32_t opcode = -2; opcode <= 100; ++opcode)
        if (opcode != effClose)
            CheckOpcode(*plugin, opcode);
    // Nothing in the table talks to the host.
    EXPECT_EQ(ProgramHost().CallCount(), 0u) << ProgramHost().Describe();
    // The instance still works, and closing it answers 1.
    EXPECT_EQ(plugin->Text(effGetParamName), "Oversam");
    EXPECT_EQ(plugin->Close(), 1);
}

TEST_F(DllDispatcher, TextsNeverPassTheirLimitsAtAnyIndex)
{
    const std::vector<int32_t> indices{-1, 0, 1, 2, 1000};
    const std::vector<float> values{0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (float value : values) {
        plugin->SetParameter(0, value);
        for (int32_t index : indices) {
            for (const auto& opcodeAndText : kTexts) {
                SCOPED_TRACE(EffectOpcodeName(opcodeAndText.first) + " index " +
                             std::to_string(index));
                GuardedBuffer buffer;
                plugin->Dispatch(opcodeAndText.first, index, 0, buffer.bytes);
                EXPECT_EQ(buffer.FirstWrittenFrom(opcodeAndText.second.limit), -1);
                EXPECT_LT(buffer.Text().size(), opcodeAndText.second.limit);
            }
            GuardedBuffer name;
            plugin->Dispatch(effGetParamName, index, 0, name.bytes);
            EXPECT_EQ(name.Text(), index == 0 ? "Oversam" : "");
        }
    }
}

TEST_F(DllDispatcher, DisplayNamesTheFactorOfEachValue)
{
    const std::vector<std::pair<float, std::string>> displays{
        {0.0f, "2x"},    {0.1f, "2x"},   {0.2499f, "2x"}, {0.25f, "4x"},  {0.3f, "4x"},
        {0.5f, "8x"},    {0.74f, "8x"},  {0.75f, "16x"},  {0.999f, "16x"}, {1.0f, "32x"}};
    for (const auto& display : displays) {
        plugin->SetParameter(0, display.first);
        EXPECT_EQ(plugin->Text(effGetParamDisplay, 0), display.second) << display.first;
    }
    EXPECT_EQ(plugin->Text(effGetParamDisplay, 1), "");
}

TEST_F(DllDispatcher, ProductStringAndEffectNameAreNotOffered)
{
    GuardedBuffer product;
    EXPECT_EQ(plugin->Dispatch(effGetProductString, 0, 0, product.bytes), 0);
    EXPECT_EQ(product.FirstWrittenFrom(0), -1);
    GuardedBuffer name;
    EXPECT_EQ(plugin->Dispatch(effGetEffectName, 0, 0, name.bytes), 0);
    EXPECT_EQ(name.FirstWrittenFrom(0), -1);
}

TEST_F(DllDispatcher, NoCapabilityIsClaimed)
{
    for (const char* capability :
         {"receiveVstMidiEvent", "receiveVstEvents", "sendVstMidiEvent", "bypass", "offline",
          "plugAsChannelInsert", "2in2out", "", "x"}) {
        std::string text = capability;
        EXPECT_EQ(plugin->Dispatch(effCanDo, 0, 0, &text[0]), 0) << capability;
    }
}

TEST_F(DllDispatcher, NoProgramsToSelectOrName)
{
    EXPECT_EQ(plugin->Dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(plugin->Dispatch(effSetProgram, 0, 5), 0);
    EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
    char name[] = "A program";
    plugin->Dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(plugin->Text(effGetProgramName), "");
    EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "");
}

TEST_F(DllDispatcher, TotalSamplesComeBackWhole)
{
    for (intptr_t value : {intptr_t{0}, intptr_t{-1}, intptr_t{44100}, INTPTR_MAX, INTPTR_MIN})
        EXPECT_EQ(plugin->Dispatch(effSetTotalSampleToProcess, 0, value), value);
}

TEST_F(DllDispatcher, NullPointersGetTheUsualAnswerAndNoCrash)
{
    EXPECT_EQ(plugin->Dispatch(effSetProgramName), 0);
    EXPECT_EQ(plugin->Dispatch(effGetProgramName), 0);
    EXPECT_EQ(plugin->Dispatch(effGetParamLabel), 0);
    EXPECT_EQ(plugin->Dispatch(effGetParamDisplay), 0);
    EXPECT_EQ(plugin->Dispatch(effGetParamName), 0);
    const intptr_t rect = plugin->Dispatch(effEditGetRect);
    EXPECT_TRUE(rect == 0 || rect == 1);
    EXPECT_EQ(plugin->Dispatch(effGetChunk), 0);
    EXPECT_EQ(plugin->Dispatch(effSetChunk), 0);
    EXPECT_EQ(plugin->Dispatch(effProcessEvents), 1);
    EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed), 1);
    EXPECT_EQ(plugin->Dispatch(effGetEffectName), 0);
    EXPECT_EQ(plugin->Dispatch(effGetVendorString), 1);
    EXPECT_EQ(plugin->Dispatch(effGetProductString), 0);
    EXPECT_EQ(plugin->Dispatch(effCanDo), 0);
    EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement), 0);
    VstSpeakerArrangement* output = reinterpret_cast<VstSpeakerArrangement*>(this);
    EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement, 0, 0, &output), 0);
    EXPECT_EQ(output, nullptr);
    VstSpeakerArrangement* input = reinterpret_cast<VstSpeakerArrangement*>(this);
    EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input)), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(plugin->Text(effGetVendorString), "Fernhollowstudios");
}

}  // namespace
