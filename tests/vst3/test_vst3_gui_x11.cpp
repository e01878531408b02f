// The VST3 editor view in the fixture's real X11 window, served only from the host's run
// loop (a timer and the editor connection's descriptor): its one size, a press reaching the
// host as an edit, the host's changes shown, gone with removed() and made again after it;
// without a run loop or a display there is no editor, and nothing else happens.

#include <cstdlib>
#include <string>
#include <vector>

#include "core/Identity.h"
#include "host/Vst3HostObjects.h"
#include "tests/effect/X11Fixture.h"
#include "tests/vst3/Vst3EditorHost.h"
#include "tests/vst3/Vst3Module.h"

namespace {

using namespace vst3test;
using namespace x11test;

// A host context that is also the host's run loop, for views that are given no frame.
class ContextWithRunLoop : public vst3::IHostApplication, public RecordingRunLoop {
public:
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override
    {
        *object = nullptr;
        if (vst3::SameUid(iid, vst3::kIHostApplicationIid) || vst3::SameUid(iid, vst3::kFUnknownIid))
            *object = static_cast<vst3::IHostApplication*>(this);
        else if (vst3::SameUid(iid, vst3::kIRunLoopIid))
            *object = static_cast<vst3::IRunLoop*>(this);
        return *object ? vst3::kResultOk : vst3::kNoInterface;
    }
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    vst3::tresult VST3_API getName(vst3::String128 name) override
    {
        name[0] = 0;
        return vst3::kResultOk;
    }
    vst3::tresult VST3_API createInstance(vst3::TUID, vst3::TUID, void**) override { return vst3::kResultFalse; }
};

class Vst3Gui : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        ASSERT_TRUE(Library().Loaded()) << Library().Error();
        MakeController(&plainContext);
    }

    void TearDown() override
    {
        if (controller) {
            controller->setComponentHandler(nullptr);
            controller->terminate();
            controller->release();
        }
        EXPECT_EQ(handler.references, 0) << "the controller kept the handler";
        X11Host::TearDown();
    }

    void MakeController(vst3::FUnknown* context)
    {
        controller = Create<vst3::IEditController>(Identity::kVst3ControllerClassId, vst3::kIEditControllerIid, context);
        ASSERT_TRUE(controller);
        ASSERT_EQ(controller->setComponentHandler(&handler), vst3::kResultOk);
    }

    // The host's loop firing its timers: the editor handles its window's events.
    void Pump() override { frame.FireTimers(); }

    // A new view in the fixture's window, given the frame; its window, or 0.
    Window Attach(vst3::IPlugView* view)
    {
        if (view->setFrame(&frame) != vst3::kResultOk ||
            view->attached(ParentHandle(), vst3::kPlatformTypeX11EmbedWindowID) != vst3::kResultOk)
            return 0;
        Pump();
        const std::vector<Window> children = Children();
        return children.size() == 1 ? children[0] : 0;
    }

    CVst3HostApplication plainContext;
    ContextWithRunLoop context;  // the controller holds the context until it terminates
    RecordingHandler handler;
    RecordingFrame frame;
    vst3::IEditController* controller = nullptr;
};

TEST_F(Vst3Gui, EmbedsAtItsOneSizeOnTheHostsRunLoopAndComesBackAfterRemoved)
{
    EXPECT_EQ(controller->createView("other"), nullptr);
    vst3::IPlugView* view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(vst3::kPlatformTypeHWND), vst3::kResultFalse);
    EXPECT_EQ(view->attached(ParentHandle(), vst3::kPlatformTypeHWND), vst3::kResultFalse);
    vst3::ViewRect size = {};
    ASSERT_EQ(view->getSize(&size), vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, kWidth);
    EXPECT_EQ(size.bottom - size.top, kHeight);
    EXPECT_EQ(view->canResize(), vst3::kResultFalse);
    vst3::ViewRect other = {0, 0, kWidth + 10, kHeight};
    EXPECT_EQ(view->onSize(&other), vst3::kResultFalse);
    EXPECT_EQ(view->onSize(&size), vst3::kResultOk);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("attached " + std::to_string(round + 1) + " times");
        const Window editor = Attach(view);
        ASSERT_NE(editor, 0u);
        ASSERT_EQ(frame.timers.size(), 1u);
        ASSERT_EQ(frame.handlers.size(), 1u);
        EXPECT_GE(frame.handlers[0].fd, 0);
        EXPECT_EQ(ShownState(editor), round == 0 ? 0 : 1);
        // A press served from the descriptor alone, as a host waiting on it serves it.
        handler.edits.clear();
        const int button = round == 0 ? 1 : 3;
        SendButton(editor, ButtonPress, ButtonLeft(button) + 3, kButtonTop + 3);
        SendButton(editor, ButtonRelease, ButtonLeft(button) + 3, kButtonTop + 3);
        frame.handlers[0].handler->onFDIsSet(frame.handlers[0].fd);
        const double value = button / 4.0;
        EXPECT_EQ(handler.edits, (std::vector<RecordingHandler::Edit>{{'b', 0, 0.0}, {'p', 0, value}, {'e', 0, 0.0}}));
        EXPECT_EQ(controller->getParamNormalized(0), value);
        // The host's change shows at the next timer.
        ASSERT_EQ(controller->setParamNormalized(0, 0.25), vst3::kResultOk);
        Pump();
        EXPECT_EQ(ShownState(editor), 1);
        EXPECT_EQ(view->removed(), vst3::kResultOk);
        EXPECT_TRUE(frame.timers.empty()) << "the timer was left registered";
        EXPECT_TRUE(frame.handlers.empty()) << "the connection's descriptor was left registered";
        EXPECT_TRUE(Children().empty());
        EXPECT_EQ(frame.references, 0) << "the view kept the run loop";
    }
    view->release();

    // A new view after the last one went.
    view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_NE(Attach(view), 0u);
    EXPECT_EQ(view->removed(), vst3::kResultOk);
    view->release();
    EXPECT_TRUE(Children().empty());
}

TEST_F(Vst3Gui, WithoutARunLoopThereIsNoEditorAndTheHostContextsLoopServesAFramelessView)
{
    frame.offersRunLoop = false;
    vst3::IPlugView* view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->setFrame(&frame), vst3::kResultOk);
    EXPECT_EQ(view->attached(ParentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultFalse);
    EXPECT_TRUE(Children().empty());
    view->release();
    controller->setComponentHandler(nullptr);
    controller->terminate();
    controller->release();
    controller = nullptr;

    MakeController(static_cast<vst3::IHostApplication*>(&context));
    view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->attached(ParentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    EXPECT_EQ(context.timers.size(), 1u);
    EXPECT_EQ(Children().size(), 1u);
    // A host that releases the view without removing it gets its window and loop back.
    view->release();
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(context.timers.empty());
    EXPECT_TRUE(context.handlers.empty());
}

TEST_F(Vst3Gui, WithoutADisplayThereIsNoEditor)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    vst3::IPlugView* view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->setFrame(&frame), vst3::kResultOk);
    EXPECT_EQ(view->attached(ParentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultFalse);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_TRUE(frame.timers.empty());
    EXPECT_EQ(view->removed(), vst3::kResultFalse) << "nothing was attached";
    view->release();
    EXPECT_TRUE(Children().empty());
}

}  // namespace
