#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "framework/Mutex.h"

namespace {

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

TEST(Mutex, OwnerMayLockAgainAndCountsEveryLevel)
{
    CMutex mutex;
    EXPECT_FALSE(mutex.IsLocked());
    mutex.Lock();
    mutex.Lock();  // would deadlock on a non-recursive lock
    EXPECT_EQ(mutex.LockDepth(), 2);
    EXPECT_TRUE(mutex.IsLocked());
    mutex.Unlock();
    EXPECT_EQ(mutex.LockDepth(), 1);
    EXPECT_TRUE(mutex.IsLocked());
    mutex.Unlock();
    EXPECT_EQ(mutex.LockDepth(), 0);
    EXPECT_FALSE(mutex.IsLocked());
}

TEST(Mutex, OtherThreadWaitsUntilEveryLevelIsReleased)
{
    CMutex mutex;
    std::atomic<bool> acquired{false};
    mutex.Lock();
    mutex.Lock();
    std::thread other([&] {
        mutex.Lock();
        acquired = true;
        mutex.Unlock();
    });
    Pause();
    EXPECT_FALSE(acquired);
    mutex.Unlock();
    Pause();
    EXPECT_FALSE(acquired) << "one level is still held";
    mutex.Unlock();
    other.join();
    EXPECT_TRUE(acquired);
    EXPECT_EQ(mutex.LockDepth(), 0);
}

TEST(Mutex, GuardReleasesAtEndOfScope)
{
    CMutex mutex;
    {
        CLockGuard guard(mutex);
        EXPECT_EQ(mutex.LockDepth(), 1);
    }
    EXPECT_EQ(mutex.LockDepth(), 0);
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        CLockGuard guard(mutex);
        acquired = true;
    });
    other.join();
    EXPECT_TRUE(acquired);
}

}  // namespace
