// The CLAP library as a host meets it: the entry and factory, the parameter's texts, saved
// states good and hostile, and value events taking effect at their own frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "clap/ClapAbi.h"
#include "core/Identity.h"
#include "host/PluginLibrary.h"

namespace {

PluginLibrary& Library()
{
    static PluginLibrary* library = new PluginLibrary(VELVETINE_CLAP_PATH);
    return *library;
}

const clap_plugin_entry* Entry()
{
    return static_cast<const clap_plugin_entry*>(Library().Export("clap_entry"));
}

// A host that offers nothing and counts every call the plug-in makes to it.
struct CountingHost {
    CountingHost()
    {
        host = {kClapVersion, this, "test", "", "", "1", &GetExtension, &Request, &Request, &Request};
    }
    static const void* CLAP_ABI GetExtension(const clap_host* h, const char*)
    {
        ++static_cast<CountingHost*>(h->host_data)->calls;
        return nullptr;
    }
    static void CLAP_ABI Request(const clap_host* h) { ++static_cast<CountingHost*>(h->host_data)->calls; }

    clap_host host;
    int calls = 0;
};

// Bytes in memory behind both stream kinds, moved at most `chunk` bytes per call, as pipes
// and files may move them.
struct MemoryStream {
    explicit MemoryStream(size_t chunk = 1 << 20) : chunk(chunk)
    {
        out = {this, &Write};
        in = {this, &Read};
    }
    static int64_t CLAP_ABI Write(const clap_ostream* s, const void* data, uint64_t size)
    {
        auto* self = static_cast<MemoryStream*>(s->ctx);
        const size_t n = std::min<uint64_t>(size, self->chunk);
        self->bytes.insert(self->bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
        return int64_t(n);
    }
    static int64_t CLAP_ABI Read(const clap_istream* s, void* data, uint64_t size)
    {
        auto* self = static_cast<MemoryStream*>(s->ctx);
        if (self->failReads)
            return -1;
        const size_t n = std::min<uint64_t>({size, self->chunk, self->bytes.size() - self->position});
        if (n > 0)
            std::memcpy(data, self->bytes.data() + self->position, n);
        self->position += n;
        return int64_t(n);
    }

    size_t chunk;
    bool failReads = false;
    std::vector<uint8_t> bytes;
    size_t position = 0;
    clap_ostream out;
    clap_istream in;
};

// A list of input events in memory, in the order given.
struct EventList {
    EventList() { list = {this, &Size, &Get}; }
    void AddValue(uint32_t time, clap_id id, double value)
    {
        clap_event_param_value event = {};
        event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        event.param_id = id;
        event.note_id = -1;
        event.port_index = event.channel = event.key = -1;
        event.value = value;
        events.push_back(event);
    }
    static uint32_t CLAP_ABI Size(const clap_input_events* l)
    {
        return uint32_t(static_cast<EventList*>(l->ctx)->events.size());
    }
    static const clap_event_header* CLAP_ABI Get(const clap_input_events* l, uint32_t i)
    {
        auto& events = static_cast<EventList*>(l->ctx)->events;
        return i < events.size() ? &events[i].header : nullptr;
    }
    std::vector<clap_event_param_value> events;
    clap_input_events list;
};

class ClapLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Entry()) << "no clap_entry in " << VELVETINE_CLAP_PATH << ": " << Library().Error();
        ASSERT_TRUE(Entry()->init(VELVETINE_CLAP_PATH));
        factory = static_cast<const clap_plugin_factory*>(Entry()->get_factory(CLAP_PLUGIN_FACTORY_ID));
        ASSERT_TRUE(factory);
    }
    void TearDown() override
    {
        for (const clap_plugin* plugin : plugins)
            plugin->destroy(plugin);
        if (Entry())
            Entry()->deinit();
    }

    const clap_plugin* NewPlugin()
    {
        const clap_plugin* plugin = factory->create_plugin(factory, &host.host, Identity::kClapId);
        EXPECT_TRUE(plugin && plugin->init(plugin));
        if (plugin)
            plugins.push_back(plugin);
        return plugin;
    }
    template <class Extension>
    static const Extension* Ext(const clap_plugin* plugin, const char* id)
    {
        return static_cast<const Extension*>(plugin->get_extension(plugin, id));
    }
    static double Value(const clap_plugin* plugin)
    {
        double value = -1.0;
        EXPECT_TRUE(Ext<clap_plugin_params>(plugin, CLAP_EXT_PARAMS)->get_value(plugin, 0, &value));
        return value;
    }
    // Sets the parameter as hosts do outside processing: a value event through flush.
    static void SetValue(const clap_plugin* plugin, double value)
    {
        EventList events;
        events.AddValue(0, 0, value);
        Ext<clap_plugin_params>(plugin, CLAP_EXT_PARAMS)->flush(plugin, &events.list, nullptr);
    }

    CountingHost host;
    const clap_plugin_factory* factory = nullptr;
    std::vector<const clap_plugin*> plugins;
};

