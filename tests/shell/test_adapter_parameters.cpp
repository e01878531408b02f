// Parameters are machine controls and programs are the machine's program table.

#include <gtest/gtest.h>

#include "tests/shell/AdapterHarness.h"

namespace {

TEST(AdapterParameters, ValuesCrossUnscaledAndSurviveTheRoundTrip)
{
    TestMachineSetup setup;
    setup.controls = 2;
    AdapterHarness h(setup);
    AEffect* e = h.Effect();
    e->setParameter(e, 1, 0.3f);
    ASSERT_EQ(h.machine->writes.size(), 1u);
    EXPECT_EQ(h.machine->writes[0].index, 1);
    EXPECT_EQ(h.machine->writes[0].value, static_cast<double>(0.3f));
    EXPECT_EQ(e->getParameter(e, 1), 0.3f);
    EXPECT_EQ(e->getParameter(e, 0), 0.0f);
    // The adapter applies no index test of its own: the machine decides.
    e->setParameter(e, 5, 0.7f);
    EXPECT_EQ(h.machine->writes.back().index, 5);
    EXPECT_EQ(e->getParameter(e, 5), 0.0f);
}

TEST(AdapterParameters, AutomationIsReportedBeforeTheMachineChanges)
{
    AdapterHarness h;
    h.adapter->setParameterAutomated(0, 0.25f);
    const auto automations = h.host.CallsOf(HostCall::kAutomate);
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].machine, h.machine);
    EXPECT_EQ(automations[0].index, 0);
    EXPECT_EQ(automations[0].value, 0.25);
    ASSERT_EQ(h.machine->writes.size(), 1u);
    EXPECT_EQ(h.machine->writes[0].automationsSeen, 1u);
    EXPECT_EQ(h.machine->writes[0].value, 0.25);
}

TEST(AdapterParameters, EveryParameterCanBeAutomated)
{
    AdapterHarness h;
    for (int index : {-1, 0, 1, 100})
        EXPECT_EQ(h.Dispatch(effCanBeAutomated, index), 1);
    char text[] = "0.5";
    EXPECT_EQ(h.Dispatch(effString2Parameter, 0, 0, text), 0);
    EXPECT_TRUE(h.machine->writes.empty());
}

TEST(AdapterPrograms, SelectingAProgramAppliesItsValuesInControlOrder)
{
    TestMachineSetup setup;
    setup.controls = 2;
    setup.controlNames = {"a", "b"};
    setup.programNames = {"first", "second"};
    AdapterHarness h(setup);
    EXPECT_EQ(h.Dispatch(effSetProgram, 0, 1), 0);
    EXPECT_EQ(h.machine->selectedPrograms, (std::vector<int>{1}));
    ASSERT_EQ(h.machine->writes.size(), 2u);
    EXPECT_EQ(h.machine->writes[0].index, 0);
    EXPECT_EQ(h.machine->writes[0].value, 0.1 * 2 + 0.01 * 0);  // program 1, control 0
    EXPECT_EQ(h.machine->writes[1].index, 1);
    EXPECT_EQ(h.machine->writes[1].value, 0.1 * 2 + 0.01 * 1);
    EXPECT_EQ(h.machine->depthDuringWrites, (std::vector<int>{1, 1}));
    EXPECT_EQ(h.machine->programChangeDepth, 0);
    EXPECT_EQ(h.Dispatch(effGetProgram), 1);
}

TEST(AdapterPrograms, ProgramNumbersOutsideTheTableAreIgnored)
{
    TestMachineSetup setup;
    setup.programNames = {"only"};
    AdapterHarness h(setup);
    for (intptr_t program : {intptr_t{-1}, intptr_t{1}, intptr_t{1000}})
        EXPECT_EQ(h.Dispatch(effSetProgram, 0, program), 0);
    EXPECT_TRUE(h.machine->selectedPrograms.empty());
    EXPECT_EQ(h.Dispatch(effGetProgram), 0);

    AdapterHarness withoutPrograms;
    withoutPrograms.Dispatch(effSetProgram, 0, 0);
    EXPECT_TRUE(withoutPrograms.machine->selectedPrograms.empty());
}

TEST(AdapterPrograms, ProgramChangeBracketsReachTheMachine)
{
    AdapterHarness h;
    EXPECT_EQ(h.Dispatch(effBeginSetProgram), 1);
    EXPECT_EQ(h.machine->programChangeDepth, 1);
    EXPECT_EQ(h.Dispatch(effBeginSetProgram), 1);
    EXPECT_EQ(h.machine->programChangeDepth, 2);
    EXPECT_EQ(h.Dispatch(effEndSetProgram), 1);
    EXPECT_EQ(h.Dispatch(effEndSetProgram), 1);
    EXPECT_EQ(h.machine->programChangeDepth, 0);
    EXPECT_EQ(h.Dispatch(effBeginLoadBank), 1);
    EXPECT_EQ(h.Dispatch(effBeginLoadProgram), 1);
}

}  // namespace
