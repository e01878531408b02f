// The audio thread's calls in steady state, through the driver of every plug-in file this
// build made (frame counts no larger than any processed or prepared before): processing in
// both precisions and the parameter calls never allocate, free, lock or enter the system.
// And instances made and destroyed by the hundred leave the heap as they found it.
//
// This program counts every allocation and every lock taken anywhere in the process while
// the calls run (tests/robustness/CountingAllocator.h). System calls are caught by running
// the calls in a child process under a seccomp filter that traps every system call but the
// one that ends it.

#include <gtest/gtest.h>

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stddef.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime's allocator interface (gcc installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

#include "framework/Mutex.h"
#include "tests/robustness/BuiltPlugins.h"
#include "tests/robustness/CountingAllocator.h"
#include "tests/robustness/InstanceChurn.h"
#include "tests/robustness/SteadyStateHost.h"

namespace {

using robustness::PluginScenario;
using robustness::SteadyStateHost;
using robustness::counting::Activity;
using robustness::counting::CountDuring;

#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kSteadyCalls = 40000;  // the instrumented code runs several times slower
#else
constexpr uint64_t kSteadyCalls = 200000;
#endif

// Without this the zeros below would prove nothing.
TEST(Counters, SeeAllocationsAndLocks)
{
    if (!robustness::counting::Available())
        GTEST_SKIP() << "the sanitizers' allocator replaces the counting hooks";
    std::mutex standardMutex;
    CMutex frameworkMutex;
    const Activity seen = CountDuring([&] {
        // Volatile, so that the compiler cannot drop a pair of allocation and release.
        int* volatile number = new int(1);
        delete number;
        void* volatile aligned = ::operator new(64, std::align_val_t(64));
        ::operator delete(aligned, std::align_val_t(64));
        void* volatile block = std::malloc(8);
        std::free(block);
        standardMutex.lock();
        standardMutex.unlock();
        frameworkMutex.Lock();
        frameworkMutex.Unlock();
    });
    EXPECT_EQ(seen.allocations, 3u);
    EXPECT_EQ(seen.releases, 3u);
    EXPECT_EQ(seen.locks, 2u);
}

class RealTime : public PluginScenario {
protected:
    void SetUp() override
    {
        if (!robustness::counting::Available())
            GTEST_SKIP() << "the sanitizers' allocator replaces the counting hooks";
        PluginScenario::SetUp();
    }
};

TEST_P(RealTime, BlocksUpToThePreparedSizeNeitherAllocateNorLock)
{
    std::unique_ptr<PluginDriver> driver = NewInstance(44100.0, 4096);
    ASSERT_TRUE(driver);
    SteadyStateHost host(*driver, 4096);
    const Activity seen = CountDuring([&] { host.Run(kSteadyCalls, 0xA11CE); });
    EXPECT_EQ(seen.allocations, 0u);
    EXPECT_EQ(seen.releases, 0u);
    EXPECT_EQ(seen.locks, 0u);
}

TEST_P(RealTime, BlocksUpToTheLargestProcessedNeitherAllocateNorLock)
{
    std::unique_ptr<PluginDriver> driver = NewInstance(44100.0, 512);
    ASSERT_TRUE(driver);
    SteadyStateHost host(*driver, 5000);
    host.Warm();
    const Activity seen = CountDuring([&] { host.Run(kSteadyCalls, 0xB0B); });
    EXPECT_EQ(seen.allocations, 0u);
    EXPECT_EQ(seen.releases, 0u);
    EXPECT_EQ(seen.locks, 0u);

    // The figures for the record: 5000-frame blocks at every factor, for a steady level
    // and for a subnormal one (which slows some processors' arithmetic).
    for (int factor = 0; factor < 5; ++factor) {
        driver->SetParameter(float(factor) / 4.0f);
        for (double level : {0.5, DBL_MIN / 4.0}) {
            host.FillInputs(level);
            const SteadyStateHost::BlockTimes times = host.TimeBlocks(5000, 200, true);
            std::printf("factor %2d, input %-9g: 5000 frames median %7.1f us, worst %7.1f us\n",
                        2 << factor, level, times.medianMicroseconds, times.worstMicroseconds);
        }
    }
}

INSTANTIATE_OVER_BUILT_PLUGINS(RealTime);

// ---- System calls -------------------------------------------------------------------------

// A page shared with the child, where its SIGSYS handler leaves the trapped call's number.
struct TrapReport {
    std::atomic<long> syscallNumber;
};
TrapReport* trapReport = nullptr;

constexpr int kTrappedExit = 42;

void OnTrappedSystemCall(int, siginfo_t* info, void*)
{
    trapReport->syscallNumber = info->si_syscall;
    syscall(SYS_exit_group, kTrappedExit);
}

// Every system call but exit_group (and the return from the trap handler) is trapped.
bool TrapSystemCalls()
{
    struct sigaction action = {};
    action.sa_sigaction = &OnTrappedSystemCall;
    action.sa_flags = SA_SIGINFO;
    if (sigaction(SIGSYS, &action, nullptr) != 0)
        return false;
    struct sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_exit_group, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rt_sigreturn, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog filter = {static_cast<unsigned short>(sizeof program / sizeof program[0]),
                                program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

// Runs `work` in a child under the filter. Returns -1 if it made no system call, else
// the number of the first one; `unavailable` is set if the filter could not be installed.
long FirstSystemCallOf(const std::function<void()>& work, bool& unavailable)
{
    trapReport = static_cast<TrapReport*>(mmap(nullptr, sizeof(TrapReport), PROT_READ | PROT_WRITE,
                                               MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    trapReport->syscallNumber = -1;
    const pid_t child = fork();
    if (child == 0) {
        if (!TrapSystemCalls())
            _exit(3);
        work();
        syscall(SYS_exit_group, 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const long number = trapReport->syscallNumber;
    munmap(trapReport, sizeof(TrapReport));
    unavailable = WIFEXITED(status) && WEXITSTATUS(status) == 3;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kTrappedExit)
        return number;
    return -2;  // the child died some other way
}

using SystemCalls = PluginScenario;

TEST_P(SystemCalls, SteadyStateCallsEnterTheSystemNever)
{
    std::unique_ptr<PluginDriver> driver = NewInstance(44100.0, 512);
    ASSERT_TRUE(driver);
    SteadyStateHost host(*driver, 5000);
    host.Warm();

    bool unavailable = false;
    // The trap itself must catch a call, or a clean run proves nothing.
    const long control = FirstSystemCallOf([] { syscall(SYS_getppid); }, unavailable);
    if (unavailable)
        GTEST_SKIP() << "seccomp filters are not available here";
    EXPECT_EQ(control, SYS_getppid);

    EXPECT_EQ(FirstSystemCallOf([&] { host.Run(kSteadyCalls, 0xC0FFEE); }, unavailable), -1)
        << "(a system call number, or -2 if the child died otherwise)";
}

INSTANTIATE_OVER_BUILT_PLUGINS(SystemCalls);

// ---- Many instances -----------------------------------------------------------------------

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

using ManyInstances = PluginScenario;

// After the first round (which creates the process-wide state that lives until the process
// ends) the heap holds the same blocks after every round. In the sanitizer build
// LeakSanitizer also checks, at exit, that nothing became unreachable.
TEST_P(ManyInstances, RoundsOfSixtyFourInstancesLeaveTheHeapAsTheFirstRoundDid)
{
    constexpr int kRounds = 6;
    robustness::ChurnSetup setup;
    setup.file = file;
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
        std::printf("round %d: %d instances, %d blocks; heap holds %lld blocks, %lld bytes\n",
                    round + 1, done.created, done.blocks,
                    static_cast<long long>(heap[size_t(round)].blocks),
                    static_cast<long long>(heap[size_t(round)].bytes));
        EXPECT_TRUE(done.everyInstanceMade) << "round " << round + 1;
        EXPECT_TRUE(done.outputsFinite) << "round " << round + 1;
        EXPECT_EQ(heap[size_t(round)].blocks, heap[0].blocks) << "round " << round + 1;
        EXPECT_EQ(heap[size_t(round)].bytes, heap[0].bytes) << "round " << round + 1;
    }
}

INSTANTIATE_OVER_BUILT_PLUGINS(ManyInstances);

}  // namespace
