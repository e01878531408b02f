// The adapter is its own editor and hands every editor request to the machine.

#include <gtest/gtest.h>

#include <limits>

#include "tests/shell/AdapterHarness.h"

namespace {

TEST(AdapterEditor, RectangleComesFromTheMachineInTheStandardsOrder)
{
    TestMachineSetup setup;
    setup.hasEditor = true;
    AdapterHarness h(setup);
    ERect* rect = nullptr;
    EXPECT_EQ(h.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 1);
    EXPECT_EQ(rect->left, 2);
    EXPECT_EQ(rect->bottom, 201);
    EXPECT_EQ(rect->right, 302);
    // The same storage every time: the host may keep the pointer.
    ERect* again = nullptr;
    h.Dispatch(effEditGetRect, 0, 0, &again);
    EXPECT_EQ(again, rect);
    EXPECT_EQ(h.Dispatch(effEditGetRect, 0, 0, nullptr), 1);
}

TEST(AdapterEditor, MachineWithoutEditorAnswersZeroButTheRectanglePointerIsSet)
{
    AdapterHarness h;
    ERect* rect = nullptr;
    EXPECT_EQ(h.Dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_NE(rect, nullptr);
}

TEST(AdapterEditor, OpenAlwaysAnswersZeroAndKeepsTheNewestWindow)
{
    TestMachineSetup setup;
    setup.hasEditor = true;
    AdapterHarness h(setup);
    int parent = 0;
    EXPECT_EQ(h.Dispatch(effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(h.Dispatch(effEditOpen, 0, 0, &parent), 0);
    ASSERT_EQ(h.machine->openedEditors.size(), 2u);
    EXPECT_EQ(h.machine->editorParents[1], &parent);
    EXPECT_EQ(h.adapter->EditorWindow(), h.machine->openedEditors[1]);
    EXPECT_FALSE(h.adapter->isOpen());  // the editor's own window field stays null

    EXPECT_EQ(h.Dispatch(effEditClose), 0);
    EXPECT_EQ(h.adapter->EditorWindow(), nullptr);
    EXPECT_EQ(h.Dispatch(effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(h.machine->openedEditors.size(), 3u);
    EXPECT_EQ(h.adapter->EditorWindow(), h.machine->openedEditors[2]);
}

TEST(AdapterEditor, IdleKeysAndKnobModeAreDeclined)
{
    AdapterHarness h;
    EXPECT_EQ(h.Dispatch(effEditIdle), 0);
    EXPECT_EQ(h.Dispatch(effEditKeyDown, 'a', 0x1234, nullptr, 3.9f), 0);
    EXPECT_EQ(h.Dispatch(effEditKeyUp, 'a', 0x1234, nullptr, 1e30f), 0);
    EXPECT_EQ(h.Dispatch(effEditKeyDown, 0, 0, nullptr, -std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(h.Dispatch(effSetEditKnobMode, 0, 2), 0);
    EXPECT_TRUE(h.machine->openedEditors.empty());
}

}  // namespace