TEST_F(ClapLibrary, EntryCountsInitialisationsAndTheFactoryDescribesOnePlugin)
{
    EXPECT_EQ(Entry()->clap_version.major, 1u);
    // A second holder's deinit leaves the first one's factory working.
    ASSERT_TRUE(Entry()->init(VELVETINE_CLAP_PATH));
    Entry()->deinit();
    EXPECT_EQ(Entry()->get_factory(CLAP_PLUGIN_FACTORY_ID), factory);
    EXPECT_EQ(Entry()->get_factory("clap.plugin-factory.draft"), nullptr);
    EXPECT_EQ(Entry()->get_factory(nullptr), nullptr);

    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor* descriptor = factory->get_plugin_descriptor(factory, 0);
    ASSERT_TRUE(descriptor);
    EXPECT_STREQ(descriptor->id, Identity::kClapId);
    EXPECT_STREQ(descriptor->name, "QM Velvetine");
    EXPECT_STREQ(descriptor->vendor, "Fernhollowstudios");
    EXPECT_STREQ(descriptor->version, Identity::kVersion);
    std::vector<std::string> features;
    for (const char* const* feature = descriptor->features; feature && *feature; ++feature)
        features.push_back(*feature);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "filter", "stereo"}));

    EXPECT_EQ(factory->create_plugin(factory, &host.host, "com.example.other"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, &host.host, nullptr), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, Identity::kClapId), nullptr);
    const clap_plugin* plugin = factory->create_plugin(factory, &host.host, Identity::kClapId);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(host.calls, 0) << "the plug-in called its host before init";
    EXPECT_EQ(plugin->desc, descriptor);
    plugin->destroy(plugin);
}

