#pragma once

#include <memory>

#include "core/MachineHosts.h"
#include "core/editor/EditorSession.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3RefCount.h"

class CMachine;
class CVst3Controller;

// The editor view of one controller, embedded in the host's window at its one size. It
// runs a machine of its own that only holds the value it shows: a press reaches the host
// through the controller, and the controller shows the host's changes here. Under X11 the
// editor's events are served from the host's run loop (a timer, and the editor's X11
// connection where the host waits on descriptors), so the editor needs no thread of its own;
// on Windows the window's own messages drive it.
class CVst3EditorView final : public vst3::IPlugView, public vst3::IEventHandler, public vst3::ITimerHandler {
public:
    static constexpr uint64_t kTimerPeriodMs = 20;

    // Holds a reference to the controller while it lives.
    explicit CVst3EditorView(CVst3Controller& controller);

    // FUnknown
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return refs.Add(); }
    uint32_t VST3_API release() override;

    // IPlugView
    vst3::tresult VST3_API isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult VST3_API attached(void* parent, vst3::FIDString type) override;
    vst3::tresult VST3_API removed() override;
    vst3::tresult VST3_API onWheel(float distance) override;
    vst3::tresult VST3_API onKeyDown(vst3::char16 key, int16_t keyCode, int16_t modifiers) override;
    vst3::tresult VST3_API onKeyUp(vst3::char16 key, int16_t keyCode, int16_t modifiers) override;
    vst3::tresult VST3_API getSize(vst3::ViewRect* size) override;
    vst3::tresult VST3_API onSize(vst3::ViewRect* newSize) override;
    vst3::tresult VST3_API onFocus(vst3::TBool state) override;
    vst3::tresult VST3_API setFrame(vst3::IPlugFrame* frame) override;
    vst3::tresult VST3_API canResize() override;
    vst3::tresult VST3_API checkSizeConstraint(vst3::ViewRect* rect) override;

    // IEventHandler, ITimerHandler: the host's run loop serving the editor.
    void VST3_API onFDIsSet(int fd) override;
    void VST3_API onTimer() override;

    // The controller's value, shown while the view lives.
    void ShowStep(int step);

    CVst3EditorView(const CVst3EditorView&) = delete;
    CVst3EditorView& operator=(const CVst3EditorView&) = delete;

private:
    ~CVst3EditorView();
    bool Size(int* width, int* height) const;
    vst3::IRunLoop* FindRunLoop() const;
    void StartWatching();
    void StopWatching();
    void Serve();

    CVst3RefCount refs;
    CVst3Controller& controller;
    CEditorMachineHost machineHost;
    CVelvetineFilterInfo info;
    std::unique_ptr<CMachine> machine;
    CEditorSession session;
    vst3::IPlugFrame* frame = nullptr;  // the host's, which outlives the view's attachment
    vst3::IRunLoop* runLoop = nullptr;  // held while the editor is attached
    bool timerRegistered = false;
    bool handlerRegistered = false;
};
