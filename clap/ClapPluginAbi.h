#pragma once

#include "clap/ClapAbi.h"

// A new instance for the host, made without calling it; null when it cannot be made.
const clap_plugin* CreateClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor);
