#pragma once

// A machine for the adapter's tests: ports, controls, texts and programs are whatever a test
// asks for, and every call the adapter makes is recorded.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Machine.h"
#include "framework/Port.h"

class CHost;

struct TestMachineSetup {
    std::vector<uint32_t> portTypes{PORT_STEREO_AUDIO_INPUT, PORT_STEREO_AUDIO_OUTPUT};
    int controls = 1;
    std::vector<std::string> controlNames{"Gain"};
    std::vector<std::string> programNames;  // empty: no program table
    // Display text of every value; empty: the value printed with "%.2f".
    std::string displayText;
    bool hasEditor = false;
};

class CTestMachine : public CMachine {
public:
    struct ControlWrite {
        int index;
        double value;
        size_t automationsSeen;  // host reports already received when the write happened
    };

    CTestMachine(CHost* host, const TestMachineSetup& setup, bool* deleted = nullptr);
    ~CTestMachine() override;

    // Output = input * 2 + 0.25 per channel; the input is kept for inspection.
    void Process() override;
    bool GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom) override;
    NativeWindow OpenEditor(NativeWindow parent) override;
    double GetControl(int index) override;
    void SetControl(int index, double value) override;
    void GetControlName(int index, char* text) override;
    void GetControlText(int index, double value, char* text) override;
    void SelectProgram(int program) override;
    void SetSampleRate(int rate) override;
    void SetBlockLength(int frames) override;
    bool ReservedQuery() override { return false; }

    CPort* Port(int index) const { return ports[index]; }

    std::vector<int> blockLengths;      // every SetBlockLength
    std::vector<int> sampleRates;       // every SetSampleRate
    std::vector<ControlWrite> writes;   // every SetControl
    std::vector<int> selectedPrograms;  // every SelectProgram
    std::vector<int> depthDuringWrites; // programChangeDepth at each SetControl
    std::vector<double> lastInputLeft;  // the input of the last Process
    std::vector<double> lastInputRight;
    int processCalls = 0;
    int blockLength = 0;
    std::vector<NativeWindow> openedEditors;
    std::vector<NativeWindow> editorParents;
    size_t* automationCounter = nullptr;  // read at every SetControl when set

private:
    TestMachineSetup setup;
    std::vector<double> values;
    bool* deleted;
};
