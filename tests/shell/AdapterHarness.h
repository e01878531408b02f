#pragma once

// One adapter around a CTestMachine, reached the way a host reaches it: through the record.

#include <cstdint>

#include "shell/TidegateAdapter.h"
#include "shell/Vst2.h"
#include "tests/framework/FakeHost.h"
#include "tests/shell/TestMachine.h"

// A host callback that answers nothing; the adapter keeps it but the machine talks to the
// FakeHost.
intptr_t SilentHostCallback(void* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                            float opt);

class AdapterHarness {
public:
    explicit AdapterHarness(const TestMachineSetup& setup = TestMachineSetup());
    ~AdapterHarness();

    AEffect* Effect() const { return effect; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // effClose through the record; the machine and the adapter are gone afterwards.
    intptr_t Close();
    bool IsOpen() const { return effect != nullptr; }
    size_t Automations() const { return host.CallsOf(HostCall::kAutomate).size(); }

    FakeHost host;
    CTestMachine* machine = nullptr;  // owned by the adapter
    CTidegateAdapter* adapter = nullptr;
    bool machineDeleted = false;
    size_t automationCount = 0;

private:
    AEffect* effect = nullptr;
};
