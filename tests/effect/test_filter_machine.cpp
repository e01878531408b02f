#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "effect/FilterDesign.h"
#include "effect/StereoFir.h"
#include "effect/VelvetineFilter.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "framework/AudioBuffer.h"
#include "framework/Port.h"
#include "tests/framework/FakeHost.h"

namespace {

class FilterMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.sampleRate = 48000;
        host.blockSize = 256;
        machine = std::make_unique<CVelvetineFilter>(&host, nullptr);
    }

    std::string Text(double value, int index = 0)
    {
        char text[kMachineTextSize];
        std::memset(text, 'x', sizeof text);
        machine->GetControlText(index, value, text);
        return text;
    }

    FakeHost host;
    std::unique_ptr<CVelvetineFilter> machine;
};

TEST_F(FilterMachine, ConstructionAsksRateThenBlockSizeAndSizesThePorts)
{
    ASSERT_GE(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0].kind, HostCall::kSampleRate);
    EXPECT_EQ(host.calls[1].kind, HostCall::kBlockSize);
    EXPECT_TRUE(host.CallsOf(HostCall::kAutomate).empty());
    EXPECT_EQ(machine->SampleRate(), 48000);
    EXPECT_EQ(machine->BlockLength(), 256);

    ASSERT_EQ(machine->portCount, 2);
    EXPECT_STREQ(machine->ports[0]->name, "Line In");
    EXPECT_EQ(machine->ports[0]->type, 273u);
    EXPECT_STREQ(machine->ports[1]->name, "Line Out");
    EXPECT_EQ(machine->ports[1]->type, 289u);
    for (int p = 0; p < 2; ++p) {
        const CAudioBuffer* buffer = machine->ports[p]->audio;
        ASSERT_NE(buffer, nullptr);
        EXPECT_TRUE(buffer->stereo);
        EXPECT_EQ(buffer->length, 256);
        EXPECT_EQ(machine->ports[p]->owner, machine.get());
    }
    EXPECT_NE(machine->ports[0]->audio->channel[0], machine->ports[1]->audio->channel[0]);
    EXPECT_EQ(machine->controlCount, 1);
    EXPECT_EQ(machine->programCount, 0);
    EXPECT_FALSE(machine->ReservedQuery());
}

TEST_F(FilterMachine, BankHoldsTheFiveDesignedPrototypes)
{
    for (int i = 0; i < kPrototypeCount; ++i) {
        const CStereoFir& fir = *machine->Prototype(i);
        const PrototypeDesign& design = DesignedPrototype(i);
        ASSERT_EQ(fir.length, PrototypeLength(i));
        ASSERT_EQ(design.coefficients.size(), static_cast<size_t>(fir.length));
        EXPECT_EQ(fir.position, 0);
        EXPECT_EQ(fir.gain, design.gain);
        EXPECT_NE(fir.coefficientsA, fir.coefficientsB);
        for (int k = 0; k < fir.length; ++k) {
            ASSERT_EQ(fir.coefficientsA[k], design.coefficients[k]);
            ASSERT_EQ(fir.coefficientsB[k], design.coefficients[k]);
            ASSERT_EQ(fir.delayA[k], 0.0);
            ASSERT_EQ(fir.delayB[k], 0.0);
        }
    }
}

TEST_F(FilterMachine, ControlStartsAtTwoTimes)
{
    EXPECT_EQ(machine->GetControl(0), 0.0);
    char text[kMachineTextSize];
    machine->GetCurrentControlText(0, text);
    EXPECT_STREQ(text, "2x");
    machine->GetControlName(0, text);
    EXPECT_STREQ(text, "Oversampling");
}

TEST_F(FilterMachine, TextNamesTheFactorAValueSelects)
{
    EXPECT_EQ(Text(0.0), "2x");
    EXPECT_EQ(Text(0.2499), "2x");
    EXPECT_EQ(Text(0.25), "4x");
    EXPECT_EQ(Text(0.3), "4x");
    EXPECT_EQ(Text(0.5), "8x");
    EXPECT_EQ(Text(0.75), "16x");
    EXPECT_EQ(Text(0.999), "16x");
    EXPECT_EQ(Text(std::nextafter(1.0, 0.0)), "16x");
    EXPECT_EQ(Text(1.0), "32x");
}

