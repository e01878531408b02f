// 64 instances created, driven and closed in random order, round after round, in one
// process: nothing leaks. After the first round (which creates the process-wide state
// that lives until the process ends) the heap holds the same blocks after every round. In the sanitizer build LeakSanitizer also checks, at exit, that nothing became
// unreachable.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime's allocator interface (gcc installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

#include "shell/EntryPoint.h"
#include "shell/Vst2.h"
#include "tests/robustness/CountingAllocator.h"
#include "tests/robustness/InstanceChurn.h"

namespace {

// Blocks and bytes the program holds on the heap. The plain build counts them itself (the
// C library's own statistics count blocks parked in its per-thread caches as in use); the
// sanitizer build asks its allocator, which knows bytes only.
struct HeapUse {
    int64_t blocks;
    int64_t bytes;
};

HeapUse HeapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return HeapUse{-1, int64_t(__sanitizer_get_current_allocated_bytes())};
#else
    return HeapUse{robustness::counting::liveBlocks.load(), robustness::counting::liveBytes.load()};
#endif
}

intptr_t PlainHost(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterGetSampleRate)
        return 44100;
    if (opcode == audioMasterGetBlockSize)
        return 1024;
    return 0;
}

TEST(ManyInstances, RoundsOfSixtyFourInstancesLeaveTheHeapAsTheFirstRoundDid)
{
    constexpr int kRounds = 6;

    robustness::ChurnSetup setup;
    setup.entry = &VSTPluginMain;
    setup.callback = &PlainHost;
    robustness::InstanceChurn churn(setup, 0x64);

    // Nothing is printed or stored on the heap between the measurements.
    std::vector<HeapUse> heap;
    std::vector<robustness::ChurnRound> rounds;
    heap.reserve(kRounds);
    rounds.reserve(kRounds);
    for (int round = 0; round < kRounds; ++round) {
        rounds.push_back(churn.Round());
        heap.push_back(HeapInUse());
    }

    for (int round = 0; round < kRounds; ++round) {
        const robustness::ChurnRound& done = rounds[size_t(round)];
        std::printf("round %d: %d instances, %d editor opens, %d blocks; heap holds %lld blocks, "
                    "%lld bytes\n",
                    round + 1, done.created, done.editorsOpened, done.blocks,
                    static_cast<long long>(heap[size_t(round)].blocks),
                    static_cast<long long>(heap[size_t(round)].bytes));
        EXPECT_TRUE(done.everyInstanceMade) << "round " << round + 1;
        EXPECT_TRUE(done.allClosedWithOne) << "round " << round + 1;
        EXPECT_TRUE(done.outputsFinite) << "round " << round + 1;
        EXPECT_EQ(heap[size_t(round)].blocks, heap[0].blocks) << "round " << round + 1;
        EXPECT_EQ(heap[size_t(round)].bytes, heap[0].bytes) << "round " << round + 1;
    }
}

}  // namespace
