#include "vst3/Vst3EditorView.h"

#include <cstring>

#include "effect/ControlDescription.h"
#include "framework/Machine.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3WindowApi.h"

CVst3EditorView::CVst3EditorView(CVst3Controller& controller)
    : controller(controller),
      machineHost([&controller](double value) { controller.EditorChanged(value); }),
      info(&machineHost),
      machine(info.CreateMachine()),
      session(*machine)
{
    controller.addRef();
    ShowStep(controller.Step());
}

CVst3EditorView::~CVst3EditorView()
{
    // A host that releases the view without removing it first still gets its window back.
    removed();
    controller.ViewGone(this);
    controller.release();
}

vst3::tresult VST3_API CVst3EditorView::queryInterface(const vst3::TUID iid, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    if (vst3::SameUid(iid, vst3::kFUnknownIid) || vst3::SameUid(iid, vst3::kIPlugViewIid))
        return Vst3Answer<vst3::IPlugView>(this, object);
    if (vst3::SameUid(iid, vst3::kIEventHandlerIid))
        return Vst3Answer<vst3::IEventHandler>(this, object);
    if (vst3::SameUid(iid, vst3::kITimerHandlerIid))
        return Vst3Answer<vst3::ITimerHandler>(this, object);
    *object = nullptr;
    return vst3::kNoInterface;
}

uint32_t VST3_API CVst3EditorView::release()
{
    const uint32_t left = refs.Release();
    if (left == 0)
        delete this;
    return left;
}

vst3::tresult VST3_API CVst3EditorView::isPlatformTypeSupported(vst3::FIDString type)
{
    return type && std::strcmp(type, Vst3PlatformType()) == 0 ? vst3::kResultTrue : vst3::kResultFalse;
}

vst3::tresult VST3_API CVst3EditorView::attached(void* parent, vst3::FIDString type)
{
    if (!parent || isPlatformTypeSupported(type) != vst3::kResultTrue || session.Window())
        return vst3::kResultFalse;
    if (Vst3EditorNeedsRunLoop()) {
        // Without the host's loop nothing would ever serve the window: no editor at all.
        runLoop = FindRunLoop();
        if (!runLoop)
            return vst3::kResultFalse;
    }
    if (!session.Open(parent)) {
        StopWatching();
        return vst3::kResultFalse;
    }
    ShowStep(controller.Step());
    StartWatching();
    return vst3::kResultOk;
}

vst3::IRunLoop* CVst3EditorView::FindRunLoop() const
{
    void* found = nullptr;
    if (frame && frame->queryInterface(vst3::IidOf(vst3::kIRunLoopIid), &found) == vst3::kResultOk && found)
        return static_cast<vst3::IRunLoop*>(found);
    found = nullptr;
    vst3::FUnknown* context = controller.HostContext();
    if (context && context->queryInterface(vst3::IidOf(vst3::kIRunLoopIid), &found) == vst3::kResultOk && found)
        return static_cast<vst3::IRunLoop*>(found);
    return nullptr;
}

void CVst3EditorView::StartWatching()
{
    if (!runLoop)
        return;
    timerRegistered = runLoop->registerTimer(this, kTimerPeriodMs) == vst3::kResultOk;
    const int fd = session.EventDescriptor();
    handlerRegistered = fd >= 0 && runLoop->registerEventHandler(this, fd) == vst3::kResultOk;
}

void CVst3EditorView::StopWatching()
{
    if (!runLoop)
        return;
    // Before the window goes, so that the host never waits on a closed connection.
    if (handlerRegistered)
        runLoop->unregisterEventHandler(this);
    if (timerRegistered)
        runLoop->unregisterTimer(this);
    handlerRegistered = timerRegistered = false;
    runLoop->release();
    runLoop = nullptr;
}

vst3::tresult VST3_API CVst3EditorView::removed()
{
    StopWatching();
    if (!session.Window())
        return vst3::kResultFalse;
    session.Destroy();
    return vst3::kResultOk;
}

void VST3_API CVst3EditorView::onFDIsSet(int fd)
{
    if (fd >= 0 && fd == session.EventDescriptor())
        Serve();
}

void VST3_API CVst3EditorView::onTimer() { Serve(); }

void CVst3EditorView::Serve()
{
    if (session.Window())
        session.Idle();
}

void CVst3EditorView::ShowStep(int step)
{
    const double value = OversamplingControl::ValueOfStep(step);
    if (machine && machine->GetControl(OversamplingControl::kIndex) != value)
        machine->SetControl(OversamplingControl::kIndex, value);
}

bool CVst3EditorView::Size(int* width, int* height) const { return session.Size(width, height); }

vst3::tresult VST3_API CVst3EditorView::getSize(vst3::ViewRect* size)
{
    int width = 0, height = 0;
    if (!size || !Size(&width, &height))
        return vst3::kInvalidArgument;
    *size = {0, 0, width, height};
    return vst3::kResultOk;
}

// The editor is drawn at one size: the host may only confirm it.
vst3::tresult VST3_API CVst3EditorView::onSize(vst3::ViewRect* newSize)
{
    int width = 0, height = 0;
    if (!newSize || !Size(&width, &height))
        return vst3::kInvalidArgument;
    const bool same = newSize->right - newSize->left == width && newSize->bottom - newSize->top == height;
    return same ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult VST3_API CVst3EditorView::canResize() { return vst3::kResultFalse; }

vst3::tresult VST3_API CVst3EditorView::checkSizeConstraint(vst3::ViewRect* rect)
{
    int width = 0, height = 0;
    if (!rect || !Size(&width, &height))
        return vst3::kInvalidArgument;
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3EditorView::setFrame(vst3::IPlugFrame* newFrame)
{
    frame = newFrame;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3EditorView::onWheel(float) { return vst3::kResultFalse; }

vst3::tresult VST3_API CVst3EditorView::onKeyDown(vst3::char16, int16_t, int16_t) { return vst3::kResultFalse; }

vst3::tresult VST3_API CVst3EditorView::onKeyUp(vst3::char16, int16_t, int16_t) { return vst3::kResultFalse; }

vst3::tresult VST3_API CVst3EditorView::onFocus(vst3::TBool) { return vst3::kResultOk; }
