#include "clap/ClapPlugin.h"

#include <algorithm>

#include "clap/ClapEditor.h"
#include "core/MachineHosts.h"
#include "clap/ClapParameter.h"
#include "clap/ClapState.h"
#include "core/CpuFeatures.h"
#include "core/PluginProcess.h"
#include "effect/ControlDescription.h"
#include "effect/FilterDescription.h"
#include "effect/VelvetineFilter.h"

namespace {

// One description serves every instance of the process; each instance prepares its machine
// for the rate and block length it is activated with.
const PluginProcess& SharedProcess()
{
    return SharedPluginProcess([] {
        static CPreparedDescriptionHost descriptionHost;
        return new CFilterDescription(&descriptionHost);
    });
}

uint32_t EventCount(const clap_input_events* in)
{
    return in && in->size && in->get ? in->size(in) : 0;
}

clap_event_header Header(uint16_t type, uint32_t size)
{
    clap_event_header header;
    header.size = size;
    header.time = 0;
    header.space_id = CLAP_CORE_EVENT_SPACE_ID;
    header.type = type;
    header.flags = 0;
    return header;
}

// Tells the host of one editor event, at the start of the block.
void PushEvent(const clap_output_events* out, const ParameterEvent& event)
{
    if (event.kind == ParameterEvent::kValue) {
        clap_event_param_value value;
        value.header = Header(CLAP_EVENT_PARAM_VALUE, sizeof value);
        value.param_id = event.parameter;
        value.cookie = nullptr;
        value.note_id = -1;
        value.port_index = -1;
        value.channel = -1;
        value.key = -1;
        value.value = event.value;
        out->try_push(out, &value.header);
        return;
    }
    clap_event_param_gesture gesture;
    gesture.header = Header(
        event.kind == ParameterEvent::kBeginGesture ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END,
        sizeof gesture);
    gesture.param_id = event.parameter;
    out->try_push(out, &gesture.header);
}

}  // namespace

// The host's buffers in the precision it processes: inputs may be null (silence), outputs
// never are.
struct CClapPlugin::Audio {
    const float* const* inputs32 = nullptr;
    float* const* outputs32 = nullptr;
    const double* const* inputs64 = nullptr;
    double* const* outputs64 = nullptr;
};

CClapPlugin::CClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor,
                         const clap_plugin& functions)
    : plugin(functions),
      host(host),
      machine(SharedProcess().description->CreateFilter()),
      bridge(*machine, CStereoBridge::BlockRule::kPrepared),
      step(OversamplingControl::kDefaultStep)
{
    plugin.desc = descriptor;
    plugin.plugin_data = this;
    bridge.UseAvx2((SharedProcess().cpuFeatures & CPU_AVX2) != 0);
}

CClapPlugin::~CClapPlugin() = default;

bool CClapPlugin::Init()
{
    if (initialised)
        return true;
    initialised = true;
    if (host && host->get_extension)
        hostParams = static_cast<const clap_host_params*>(host->get_extension(host, CLAP_EXT_PARAMS));
    return true;
}

bool CClapPlugin::Activate(double sampleRate, uint32_t maxFrames)
{
    if (active || !(sampleRate >= 1.0 && sampleRate <= 1e7))
        return false;
    const int chunk = maxFrames == 0 ? kDefaultChunk : int(std::min<uint32_t>(maxFrames, kLargestChunk));
    bridge.Prepare(int(sampleRate), chunk);
    bridge.Reset();
    machineStep = -1;
    HandToMachine(Step());
    active = true;
    return true;
}

void CClapPlugin::Deactivate() { active = false; }

// Nothing to start or stop: an active instance processes whenever it is called.
bool CClapPlugin::StartProcessing() { return active; }

void CClapPlugin::StopProcessing() {}

void CClapPlugin::Reset()
{
    if (active)
        bridge.Reset();
}

void CClapPlugin::HandToMachine(int newStep)
{
    if (newStep == machineStep)
        return;
    bridge.SetParameter(OversamplingControl::ValueOfStep(newStep));
    machineStep = newStep;
}

bool CClapPlugin::StepOfEvent(const clap_event_header* event, int* newStep)
{
    if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE ||
        event->size < sizeof(clap_event_param_value))
        return false;
    const auto* value = reinterpret_cast<const clap_event_param_value*>(event);
    if (value->param_id != ClapParameter::kId)
        return false;
    *newStep = ClapParameter::StepOfPlainValue(value->value);
    return true;
}

bool CClapPlugin::AudioOf(const clap_process& process, Audio* audio) const
{
    if (!process.audio_outputs || process.audio_outputs_count < 1)
        return false;
    const clap_audio_buffer& out = process.audio_outputs[0];
    const clap_audio_buffer* in =
        process.audio_inputs && process.audio_inputs_count >= 1 && process.audio_inputs[0].channel_count >= 2
            ? &process.audio_inputs[0]
            : nullptr;
    if (out.channel_count < 2)
        return false;
    if (out.data64) {
        audio->outputs64 = out.data64;
        audio->inputs64 = in ? in->data64 : nullptr;
    } else if (out.data32) {
        audio->outputs32 = out.data32;
        audio->inputs32 = in ? in->data32 : nullptr;
    } else {
        return false;
    }
    return true;
}

