#include "effect/FilterDescription.h"

#include "core/Identity.h"
#include "effect/VelvetineFilter.h"

CFilterDescription::CFilterDescription(CHost* host)
    : CMachineInfo(Identity::kProductName, "Tidegate::" VELVETINE_PRODUCT_NAME, "Native"), host(host)
{
}

CMachine* CFilterDescription::CreateMachine() { return CreateFilter(); }

CVelvetineFilter* CFilterDescription::CreateFilter()
{
    CVelvetineFilter* machine = new CVelvetineFilter(host, this);
    machine->UseAvx2(useAvx2);
    return machine;
}

bool CFilterDescription::EditorSize(int*, int*) const { return false; }

CFilterEditor* CFilterDescription::BuildEditor(void*, CVelvetineFilter*) { return nullptr; }
