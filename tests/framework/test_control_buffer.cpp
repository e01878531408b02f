#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ControlBuffer.h"

namespace {

ControlEvent Event(int time, uint32_t kind, uint8_t note = 60)
{
    ControlEvent event;
    event.time = time;
    event.kind = kind;
    event.note = note;
    event.value = kind == EVENT_NOTE_ON ? 0.5 : 0.0;
    return event;
}

struct Drained {
    int time;
    uint32_t kind;
    int note;
    bool operator==(const Drained& other) const
    {
        return time == other.time && kind == other.kind && note == other.note;
    }
};

std::ostream& operator<<(std::ostream& out, const Drained& event)
{
    return out << "{" << event.time << ", kind " << event.kind << ", note " << event.note << "}";
}

std::vector<Drained> Drain(CControlBuffer& queue)
{
    std::vector<Drained> events;
    ControlEvent event;
    while (queue.Pop(event))
        events.push_back({event.time, event.kind, event.note});
    return events;
}

TEST(ControlBuffer, PopsByTimeWithNoteOffFirstAndArrivalOrderOtherwise)
{
    CControlBuffer queue;
    queue.Push(Event(5, EVENT_NOTE_ON, 1));
    queue.Push(Event(2, EVENT_NOTE_OFF, 2));
    queue.Push(Event(5, EVENT_NOTE_OFF, 3));
    queue.Push(Event(7, EVENT_NOTE_ON, 4));
    queue.Push(Event(7, EVENT_NOTE_ON, 5));
    queue.Push(Event(7, EVENT_NOTE_OFF, 6));
    queue.Push(Event(7, EVENT_NOTE_OFF, 7));
    queue.Push(Event(0, EVENT_NOTE_ON, 8));

    const std::vector<Drained> expected = {
        {0, EVENT_NOTE_ON, 8},  {2, EVENT_NOTE_OFF, 2}, {5, EVENT_NOTE_OFF, 3},
        {5, EVENT_NOTE_ON, 1},  {7, EVENT_NOTE_OFF, 6}, {7, EVENT_NOTE_OFF, 7},
        {7, EVENT_NOTE_ON, 4},  {7, EVENT_NOTE_ON, 5},
    };
    EXPECT_EQ(Drain(queue), expected);
}

TEST(ControlBuffer, PopCopiesTheWholeEventAndLeavesOutputAloneWhenEmpty)
{
    CControlBuffer queue;
    ControlEvent out = Event(99, EVENT_NOTE_OFF, 42);
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(out.time, 99);
    EXPECT_EQ(out.note, 42);

    ControlEvent in = Event(3, EVENT_NOTE_ON, 64);
    in.value = 100.0f / 127.0f;
    queue.Push(in);
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.time, 3);
    EXPECT_EQ(out.kind, EVENT_NOTE_ON);
    EXPECT_EQ(out.note, 64);
    EXPECT_EQ(out.value, in.value);
    EXPECT_FALSE(queue.Pop(out));
}

TEST(ControlBuffer, CountFollowsPushPopAndClear)
{
    CControlBuffer queue;
    EXPECT_EQ(queue.Count(), 0);
    queue.Push(Event(1, EVENT_NOTE_ON));
    queue.Push(Event(1, EVENT_NOTE_ON));
    queue.Push(Event(0, EVENT_NOTE_OFF));
    ControlEvent out;
    queue.Pop(out);
    EXPECT_EQ(queue.Count(), 2);
    queue.Clear();
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_FALSE(queue.Pop(out));
    queue.Push(Event(4, EVENT_NOTE_ON));  // a cleared queue is usable again
    EXPECT_EQ(queue.Count(), 1);
}

TEST(ControlBuffer, SplitMovesTheBlockAndRebasesTheRest)
{
    CControlBuffer source, block;
    block.Push(Event(30, EVENT_NOTE_ON, 1));
    for (int time : {10, 63, 64, 100})
        source.Push(Event(time, EVENT_NOTE_ON, static_cast<uint8_t>(time)));

    source.SplitTo(block, 64);

    EXPECT_EQ(Drain(source),
              (std::vector<Drained>{{0, EVENT_NOTE_ON, 64}, {36, EVENT_NOTE_ON, 100}}));
    EXPECT_EQ(Drain(block), (std::vector<Drained>{{10, EVENT_NOTE_ON, 10},
                                                  {30, EVENT_NOTE_ON, 1},
                                                  {63, EVENT_NOTE_ON, 63}}));
}

TEST(ControlBuffer, CopyLeavesSourceAndMergesInTimeOrder)
{
    CControlBuffer source, target;
    source.Push(Event(4, EVENT_NOTE_ON, 1));
    source.Push(Event(9, EVENT_NOTE_OFF, 2));
    target.Push(Event(4, EVENT_NOTE_ON, 3));
    target.Push(Event(6, EVENT_NOTE_ON, 4));

    source.CopyTo(target);

    EXPECT_EQ(source.Count(), 2);
    EXPECT_EQ(Drain(target), (std::vector<Drained>{{4, EVENT_NOTE_ON, 3},
                                                   {4, EVENT_NOTE_ON, 1},
                                                   {6, EVENT_NOTE_ON, 4},
                                                   {9, EVENT_NOTE_OFF, 2}}));
    EXPECT_EQ(Drain(source),
              (std::vector<Drained>{{4, EVENT_NOTE_ON, 1}, {9, EVENT_NOTE_OFF, 2}}));
}

TEST(ControlBuffer, CopyAndSplitRefuseTheQueueItself)
{
    CControlBuffer queue;
    queue.Push(Event(1, EVENT_NOTE_ON, 1));
    queue.Push(Event(80, EVENT_NOTE_ON, 2));

    queue.CopyTo(queue);
    queue.SplitTo(queue, 64);

    EXPECT_EQ(Drain(queue),
              (std::vector<Drained>{{1, EVENT_NOTE_ON, 1}, {80, EVENT_NOTE_ON, 2}}));
}

TEST(ControlBuffer, PushWaitsWhileAnotherThreadHoldsTheQueue)
{
    CControlBuffer queue;
    std::atomic<bool> pushed{false};
    queue.Lock();
    std::thread producer([&] {
        queue.Push(Event(0, EVENT_NOTE_ON));
        pushed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_FALSE(pushed);
    EXPECT_EQ(queue.Count(), 0);  // the holder may still use the queue: the lock is recursive
    queue.Unlock();
    producer.join();
    EXPECT_TRUE(pushed);
    EXPECT_EQ(queue.Count(), 1);
}

}  // namespace
