// The bundle's LV2 user interface, loaded from its shared object as a host loads it and
// embedded in the fixture's window: its size, presses written to the control port, port
// events moving the highlight, and failing without a parent or a display.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/effect/X11Fixture.h"

namespace {

using namespace x11test;

struct Written {
    uint32_t port, size, format;
    float value;
};

class Lv2Ui : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        library = dlopen(VELVETINE_LV2_UI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(entry(1), nullptr);
        idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);
    }

    void TearDown() override
    {
        if (handle)
            descriptor->cleanup(handle);
        if (library)
            dlclose(library);
        X11Host::TearDown();
    }

    static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        Written entry = {port, size, format, 0.0f};
        if (size == sizeof(float))
            std::memcpy(&entry.value, buffer, sizeof(float));
        static_cast<Lv2Ui*>(controller)->written.push_back(entry);
    }

    static int Resize(LV2UI_Feature_Handle self, int width, int height)
    {
        static_cast<Lv2Ui*>(self)->resized.push_back({width, height});
        return 0;
    }

    // Instantiates with the parent (when `withParent`) and the resize feature.
    Window Instantiate(bool withParent = true)
    {
        LV2_Feature parentFeature = {LV2_UI__parent, ParentHandle()};
        LV2UI_Resize resize = {this, &Resize};
        LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&resizeFeature, withParent ? &parentFeature : nullptr, nullptr};
        LV2UI_Widget widget = nullptr;
        handle = descriptor->instantiate(descriptor, "urn:fernhollowstudios:qm-velvetine", "/nowhere", &Write, this,
                                         &widget, features);
        if (!handle)
            return 0;
        Pump();
        return static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    }

    void Pump() override { idle->idle(handle); }

    void PortEvent(uint32_t port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }

    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    LV2UI_Handle handle = nullptr;
    std::vector<Written> written;
    std::vector<std::pair<int, int>> resized;
};

TEST_F(Lv2Ui, EmbedsTheEditorAndReportsItsSize)
{
    EXPECT_STREQ(descriptor->URI, "urn:fernhollowstudios:qm-velvetine:ui");
    const Window widget = Instantiate();
    ASSERT_NE(widget, 0u);
    EXPECT_EQ(Children(), std::vector<Window>{widget});
    EXPECT_EQ(resized, (std::vector<std::pair<int, int>>{{kWidth, kHeight}}));
    EXPECT_EQ(ShownState(widget), 0);
}

TEST_F(Lv2Ui, PressesWriteTheFactorAndPortEventsMoveTheHighlight)
{
    const Window widget = Instantiate();
    ASSERT_NE(widget, 0u);
    for (int button : {2, 4, 0, 1, 3}) {
        written.clear();
        Click(widget, ButtonLeft(button) + 3, kButtonTop + 3);
        ASSERT_EQ(written.size(), 1u) << "button " << button;
        EXPECT_EQ(written[0].port, 4u);
        EXPECT_EQ(written[0].format, 0u);
        EXPECT_EQ(written[0].size, sizeof(float));
        EXPECT_EQ(written[0].value, float(2 << button));
        EXPECT_EQ(ShownState(widget), button);
    }
    written.clear();
    // The processing reads a factor between steps as the step below it.
    const std::vector<std::pair<float, int>> events = {{16.0f, 3}, {2.0f, 0}, {32.0f, 4}, {6.0f, 1}, {100.0f, 4}};
    for (const auto& [factor, state] : events) {
        PortEvent(4, factor);
        Pump();
        EXPECT_EQ(ShownState(widget), state) << "factor " << factor;
    }
    PortEvent(0, 8.0f);  // an audio port: not the control
    Pump();
    EXPECT_EQ(ShownState(widget), 4);
    EXPECT_TRUE(written.empty()) << "a change from the host is not written back";
}

TEST_F(Lv2Ui, NoParentOrNoDisplayGivesNoInterface)
{
    const int clients = ClientCount();
    EXPECT_EQ(Instantiate(false), 0u);
    EXPECT_EQ(handle, nullptr);
    const std::string saved = std::getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(Instantiate(), 0u);
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(ClientCount(), clients);
    EXPECT_TRUE(Children().empty());
}

}  // namespace
