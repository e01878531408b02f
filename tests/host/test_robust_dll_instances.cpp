// 64 instances of the built DLL created, driven and closed in random order (the churn every
// standard goes through), with editors opened and closed in real windows on some of them, round after round in one process. The process's
// private memory and its heaps stop growing after the first rounds, and no window stays
// behind.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <vector>

#include "tests/gui/Win32Fixtures.h"
#include "tests/host/BuiltPlugin.h"
#include "tests/host/EditorHarness.h"
#include "host/Vst2Driver.h"
#include "tests/robustness/InstanceChurn.h"

namespace {

using testgui::ParentWindow;
using testgui::PumpMessages;

struct ProcessUse {
    size_t privateCommitted;  // committed private pages of the whole address space
    size_t heapBusy;          // bytes in busy blocks of every heap of the process
};

// Wine leaves PrivateUsage and the GDI object count at zero, so the figures are taken from
// the address space and the heaps themselves.
size_t PrivateCommittedBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

size_t HeapBusyBytes()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(DWORD(heaps.size()), heaps.data()));
    size_t total = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

ProcessUse MeasureProcess()
{
    return ProcessUse{PrivateCommittedBytes(), HeapBusyBytes()};
}

TEST(RobustDll, RoundsOfSixtyFourInstancesStopGrowingTheProcess)
{
    ASSERT_PLUGIN_LOADED();
    constexpr int kRounds = 8;
    // Round 1 makes the process-wide state and warms the system's caches. A leaked machine
    // (five prototypes, two port buffers: tens of kilobytes) or a leaked editor back buffer
    // per instance would add megabytes per round; the heaps may vary by a few blocks of
    // the system's own.
    constexpr size_t kCommittedGrowth = 256 * 1024;
    constexpr size_t kHeapGrowth = 4 * 1024;

    ParentWindow parent;
    Vst2File file(VELVETINE_PLUGIN_PATH, ProgramHost().Callback());
    robustness::ChurnSetup setup;
    setup.file = &file;
    // Some editors are opened (and some opened again, which replaces the old one), some
    // closed again; the rest stay open until their instance is closed.
    setup.extraWork = [&parent](PluginDriver& driver, uint64_t choice) {
        AEffect* effect = static_cast<Vst2Driver&>(driver).Effect();
        const int32_t opcode = choice % 2 ? effEditOpen : effEditClose;
        effect->dispatcher(effect, opcode, 0, 0, parent.handle, 0.0f);
        PumpMessages();
        return true;
    };
    setup.pumpMessages = [] { PumpMessages(); };
    robustness::InstanceChurn churn(setup, 0x64);

    // Nothing is printed or stored on the heap between the measurements.
    std::vector<ProcessUse> use;
    std::vector<robustness::ChurnRound> rounds;
    use.reserve(kRounds);
    rounds.reserve(kRounds);
    for (int round = 0; round < kRounds; ++round) {
        // The test host keeps a record of every call it receives; emptied each round, its
        // storage stays the size one round needs instead of growing with the test.
        ProgramHost().ClearCalls();
        rounds.push_back(churn.Round());
        PumpMessages();
        use.push_back(MeasureProcess());
        EXPECT_TRUE(editortest::ChildWindows(parent.handle).empty())
            << "round " << round + 1 << " left editor windows behind";
    }

    for (int round = 0; round < kRounds; ++round) {
        const robustness::ChurnRound& done = rounds[size_t(round)];
        std::printf("round %d: %d instances, %d editor calls, %d blocks; private committed "
                    "%zu KiB, heap busy %zu bytes\n",
                    round + 1, done.created, done.extraWork, done.blocks,
                    use[size_t(round)].privateCommitted / 1024, use[size_t(round)].heapBusy);
        EXPECT_TRUE(done.everyInstanceMade) << "round " << round + 1;
        EXPECT_TRUE(done.outputsFinite) << "round " << round + 1;
    }
    for (int round = 2; round < kRounds; ++round) {
        EXPECT_LE(use[size_t(round)].privateCommitted, use[1].privateCommitted + kCommittedGrowth)
            << "round " << round + 1;
        EXPECT_LE(use[size_t(round)].heapBusy, use[1].heapBusy + kHeapGrowth)
            << "round " << round + 1;
    }
}

}  // namespace
