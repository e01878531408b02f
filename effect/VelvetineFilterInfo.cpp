#include "effect/VelvetineFilterInfo.h"

#include "core/Identity.h"
#include "effect/EditorPictures.h"
#include "effect/VelvetineFilter.h"
#include "gui/Picture.h"

CVelvetineFilterInfo::CVelvetineFilterInfo(CHost* host)
    : CMachineInfo(Identity::kProductName, "Tidegate::" VELVETINE_PRODUCT_NAME, "Native"), host(host)
{
    LoadEditorPictures(*this);
}

CVelvetineFilterInfo::~CVelvetineFilterInfo()
{
    delete backgroundPicture;
    delete highlightedButtonsPicture;
    delete normalButtonsPicture;
}

CMachine* CVelvetineFilterInfo::CreateMachine() { return new CVelvetineFilter(host, this); }
