// The CLAP DLL's editor in a host's window under Wine: built at set_parent in the window
// given, at its one size, a press reaching the host as a gesture through a flush, gone with
// destroy.

#include <gtest/gtest.h>

#include <windows.h>

#include "core/Identity.h"
#include "host/PluginLibrary.h"
#include "tests/clap/EditorTestHost.h"
#include "tests/gui/Win32Fixtures.h"

namespace {

using namespace claptest;

constexpr int kButtonTop = 54;
int ButtonLeft(int i) { return 44 + 40 * i; }

TEST(ClapGuiWin32, EmbedsInTheParentAndReportsPressesAsGestures)
{
    PluginLibrary library(VELVETINE_CLAP_PATH);
    auto* entry = static_cast<const clap_plugin_entry*>(library.Export("clap_entry"));
    ASSERT_TRUE(entry && entry->init(library.Path().c_str())) << library.Error();
    auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    ASSERT_TRUE(factory);
    EditorTestHost host;
    const clap_plugin* plugin = factory->create_plugin(factory, &host.host, Identity::kClapId);
    ASSERT_TRUE(plugin && plugin->init(plugin));
    auto* gui = static_cast<const clap_plugin_gui*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
    auto* params = static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    ASSERT_TRUE(gui && params);
    EXPECT_TRUE(gui->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, false));

    {
        testgui::ParentWindow parent;
        ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_WIN32, false));
        EXPECT_EQ(GetWindow(parent.handle, GW_CHILD), nullptr) << "the window comes with set_parent";
        clap_window window = {};
        window.api = CLAP_WINDOW_API_WIN32;
        window.win32 = parent.handle;
        ASSERT_TRUE(gui->set_parent(plugin, &window));
        testgui::PumpMessages();
        HWND editor = GetWindow(parent.handle, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        uint32_t width = 0, height = 0;
        ASSERT_TRUE(gui->get_size(plugin, &width, &height));
        RECT client = {};
        GetClientRect(editor, &client);
        EXPECT_EQ(width, 275u);
        EXPECT_EQ(height, 120u);
        EXPECT_EQ(client.right - client.left, 275);
        EXPECT_EQ(client.bottom - client.top, 120);

        SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ButtonLeft(3) + 3, kButtonTop + 3));
        SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(ButtonLeft(3) + 3, kButtonTop + 3));
        testgui::PumpMessages();
        EXPECT_EQ(host.flushRequests, 1);
        params->flush(plugin, nullptr, &host.outputs);
        ASSERT_EQ(host.pushed.size(), 3u);
        EXPECT_EQ(host.pushed[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
        EXPECT_EQ(host.pushed[1].type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_EQ(host.pushed[1].value, 3.0);
        EXPECT_EQ(host.pushed[2].type, CLAP_EVENT_PARAM_GESTURE_END);

        gui->destroy(plugin);
        testgui::PumpMessages();
        EXPECT_EQ(GetWindow(parent.handle, GW_CHILD), nullptr);
        EXPECT_EQ(host.unregistered, host.timers.empty() ? std::vector<clap_id>{}
                                                         : std::vector<clap_id>{EditorTestHost::kTimerId});
    }
    plugin->destroy(plugin);
    entry->deinit();
}

}  // namespace
