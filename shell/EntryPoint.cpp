#include "shell/EntryPoint.h"

#include <memory>
#include <new>

#include "core/CpuFeatures.h"
#include "core/PluginProcess.h"
#include "effect/editor/VelvetineFilterInfo.h"
#include "framework/Machine.h"
#include "shell/CreationRecord.h"
#include "shell/HostAdapter.h"
#include "shell/Module.h"
#include "shell/TidegateAdapter.h"

namespace {

// Lives until the process ends: instances come and go, the host interface and the machine
// description stay.
ProcessContext* processContext = nullptr;
CVelvetineFilterInfo* machineDescription = nullptr;

// The host does not call the entry point from two threads at once, so this takes no lock.
void CreateProcessState(audioMasterCallback callback)
{
    auto context = std::make_unique<ProcessContext>();
    const PluginProcess& process = SharedPluginProcess([&] {
        context->host = new CHostAdapter(callback);
        context->host->queryRecord = CreationQueryRecord();
        machineDescription = new CVelvetineFilterInfo(context->host);
        return machineDescription;
    });
    context->cpuFeatures = process.cpuFeatures;
    processContext = context.release();
}

}  // namespace

CTidegateAdapter* CreateInstance(audioMasterCallback callback)
{
    try {
        std::unique_ptr<CMachine> machine(machineDescription->CreateMachine());
        CTidegateAdapter* adapter = new CTidegateAdapter(machine.get(), callback);
        adapter->UseAvx2((processContext->cpuFeatures & CPU_AVX2) != 0);
        machine.release();  // the adapter owns it now
        return adapter;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

extern "C" AEffect* VSTPluginMain(audioMasterCallback callback)
{
    AdoptLoadedModule();
    // Without a callback no machine could ask the host anything, and binding the process's
    // one host interface to nothing would break every later instance.
    if (!callback)
        return nullptr;
    if (!processContext) {
        try {
            CreateProcessState(callback);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    CTidegateAdapter* adapter = CreateInstance(callback);
    if (!adapter)
        return nullptr;
    AEffect* effect = adapter->getAeffect();
    if (!ModuleShowsEditor())
        effect->flags &= ~effFlagsHasEditor;
    return effect;
}

const ProcessContext* CurrentProcessContext()
{
    return processContext;
}

CVelvetineFilterInfo* CurrentMachineDescription()
{
    return machineDescription;
}
