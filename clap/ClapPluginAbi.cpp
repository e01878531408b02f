// The C side of an instance: the functions of the plug-in record and of each extension,
// each handing on to the instance behind the record. Every one checks what the host hands
// it, so that a confused host gets a refusal rather than a crash.

#include "clap/ClapPluginAbi.h"

#include <cstring>
#include <new>

#include "clap/ClapEditor.h"
#include "clap/ClapParameter.h"
#include "clap/ClapPlugin.h"
#include "clap/ClapWindowApi.h"
#include "effect/ControlDescription.h"

namespace {

CClapPlugin* Instance(const clap_plugin* plugin) { return CClapPlugin::Of(plugin); }

// ---- the plug-in record ----------------------------------------------------------------

bool CLAP_ABI Init(const clap_plugin* plugin)
{
    CClapPlugin* instance = Instance(plugin);
    return instance && instance->Init();
}

void CLAP_ABI Destroy(const clap_plugin* plugin) { delete Instance(plugin); }

bool CLAP_ABI Activate(const clap_plugin* plugin, double rate, uint32_t, uint32_t maxFrames)
{
    CClapPlugin* instance = Instance(plugin);
    return instance && instance->Activate(rate, maxFrames);
}

void CLAP_ABI Deactivate(const clap_plugin* plugin)
{
    if (CClapPlugin* instance = Instance(plugin))
        instance->Deactivate();
}

bool CLAP_ABI StartProcessing(const clap_plugin* plugin)
{
    CClapPlugin* instance = Instance(plugin);
    return instance && instance->StartProcessing();
}

void CLAP_ABI StopProcessing(const clap_plugin* plugin)
{
    if (CClapPlugin* instance = Instance(plugin))
        instance->StopProcessing();
}

void CLAP_ABI Reset(const clap_plugin* plugin)
{
    if (CClapPlugin* instance = Instance(plugin))
        instance->Reset();
}

clap_process_status CLAP_ABI Process(const clap_plugin* plugin, const clap_process* process)
{
    CClapPlugin* instance = Instance(plugin);
    return instance ? instance->Process(process) : CLAP_PROCESS_ERROR;
}

const void* CLAP_ABI Extension(const clap_plugin* plugin, const char* id);

void CLAP_ABI OnMainThread(const clap_plugin*) {}

// ---- audio ports: one stereo input, one stereo output, processed in place ---------------

uint32_t CLAP_ABI AudioPortCount(const clap_plugin*, bool isInput)
{
    return isInput ? StereoBuses::kInputBuses : StereoBuses::kOutputBuses;
}

bool CLAP_ABI AudioPortInfo(const clap_plugin*, uint32_t index, bool isInput, clap_audio_port_info* info)
{
    if (index != 0 || !info)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
    info->channel_count = StereoBuses::kChannels;
    info->port_type = CLAP_PORT_STEREO;
    // The input and output with the same id pair up: the host may hand the same buffers.
    info->in_place_pair = StereoBuses::kInPlace ? 0 : CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports audioPorts = {AudioPortCount, AudioPortInfo};

// ---- parameters --------------------------------------------------------------------------

uint32_t CLAP_ABI ParameterCount(const clap_plugin*) { return 1; }

bool CLAP_ABI ParameterInfo(const clap_plugin*, uint32_t index, clap_param_info* info)
{
    if (index != 0 || !info)
        return false;
    ClapParameter::Describe(info);
    return true;
}

bool CLAP_ABI ParameterValue(const clap_plugin* plugin, clap_id id, double* value)
{
    CClapPlugin* instance = Instance(plugin);
    if (!instance || id != ClapParameter::kId || !value)
        return false;
    *value = instance->Step();
    return true;
}

bool CLAP_ABI ValueToText(const clap_plugin*, clap_id id, double value, char* text, uint32_t capacity)
{
    return id == ClapParameter::kId && ClapParameter::ValueToText(value, text, capacity);
}

bool CLAP_ABI TextToValue(const clap_plugin*, clap_id id, const char* text, double* value)
{
    return id == ClapParameter::kId && ClapParameter::TextToValue(text, value);
}

void CLAP_ABI Flush(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out)
{
    if (CClapPlugin* instance = Instance(plugin))
        instance->Flush(in, out);
}

const clap_plugin_params params = {ParameterCount, ParameterInfo, ParameterValue, ValueToText, TextToValue, Flush};

// ---- state and latency ----------------------------------------------------------------------

bool CLAP_ABI SaveState(const clap_plugin* plugin, const clap_ostream* stream)
{
    CClapPlugin* instance = Instance(plugin);
    return instance && instance->SaveState(stream);
}

bool CLAP_ABI LoadState(const clap_plugin* plugin, const clap_istream* stream)
{
    CClapPlugin* instance = Instance(plugin);
    return instance && instance->LoadState(stream);
}

const clap_plugin_state state = {SaveState, LoadState};

// The filter's delay is part of its sound (a fraction of a sample to a few, varying with
// frequency), not a fixed lag a host could make up for.
uint32_t CLAP_ABI Latency(const clap_plugin*) { return 0; }

const clap_plugin_latency latency = {Latency};

// ---- the editor: embedded only, at its one size ---------------------------------------------

CClapEditor* EditorOf(const clap_plugin* plugin)
{
    CClapPlugin* instance = Instance(plugin);
    return instance ? instance->Editor() : nullptr;
}

bool CLAP_ABI GuiIsApiSupported(const clap_plugin*, const char* api, bool floating)
{
    return !floating && CClapEditor::SupportsApi(api);
}

bool CLAP_ABI GuiPreferredApi(const clap_plugin*, const char** api, bool* floating)
{
    if (!api || !floating)
        return false;
    *api = ClapWindowApi();
    *floating = false;
    return true;
}

bool CLAP_ABI GuiCreate(const clap_plugin* plugin, const char* api, bool floating)
{
    CClapPlugin* instance = Instance(plugin);
    try {
        return instance && instance->CreateEditor(api, floating);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CLAP_ABI GuiDestroy(const clap_plugin* plugin)
{
    if (CClapPlugin* instance = Instance(plugin))
        instance->DestroyEditor();
}

// The editor is drawn at one size: the host scales nothing.
bool CLAP_ABI GuiSetScale(const clap_plugin*, double) { return false; }

bool CLAP_ABI GuiSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height)
{
    CClapEditor* editor = EditorOf(plugin);
    return editor && editor->Size(width, height);
}

bool CLAP_ABI GuiCanResize(const clap_plugin*) { return false; }

bool CLAP_ABI GuiResizeHints(const clap_plugin*, clap_gui_resize_hints*) { return false; }

// Whatever size the host proposes, the editor keeps its own.
bool CLAP_ABI GuiAdjustSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height)
{
    return GuiSize(plugin, width, height);
}

bool CLAP_ABI GuiSetSize(const clap_plugin* plugin, uint32_t width, uint32_t height)
{
    uint32_t w = 0, h = 0;
    return GuiSize(plugin, &w, &h) && w == width && h == height;
}

bool CLAP_ABI GuiSetParent(const clap_plugin* plugin, const clap_window* window)
{
    CClapEditor* editor = EditorOf(plugin);
    return editor && editor->SetParent(window);
}

bool CLAP_ABI GuiSetTransient(const clap_plugin*, const clap_window*) { return false; }

void CLAP_ABI GuiSuggestTitle(const clap_plugin*, const char*) {}

// Embedded in the host's window, the editor is shown and hidden with it.
bool CLAP_ABI GuiShow(const clap_plugin* plugin)
{
    CClapEditor* editor = EditorOf(plugin);
    return editor && editor->Shown();
}

bool CLAP_ABI GuiHide(const clap_plugin* plugin) { return GuiShow(plugin); }

const clap_plugin_gui gui = {
    GuiIsApiSupported, GuiPreferredApi, GuiCreate,       GuiDestroy,    GuiSetScale,
    GuiSize,           GuiCanResize,    GuiResizeHints,  GuiAdjustSize, GuiSetSize,
    GuiSetParent,      GuiSetTransient, GuiSuggestTitle, GuiShow,       GuiHide,
};

void CLAP_ABI OnTimer(const clap_plugin* plugin, clap_id timer)
{
    if (CClapEditor* editor = EditorOf(plugin))
        editor->OnTimer(timer);
}

const clap_plugin_timer_support timerSupport = {OnTimer};

void CLAP_ABI OnFd(const clap_plugin* plugin, int fd, clap_posix_fd_flags_t)
{
    if (CClapEditor* editor = EditorOf(plugin))
        editor->OnFd(fd);
}

const clap_plugin_posix_fd_support fdSupport = {OnFd};

const void* CLAP_ABI Extension(const clap_plugin*, const char* id)
{
    if (!id)
        return nullptr;
    static const struct {
        const char* id;
        const void* extension;
    } extensions[] = {
        {CLAP_EXT_AUDIO_PORTS, &audioPorts}, {CLAP_EXT_PARAMS, &params},       {CLAP_EXT_STATE, &state},
        {CLAP_EXT_LATENCY, &latency},        {CLAP_EXT_GUI, &gui},             {CLAP_EXT_TIMER_SUPPORT, &timerSupport},
        {CLAP_EXT_POSIX_FD_SUPPORT, &fdSupport},
    };
    for (const auto& extension : extensions)
        if (std::strcmp(id, extension.id) == 0)
            return extension.extension;
    return nullptr;
}

const clap_plugin functions = {
    nullptr, nullptr, Init, Destroy, Activate, Deactivate, StartProcessing, StopProcessing,
    Reset,   Process, Extension, OnMainThread,
};

}  // namespace

const clap_plugin* CreateClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor)
{
    try {
        return (new CClapPlugin(host, descriptor, functions))->Plugin();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
