#pragma once

#include "effect/FilterDescription.h"

class CPicture;

// The description of the filter machine for bindings that show its editor: the editor's
// three pictures, loaded once, when the description is built, and the editors built from
// them.
class CVelvetineFilterInfo : public CFilterDescription {
public:
    explicit CVelvetineFilterInfo(CHost* host);
    ~CVelvetineFilterInfo() override;

    bool EditorSize(int* width, int* height) const override;
    CFilterEditor* BuildEditor(void* parent, CVelvetineFilter* machine) override;

    CPicture* backgroundPicture = nullptr;
    CPicture* highlightedButtonsPicture = nullptr;
    CPicture* normalButtonsPicture = nullptr;
};
