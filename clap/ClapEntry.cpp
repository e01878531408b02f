// The library's one export, clap_entry, and the factory behind it: one plug-in, described
// from the identity record.

#include <cstring>

#include "clap/ClapAbi.h"
#include "clap/ClapPluginAbi.h"
#include "core/Identity.h"

namespace {

// Hosts may initialise the library more than once (one scanner pass after another); it is
// ready while any of them still holds it. Called from the host's main thread only.
int initialisations = 0;

const char* const features[] = {"audio-effect", "filter", "stereo", nullptr};

const clap_plugin_descriptor descriptor = {
    kClapVersion,
    Identity::kClapId,
    Identity::kProductName,
    Identity::kMaker,
    "",
    "",
    "",
    Identity::kVersion,
    Identity::kDescription,
    features,
};

uint32_t CLAP_ABI PluginCount(const clap_plugin_factory*) { return 1; }

const clap_plugin_descriptor* CLAP_ABI PluginDescriptor(const clap_plugin_factory*, uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}

const clap_plugin* CLAP_ABI CreatePlugin(const clap_plugin_factory*, const clap_host* host, const char* id)
{
    if (initialisations == 0 || !host || !id || std::strcmp(id, descriptor.id) != 0 ||
        !ClapVersionIsCompatible(host->clap_version))
        return nullptr;
    return CreateClapPlugin(host, &descriptor);
}

const clap_plugin_factory factory = {PluginCount, PluginDescriptor, CreatePlugin};

bool CLAP_ABI Init(const char*)
{
    ++initialisations;
    return true;
}

void CLAP_ABI Deinit()
{
    if (initialisations > 0)
        --initialisations;
}

const void* CLAP_ABI Factory(const char* id)
{
    if (initialisations == 0 || !id || std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) != 0)
        return nullptr;
    return &factory;
}

}  // namespace

// Exported by name through the module-definition file or the version script.
extern "C" {
extern const clap_plugin_entry clap_entry;
const clap_plugin_entry clap_entry = {kClapVersion, Init, Deinit, Factory};
}
