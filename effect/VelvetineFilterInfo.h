#pragma once

#include "framework/MachineInfo.h"

class CHost;
class CPicture;

// The description of the filter machine: its names, the editor's three pictures (loaded
// once, when the description is built) and the host handed to every machine it creates.
class CVelvetineFilterInfo : public CMachineInfo {
public:
    explicit CVelvetineFilterInfo(CHost* host);
    ~CVelvetineFilterInfo() override;
    CMachine* CreateMachine() override;

    CPicture* backgroundPicture = nullptr;
    CPicture* highlightedButtonsPicture = nullptr;
    CPicture* normalButtonsPicture = nullptr;
    CHost* host;
};
