#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AudioBuffer.h"
#include "framework/Machine.h"
#include "framework/Port.h"
#include "framework/Program.h"
#include "tests/framework/FakeHost.h"

namespace {

double ProgramValue(int program, int control) { return 0.1 * (program + 1) + 0.01 * control; }

// A machine that keeps its control values in the base's program table when it has one,
// records what SetControl sees, and names its controls for the text operations.
class TestMachine : public CMachine {
public:
    explicit TestMachine(CHost* host, int controls = 2, bool withPrograms = false)
        : CMachine(host)
    {
        controlCount = controls;
        if (withPrograms)
            CreatePrograms();
    }

    ~TestMachine() override
    {
        for (int i = 0; i < portCount; ++i)
            delete ports[i];
        delete[] ports;
        for (Program* program : ownedPrograms) {
            delete[] program->values;
            delete program;
        }
    }

    void AddPorts(const std::vector<uint32_t>& types)
    {
        portCount = static_cast<int32_t>(types.size());
        ports = new CPort*[types.size()];
        for (size_t i = 0; i < types.size(); ++i)
            ports[i] = new CPort(host, this, types[i], "port");
    }

    void Process() override {}
    void SetSampleRate(int) override {}
    void SetBlockLength(int frames) override { SetBlockSize(frames); }
    bool ReservedQuery() override { return false; }

    double GetControl(int index) override
    {
        if (!programs || index < 0 || index >= controlCount)
            return 0.0;
        return programs[currentProgram]->values[index];
    }
    void SetControl(int index, double value) override
    {
        seen.push_back({index, value, programChangeDepth});
        CMachine::SetControl(index, value);
    }
    void GetControlText(int index, double value, char* text) override
    {
        std::snprintf(text, kMachineTextSize, "%d=%.2f", index, value);
    }

    struct Seen {
        int index;
        double value;
        int depth;
    };
    std::vector<Seen> seen;

private:
    void CreatePrograms()
    {
        programCount = 3;
        programs = new Program*[programCount];
        for (int p = 0; p < programCount; ++p) {
            Program* program = new Program;
            program->values = new double[controlCount];
            for (int i = 0; i < controlCount; ++i)
                program->values[i] = ProgramValue(p, i);
            std::snprintf(program->name, sizeof program->name, "Program %d", p);
            programs[p] = program;
            ownedPrograms.push_back(program);
        }
    }

