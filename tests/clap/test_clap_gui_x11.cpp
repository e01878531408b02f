// The CLAP library's editor embedded in the fixture's X11 window, served only from the
// host's timer and file descriptor: its size, a press reaching the host as a gesture through
// a flush, the host's changes shown, and everything gone with the editor.

#include <dlfcn.h>

#include <cstring>
#include <vector>

#include "clap/ClapAbi.h"
#include "core/Identity.h"
#include "tests/clap/EditorTestHost.h"
#include "tests/effect/X11Fixture.h"

namespace {

using namespace claptest;
using namespace x11test;

class ClapGui : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        // Loaded once and kept, as hosts keep a plug-in's library: its process-wide state
        // outlives every instance.
        static void* const loaded = dlopen(VELVETINE_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
        library = loaded;
        ASSERT_NE(library, nullptr) << dlerror();
        entry = static_cast<const clap_plugin_entry*>(dlsym(library, "clap_entry"));
        ASSERT_TRUE(entry && entry->init(VELVETINE_CLAP_PATH));
        auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
        ASSERT_TRUE(factory);
        plugin = factory->create_plugin(factory, &host.host, Identity::kClapId);
        ASSERT_TRUE(plugin && plugin->init(plugin));
        gui = static_cast<const clap_plugin_gui*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
        params = static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
        timerSupport = static_cast<const clap_plugin_timer_support*>(
            plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
        fdSupport = static_cast<const clap_plugin_posix_fd_support*>(
            plugin->get_extension(plugin, CLAP_EXT_POSIX_FD_SUPPORT));
        ASSERT_TRUE(gui && params && timerSupport && fdSupport);
    }

    void TearDown() override
    {
        if (plugin)
            plugin->destroy(plugin);
        if (entry)
            entry->deinit();
        X11Host::TearDown();
    }

    // The host's timer firing: the editor handles its window's events and shows the value.
    void Pump() override { timerSupport->on_timer(plugin, kTimerId); }

    Window Embed()
    {
        if (!gui->create(plugin, CLAP_WINDOW_API_X11, false))
            return 0;
        clap_window window = {};
        window.api = CLAP_WINDOW_API_X11;
        window.x11 = parent;
        if (!gui->set_parent(plugin, &window))
            return 0;
        Pump();
        const std::vector<Window> children = Children();
        return children.size() == 1 ? children[0] : 0;
    }

    static constexpr clap_id kTimerId = EditorTestHost::kTimerId;
    void* library = nullptr;
    const clap_plugin_entry* entry = nullptr;
    EditorTestHost host;
    const clap_plugin* plugin = nullptr;
    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_timer_support* timerSupport = nullptr;
    const clap_plugin_posix_fd_support* fdSupport = nullptr;
};

TEST_F(ClapGui, EmbedsAtItsOneSizeOnTheHostsTimerAndGoesWithDestroy)
{
    EXPECT_TRUE(gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui->create(plugin, CLAP_WINDOW_API_WIN32, false));
    const Window editor = Embed();
    ASSERT_NE(editor, 0u);
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(plugin, &width, &height));
    EXPECT_EQ(width, uint32_t(kWidth));
    EXPECT_EQ(height, uint32_t(kHeight));
    EXPECT_FALSE(gui->can_resize(plugin));
    EXPECT_EQ(host.timers.size(), 1u);
    ASSERT_EQ(host.fds.size(), 1u);
    EXPECT_GE(host.fds[0], 0);
    EXPECT_EQ(ShownState(editor), 0);
    // A press served from the descriptor alone, as a host waiting on it serves it.
    SendButton(editor, ButtonPress, ButtonLeft(1) + 3, kButtonTop + 3);
    SendButton(editor, ButtonRelease, ButtonLeft(1) + 3, kButtonTop + 3);
    fdSupport->on_fd(plugin, host.fds[0], CLAP_POSIX_FD_READ);
    double value = -1.0;
    EXPECT_TRUE(params->get_value(plugin, 0, &value));
    EXPECT_EQ(value, 1.0);
    gui->destroy(plugin);
    EXPECT_EQ(host.unregistered, std::vector<clap_id>{kTimerId});
    EXPECT_TRUE(host.fds.empty()) << "the connection's descriptor was left registered";
    EXPECT_TRUE(Children().empty());
}

TEST_F(ClapGui, PressesReachTheHostAsGesturesAndHostChangesAreShown)
{
    const Window editor = Embed();
    ASSERT_NE(editor, 0u);
    Click(editor, ButtonLeft(2) + 3, kButtonTop + 3);
    EXPECT_EQ(host.flushRequests, 1);
    params->flush(plugin, nullptr, &host.outputs);
    ASSERT_EQ(host.pushed.size(), 3u);
    EXPECT_EQ(host.pushed[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(host.pushed[1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(host.pushed[1].value, 2.0);
    EXPECT_EQ(host.pushed[2].type, CLAP_EVENT_PARAM_GESTURE_END);
    double value = -1.0;
    EXPECT_TRUE(params->get_value(plugin, 0, &value));
    EXPECT_EQ(value, 2.0);
    EXPECT_EQ(ShownState(editor), 2);

    // The host's change, given as a value event in a flush, shows at the next timer.
    clap_event_param_value event = {};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.value = 4.0;
    struct One {
        static uint32_t CLAP_ABI Size(const clap_input_events*) { return 1; }
        static const clap_event_header* CLAP_ABI Get(const clap_input_events* l, uint32_t)
        {
            return static_cast<const clap_event_header*>(l->ctx);
        }
    };
    const clap_input_events in = {&event.header, &One::Size, &One::Get};
    host.pushed.clear();
    params->flush(plugin, &in, &host.outputs);
    EXPECT_TRUE(host.pushed.empty()) << "a change from the host is not reported back";
    Pump();
    EXPECT_EQ(ShownState(editor), 4);
}

}  // namespace
