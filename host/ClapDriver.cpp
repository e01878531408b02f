#include "host/ClapDriver.h"

#include <cstring>

#include "clap/ClapAbi.h"
#include "effect/ControlDescription.h"
#include "host/PluginLibrary.h"

namespace {

const void* CLAP_ABI NoExtension(const clap_host*, const char*) { return nullptr; }
void CLAP_ABI NoRequest(const clap_host*) {}

// The host record every instance is made with: it offers nothing beyond the core.
const clap_host plainHost = {
    kClapVersion, nullptr, "velvetine host", "", "", "1", NoExtension, NoRequest, NoRequest, NoRequest,
};

// The parameter's one pending change, given to the plug-in as the only input event of the
// next block (or of a flush while it is inactive).
class PendingParameter {
public:
    PendingParameter()
    {
        list.ctx = this;
        list.size = &Size;
        list.get = &Get;
        std::memset(&event, 0, sizeof event);
        event.header.size = sizeof event;
        event.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
        event.header.type = CLAP_EVENT_PARAM_VALUE;
        event.param_id = 0;
        event.note_id = -1;
        event.port_index = -1;
        event.channel = -1;
        event.key = -1;
    }

    void Set(double plainValue)
    {
        event.value = plainValue;
        pending = true;
    }
    bool Pending() const { return pending; }
    double Value() const { return event.value; }
    const clap_input_events* Events() const { return &list; }
    void Delivered() { pending = false; }

private:
    static uint32_t CLAP_ABI Size(const clap_input_events* list)
    {
        return static_cast<const PendingParameter*>(list->ctx)->pending ? 1 : 0;
    }
    static const clap_event_header* CLAP_ABI Get(const clap_input_events* list, uint32_t index)
    {
        auto* self = static_cast<const PendingParameter*>(list->ctx);
        return self->pending && index == 0 ? &self->event.header : nullptr;
    }

    clap_input_events list;
    clap_event_param_value event;
    bool pending = false;
};

bool CLAP_ABI DropEvent(const clap_output_events*, const clap_event_header*) { return true; }
const clap_output_events droppedEvents = {nullptr, DropEvent};

class ClapDriver : public PluginDriver {
public:
    explicit ClapDriver(const clap_plugin* plugin) : plugin(plugin)
    {
        params = static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
        ports = static_cast<const clap_plugin_audio_ports*>(plugin->get_extension(plugin, CLAP_EXT_AUDIO_PORTS));
        std::memset(&process, 0, sizeof process);
        process.audio_inputs = &in;
        process.audio_outputs = &out;
        process.audio_inputs_count = 1;
        process.audio_outputs_count = 1;
        process.in_events = pending.Events();
        process.out_events = &droppedEvents;
    }
    ~ClapDriver() override
    {
        Deactivate();
        plugin->destroy(plugin);
    }

    PluginLayout Layout() const override
    {
        PluginLayout layout;
        clap_audio_port_info info;
        if (PortInfo(true, &info))
            layout.inputs = int(info.channel_count);
        if (PortInfo(false, &info)) {
            layout.outputs = int(info.channel_count);
            if (!(info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS))
                layout.noDoublesReason = "the main output port does not support 64-bit samples";
        }
        layout.parameters = params ? int(params->count(plugin)) : 0;
        return layout;
    }

    void Prepare(double sampleRate, int32_t maxBlock) override
    {
        Deactivate();
        const uint32_t frames = uint32_t(maxBlock > 0 ? maxBlock : 1);
        active = plugin->activate(plugin, sampleRate, 1, frames);
        processing = active && plugin->start_processing(plugin);
    }

    // A host shows the enumerated parameter as a control from 0 to 1; its plain value is
    // the step.
    void SetParameter(float value) override
    {
        pending.Set(OversamplingControl::StepOfValue(value));
        if (!active && params) {
            params->flush(plugin, pending.Events(), &droppedEvents);
            pending.Delivered();
        }
    }
    // A change not yet delivered is the host's own value until the next block takes it.
    float GetParameter() override
    {
        double plain = pending.Value();
        if (!pending.Pending() && (!params || !params->get_value(plugin, 0, &plain)))
            return 0.0f;
        return float(OversamplingControl::ValueOfStep(int(plain)));
    }

