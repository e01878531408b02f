#include "shell/Module.h"

// Natively there is no module with resources: the toolkit's handle stays null.
void* ModuleInstance()
{
    return nullptr;
}

void AdoptLoadedModule() {}

// The toolkit has no window back end here yet, so hosts show their own control.
bool ModuleShowsEditor()
{
    return false;
}