TEST_F(ClapLibrary, ParameterIsTheFiveStepsWithTheirTexts)
{
    const clap_plugin* plugin = NewPlugin();
    ASSERT_TRUE(plugin);
    auto* params = Ext<clap_plugin_params>(plugin, CLAP_EXT_PARAMS);
    ASSERT_TRUE(params);
    ASSERT_EQ(params->count(plugin), 1u);
    clap_param_info info;
    ASSERT_TRUE(params->get_info(plugin, 0, &info));
    EXPECT_FALSE(params->get_info(plugin, 1, &info));
    EXPECT_EQ(info.id, 0u);
    EXPECT_STREQ(info.name, "Oversampling");
    EXPECT_EQ(info.min_value, 0.0);
    EXPECT_EQ(info.max_value, 4.0);
    EXPECT_EQ(info.default_value, 0.0);
    const uint32_t flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_ENUM;
    EXPECT_EQ(info.flags & flags, flags);
    EXPECT_EQ(Value(plugin), 0.0);

    const char* texts[] = {"2x", "4x", "8x", "16x", "32x"};
    for (int step = 0; step < 5; ++step) {
        char text[16];
        ASSERT_TRUE(params->value_to_text(plugin, 0, step, text, sizeof text));
        EXPECT_STREQ(text, texts[step]);
        double value = -1.0;
        ASSERT_TRUE(params->text_to_value(plugin, 0, text, &value));
        EXPECT_EQ(value, step) << text;
    }
    double value = -1.0;
    EXPECT_TRUE(params->text_to_value(plugin, 0, " 16 ", &value));
    EXPECT_EQ(value, 3.0);
    EXPECT_FALSE(params->text_to_value(plugin, 0, "3x", &value));
    EXPECT_FALSE(params->text_to_value(plugin, 7, "8x", &value));
    EXPECT_FALSE(params->get_value(plugin, 7, &value));
    char tiny[2];
    ASSERT_TRUE(params->value_to_text(plugin, 0, 4.0, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "3");  // cut to the buffer, never past it
}

TEST_F(ClapLibrary, StateRoundTripsThroughShortReadsAndWrites)
{
    const clap_plugin* saved = NewPlugin();
    const clap_plugin* loaded = NewPlugin();
    ASSERT_TRUE(saved && loaded);
    SetValue(saved, 3.0);
    ASSERT_EQ(Value(saved), 3.0);
    MemoryStream stream(1);
    ASSERT_TRUE(Ext<clap_plugin_state>(saved, CLAP_EXT_STATE)->save(saved, &stream.out));
    ASSERT_TRUE(Ext<clap_plugin_state>(loaded, CLAP_EXT_STATE)->load(loaded, &stream.in));
    EXPECT_EQ(Value(loaded), 3.0);
}

TEST_F(ClapLibrary, HostileStatesAreRefusedAndChangeNothing)
{
    const clap_plugin* source = NewPlugin();
    const clap_plugin* plugin = NewPlugin();
    ASSERT_TRUE(source && plugin);
    SetValue(source, 4.0);
    MemoryStream good;
    ASSERT_TRUE(Ext<clap_plugin_state>(source, CLAP_EXT_STATE)->save(source, &good.out));
    SetValue(plugin, 2.0);
    auto* state = Ext<clap_plugin_state>(plugin, CLAP_EXT_STATE);
    const auto refuse = [&](const std::vector<uint8_t>& bytes, const std::string& what, bool failReads = false) {
        MemoryStream stream;
        stream.bytes = bytes;
        stream.failReads = failReads;
        EXPECT_FALSE(state->load(plugin, &stream.in)) << what;
        EXPECT_EQ(Value(plugin), 2.0) << what;
    };
    for (size_t length = 0; length < good.bytes.size(); ++length)
        refuse(std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + length),
               "the first " + std::to_string(length) + " bytes");
    for (size_t at = 0; at < 12; ++at) {
        // Every byte of the name, the version and the step's high bytes matters; the step's
        // low byte made out of range does too.
        std::vector<uint8_t> foreign = good.bytes;
        foreign[at] ^= 0x80;
        refuse(foreign, "byte " + std::to_string(at) + " changed");
    }
    refuse(good.bytes, "a failing stream", true);
    EXPECT_FALSE(state->load(plugin, nullptr));
    EXPECT_FALSE(state->save(plugin, nullptr));
}

// Noise through one instance in blocks, each with its events.
struct Block {
    uint32_t frames;
    std::vector<std::pair<uint32_t, double>> events;  // frame, plain value
};

std::vector<double> Render(const clap_plugin* plugin, const std::vector<Block>& blocks, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> output;
    for (const Block& block : blocks) {
        std::vector<double> left(block.frames), right(block.frames);
        for (uint32_t i = 0; i < block.frames; ++i) {
            left[i] = uniform(random);
            right[i] = uniform(random);
        }
        double* channels[2] = {left.data(), right.data()};
        clap_audio_buffer audio = {nullptr, channels, 2, 0, 0};  // in place
        EventList events;
        for (const auto& event : block.events)
            events.AddValue(event.first, 0, event.second);
        clap_process process = {};
        process.frames_count = block.frames;
        process.audio_inputs = &audio;
        process.audio_outputs = &audio;
        process.audio_inputs_count = process.audio_outputs_count = 1;
        process.in_events = &events.list;
        EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_CONTINUE);
        for (uint32_t i = 0; i < block.frames; ++i) {
            output.push_back(left[i]);
            output.push_back(right[i]);
        }
    }
    return output;
}