inline void CClapPlugin::RunSpan(const Audio& audio, uint32_t offset, uint32_t frames)
{
    // The usual span, a whole block: the bridge takes the host's arrays as they are.
    if (offset == 0 && frames <= kLongestSpan) {
        if (audio.outputs64)
            bridge.Process(audio.inputs64, audio.outputs64, int(frames));
        else
            bridge.Process(audio.inputs32, audio.outputs32, int(frames));
        return;
    }
    RunPieces(audio, offset, frames);
}

void CClapPlugin::RunPieces(const Audio& audio, uint32_t offset, uint32_t frames)
{
    for (uint32_t done = 0; done < frames;) {
        const uint32_t length = std::min(frames - done, kLongestSpan);
        if (audio.outputs64)
            bridge.ProcessFrom(audio.inputs64, audio.outputs64, size_t(offset) + done, int(length));
        else
            bridge.ProcessFrom(audio.inputs32, audio.outputs32, size_t(offset) + done, int(length));
        done += length;
    }
}

// Each value event takes effect from its own frame: the block runs up to it, then on with
// the new step. Events out of order take effect where the block has got to.
void CClapPlugin::ApplyInputEvents(const clap_input_events* in, const Audio* audio, uint32_t frames)
{
    uint32_t done = 0;
    const uint32_t count = EventCount(in);
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header* event = in->get(in, i);
        int newStep = 0;
        if (!StepOfEvent(event, &newStep))
            continue;
        const uint32_t at = std::max(done, std::min(event->time, frames));
        if (audio && at > done)
            RunSpan(*audio, done, at - done);
        done = at;
        step.store(newStep, std::memory_order_relaxed);
        HandToMachine(newStep);
    }
    if (audio && done < frames)
        RunSpan(*audio, done, frames - done);
}

clap_process_status CClapPlugin::Process(const clap_process* process)
{
    if (!active || !process)
        return CLAP_PROCESS_ERROR;
    // What the editor or a loaded state set since the last block.
    HandToMachine(Step());
    if (editorEvents.HasItems())
        EmitEditorEvents(process->out_events);
    Audio audio;
    const bool hasAudio = AudioOf(*process, &audio);
    // The usual block carries no events and runs whole.
    if (EventCount(process->in_events) > 0)
        ApplyInputEvents(process->in_events, hasAudio ? &audio : nullptr, process->frames_count);
    else if (hasAudio)
        RunSpan(audio, 0, process->frames_count);
    if (!hasAudio)
        return process->frames_count == 0 ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
    process->audio_outputs[0].constant_mask = 0;
    return CLAP_PROCESS_CONTINUE;
}

void CClapPlugin::Flush(const clap_input_events* in, const clap_output_events* out)
{
    // Never at the same time as process: the host calls one or the other.
    ApplyInputEvents(in, nullptr, 0);
    if (active)
        HandToMachine(Step());
    EmitEditorEvents(out);
}

void CClapPlugin::EmitEditorEvents(const clap_output_events* out)
{
    ParameterEvent event;
    while (editorEvents.Pop(&event))
        if (out && out->try_push)
            PushEvent(out, event);
}

void CClapPlugin::EditorChanged(double controlValue)
{
    const int newStep = OversamplingControl::StepOfValue(controlValue);
    step.store(newStep, std::memory_order_relaxed);
    // A full queue drops the report, never the change: the step above is already set.
    const uint32_t id = ClapParameter::kId;
    editorEvents.Push({ParameterEvent::kBeginGesture, id, 0.0});
    editorEvents.Push({ParameterEvent::kValue, id, double(newStep)});
    editorEvents.Push({ParameterEvent::kEndGesture, id, 0.0});
    // Outside processing the host delivers them through flush; while processing, the next
    // block does.
    if (hostParams && hostParams->request_flush)
        hostParams->request_flush(host);
}

bool CClapPlugin::SaveState(const clap_ostream* stream) const { return ClapState::Save(stream, Step()); }

bool CClapPlugin::LoadState(const clap_istream* stream)
{
    int loaded = 0;
    if (!ClapState::Load(stream, &loaded))
        return false;
    // The machine takes it at activation or at the start of the next block: the audio
    // thread may be running now.
    step.store(loaded, std::memory_order_relaxed);
    return true;
}

bool CClapPlugin::CreateEditor(const char* api, bool floating)
{
    if (editor || floating || !api || !CClapEditor::SupportsApi(api))
        return false;
    editor.reset(new CClapEditor(*this, host));
    return true;
}

void CClapPlugin::DestroyEditor() { editor.reset(); }