    std::vector<Program*> ownedPrograms;
};

std::vector<uint8_t> Block(uint32_t format, int32_t count, const void* values, size_t bytes)
{
    std::vector<uint8_t> block(8 + bytes);
    std::memcpy(block.data(), &format, 4);
    std::memcpy(block.data() + 4, &count, 4);
    if (bytes)
        std::memcpy(block.data() + 8, values, bytes);
    return block;
}

TEST(Machine, BaseControlsWithoutProgramTableHoldNothing)
{
    FakeHost host;
    TestMachine machine(&host);
    machine.SetControl(0, 0.7);
    EXPECT_EQ(machine.CMachine::GetControl(0), 0.0);
    EXPECT_EQ(machine.GetControl(0), 0.0);
    char text[kMachineTextSize] = "junk";
    machine.GetControlName(0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetControlLabel(0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetControlComment(0, text);
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(machine.CMachine::GetEditorRect(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(machine.CMachine::OpenEditor(nullptr), nullptr);
}

TEST(Machine, AutomatedChangeReachesTheHostBeforeTheMachine)
{
    FakeHost host;
    TestMachine machine(&host);
    machine.hostData = &machine;  // any record: the host must get the machine's own
    size_t seenWhenHostHeard = 99;
    host.onAutomate = [&](CMachine*, int, double) { seenWhenHostHeard = machine.seen.size(); };

    machine.SetControlAutomated(0, 0.25);

    const auto reports = host.CallsOf(HostCall::kAutomate);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].machine, &machine);
    EXPECT_EQ(reports[0].index, 0);
    EXPECT_EQ(reports[0].value, 0.25);
    EXPECT_EQ(seenWhenHostHeard, 0u);
    ASSERT_EQ(machine.seen.size(), 1u);
    EXPECT_EQ(machine.seen[0].index, 0);
    EXPECT_EQ(machine.seen[0].value, 0.25);
}

TEST(Machine, CurrentControlTextUsesTheCurrentValue)
{
    FakeHost host;
    TestMachine machine(&host, 2, true);
    machine.SetControl(1, 0.75);
    char text[kMachineTextSize];
    machine.GetCurrentControlText(1, text);
    EXPECT_STREQ(text, "1=0.75");
}

TEST(Machine, SetBlockSizeResizesAndClearsOnlyAudioPorts)
{
    FakeHost host;
    host.blockSize = 512;
    TestMachine machine(&host);
    machine.AddPorts({PORT_STEREO_AUDIO_INPUT, PORT_EVENTS, PORT_STEREO_AUDIO_OUTPUT,
                      PORT_AUDIO | PORT_OUTPUT});
    machine.ports[0]->audio->channel[1][511] = 1.0;
    machine.ports[2]->audio->channel[0][0] = 1.0;

    machine.SetBlockSize(256);
    for (int p : {0, 2, 3}) {
        const CAudioBuffer& buffer = *machine.ports[p]->audio;
        EXPECT_EQ(buffer.length, 256) << "port " << p;
        for (int c = 0; c < (buffer.stereo ? 2 : 1); ++c)
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ(buffer.channel[c][i], 0.0);
    }
    EXPECT_EQ(machine.ports[1]->audio, nullptr);

    double* const left = machine.ports[0]->audio->channel[0];
    left[3] = 0.5;
    machine.SetBlockSize(256);
    EXPECT_EQ(machine.ports[0]->audio->channel[0], left);
    EXPECT_EQ(left[3], 0.0);

    machine.SetBlockSize(-20);
    EXPECT_EQ(machine.ports[0]->audio->length, 0);
    EXPECT_EQ(machine.ports[3]->audio->length, 0);
}

TEST(Machine, SetNameKeepsItsOwnCopyOfTheLatestText)
{
    FakeHost host;
    TestMachine machine(&host);
    EXPECT_EQ(machine.GetName(), nullptr);
    char text[] = "first";
    machine.SetName(text);
    machine.SetName("second name");
    EXPECT_STREQ(machine.GetName(), "second name");
    char other[] = "third";
    machine.SetName(other);
    other[0] = 'X';
    EXPECT_STREQ(machine.GetName(), "third");
}

TEST(Machine, ProgramChangeBracketsCountDepth)
{
    FakeHost host;
    TestMachine machine(&host);
    machine.BeginProgramChange();
    machine.BeginProgramChange();
    EXPECT_EQ(machine.programChangeDepth, 2);
    machine.EndProgramChange();
    EXPECT_EQ(machine.programChangeDepth, 1);
}

TEST(StateBlock, RoundTripInDoubleFormat)
{
    FakeHost host;
    TestMachine source(&host, 1, true);
    source.SetControl(0, 0.75);
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool flag = false;
    source.GetState(&block, &size, &flag);
    std::unique_ptr<uint8_t[]> owned(block);

    ASSERT_EQ(size, 16u);
    EXPECT_TRUE(flag);
    EXPECT_EQ(std::memcmp(block, "46HP", 4), 0);
    const uint8_t countBytes[4] = {1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(block + 4, countBytes, 4), 0);
    double value;
    std::memcpy(&value, block + 8, 8);
    EXPECT_EQ(value, 0.75);

    TestMachine target(&host, 1, true);
    target.hostData = &target;
    host.calls.clear();
    target.SetState(block, size);
    const auto reports = host.CallsOf(HostCall::kAutomate);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].machine, &target);
    EXPECT_EQ(reports[0].index, 0);
    EXPECT_EQ(reports[0].value, 0.75);
    ASSERT_EQ(target.seen.size(), 1u);
    EXPECT_EQ(target.GetControl(0), 0.75);
}

TEST(StateBlock, SavesEveryControlThroughGetControl)
{
    FakeHost host;
    TestMachine machine(&host, 3, true);
    machine.SelectProgram(2);
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool flag = false;
    machine.GetState(&block, &size, &flag);
    std::unique_ptr<uint8_t[]> owned(block);
    ASSERT_EQ(size, 8u + 3 * 8);
    for (int i = 0; i < 3; ++i) {
        double value;
        std::memcpy(&value, block + 8 + 8 * i, 8);
        EXPECT_EQ(value, ProgramValue(2, i));
    }
}

TEST(StateBlock, FloatFormatIsWidenedAndApplied)
{
    FakeHost host;
    TestMachine machine(&host, 2, true);
    const float values[] = {0.5f, 1.0f};
    const auto block = Block(kStateFormatFloat, 2, values, sizeof values);
    EXPECT_EQ(std::memcmp(block.data(), "hPtK", 4), 0);
    machine.SetState(block.data(), static_cast<uint32_t>(block.size()));
    EXPECT_EQ(machine.GetControl(0), 0.5);
    EXPECT_EQ(machine.GetControl(1), 1.0);
    EXPECT_EQ(host.CallsOf(HostCall::kAutomate).size(), 2u);

    const float third = 0.1f;
    machine.SetState(Block(kStateFormatFloat, 1, &third, 4).data(), 12);
    EXPECT_EQ(machine.GetControl(0), static_cast<double>(0.1f));
}

TEST(StateBlock, AnyOtherCodeReadsDoublesAndIndicesAreNotChecked)
{
    FakeHost host;
    TestMachine machine(&host, 1, true);
    const double values[] = {0.125, 0.875};
    const auto block = Block(0x12345678, 2, values, sizeof values);
    machine.SetState(block.data(), static_cast<uint32_t>(block.size()));
    const auto reports = host.CallsOf(HostCall::kAutomate);
    ASSERT_EQ(reports.size(), 2u) << "every value goes to the host, existing or not";
    EXPECT_EQ(reports[1].index, 1);
    EXPECT_EQ(reports[1].value, 0.875);
    EXPECT_EQ(machine.GetControl(0), 0.125);
    ASSERT_EQ(machine.seen.size(), 2u);
    EXPECT_EQ(machine.seen[1].index, 1);
}

TEST(StateBlock, ShortOrEmptyBlocksChangeNothing)
{
    FakeHost host;
    TestMachine machine(&host, 1, true);
    const double value = 0.9;
    const auto block = Block(kStateFormatDouble, 1, &value, 8);
    machine.SetState(block.data(), 7);
    const auto zero = Block(kStateFormatDouble, 0, &value, 8);
    machine.SetState(zero.data(), 16);
    const auto negative = Block(kStateFormatDouble, -3, &value, 8);
    machine.SetState(negative.data(), 16);
    EXPECT_TRUE(host.CallsOf(HostCall::kAutomate).empty());
    EXPECT_TRUE(machine.seen.empty());
}

TEST(StateBlock, CountBeyondTheBlockAppliesOnlyTheValuesPresent)
{
    FakeHost host;
    TestMachine machine(&host, 4, true);
    const double values[] = {0.25, 0.5};
    // Allocated to the exact size, so that a read past it trips the address sanitizer.
    const auto source = Block(kStateFormatDouble, 1000, values, sizeof values);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[source.size() + 4]);
    std::memcpy(exact.get(), source.data(), source.size());
    std::memset(exact.get() + source.size(), 0xff, 4);  // half a value: not applied

