#include "effect/editor/EditorPictures.h"

namespace {

CPicture* LoadPicture(int id)
{
    CPicture* picture = new CPicture;
    picture->FromResource(id);
    return picture;
}

}  // namespace

void LoadEditorPictures(CVelvetineFilterInfo& description)
{
    description.backgroundPicture = LoadPicture(kBackgroundPictureId);
    description.highlightedButtonsPicture = LoadPicture(kHighlightedButtonsPictureId);
    description.normalButtonsPicture = LoadPicture(kNormalButtonsPictureId);
}
