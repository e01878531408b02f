// The CLAP library's editor embedded in the fixture's X11 window, served only from the
// host's timer: its size, a press reaching the host as a gesture through a flush, the host's
// changes shown, and everything gone with the editor.

#include <dlfcn.h>

#include <cstring>
#include <vector>

#include "clap/ClapAbi.h"
#include "core/Identity.h"
#include "tests/effect/X11Fixture.h"

namespace {

using namespace x11test;

struct OutputEvent {
    uint16_t type;
    double value;
};

class ClapGui : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        library = dlopen(VELVETINE_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        entry = static_cast<const clap_plugin_entry*>(dlsym(library, "clap_entry"));
        ASSERT_TRUE(entry && entry->init(VELVETINE_CLAP_PATH));
        auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
        ASSERT_TRUE(factory);
        host = {kClapVersion, this, "test", "", "", "1", &HostExtension, &Request, &Request, &Request};
        plugin = factory->create_plugin(factory, &host, Identity::kClapId);
        ASSERT_TRUE(plugin && plugin->init(plugin));
        gui = static_cast<const clap_plugin_gui*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
        params = static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
        timerSupport = static_cast<const clap_plugin_timer_support*>(
            plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
        ASSERT_TRUE(gui && params && timerSupport);
        outputs = {this, &Push};
    }

    void TearDown() override
    {
        if (plugin)
            plugin->destroy(plugin);
        if (entry)
            entry->deinit();
        if (library)
            dlclose(library);
        X11Host::TearDown();
    }

    static const void* CLAP_ABI HostExtension(const clap_host* h, const char* id)
    {
        static const clap_host_timer_support timers = {&RegisterTimer, &UnregisterTimer};
        static const clap_host_params hostParams = {&Rescan, &Clear, &RequestFlush};
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
            return &timers;
        return std::strcmp(id, CLAP_EXT_PARAMS) == 0 ? &hostParams : nullptr;
    }
    static ClapGui* Self(const clap_host* h) { return static_cast<ClapGui*>(h->host_data); }
    static void CLAP_ABI Request(const clap_host*) {}
    static bool CLAP_ABI RegisterTimer(const clap_host* h, uint32_t period, clap_id* id)
    {
        Self(h)->timers.push_back(period);
        *id = kTimerId;
        return true;
    }
    static bool CLAP_ABI UnregisterTimer(const clap_host* h, clap_id id)
    {
        Self(h)->unregistered.push_back(id);
        return true;
    }
    static void CLAP_ABI Rescan(const clap_host*, uint32_t) {}
    static void CLAP_ABI Clear(const clap_host*, clap_id, uint32_t) {}
    static void CLAP_ABI RequestFlush(const clap_host* h) { ++Self(h)->flushRequests; }
    static bool CLAP_ABI Push(const clap_output_events* list, const clap_event_header* event)
    {
        auto* self = static_cast<ClapGui*>(list->ctx);
        double value = 0.0;
        if (event->type == CLAP_EVENT_PARAM_VALUE)
            value = reinterpret_cast<const clap_event_param_value*>(event)->value;
        self->pushed.push_back({event->type, value});
        return true;
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

    static constexpr clap_id kTimerId = 7;
    void* library = nullptr;
    const clap_plugin_entry* entry = nullptr;
    clap_host host;
    const clap_plugin* plugin = nullptr;
    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_timer_support* timerSupport = nullptr;
    clap_output_events outputs;
    std::vector<uint32_t> timers;
    std::vector<clap_id> unregistered;
    int flushRequests = 0;
    std::vector<OutputEvent> pushed;
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
    EXPECT_EQ(timers.size(), 1u);
    EXPECT_EQ(ShownState(editor), 0);
    gui->destroy(plugin);
    EXPECT_EQ(unregistered, std::vector<clap_id>{kTimerId});
    EXPECT_TRUE(Children().empty());
}

TEST_F(ClapGui, PressesReachTheHostAsGesturesAndHostChangesAreShown)
{
    const Window editor = Embed();
    ASSERT_NE(editor, 0u);
    Click(editor, ButtonLeft(2) + 3, kButtonTop + 3);
    EXPECT_EQ(flushRequests, 1);
    params->flush(plugin, nullptr, &outputs);
    ASSERT_EQ(pushed.size(), 3u);
    EXPECT_EQ(pushed[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(pushed[1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(pushed[1].value, 2.0);
    EXPECT_EQ(pushed[2].type, CLAP_EVENT_PARAM_GESTURE_END);
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
    pushed.clear();
    params->flush(plugin, &in, &outputs);
    EXPECT_TRUE(pushed.empty()) << "a change from the host is not reported back";
    Pump();
    EXPECT_EQ(ShownState(editor), 4);
}

}  // namespace
