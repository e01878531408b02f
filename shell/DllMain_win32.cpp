#include <windows.h>

#include "gui/Control.h"
#include "shell/Module.h"

namespace {

HINSTANCE loadedModule = nullptr;     // recorded by every load notification
HINSTANCE frameworkModule = nullptr;  // the toolkit's copy, taken by the entry point

// The module that holds this code: the plug-in library, or the program when the framework
// is linked into one (tests), which has no load notification.
HINSTANCE ModuleOfThisCode()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module);
    return module;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    loadedModule = instance;
    return TRUE;
}

void AdoptLoadedModule()
{
    frameworkModule = loadedModule;
    // The toolkit registers its window class and finds its pictures in this module.
    if (frameworkModule)
        SetToolkitModule(frameworkModule);
}

bool ModuleShowsEditor()
{
    return true;
}

void* ModuleInstance()
{
    if (frameworkModule)
        return frameworkModule;
    return ModuleOfThisCode();
}
