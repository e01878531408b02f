#include "host/PluginLibrary.h"

#include <dlfcn.h>

PluginLibrary::PluginLibrary(const std::string& requestedPath) : path(requestedPath)
{
    // RTLD_LOCAL, as Linux hosts load plug-ins: the library's symbols stay its own.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "dlopen(" + path + ") failed: " + (reason ? reason : "no reason given");
        return;
    }
    module = library;
    entry = reinterpret_cast<VstPluginEntry>(dlsym(library, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<VstPluginEntry>(dlsym(library, "main"));
    if (!entry)
        error = "no VSTPluginMain in " + path;
}

PluginLibrary::~PluginLibrary()
{
    if (module)
        dlclose(module);
}

void* PluginLibrary::Export(const char* name) const
{
    return module ? dlsym(module, name) : nullptr;
}
