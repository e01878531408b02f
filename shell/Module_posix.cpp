#include "shell/Module.h"

// Natively there is no module with resources: the toolkit's handle stays null.
void* ModuleInstance()
{
    return nullptr;
}

void AdoptLoadedModule() {}

// The toolkit's X11 back end shows the editor; where there is no display the open fails
// and the host carries on without it.
bool ModuleShowsEditor()
{
    return true;
}
