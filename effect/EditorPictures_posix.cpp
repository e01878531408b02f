#include "effect/EditorPictures.h"

// The native build has no window system and no resources: it opens no editor, so it needs
// no pictures, and the editor reports the size of its artwork.
void LoadEditorPictures(CVelvetineFilterInfo& description) {}
