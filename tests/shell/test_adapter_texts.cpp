// Texts that cross the host boundary are cut to the standard's limits, and a null buffer
// is never written.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/TextTransfer.h"
#include "tests/shell/AdapterHarness.h"

namespace {

constexpr char kGuard = '\x5A';

struct GuardedBuffer {
    GuardedBuffer() { std::memset(bytes, kGuard, sizeof bytes); }
    std::string Text() const { return std::string(bytes); }
    // Bytes from `from` on were never written.
    bool UntouchedFrom(size_t from) const
    {
        for (size_t i = from; i < sizeof bytes; ++i)
            if (bytes[i] != kGuard)
                return false;
        return true;
    }
    char bytes[128];
};

TEST(TextTransfer, CopiesWholeTextsAndCutsLongOnesAtTheLimit)
{
    GuardedBuffer exact;
    CopyLimitedText(exact.bytes, "1234567", 8);
    EXPECT_EQ(exact.Text(), "1234567");
    EXPECT_TRUE(exact.UntouchedFrom(8));

    GuardedBuffer cut;
    CopyLimitedText(cut.bytes, "12345678", 8);
    EXPECT_EQ(cut.Text(), "1234567");
    EXPECT_TRUE(cut.UntouchedFrom(8));

    GuardedBuffer shortText;
    CopyLimitedText(shortText.bytes, "ab", 8);
    EXPECT_EQ(shortText.Text(), "ab");
    EXPECT_TRUE(shortText.UntouchedFrom(3));  // the copy stops after the terminator

    GuardedBuffer one;
    CopyLimitedText(one.bytes, "abc", 1);
    EXPECT_EQ(one.Text(), "");
    EXPECT_TRUE(one.UntouchedFrom(1));

    GuardedBuffer none;
    CopyLimitedText(none.bytes, "abc", 0);
    CopyLimitedText(nullptr, "abc", 8);
    EXPECT_TRUE(none.UntouchedFrom(0));

    GuardedBuffer fromNull;
    CopyLimitedText(fromNull.bytes, nullptr, 8);
    EXPECT_EQ(fromNull.Text(), "");
    EXPECT_TRUE(fromNull.UntouchedFrom(1));
}

TEST(AdapterTexts, ParameterNameAndDisplayStopAtEightBytes)
{
    TestMachineSetup setup;
    setup.controls = 3;
    setup.controlNames = {"Seven77", "Eight888", "A much longer control name"};
    setup.displayText = "Display text of many characters";
    AdapterHarness h(setup);

    const char* expectedNames[] = {"Seven77", "Eight88", "A much "};
    for (int index = 0; index < 3; ++index) {
        GuardedBuffer name;
        EXPECT_EQ(h.Dispatch(effGetParamName, index, 0, name.bytes), 0);
        EXPECT_EQ(name.Text(), expectedNames[index]) << "control " << index;
        EXPECT_TRUE(name.UntouchedFrom(8));

        GuardedBuffer display;
        EXPECT_EQ(h.Dispatch(effGetParamDisplay, index, 0, display.bytes), 0);
        EXPECT_EQ(display.Text(), "Display");
        EXPECT_TRUE(display.UntouchedFrom(8));

        GuardedBuffer label;
        EXPECT_EQ(h.Dispatch(effGetParamLabel, index, 0, label.bytes), 0);
        EXPECT_EQ(label.Text(), "");
        EXPECT_TRUE(label.UntouchedFrom(1));
    }
    GuardedBuffer missing;
    h.Dispatch(effGetParamName, 7, 0, missing.bytes);
    EXPECT_EQ(missing.Text(), "");
}

TEST(AdapterTexts, DisplayShowsTheCurrentValue)
{
    AdapterHarness h;
    h.Effect()->setParameter(h.Effect(), 0, 0.5f);
    GuardedBuffer display;
    h.Dispatch(effGetParamDisplay, 0, 0, display.bytes);
    EXPECT_EQ(display.Text(), "0.50");
}

TEST(AdapterTexts, ProgramNamesStopAtTwentyFourBytes)
{
    TestMachineSetup setup;
    setup.programNames = {"Twenty-three characters", "Twenty-four characters!!",
                          "A name much longer than any host would show"};
    AdapterHarness h(setup);
    const char* expected[] = {"Twenty-three characters", "Twenty-four characters!",
                              "A name much longer than"};
    for (int program = 0; program < 3; ++program) {
        GuardedBuffer indexed;
        EXPECT_EQ(h.Dispatch(effGetProgramNameIndexed, program, 0, indexed.bytes), 1);
        EXPECT_EQ(indexed.Text(), expected[program]);
        EXPECT_TRUE(indexed.UntouchedFrom(24));

        h.Dispatch(effSetProgram, 0, program);
        GuardedBuffer current;
        EXPECT_EQ(h.Dispatch(effGetProgramName, 0, 0, current.bytes), 0);
        EXPECT_EQ(current.Text(), expected[program]);
        EXPECT_TRUE(current.UntouchedFrom(24));
    }
    GuardedBuffer outside;
    EXPECT_EQ(h.Dispatch(effGetProgramNameIndexed, 3, 0, outside.bytes), 1);
    EXPECT_EQ(outside.Text(), "");
}

TEST(AdapterTexts, ProgramNameFromTheHostIsCutToTheMachinesTextSize)
{
    TestMachineSetup setup;
    setup.programNames = {"old"};
    AdapterHarness h(setup);
    std::string longName(300, 'n');
    h.Dispatch(effSetProgramName, 0, 0, &longName[0]);
    char name[kMachineTextSize];
    h.machine->GetProgramName(name);
    EXPECT_EQ(std::string(name), std::string(kMachineTextSize - 1, 'n'));

    char shortName[] = "Bright";
    h.Dispatch(effSetProgramName, 0, 0, shortName);
    GuardedBuffer readBack;
    h.Dispatch(effGetProgramName, 0, 0, readBack.bytes);
    EXPECT_EQ(readBack.Text(), "Bright");
}

TEST(AdapterTexts, ProductStringComesFromTheMachineName)
{
    AdapterHarness h;
    GuardedBuffer without;
    EXPECT_EQ(h.Dispatch(effGetProductString, 0, 0, without.bytes), 0);
    EXPECT_TRUE(without.UntouchedFrom(0));

    const std::string seventy(70, 'p');
    h.machine->SetName(seventy.c_str());
    GuardedBuffer with;
    EXPECT_EQ(h.Dispatch(effGetProductString, 0, 0, with.bytes), 1);
    EXPECT_EQ(with.Text(), std::string(63, 'p'));
    EXPECT_TRUE(with.UntouchedFrom(64));
    EXPECT_EQ(h.Dispatch(effGetProductString, 0, 0, nullptr), 1);

    GuardedBuffer vendor;
    EXPECT_EQ(h.Dispatch(effGetVendorString, 0, 0, vendor.bytes), 1);
    EXPECT_EQ(vendor.Text(), "Fernhollowstudios");
    EXPECT_TRUE(vendor.UntouchedFrom(18));
}

TEST(AdapterTexts, NullBuffersGetTheUsualAnswerAndNoWrite)
{
    TestMachineSetup setup;
    setup.programNames = {"p"};
    AdapterHarness h(setup);
    EXPECT_EQ(h.Dispatch(effGetParamName, 0), 0);
    EXPECT_EQ(h.Dispatch(effGetParamDisplay, 0), 0);
    EXPECT_EQ(h.Dispatch(effGetParamLabel, 0), 0);
    EXPECT_EQ(h.Dispatch(effGetProgramName), 0);
    EXPECT_EQ(h.Dispatch(effSetProgramName), 0);
    EXPECT_EQ(h.Dispatch(effGetProgramNameIndexed, 0), 1);
    EXPECT_EQ(h.Dispatch(effGetVendorString), 1);
    EXPECT_EQ(h.Dispatch(effGetProductString), 0);
    EXPECT_EQ(h.Dispatch(effGetEffectName), 0);
    EXPECT_EQ(h.Dispatch(effCanDo), 0);
    EXPECT_EQ(h.Dispatch(effProcessEvents), 1);
    EXPECT_EQ(h.Dispatch(effGetSpeakerArrangement), 0);
    EXPECT_EQ(h.Dispatch(effGetChunk), 0);
    EXPECT_EQ(h.Dispatch(effSetChunk), 0);
    char name[kMachineTextSize];
    h.machine->GetProgramName(name);
    EXPECT_EQ(std::string(name), "p");
}

}  // namespace
