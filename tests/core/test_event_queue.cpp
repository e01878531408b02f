// The queue between the editor's thread and the audio thread, under both threads at once:
// every item arrives once, whole and in order, through many full and empty moments.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "core/EventQueue.h"

TEST(EventQueue, TwoThreadsPassEveryItemOnceWholeAndInOrder)
{
    constexpr uint32_t kItems = 1000000;
    // Small, so that the producer often finds it full and the consumer often empty.
    static CEventQueue<ParameterEvent, 16> queue;
    std::atomic<bool> stop{false};
    std::thread producer([&stop] {
        for (uint32_t i = 0; i < kItems && !stop;) {
            const ParameterEvent event{ParameterEvent::kValue, i, i * 0.5};
            if (queue.Push(event))
                ++i;
            else
                std::this_thread::yield();
        }
    });
    uint32_t expected = 0;
    uint32_t torn = 0;
    bool inOrder = true;
    while (expected < kItems && inOrder) {
        ParameterEvent event;
        if (!queue.Pop(&event)) {
            std::this_thread::yield();
            continue;
        }
        inOrder = event.parameter == expected;
        if (event.value != event.parameter * 0.5 || event.kind != ParameterEvent::kValue)
            ++torn;
        ++expected;
    }
    stop = true;
    producer.join();
    ASSERT_TRUE(inOrder) << "item " << expected - 1 << " lost, repeated or out of order";
    EXPECT_EQ(torn, 0u) << "items read before they were written";
    ParameterEvent left;
    EXPECT_FALSE(queue.Pop(&left));
}

TEST(EventQueue, AFullQueueRefusesAndKeepsWhatItHolds)
{
    CEventQueue<int, 4> queue;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(queue.Push(i));
    EXPECT_FALSE(queue.Push(99));
    int item = -1;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(queue.Pop(&item));
        EXPECT_EQ(item, i);
    }
    EXPECT_FALSE(queue.Pop(&item));
    EXPECT_TRUE(queue.Push(7));  // the indices wrap past the capacity
    ASSERT_TRUE(queue.Pop(&item));
    EXPECT_EQ(item, 7);
}
