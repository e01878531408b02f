#include <cstdio>
#include <cstring>

#include "framework/AudioBuffer.h"
#include "framework/Host.h"
#include "framework/Program.h"
#include "tests/shell/TestMachine.h"

namespace {

void WriteText(char* text, const std::string& value)
{
    std::snprintf(text, kMachineTextSize, "%s", value.c_str());
}

}  // namespace

CTestMachine::CTestMachine(CHost* host, const TestMachineSetup& setup, bool* deleted)
    : CMachine(host), setup(setup), values(setup.controls, 0.0), deleted(deleted)
{
    portCount = static_cast<int32_t>(setup.portTypes.size());
    ports = new CPort*[portCount > 0 ? portCount : 1];
    for (int32_t i = 0; i < portCount; ++i)
        ports[i] = new CPort(host, this, setup.portTypes[i], "port");
    controlCount = setup.controls;
    blockLength = host->GetBlockSize();

    programCount = static_cast<int32_t>(setup.programNames.size());
    if (programCount > 0) {
        programs = new Program*[programCount];
        for (int32_t p = 0; p < programCount; ++p) {
            programs[p] = new Program;
            programs[p]->values = new double[controlCount];
            for (int c = 0; c < controlCount; ++c)
                programs[p]->values[c] = 0.1 * (p + 1) + 0.01 * c;
            WriteText(programs[p]->name, setup.programNames[p]);
        }
    }
}

CTestMachine::~CTestMachine()
{
    for (int32_t i = 0; i < portCount; ++i)
        delete ports[i];
    delete[] ports;
    for (int32_t p = 0; p < programCount; ++p) {
        delete[] programs[p]->values;
        delete programs[p];
    }
    if (deleted)
        *deleted = true;
}

void CTestMachine::Process()
{
    ++processCalls;
    const CAudioBuffer* in = nullptr;
    CAudioBuffer* out = nullptr;
    for (int32_t i = 0; i < portCount; ++i) {
        if (!in && ports[i]->type == PORT_STEREO_AUDIO_INPUT)
            in = ports[i]->audio;
        if (!out && ports[i]->type == PORT_STEREO_AUDIO_OUTPUT)
            out = ports[i]->audio;
    }
    lastInputLeft.assign(in ? in->channel[0] : nullptr, in ? in->channel[0] + blockLength : nullptr);
    lastInputRight.assign(in ? in->channel[1] : nullptr,
                          in ? in->channel[1] + blockLength : nullptr);
    if (!out)
        return;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < blockLength; ++i)
            out->channel[c][i] = (in ? in->channel[c][i] * 2.0 : 0.0) + 0.25;
}

bool CTestMachine::GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom)
{
    if (!setup.hasEditor)
        return false;
    *top = 1;
    *left = 2;
    *right = 302;
    *bottom = 201;
    return true;
}

NativeWindow CTestMachine::OpenEditor(NativeWindow parent)
{
    editorParents.push_back(parent);
    static char windows[16];
    NativeWindow window = &windows[openedEditors.size() % 16];
    openedEditors.push_back(window);
    return window;
}

double CTestMachine::GetControl(int index)
{
    return index >= 0 && index < controlCount ? values[index] : 0.0;
}

void CTestMachine::SetControl(int index, double value)
{
    writes.push_back({index, value, automationCounter ? *automationCounter : 0});
    depthDuringWrites.push_back(programChangeDepth);
    if (index >= 0 && index < controlCount)
        values[index] = value;
}

void CTestMachine::GetControlName(int index, char* text)
{
    if (index >= 0 && index < static_cast<int>(setup.controlNames.size()))
        WriteText(text, setup.controlNames[index]);
    else
        text[0] = '\0';
}

void CTestMachine::GetControlText(int index, double value, char* text)
{
    if (index < 0 || index >= controlCount)
        text[0] = '\0';
    else if (!setup.displayText.empty())
        WriteText(text, setup.displayText);
    else
        std::snprintf(text, kMachineTextSize, "%.2f", value);
}

void CTestMachine::SelectProgram(int program)
{
    selectedPrograms.push_back(program);
    CMachine::SelectProgram(program);
}

void CTestMachine::SetSampleRate(int rate)
{
    sampleRates.push_back(rate);
}

void CTestMachine::SetBlockLength(int frames)
{
    blockLengths.push_back(frames);
    blockLength = frames < 0 ? 0 : frames;
    SetBlockSize(blockLength);
}

// ---- AdapterHarness ----------------------------------------------------------------------

#include "tests/shell/AdapterHarness.h"

intptr_t SilentHostCallback(void*, int32_t, int32_t, intptr_t, void*, float)
{
    return 0;
}

AdapterHarness::AdapterHarness(const TestMachineSetup& setup)
{
    host.onAutomate = [this](CMachine*, int, double) { ++automationCount; };
    machine = new CTestMachine(&host, setup, &machineDeleted);
    machine->automationCounter = &automationCount;
    adapter = new CTidegateAdapter(machine, &SilentHostCallback);
    effect = adapter->getAeffect();
}

AdapterHarness::~AdapterHarness()
{
    if (effect)
        Close();
}

intptr_t AdapterHarness::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

intptr_t AdapterHarness::Close()
{
    const intptr_t result = effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
    adapter = nullptr;
    machine = nullptr;
    return result;
}
