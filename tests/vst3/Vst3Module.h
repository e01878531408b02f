#pragma once

// The VST3 bundle this build made, loaded once per test program as hosts load it (the
// binary for this platform, entered with its platform's entry) and kept: its process-wide
// state must outlive every instance. Instances are made and released through the factory.

#include <gtest/gtest.h>

#include <string>

#include "host/PluginLibrary.h"
#include "host/Vst3Module.h"
#include "vst3/Vst3Abi.h"

namespace vst3test {

inline PluginLibrary& Library()
{
    static PluginLibrary* library = [] {
        auto* loaded = new PluginLibrary(Vst3BinaryOf(VELVETINE_VST3_BUNDLE));
        std::string problem;
        if (loaded->Loaded() && !Vst3EnterModule(*loaded, problem))
            ADD_FAILURE() << problem;
        return loaded;
    }();
    return *library;
}

inline vst3::IPluginFactory* Factory()
{
    auto getFactory = reinterpret_cast<Vst3GetFactoryProc>(Library().Export("GetPluginFactory"));
    return getFactory ? getFactory() : nullptr;
}

template <class Interface>
Interface* Query(vst3::FUnknown* object, const vst3::Uid& iid)
{
    void* found = nullptr;
    if (!object || object->queryInterface(vst3::IidOf(iid), &found) != vst3::kResultOk)
        return nullptr;
    return static_cast<Interface*>(found);
}

// An instance of the class `cid` as `Interface`, initialized with `context`; null on failure.
template <class Interface>
Interface* Create(const char* cidText, const vst3::Uid& iid, vst3::FUnknown* context)
{
    vst3::IPluginFactory* factory = Factory();
    const vst3::Uid cid = vst3::UidOfText(cidText);
    void* made = nullptr;
    if (!factory || factory->createInstance(vst3::IidOf(cid), vst3::IidOf(iid), &made) != vst3::kResultOk || !made)
        return nullptr;
    auto* instance = static_cast<Interface*>(made);
    if (instance->initialize(context) != vst3::kResultOk) {
        instance->release();
        return nullptr;
    }
    return instance;
}

// Releases a reference when it goes, terminating first for the plug-in's own objects.
template <class Interface>
struct Held {
    explicit Held(Interface* object = nullptr) : object(object) {}
    ~Held()
    {
        if (object)
            object->release();
    }
    Interface* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }
    Interface* object;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

}  // namespace vst3test
