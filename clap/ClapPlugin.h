#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "clap/ClapAbi.h"
#include "core/EventQueue.h"
#include "core/StereoBridge.h"

class CClapEditor;
class CVelvetineFilter;

// One CLAP instance of the effect: the machine and the bridge that runs it, the parameter
// as the host and the editor share it, and the editor when the host shows one. The host's
// C calls reach it through the function tables of ClapPluginAbi.cpp.
//
// The parameter's step lives in an atomic that the main thread (state, editor) and the
// audio thread (events) both write; the audio thread hands it to the machine at the start of
// each block and at each event, so the machine itself is only touched while processing or
// while the instance is not processing at all.
class CClapPlugin {
public:
    static constexpr int kDefaultChunk = 1024;
    static constexpr int kLargestChunk = 8192;

    // Calls nothing of the host's: CLAP hosts may not be asked anything before init.
    // Throws std::bad_alloc when the machine cannot be made.
    CClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor, const clap_plugin& functions);
    ~CClapPlugin();

    const clap_plugin* Plugin() const { return &plugin; }
    // The instance behind the host's pointer; null for a pointer that is not one of ours.
    static CClapPlugin* Of(const clap_plugin* plugin)
    {
        return plugin ? static_cast<CClapPlugin*>(plugin->plugin_data) : nullptr;
    }

    bool Init();
    bool Activate(double sampleRate, uint32_t maxFrames);
    void Deactivate();
    bool StartProcessing();
    void StopProcessing();
    void Reset();
    clap_process_status Process(const clap_process* process);

    int Step() const { return step.load(std::memory_order_relaxed); }
    void Flush(const clap_input_events* in, const clap_output_events* out);
    bool SaveState(const clap_ostream* stream) const;
    bool LoadState(const clap_istream* stream);

    // Main thread: the editor's press, a control value of the machine's 0 ... 1.
    void EditorChanged(double controlValue);
    // The editor between the host's gui create and destroy, else null.
    CClapEditor* Editor() const { return editor.get(); }
    // False for another window system, a floating window, or an editor already made.
    bool CreateEditor(const char* api, bool floating);
    void DestroyEditor();

    CClapPlugin(const CClapPlugin&) = delete;
    CClapPlugin& operator=(const CClapPlugin&) = delete;

private:
    struct Audio;
    bool AudioOf(const clap_process& process, Audio* audio) const;
    // The bridge counts frames in an int: a span longer than this runs in pieces.
    static constexpr uint32_t kLongestSpan = 1u << 30;
    void RunSpan(const Audio& audio, uint32_t offset, uint32_t frames);
    void RunPieces(const Audio& audio, uint32_t offset, uint32_t frames);
    // True and the step when the event sets this plug-in's parameter.
    static bool StepOfEvent(const clap_event_header* event, int* step);
    void ApplyInputEvents(const clap_input_events* in, const Audio* audio, uint32_t frames);
    void HandToMachine(int newStep);
    void EmitEditorEvents(const clap_output_events* out);

    clap_plugin plugin;
    const clap_host* host;
    const clap_host_params* hostParams = nullptr;
    std::unique_ptr<CVelvetineFilter> machine;
    CStereoBridge bridge;
    std::atomic<int> step;
    int machineStep = -1;
    bool initialised = false;
    bool active = false;
    CEventQueue<ParameterEvent, 64> editorEvents;
    std::unique_ptr<CClapEditor> editor;
};
