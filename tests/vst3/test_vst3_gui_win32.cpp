// The VST3 DLL's editor view in a host's window under Wine: built at attached() in the
// window given, at its one size, a press reaching the host as an edit, gone with removed()
// and built again after it. Windows needs no run loop: the window's messages drive it.

#include <gtest/gtest.h>

#include <windows.h>

#include "core/Identity.h"
#include "host/Vst3HostObjects.h"
#include "tests/gui/Win32Fixtures.h"
#include "tests/vst3/Vst3EditorHost.h"
#include "tests/vst3/Vst3Module.h"

namespace {

using namespace vst3test;

constexpr int kButtonTop = 54;
int ButtonLeft(int i) { return 44 + 40 * i; }

TEST(Vst3GuiWin32, EmbedsInTheParentReportsPressesAsEditsAndComesBackAfterRemoved)
{
    ASSERT_TRUE(Library().Loaded()) << Library().Error();
    CVst3HostApplication context;
    RecordingHandler handler;
    vst3::IEditController* controller =
        Create<vst3::IEditController>(Identity::kVst3ControllerClassId, vst3::kIEditControllerIid, &context);
    ASSERT_TRUE(controller);
    ASSERT_EQ(controller->setComponentHandler(&handler), vst3::kResultOk);
    vst3::IPlugView* view = controller->createView(vst3::kEditorViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(vst3::kPlatformTypeHWND), vst3::kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultFalse);
    vst3::ViewRect size = {};
    ASSERT_EQ(view->getSize(&size), vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, 275);
    EXPECT_EQ(size.bottom - size.top, 120);

    {
        testgui::ParentWindow parent;
        for (int button : {3, 2}) {
            SCOPED_TRACE("pressing button " + std::to_string(button));
            ASSERT_EQ(view->attached(parent.handle, vst3::kPlatformTypeHWND), vst3::kResultOk);
            testgui::PumpMessages();
            HWND editor = GetWindow(parent.handle, GW_CHILD);
            ASSERT_NE(editor, nullptr);
            RECT client = {};
            GetClientRect(editor, &client);
            EXPECT_EQ(client.right - client.left, 275);
            EXPECT_EQ(client.bottom - client.top, 120);
            handler.edits.clear();
            SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ButtonLeft(button) + 3, kButtonTop + 3));
            SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(ButtonLeft(button) + 3, kButtonTop + 3));
            testgui::PumpMessages();
            const double value = button / 4.0;
            EXPECT_EQ(handler.edits,
                      (std::vector<RecordingHandler::Edit>{{'b', 0, 0.0}, {'p', 0, value}, {'e', 0, 0.0}}));
            EXPECT_EQ(controller->getParamNormalized(0), value);
            EXPECT_EQ(view->removed(), vst3::kResultOk);
            testgui::PumpMessages();
            EXPECT_EQ(GetWindow(parent.handle, GW_CHILD), nullptr);
        }
    }
    view->release();
    controller->setComponentHandler(nullptr);
    EXPECT_EQ(handler.references, 0);
    controller->terminate();
    controller->release();
}

}  // namespace
