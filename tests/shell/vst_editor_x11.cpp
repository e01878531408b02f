// The Linux VST 2.x plug-in's editor, loaded from the shared object as a host loads it:
// opened in the host's X11 window, driven by effEditIdle, a press heard by the host through
// audioMasterAutomate, and failures that leave the host running.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/Vst2.h"
#include "tests/effect/X11Fixture.h"

namespace {

using namespace x11test;

struct Automation {
    void* effect;
    int32_t index;
    float value;
};
std::vector<Automation> automations;

intptr_t Callback(void* effect, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    switch (opcode) {
    case audioMasterAutomate:
        automations.push_back({effect, index, opt});
        return 0;
    case 1:  // audioMasterVersion
        return 2400;
    case audioMasterGetSampleRate:
        return 48000;
    case audioMasterGetBlockSize:
        return 512;
    default:
        return 0;
    }
}

class VstEditor : public X11Host {
protected:
    void SetUp() override
    {
        X11Host::SetUp();
        automations.clear();
        library = dlopen(VELVETINE_VST2_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<VstPluginEntry>(dlsym(library, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
        effect = entry(&Callback);
        ASSERT_NE(effect, nullptr);
        Dispatch(effOpen);
    }

    void TearDown() override
    {
        if (effect)
            Dispatch(effClose);
        // The library stays loaded: its process-wide state is never released.
        X11Host::TearDown();
    }

    intptr_t Dispatch(int32_t opcode, intptr_t value = 0, void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    }

    Window Open(void* parentWindow)
    {
        Dispatch(effEditOpen, 0, parentWindow);
        Pump();
        const std::vector<Window> children = Children();
        return children.size() == 1 ? children[0] : 0;
    }

    void Pump() override { Dispatch(effEditIdle); }

    void* library = nullptr;
    AEffect* effect = nullptr;
};

TEST_F(VstEditor, OpensInTheHostsWindowAndPressesReachTheHost)
{
    EXPECT_TRUE(effect->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    Dispatch(effEditGetRect, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);

    const Window editor = Open(ParentHandle());
    ASSERT_NE(editor, 0u);
    EXPECT_EQ(ShownState(editor), 0);
    for (int button : {1, 4, 2, 0, 3}) {
        automations.clear();
        Click(editor, ButtonLeft(button) + kButtonSize / 2, kButtonTop + kButtonSize / 2);
        ASSERT_EQ(automations.size(), 1u) << "button " << button;
        EXPECT_EQ(automations[0].effect, effect);
        EXPECT_EQ(automations[0].index, 0);
        EXPECT_EQ(automations[0].value, button * 0.25f);
        EXPECT_EQ(effect->getParameter(effect, 0), button * 0.25f);
        EXPECT_EQ(ShownState(editor), button);
    }
    // The host's own change moves the highlight and is not reported back.
    automations.clear();
    effect->setParameter(effect, 0, 0.5f);
    Pump();
    EXPECT_EQ(ShownState(editor), 2);
    EXPECT_TRUE(automations.empty());

    Dispatch(effEditClose);
    Dispatch(effClose);
    effect = nullptr;
    EXPECT_TRUE(Children().empty());
}

TEST_F(VstEditor, ABadWindowOrNoDisplayOpensNothingAndTheHostGoesOn)
{
    const int clients = ClientCount();
    EXPECT_EQ(Open(reinterpret_cast<void*>(uintptr_t(0x3ffffffe))), 0u);
    const std::string saved = std::getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(Open(ParentHandle()), 0u);
    setenv("DISPLAY", saved.c_str(), 1);
    Dispatch(effEditIdle);
    Dispatch(effEditClose);
    EXPECT_EQ(ClientCount(), clients);
    // Still a working instance, and a real window now gets the editor.
    EXPECT_NE(Open(ParentHandle()), 0u);
}

}  // namespace