    machine.SetState(exact.get(), static_cast<uint32_t>(source.size() + 4));
    ASSERT_EQ(machine.seen.size(), 2u);
    EXPECT_EQ(machine.GetControl(0), 0.25);
    EXPECT_EQ(machine.GetControl(1), 0.5);
    EXPECT_EQ(host.CallsOf(HostCall::kAutomate).size(), 2u);

    const float floats[] = {0.75f};
    const auto floatBlock = Block(kStateFormatFloat, 3, floats, sizeof floats);
    std::unique_ptr<uint8_t[]> exactFloat(new uint8_t[floatBlock.size()]);
    std::memcpy(exactFloat.get(), floatBlock.data(), floatBlock.size());
    machine.seen.clear();
    machine.SetState(exactFloat.get(), static_cast<uint32_t>(floatBlock.size()));
    ASSERT_EQ(machine.seen.size(), 1u);
    EXPECT_EQ(machine.GetControl(0), 0.75);
}

TEST(Programs, SelectingAppliesEveryValueWithoutTellingTheHost)
{
    FakeHost host;
    TestMachine machine(&host, 2, true);
    machine.SelectProgram(1);
    EXPECT_EQ(machine.GetProgram(), 1);
    ASSERT_EQ(machine.seen.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(machine.seen[i].index, i);
        EXPECT_EQ(machine.seen[i].value, ProgramValue(1, i));
        EXPECT_EQ(machine.seen[i].depth, 1) << "SetControl sees the program change";
    }
    EXPECT_EQ(machine.programChangeDepth, 0);
    EXPECT_TRUE(host.CallsOf(HostCall::kAutomate).empty());
    EXPECT_EQ(machine.GetControl(1), ProgramValue(1, 1));

    machine.SetControl(0, 0.9);  // the base stores into the current program
    machine.SelectProgram(0);
    machine.SelectProgram(1);
    EXPECT_EQ(machine.GetControl(0), 0.9);
}

