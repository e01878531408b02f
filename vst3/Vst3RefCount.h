#pragma once

#include <atomic>
#include <cstdint>

#include "vst3/Vst3Abi.h"

// The reference count of one object of the plug-in's: made with one reference, the
// creator's. Hosts may add and release references from any thread.
class CVst3RefCount {
public:
    uint32_t Add() { return count.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The references left; the caller deletes the object at 0.
    uint32_t Release() { return count.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<uint32_t> count{1};
};

// Answers a queryInterface with `object` as the interface `iid` names, adding a reference.
template <class Interface, class Object>
vst3::tresult Vst3Answer(Object* object, void** answer)
{
    *answer = static_cast<Interface*>(object);
    object->addRef();
    return vst3::kResultOk;
}
