#pragma once

#include "effect/editor/VelvetineFilterInfo.h"
#include "gui/Picture.h"

// Resource ids of the editor's pictures in the plug-in library.
constexpr int kBackgroundPictureId = 120;
constexpr int kHighlightedButtonsPictureId = 103;
constexpr int kNormalButtonsPictureId = 102;

// Without pictures (a description built by a test, or a build without resources) the
// editor keeps the size its artwork was drawn for.
constexpr int kDefaultEditorWidth = 275;
constexpr int kDefaultEditorHeight = 120;

// Loads the background, highlighted buttons and normal buttons pictures, in that order,
// into the description, which owns them from then on. A picture that cannot be loaded
// ends the process.
void LoadEditorPictures(CVelvetineFilterInfo& description);

// The editor's size: the background picture's.
inline int EditorWidth(const CVelvetineFilterInfo* description)
{
    return description && description->backgroundPicture ? description->backgroundPicture->width
                                                         : kDefaultEditorWidth;
}

inline int EditorHeight(const CVelvetineFilterInfo* description)
{
    return description && description->backgroundPicture ? description->backgroundPicture->height
                                                         : kDefaultEditorHeight;
}