TEST(Programs, NamesOfCurrentAndIndexedPrograms)
{
    FakeHost host;
    TestMachine machine(&host, 1, true);
    char text[kMachineTextSize];
    machine.SelectProgram(2);
    machine.GetProgramName(text);
    EXPECT_STREQ(text, "Program 2");
    machine.SetProgramName("Renamed");
    machine.GetProgramNameAt(2, text);
    EXPECT_STREQ(text, "Renamed");
    machine.GetProgramNameAt(0, text);
    EXPECT_STREQ(text, "Program 0");
    std::strcpy(text, "junk");
    machine.GetProgramNameAt(3, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetProgramNameAt(-1, text);
    EXPECT_STREQ(text, "");

    const std::string longName(200, 'n');
    machine.SetProgramName(longName.c_str());
    machine.GetProgramName(text);
    EXPECT_EQ(std::strlen(text), static_cast<size_t>(Program::kNameSize - 1));
}

TEST(Programs, MachineWithoutTableHasEmptyNamesAndIgnoresSelection)
{
    FakeHost host;
    TestMachine machine(&host, 2, false);
    char text[kMachineTextSize] = "junk";
    machine.GetProgramName(text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetProgramNameAt(0, text);
    EXPECT_STREQ(text, "");
    machine.SetProgramName("ignored");
    machine.SelectProgram(0);
    EXPECT_TRUE(machine.seen.empty());
    EXPECT_EQ(machine.GetProgram(), 0);
}

// A bank that records its calls and checks that the client holds its lock around them.
class RecordingBank : public CBank {
public:
    int AddClient(CBankClient* client) override
    {
        lockedDuringCall = lockedDuringCall && IsLocked();
        added.push_back(client);
        return addResult;
    }
    int RemoveClient(CBankClient* client) override
    {
        lockedDuringCall = lockedDuringCall && IsLocked();
        removed.push_back(client);
        return removeResult;
    }
    int addResult = 0;
    int removeResult = 0;
    bool lockedDuringCall = true;
    std::vector<CBankClient*> added, removed;
};

class BankMember : public CBankClient {
public:
    explicit BankMember(CBank* bankToUse)
    {
        bank = bankToUse;
        usesBank = bankToUse != nullptr;
    }
    bool Attached() const { return attached; }
};

TEST(BankClient, NewMachineNeitherAttachesNorDetaches)
{
    FakeHost host;
    TestMachine machine(&host);
    EXPECT_FALSE(machine.UsesBank());
    EXPECT_EQ(machine.Attach(), 1);
    EXPECT_EQ(machine.Detach(), 4);
}

TEST(BankClient, AttachAndDetachGoThroughTheLockedBank)
{
    RecordingBank bank;
    {
        BankMember member(&bank);
        EXPECT_TRUE(member.UsesBank());
        EXPECT_EQ(member.Attach(), 0);
        EXPECT_TRUE(member.Attached());
        EXPECT_EQ(member.Attach(), 1) << "already attached";
        bank.removeResult = 7;
        EXPECT_EQ(member.Detach(), 7);
        EXPECT_FALSE(member.Attached()) << "detached whatever the bank answers";
        EXPECT_EQ(member.Detach(), 4);

        bank.addResult = 3;
        EXPECT_EQ(member.Attach(), 3);
        EXPECT_FALSE(member.Attached());
        bank.addResult = 0;
        EXPECT_EQ(member.Attach(), 0);
    }
    EXPECT_EQ(bank.added.size(), 3u);
    ASSERT_EQ(bank.removed.size(), 2u) << "destruction leaves the bank";
    EXPECT_TRUE(bank.lockedDuringCall);
    EXPECT_EQ(bank.LockDepth(), 0);
}

}  // namespace
