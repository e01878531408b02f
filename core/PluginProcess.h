#pragma once

#include <cstdint>

#include "effect/FilterDescription.h"

// What every instance of a plug-in binary shares, made with its first instance and kept until
// the process ends: the processor's features, the constant buffers and the one machine
// description, through which every machine is made.
struct PluginProcess {
    uint32_t cpuFeatures;
    CFilterDescription* description;
};

// The process's state, null before it is made.
const PluginProcess* CurrentPluginProcess();

// Makes the process's state unless it exists, in this order: the processor is probed, the
// constant buffers are made, then the description `makeDescription()` returns (a binding's
// own, with the host interface it gives every machine). Later calls return the same state
// and make nothing. Hosts make instances from one thread at a time, so this takes no lock.
// Out of memory it throws std::bad_alloc, and a later call tries again.
template <class MakeDescription>
const PluginProcess& SharedPluginProcess(MakeDescription makeDescription);

// ---- implementation ----------------------------------------------------------------------

uint32_t ProbeProcessAndMakeBuffers();
const PluginProcess& KeepPluginProcess(uint32_t cpuFeatures, CFilterDescription* description);

template <class MakeDescription>
const PluginProcess& SharedPluginProcess(MakeDescription makeDescription)
{
    if (const PluginProcess* process = CurrentPluginProcess())
        return *process;
    const uint32_t features = ProbeProcessAndMakeBuffers();
    return KeepPluginProcess(features, makeDescription());
}