TEST_F(FilterMachine, OutOfRangeValuesAreNamedByThePrototypeTheyRun)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Text(1.1), "32x");
    EXPECT_EQ(Text(1.25), "32x");
    EXPECT_EQ(Text(3.0), "32x");
    EXPECT_EQ(Text(inf), "32x");
    EXPECT_EQ(Text(-0.1), "2x");
    EXPECT_EQ(Text(-2.0), "2x");
    EXPECT_EQ(Text(-inf), "2x");
    EXPECT_EQ(Text(std::nan("")), "2x");

    EXPECT_EQ(CVelvetineFilter::PrototypeIndex(0.999), 3);
    EXPECT_EQ(CVelvetineFilter::PrototypeIndex(1.0), 4);
    EXPECT_EQ(CVelvetineFilter::PrototypeIndex(2.0), 4);
    EXPECT_EQ(CVelvetineFilter::PrototypeIndex(-1.0), 0);
    EXPECT_EQ(CVelvetineFilter::PrototypeIndex(std::nan("")), 0);
}

TEST_F(FilterMachine, SetControlStoresTheValueUnchanged)
{
    for (double value : {0.3, 0.999, 1.0, 7.5, -0.25}) {
        machine->SetControl(0, value);
        EXPECT_EQ(machine->GetControl(0), value);
    }
    machine->SetControl(0, std::nan(""));
    EXPECT_TRUE(std::isnan(machine->GetControl(0)));
    char text[kMachineTextSize];
    machine->GetCurrentControlText(0, text);
    EXPECT_STREQ(text, "2x");
    EXPECT_TRUE(host.CallsOf(HostCall::kAutomate).empty()) << "SetControl tells no host";
}

TEST_F(FilterMachine, OtherControlIndicesAreIgnored)
{
    machine->SetControl(0, 0.5);
    for (int index : {1, -1, 5}) {
        machine->SetControl(index, 0.9);
        EXPECT_EQ(machine->GetControl(index), 0.0);
        EXPECT_EQ(Text(0.5, index), "");
        char name[kMachineTextSize] = "junk";
        machine->GetControlName(index, name);
        EXPECT_STREQ(name, "");
    }
    EXPECT_EQ(machine->GetControl(0), 0.5);
}

TEST_F(FilterMachine, AutomatedChangeTellsTheHostFirst)
{
    int record = 0;
    machine->hostData = &record;
    double valueWhenHostHeard = -1.0;
    host.onAutomate = [&](CMachine*, int, double) {
        valueWhenHostHeard = machine->GetControl(0);
    };
    machine->SetControlAutomated(0, 0.75);
    const auto reports = host.CallsOf(HostCall::kAutomate);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].machine, machine.get());
    EXPECT_EQ(reports[0].index, 0);
    EXPECT_EQ(reports[0].value, 0.75);
    EXPECT_EQ(valueWhenHostHeard, 0.0);
    EXPECT_EQ(machine->GetControl(0), 0.75);
}

TEST_F(FilterMachine, StateBlockCarriesTheControl)
{
    machine->SetControl(0, 0.5);
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool flag = false;
    machine->GetState(&block, &size, &flag);
    std::unique_ptr<uint8_t[]> owned(block);
    ASSERT_EQ(size, 16u);

    CVelvetineFilter other(&host, nullptr);
    other.SetState(block, size);
    EXPECT_EQ(other.GetControl(0), 0.5);
}

TEST_F(FilterMachine, BlockLengthResizesAndClearsBothBuffers)
{
    machine->ports[0]->audio->channel[0][10] = 1.0;
    machine->ports[1]->audio->channel[1][200] = 1.0;
    machine->SetBlockLength(300);
    EXPECT_EQ(machine->BlockLength(), 300);
    for (int p = 0; p < 2; ++p) {
        const CAudioBuffer& buffer = *machine->ports[p]->audio;
        ASSERT_EQ(buffer.length, 300);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 300; ++i)
                ASSERT_EQ(buffer.channel[c][i], 0.0);
    }
    machine->SetBlockLength(-1);
    EXPECT_EQ(machine->BlockLength(), 0);
    EXPECT_EQ(machine->ports[0]->audio->length, 0);

    machine->SetSampleRate(96000);
    EXPECT_EQ(machine->SampleRate(), 96000);
}

TEST(FilterMachineInfo, NamesTheMachineAndCreatesItWithItsHost)
{
    FakeHost host;
    CVelvetineFilterInfo info(&host);
    EXPECT_STREQ(info.shortName, "QM Velvetine");
    EXPECT_STREQ(info.longName, "Tidegate::QM Velvetine");
    EXPECT_STREQ(info.category, "Native");
    EXPECT_EQ(info.reserved0, 0u);
    EXPECT_EQ(info.reserved1, 0u);
    EXPECT_EQ(info.reserved2, 0u);
    EXPECT_EQ(info.host, &host);

    std::unique_ptr<CMachine> machine(info.CreateMachine());
    auto* filter = dynamic_cast<CVelvetineFilter*>(machine.get());
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->host, &host);
    EXPECT_EQ(host.calls.at(0).kind, HostCall::kSampleRate);
}

}  // namespace
