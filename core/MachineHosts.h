#pragma once

#include <functional>

#include "core/HostBase.h"

// The host interface every processing machine of a library is made with, in the standards
// whose hosts tell an instance its rate and longest block only when it is prepared (CLAP at
// activation, VST3 at setupProcessing), where the bridge prepares the machine; until then
// these answer for machines being made.
class CPreparedDescriptionHost final : public CHostBase {
public:
    int GetSampleRate() override { return 48000; }
    int GetBlockSize() override { return 1024; }
};

// The host interface of an editor's own machine, which only holds the value it shows: a
// press reaches the plug-in through `automate`, which tells the binding's host.
class CEditorMachineHost final : public CHostBase {
public:
    explicit CEditorMachineHost(std::function<void(double)> automate) : automate(std::move(automate)) {}

    intptr_t Automate(CMachine*, int index, double value) override
    {
        if (index == 0)
            automate(value);
        return 0;
    }
    // The editor's machine never processes audio; any rate and block size serve.
    int GetSampleRate() override { return 48000; }
    int GetBlockSize() override { return 0; }

private:
    std::function<void(double)> automate;
};