TEST_F(ClapLibrary, ValueEventsTakeEffectAtTheirFrame)
{
    constexpr uint32_t kFrames = 400;
    constexpr unsigned kSeed = 77;
    for (uint32_t at : {0u, 1u, 123u, 399u}) {
        SCOPED_TRACE("event at frame " + std::to_string(at) + ", noise seed " + std::to_string(kSeed));
        const clap_plugin* split = NewPlugin();
        const clap_plugin* inBlock = NewPlugin();
        const clap_plugin* unchanged = NewPlugin();
        for (const clap_plugin* plugin : {split, inBlock, unchanged})
            ASSERT_TRUE(plugin->activate(plugin, 48000.0, 1, kFrames));
        const std::vector<double> a = Render(inBlock, {{kFrames, {{at, 3.0}}}}, kSeed);
        const std::vector<double> b = Render(split, {{at, {}}, {kFrames - at, {{0, 3.0}}}}, kSeed);
        const std::vector<double> c = Render(unchanged, {{kFrames, {}}}, kSeed);
        EXPECT_EQ(a, b);
        // The frames before the event keep the old filter, and the change shows after it.
        EXPECT_TRUE(std::equal(a.begin(), a.begin() + 2 * at, c.begin()));
        EXPECT_FALSE(std::equal(a.begin() + 2 * at, a.end(), c.begin() + 2 * at));
        EXPECT_EQ(Value(inBlock), 3.0);
    }
}

TEST_F(ClapLibrary, MisusedCallsAreRefusedWithoutHarm)
{
    const clap_plugin* plugin = NewPlugin();
    ASSERT_TRUE(plugin);
    float left[8] = {}, right[8] = {};
    float* channels[2] = {left, right};
    clap_audio_buffer audio = {channels, nullptr, 2, 0, 0};
    clap_process process = {};
    process.frames_count = 8;
    process.audio_inputs = &audio;
    process.audio_outputs = &audio;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_ERROR) << "processing while inactive";
    EXPECT_FALSE(plugin->activate(plugin, std::nan(""), 1, 64));
    ASSERT_TRUE(plugin->activate(plugin, 44100.0, 1, 64));
    EXPECT_FALSE(plugin->activate(plugin, 44100.0, 1, 64)) << "activated twice";
    EXPECT_EQ(plugin->process(plugin, nullptr), CLAP_PROCESS_ERROR);
    process.audio_outputs_count = 0;
    EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_ERROR) << "no output port";
    process.audio_outputs_count = 1;
    audio.channel_count = 1;
    EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_ERROR) << "a mono output";
    audio.channel_count = 2;
    EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_CONTINUE) << "no event lists";
    EXPECT_EQ(plugin->get_extension(plugin, nullptr), nullptr);
    EXPECT_EQ(plugin->get_extension(plugin, "clap.unknown"), nullptr);
    auto* latency = Ext<clap_plugin_latency>(plugin, CLAP_EXT_LATENCY);
    ASSERT_TRUE(latency);
    EXPECT_EQ(latency->get(plugin), 0u);
    auto* ports = Ext<clap_plugin_audio_ports>(plugin, CLAP_EXT_AUDIO_PORTS);
    ASSERT_TRUE(ports);
    clap_audio_port_info info;
    for (bool input : {true, false}) {
        ASSERT_EQ(ports->count(plugin, input), 1u);
        ASSERT_TRUE(ports->get(plugin, 0, input, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_EQ(info.in_place_pair, 0u);
        EXPECT_EQ(info.flags, CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS);
        EXPECT_FALSE(ports->get(plugin, 1, input, &info));
    }
    plugin->deactivate(plugin);
    EXPECT_EQ(plugin->process(plugin, &process), CLAP_PROCESS_ERROR) << "processing after deactivate";
}

}  // namespace
