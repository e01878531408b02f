// The LV2 entry point: the descriptor and the C functions the host calls, each handing on to
// the instance behind the handle.

#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

#include "core/Identity.h"
#include "lv2/Lv2Instance.h"

namespace {

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (int i = 0; features && features[i]; ++i)
        if (features[i]->URI && std::strcmp(features[i]->URI, uri) == 0)
            return features[i]->data;
    return nullptr;
}

// The host's bufsz:maxBlockLength option, or 0 when it gives none that can be read.
int MaxBlockLength(const LV2_Feature* const* features)
{
    auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
    auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
    if (!map || !map->map || !options)
        return 0;
    const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID atomInt = map->map(map->handle, "http://lv2plug.in/ns/ext/atom#Int");
    for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
        if (o->key == maxBlock && o->type == atomInt && o->size == sizeof(int32_t) && o->value)
            return *static_cast<const int32_t*>(o->value);
    }
    return 0;
}

CLv2Instance* InstanceOf(LV2_Handle handle)
{
    return static_cast<CLv2Instance*>(handle);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features)
{
    try {
        return new CLv2Instance(rate, MaxBlockLength(features));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data)
{
    InstanceOf(handle)->ConnectPort(port, data);
}

void Activate(LV2_Handle handle)
{
    InstanceOf(handle)->Activate();
}

void Run(LV2_Handle handle, uint32_t frames)
{
    InstanceOf(handle)->Run(frames);
}

// Nothing to stop: activate does what a restart needs. Present because some hosts call it
// without looking.
void Deactivate(LV2_Handle) {}

void Cleanup(LV2_Handle handle)
{
    delete InstanceOf(handle);
}

const void* ExtensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor descriptor = {
    Identity::kLv2Uri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData,
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