    void Process(float** inputs, float** outputs, int32_t frames) override
    {
        in = {inputs, nullptr, 2, 0, 0};
        out = {outputs, nullptr, 2, 0, 0};
        Run(frames);
    }
    void Process(double** inputs, double** outputs, int32_t frames) override
    {
        in = {nullptr, inputs, 2, 0, 0};
        out = {nullptr, outputs, 2, 0, 0};
        Run(frames);
    }

    void Reset() override { plugin->reset(plugin); }

private:
    bool PortInfo(bool input, clap_audio_port_info* info) const
    {
        return ports && ports->count(plugin, input) > 0 && ports->get(plugin, 0, input, info);
    }

    // The process record is the instance's own, set up once: a call changes only the
    // frames, the time and the buffers.
    void Run(int32_t frames)
    {
        if (frames <= 0)
            return;
        process.steady_time = steadyTime;
        process.frames_count = uint32_t(frames);
        plugin->process(plugin, &process);
        pending.Delivered();
        steadyTime += frames;
    }

    void Deactivate()
    {
        if (processing)
            plugin->stop_processing(plugin);
        if (active)
            plugin->deactivate(plugin);
        processing = active = false;
    }

    const clap_plugin* plugin;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_audio_ports* ports = nullptr;
    PendingParameter pending;
    clap_audio_buffer in = {};
    clap_audio_buffer out = {};
    clap_process process;
    bool active = false;
    bool processing = false;
    int64_t steadyTime = 0;
};

class ClapFile : public PluginFile {
public:
    ClapFile(std::unique_ptr<PluginLibrary> library, const clap_plugin_entry* entry,
             const clap_plugin_factory* factory)
        : library(std::move(library)), entry(entry), factory(factory)
    {
    }
    ~ClapFile() override { entry->deinit(); }

    const char* Standard() const override { return "CLAP"; }

    std::unique_ptr<PluginDriver> NewInstance(double, int32_t, std::string& error) override
    {
        const clap_plugin_descriptor* descriptor =
            factory->get_plugin_count(factory) > 0 ? factory->get_plugin_descriptor(factory, 0) : nullptr;
        if (!descriptor || !descriptor->id) {
            error = "the CLAP factory describes no plug-in";
            return nullptr;
        }
        const clap_plugin* plugin = factory->create_plugin(factory, &plainHost, descriptor->id);
        if (!plugin) {
            error = "the CLAP factory made no plug-in";
            return nullptr;
        }
        if (!plugin->init(plugin)) {
            plugin->destroy(plugin);
            error = "the CLAP plug-in refused init";
            return nullptr;
        }
        return std::unique_ptr<PluginDriver>(new ClapDriver(plugin));
    }

private:
    std::unique_ptr<PluginLibrary> library;
    const clap_plugin_entry* entry;
    const clap_plugin_factory* factory;
};

}  // namespace

OpenedPluginFile OpenClapFile(const std::string& path)
{
    OpenedPluginFile opened;
    std::unique_ptr<PluginLibrary> library(new PluginLibrary(path));
    if (!library->Loaded()) {
        opened.systemError = library->Error();
        return opened;
    }
    auto* entry = static_cast<const clap_plugin_entry*>(library->Export("clap_entry"));
    if (!entry || !ClapVersionIsCompatible(entry->clap_version)) {
        opened.problem = "exports no clap_entry of CLAP 1.x: not a CLAP plug-in";
        return opened;
    }
    if (!entry->init(library->Path().c_str())) {
        opened.problem = "clap_entry.init failed";
        return opened;
    }
    auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory) {
        entry->deinit();
        opened.problem = "clap_entry gives no plug-in factory";
        return opened;
    }
    opened.file.reset(new ClapFile(std::move(library), entry, factory));
    return opened;
}
