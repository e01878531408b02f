// The audio thread's calls in steady state (frame counts no larger than any processed or
// announced before): processReplacing, processDoubleReplacing, setParameter and
// getParameter never allocate, free, lock or enter the system.
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

#include "framework/Mutex.h"
#include "shell/EntryPoint.h"
#include "shell/Vst2.h"
#include "tests/robustness/CountingAllocator.h"
#include "tests/robustness/SteadyStateHost.h"

namespace {

using robustness::SteadyStateHost;
using robustness::counting::Activity;
using robustness::counting::CountDuring;

#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kSteadyCalls = 40000;  // the instrumented code runs several times slower
#else
constexpr uint64_t kSteadyCalls = 200000;
#endif

intptr_t PlainHost(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterGetSampleRate)
        return 44100;
    if (opcode == audioMasterGetBlockSize)
        return 512;
    return 0;
}

class RealTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!robustness::counting::Available())
            GTEST_SKIP() << "the sanitizers' allocator replaces the counting hooks";
        effect = VSTPluginMain(&PlainHost);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override
    {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    AEffect* effect = nullptr;
};

// Without this the zeros below would prove nothing.
TEST_F(RealTime, TheCountersSeeAllocationsAndLocks)
{
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

TEST_F(RealTime, BlocksUpToTheAnnouncedSizeNeitherAllocateNorLock)
{
    effect->dispatcher(effect, effSetBlockSize, 0, 4096, nullptr, 0.0f);
    SteadyStateHost host(effect, 4096);
    const Activity seen = CountDuring([&] { host.Run(kSteadyCalls, 0xA11CE); });
    EXPECT_EQ(seen.allocations, 0u);
    EXPECT_EQ(seen.releases, 0u);
    EXPECT_EQ(seen.locks, 0u);
}

TEST_F(RealTime, BlocksUpToTheLargestProcessedNeitherAllocateNorLock)
{
    SteadyStateHost host(effect, 5000);
    host.Warm();
    const Activity seen = CountDuring([&] { host.Run(kSteadyCalls, 0xB0B); });
    EXPECT_EQ(seen.allocations, 0u);
    EXPECT_EQ(seen.releases, 0u);
    EXPECT_EQ(seen.locks, 0u);

    // The figures for the record: 5000-frame blocks at every factor, for a steady level
    // and for a subnormal one (which slows some processors' arithmetic).
    for (int factor = 0; factor < 5; ++factor) {
        effect->setParameter(effect, 0, float(factor) / 4.0f);
        for (double level : {0.5, DBL_MIN / 4.0}) {
            host.FillInputs(level);
            const SteadyStateHost::BlockTimes times = host.TimeBlocks(5000, 200, true);
            std::printf("factor %2d, input %-9g: 5000 frames median %7.1f us, worst %7.1f us\n",
                        2 << factor, level, times.medianMicroseconds, times.worstMicroseconds);
        }
    }
}

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

TEST(RealTimeSystemCalls, SteadyStateCallsEnterTheSystemNever)
{
    AEffect* effect = VSTPluginMain(&PlainHost);
    ASSERT_NE(effect, nullptr);
    SteadyStateHost host(effect, 5000);
    host.Warm();

    bool unavailable = false;
    // The trap itself must catch a call, or a clean run proves nothing.
    const long control = FirstSystemCallOf([] { syscall(SYS_getppid); }, unavailable);
    if (unavailable)
        GTEST_SKIP() << "seccomp filters are not available here";
    EXPECT_EQ(control, SYS_getppid);

    EXPECT_EQ(FirstSystemCallOf([&] { host.Run(kSteadyCalls, 0xC0FFEE); }, unavailable), -1)
        << "(a system call number, or -2 if the child died otherwise)";
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
