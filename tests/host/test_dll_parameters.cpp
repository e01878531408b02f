// The one parameter through the record, and MIDI, which this effect consumes and ignores.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/host/BuiltPlugin.h"
#include "tests/host/FilterExpectation.h"
#include "host/PluginInstance.h"

namespace {

TEST(DllParameters, ValuesRoundTripExactlyAndOnlyIndexZeroExists)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    EXPECT_EQ(plugin.GetParameter(0), 0.0f);
    plugin.SetParameter(0, 0.3f);
    EXPECT_EQ(plugin.GetParameter(0), 0.3f);
    plugin.SetParameter(0, 1.0f / 3.0f);
    EXPECT_EQ(plugin.GetParameter(0), 1.0f / 3.0f);

    plugin.SetParameter(1, 0.9f);
    plugin.SetParameter(-1, 0.9f);
    EXPECT_EQ(plugin.GetParameter(1), 0.0f);
    EXPECT_EQ(plugin.GetParameter(-1), 0.0f);
    EXPECT_EQ(plugin.GetParameter(0), 1.0f / 3.0f);
    EXPECT_EQ(plugin.Text(effGetParamDisplay, 0), "4x");
}

TEST(DllParameters, TheParameterSelectsTheFilterFromTheNextBlock)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.Start();
    plugin.SetParameter(0, 0.75f);  // 16x
    StereoBlock<double> block(32);
    block.in[0][0] = 1.0;
    plugin.Process(block);
    const PrototypeDesign& design = DesignedPrototype(3);
    EXPECT_NEAR(block.out[0][1], design.gain * design.coefficients[16], 1e-12);
}

// A VstEvents block laid out as hosts allocate it, with room for every pointer.
class EventList {
public:
    void Add(const VstMidiEvent& midi) { events.push_back(midi); }
    void AddRaw(const VstEvent& event)
    {
        VstMidiEvent copy;
        std::memcpy(&copy, &event, sizeof copy);
        events.push_back(copy);
    }
    VstEvents* Block()
    {
        storage.assign(sizeof(VstEvents) + events.size() * sizeof(VstEvent*), 0);
        auto* block = reinterpret_cast<VstEvents*>(storage.data());
        block->numEvents = static_cast<int32_t>(events.size());
        VstEvent** list = block->events;
        for (size_t i = 0; i < events.size(); ++i)
            list[i] = reinterpret_cast<VstEvent*>(&events[i]);
        return block;
    }

private:
    std::vector<VstMidiEvent> events;
    std::vector<unsigned char> storage;
};

VstMidiEvent Midi(int status, int data1, int data2, int deltaFrames)
{
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.deltaFrames = deltaFrames;
    midi.midiData[0] = static_cast<char>(status);
    midi.midiData[1] = static_cast<char>(data1);
    midi.midiData[2] = static_cast<char>(data2);
    return midi;
}

TEST(DllMidi, AnyEventBlockIsConsumedAndChangesNoOutput)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance withMidi(BuiltPlugin().Entry(), ProgramHost());
    PluginInstance without(BuiltPlugin().Entry(), ProgramHost());
    for (PluginInstance* plugin : {&withMidi, &without}) {
        plugin->Start();
        plugin->SetParameter(0, 0.5f);
    }

    EventList notes;
    notes.Add(Midi(0x90, 60, 100, 0));
    notes.Add(Midi(0x95, 64, 0, 10));  // velocity 0: a note off
    notes.Add(Midi(0x80, 60, 64, 20));
    notes.Add(Midi(0xB0, 1, 127, 30));  // controller
    notes.Add(Midi(0xE0, 0, 0x40, 40)); // pitch bend
    VstEvent sysex{};
    sysex.type = 6;
    sysex.byteSize = 16;
    notes.AddRaw(sysex);
    EventList empty;

    std::mt19937 generator(7);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int b = 0; b < 6; ++b) {
        SCOPED_TRACE("block " + std::to_string(b));
        switch (b) {
        case 0: EXPECT_EQ(withMidi.Dispatch(effProcessEvents, 0, 0, notes.Block()), 1); break;
        case 1: EXPECT_EQ(withMidi.Dispatch(effProcessEvents, 0, 0, empty.Block()), 1); break;
        case 2: EXPECT_EQ(withMidi.Dispatch(effProcessEvents, 0, 0, nullptr), 1); break;
        default: EXPECT_EQ(withMidi.Dispatch(effProcessEvents, 0, 0, notes.Block()), 1); break;
        }
        StereoBlock<float> a(256), c(256);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                a.in[ch][i] = c.in[ch][i] = uniform(generator);
        withMidi.Process(a);
        without.Process(c);
        EXPECT_EQ(a.out[0], c.out[0]);
        EXPECT_EQ(a.out[1], c.out[1]);
    }
}

}  // namespace
