// MIDI notes reach the event queue of the machine's first port; everything else is dropped.

#include <gtest/gtest.h>

#include <vector>

#include "framework/ControlBuffer.h"
#include "framework/Port.h"
#include "tests/shell/AdapterHarness.h"

namespace {

VstMidiEvent Midi(int status, int data1, int data2, int deltaFrames = 0)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

// A VstEvents block with room for every pointer, as hosts allocate it.
class EventBlock {
public:
    explicit EventBlock(std::vector<VstMidiEvent> midi) : midi(std::move(midi))
    {
        storage.resize(sizeof(VstEvents) + this->midi.size() * sizeof(VstEvent*));
        auto* block = reinterpret_cast<VstEvents*>(storage.data());
        block->numEvents = static_cast<int32_t>(this->midi.size());
        VstEvent** list = block->events;
        for (size_t i = 0; i < this->midi.size(); ++i)
            list[i] = reinterpret_cast<VstEvent*>(&this->midi[i]);
    }
    VstEvents* Get() { return reinterpret_cast<VstEvents*>(storage.data()); }

private:
    std::vector<VstMidiEvent> midi;
    std::vector<unsigned char> storage;
};

TestMachineSetup WithEventPort()
{
    TestMachineSetup setup;
    setup.portTypes = {PORT_EVENTS | PORT_INPUT, PORT_STEREO_AUDIO_INPUT, PORT_STEREO_AUDIO_OUTPUT};
    return setup;
}

std::vector<ControlEvent> Drain(CControlBuffer& queue)
{
    std::vector<ControlEvent> events;
    ControlEvent event;
    while (queue.Pop(event))
        events.push_back(event);
    return events;
}

TEST(AdapterEvents, NotesOnEveryChannelBecomeQueuedEvents)
{
    AdapterHarness h(WithEventPort());
    EventBlock block({Midi(0x90, 60, 127, 3), Midi(0x95, 61, 0, 4), Midi(0x8F, 62, 99, 5),
                      Midi(0x9C, 63, 64, 6)});
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, block.Get()), 1);

    const std::vector<ControlEvent> events = Drain(*h.machine->Port(0)->events);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, EVENT_NOTE_ON);
    EXPECT_EQ(events[0].time, 3);
    EXPECT_EQ(events[0].note, 60);
    EXPECT_EQ(events[0].value, 1.0);
    // A note on with velocity 0 is a note off.
    EXPECT_EQ(events[1].kind, EVENT_NOTE_OFF);
    EXPECT_EQ(events[1].note, 61);
    EXPECT_EQ(events[1].time, 4);
    EXPECT_EQ(events[1].value, 0.0);
    // The release velocity is not passed on.
    EXPECT_EQ(events[2].kind, EVENT_NOTE_OFF);
    EXPECT_EQ(events[2].value, 0.0);
    EXPECT_EQ(events[3].kind, EVENT_NOTE_ON);
    EXPECT_EQ(events[3].value, static_cast<double>(64.0f * (1.0f / 127.0f)));
    EXPECT_NE(events[3].value, 64.0 / 127.0);
    for (const ControlEvent& event : events) {
        EXPECT_EQ(event.reserved0, 0u);
        EXPECT_EQ(event.reserved1, 0u);
        EXPECT_EQ(event.reserved2, 0u);
        EXPECT_EQ(event.reserved3, 0u);
    }
}

TEST(AdapterEvents, OtherMessagesAndOtherEventTypesAreDropped)
{
    AdapterHarness h(WithEventPort());
    VstMidiEvent sysex = Midi(0x90, 60, 100);
    sysex.type = 6;  // not a MIDI event
    EventBlock block({Midi(0xA0, 60, 10), Midi(0xB3, 7, 100), Midi(0xC0, 5, 0), Midi(0xD0, 9, 0),
                      Midi(0xE0, 0, 64), Midi(0xF8, 0, 0), Midi(0x40, 60, 100), sysex});
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, block.Get()), 1);
    EXPECT_EQ(h.machine->Port(0)->events->Count(), 0);
}

TEST(AdapterEvents, EmptyAndNullBlocksAreConsumed)
{
    AdapterHarness h(WithEventPort());
    EventBlock empty({});
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, empty.Get()), 1);
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EventBlock negative({Midi(0x90, 60, 100)});
    negative.Get()->numEvents = -3;
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, negative.Get()), 1);
    EventBlock withNullEntry({Midi(0x90, 60, 100), Midi(0x90, 61, 100)});
    withNullEntry.Get()->events[0] = nullptr;
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, withNullEntry.Get()), 1);
    const std::vector<ControlEvent> events = Drain(*h.machine->Port(0)->events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].note, 61);
}

TEST(AdapterEvents, AMachineWhoseFirstPortHasNoQueueGetsNothing)
{
    TestMachineSetup setup;
    setup.portTypes = {PORT_STEREO_AUDIO_INPUT, PORT_EVENTS | PORT_INPUT, PORT_STEREO_AUDIO_OUTPUT};
    AdapterHarness h(setup);
    EventBlock block({Midi(0x90, 60, 100)});
    EXPECT_EQ(h.Dispatch(effProcessEvents, 0, 0, block.Get()), 1);
    EXPECT_EQ(h.machine->Port(1)->events->Count(), 0);

    TestMachineSetup portless;
    portless.portTypes = {};
    AdapterHarness bare(portless);
    EXPECT_EQ(bare.Dispatch(effProcessEvents, 0, 0, block.Get()), 1);
}

}  // namespace
