#include "shell/Module.h"

// Natively there is no module with resources: the toolkit's handle stays null.
void* ModuleInstance()
{
    return nullptr;
}

void AdoptLoadedModule() {}
