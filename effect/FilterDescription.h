#pragma once

#include "framework/MachineInfo.h"

class CFilterEditor;
class CHost;
class CVelvetineFilter;

// The description of the filter machine as every binding needs it: its names, the host
// handed to every machine it creates, and the processor's widest kernels. It shows no editor;
// CVelvetineFilterInfo, the description of bindings that do, adds the editor's pictures and
// builds editors.
class CFilterDescription : public CMachineInfo {
public:
    explicit CFilterDescription(CHost* host);
    CMachine* CreateMachine() override;
    // The same, as the filter it is.
    CVelvetineFilter* CreateFilter();

    // The editor's size, answered whether or not one is open; false without an editor.
    virtual bool EditorSize(int* width, int* height) const;
    // A new editor for `machine` in the host's window `parent`; null when there is no
    // editor, the parent cannot hold one or it cannot be built.
    virtual CFilterEditor* BuildEditor(void* parent, CVelvetineFilter* machine);

    CHost* host;
    // Machines run on the AVX2 kernels where the processor has them; set before the first
    // machine is made.
    bool useAvx2 = false;
};
