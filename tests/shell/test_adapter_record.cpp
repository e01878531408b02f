// The record an adapter fills for its machine, the port scan and the adapter's end.

#include <gtest/gtest.h>

#include "tests/shell/AdapterHarness.h"

namespace {

TEST(AdapterRecord, DescribesTheMachineAndNamesTheAdapter)
{
    TestMachineSetup setup;
    setup.controls = 3;
    setup.controlNames = {"A", "B", "C"};
    setup.programNames = {"one", "two"};
    AdapterHarness h(setup);
    const AEffect* e = h.Effect();

    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numParams, 3);
    EXPECT_EQ(e->numPrograms, 2);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1011);
    EXPECT_EQ(e->uniqueID, 0x514D564C);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    for (char byte : e->future)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(e->object, static_cast<AudioEffect*>(h.adapter));
    EXPECT_EQ(h.machine->hostData, e);
    EXPECT_EQ(h.adapter->getEditor(), static_cast<AEffEditor*>(h.adapter));
    EXPECT_EQ(h.adapter->getEffect(), nullptr);
    EXPECT_FALSE(h.adapter->isOpen());
    EXPECT_EQ(h.adapter->HostCallbackCopy(), &SilentHostCallback);
    // The fields of the basic effect keep their initial values.
    EXPECT_EQ(h.adapter->getSampleRate(), 44100.0f);
    EXPECT_EQ(h.adapter->getBlockSize(), 1024);
    ASSERT_NE(e->dispatcher, nullptr);
    ASSERT_NE(e->processReplacing, nullptr);
    ASSERT_NE(e->processDoubleReplacing, nullptr);
    ASSERT_NE(e->setParameter, nullptr);
    ASSERT_NE(e->getParameter, nullptr);
    ASSERT_NE(e->process, nullptr);
}

TEST(AdapterRecord, PortScanTakesTheFirstPortOfEachExactType)
{
    TestMachineSetup setup;
    setup.portTypes = {PORT_EVENTS | PORT_INPUT, 0x11 /* mono input */, PORT_STEREO_AUDIO_OUTPUT,
                       PORT_STEREO_AUDIO_INPUT, PORT_STEREO_AUDIO_INPUT, PORT_STEREO_AUDIO_OUTPUT};
    AdapterHarness h(setup);
    EXPECT_EQ(h.adapter->InputPort(), h.machine->Port(3));
    EXPECT_EQ(h.adapter->OutputPort(), h.machine->Port(2));
    EXPECT_EQ(h.Effect()->numInputs, 2);
}

TEST(AdapterRecord, MachineWithoutStereoInputAnnouncesNoInputs)
{
    TestMachineSetup setup;
    setup.portTypes = {0x11, PORT_STEREO_AUDIO_OUTPUT};
    AdapterHarness h(setup);
    EXPECT_EQ(h.adapter->InputPort(), nullptr);
    EXPECT_EQ(h.Effect()->numInputs, 0);
    EXPECT_EQ(h.Effect()->numOutputs, 2);
}

TEST(AdapterRecord, MachineWithoutOutputLeavesTheHostOutputsAlone)
{
    TestMachineSetup setup;
    setup.portTypes = {PORT_STEREO_AUDIO_INPUT};
    AdapterHarness h(setup);
    EXPECT_EQ(h.adapter->OutputPort(), nullptr);
    EXPECT_EQ(h.Effect()->numOutputs, 2);

    float in[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    float out[2][4] = {{9, 9, 9, 9}, {9, 9, 9, 9}};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    h.Effect()->processReplacing(h.Effect(), inputs, outputs, 4);
    EXPECT_EQ(h.machine->processCalls, 1);
    EXPECT_EQ(h.machine->lastInputLeft, (std::vector<double>{1, 2, 3, 4}));
    for (auto& channel : out)
        for (float sample : channel)
            EXPECT_EQ(sample, 9.0f);
}

TEST(AdapterRecord, CloseForgetsTheEditorDeletesTheMachineAndAnswersOne)
{
    TestMachineSetup setup;
    setup.hasEditor = true;
    AdapterHarness h(setup);
    int parent = 0;
    h.Dispatch(effEditOpen, 0, 0, &parent);
    ASSERT_NE(h.adapter->EditorWindow(), nullptr);
    // The shared close: through the dispatcher level only, the instance stays.
    h.adapter->close();
    EXPECT_EQ(h.adapter->EditorWindow(), nullptr);
    EXPECT_FALSE(h.machineDeleted);

    EXPECT_EQ(h.Close(), 1);
    EXPECT_TRUE(h.machineDeleted);
}

TEST(AdapterRecord, RecordFunctionsIgnoreARecordWithoutInstance)
{
    AdapterHarness h;
    AEffect copy = *h.Effect();
    copy.object = nullptr;
    EXPECT_EQ(copy.dispatcher(&copy, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.dispatcher(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
    copy.setParameter(&copy, 0, 1.0f);
    copy.processReplacing(&copy, nullptr, nullptr, 16);
    copy.processDoubleReplacing(&copy, nullptr, nullptr, 16);
    EXPECT_EQ(h.machine->processCalls, 0);
    EXPECT_TRUE(h.machine->writes.empty());
}

}  // namespace
