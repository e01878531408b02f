#include "shell/TidegateAdapter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "framework/AudioBuffer.h"
#include "framework/ControlBuffer.h"
#include "framework/ControlEvent.h"
#include "framework/Host.h"
#include "framework/Port.h"
#include "shell/HostNumbers.h"
#include "shell/TextTransfer.h"

namespace {

// Velocity 127 gives exactly 1.0 in single precision.
constexpr float kVelocityScale = 1.0f / 127.0f;

template <typename Sample>
bool HasChannels(Sample** channels)
{
    return channels && channels[0] && channels[1];
}

}  // namespace

void CTidegateAdapter::UseAvx2(bool processorHasAvx2) { bridge.UseAvx2(processorHasAvx2); }

CTidegateAdapter::CTidegateAdapter(CMachine* machine, audioMasterCallback hostCallback)
    : AudioEffectX(hostCallback, machine->programCount, machine->controlCount),
      AEffEditor(nullptr),
      machine(machine),
      hostCallback(hostCallback),
      inputPort(nullptr),
      outputPort(nullptr),
      bridge(*machine, CStereoBridge::BlockRule::kFollowsCalls),
      editorSession(*machine),
      editorRect{}
{
    numPrograms = machine->programCount;
    numParams = machine->controlCount;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    machine->hostData = &cEffect;
    ScanPorts();
    cEffect.numInputs = inputPort ? 2 : 0;
    if (outputPort)
        cEffect.numOutputs = 2;
    cEffect.flags |= effFlagsHasEditor | effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    cEffect.uniqueID = kUniqueID;
    editor = static_cast<AEffEditor*>(this);
}

CTidegateAdapter::~CTidegateAdapter()
{
    // The editor is this object: the base must not delete it.
    editor = nullptr;
    delete machine;
    machine = nullptr;
}

void CTidegateAdapter::ScanPorts()
{
    for (int32_t i = 0; machine->ports && i < machine->portCount; ++i) {
        CPort* port = machine->ports[i];
        if (!port)
            continue;
        if (!inputPort && port->type == PORT_STEREO_AUDIO_INPUT)
            inputPort = port;
        else if (!outputPort && port->type == PORT_STEREO_AUDIO_OUTPUT)
            outputPort = port;
    }
}

void CTidegateAdapter::close() { editorSession.Close(); }

// ---- Audio ----------------------------------------------------------------------------

void CTidegateAdapter::setSampleRate(float rate)
{
    machine->SetSampleRate(TruncateToInt32(rate));
}

void CTidegateAdapter::setBlockSize(int32_t frames)
{
    bridge.SetBlockLength(frames);
}

template <typename Sample>
void CTidegateAdapter::ProcessBlock(Sample** inputs, Sample** outputs, int32_t sampleFrames)
{
    // A host that hands over only one input channel gets silence in both.
    bridge.Process(HasChannels(inputs) ? inputs : nullptr, outputs, sampleFrames);
}

void CTidegateAdapter::processReplacing(float** inputs, float** outputs, int32_t sampleFrames)
{
    ProcessBlock(inputs, outputs, sampleFrames);
}

void CTidegateAdapter::processDoubleReplacing(double** inputs, double** outputs,
                                              int32_t sampleFrames)
{
    ProcessBlock(inputs, outputs, sampleFrames);
}

int32_t CTidegateAdapter::processEvents(VstEvents* events)
{
    if (!events || events->numEvents <= 0)
        return 1;
    VstEvent* const* list = events->events;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (event && event->type == kVstMidiType)
            QueueMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event));
    }
    return 1;
}

void CTidegateAdapter::QueueMidiEvent(const VstMidiEvent& midi)
{
    if (!machine->ports || machine->portCount <= 0 || !machine->ports[0])
        return;
    CControlBuffer* queue = machine->ports[0]->events;
    if (!queue)
        return;

    uint8_t status = static_cast<uint8_t>(midi.midiData[0]);
    const uint8_t data1 = static_cast<uint8_t>(midi.midiData[1]);
    const uint8_t data2 = static_cast<uint8_t>(midi.midiData[2]);
    if ((status & 0xF0) == 0x90 && data2 == 0)
        status -= 0x10;  // a note on with velocity 0 is a note off

    ControlEvent event;
    event.time = midi.deltaFrames;
    event.note = data1;
    switch (status & 0xF0) {
    case 0x90:
        event.kind = EVENT_NOTE_ON;
        event.value = static_cast<double>(static_cast<float>(data2) * kVelocityScale);
        break;
    case 0x80:
        event.kind = EVENT_NOTE_OFF;
        event.value = 0.0;
        break;
    default:
        return;
    }
    queue->Push(event);
}

// ---- Parameters and programs ------------------------------------------------------------

void CTidegateAdapter::setParameter(int32_t index, float value)
{
    machine->SetControl(index, static_cast<double>(value));
}

float CTidegateAdapter::getParameter(int32_t index)
{
    return static_cast<float>(machine->GetControl(index));
}

void CTidegateAdapter::setParameterAutomated(int32_t index, float value)
{
    if (machine->host)
        machine->host->Automate(machine, index, static_cast<double>(value));
    machine->SetControl(index, static_cast<double>(value));
}

int32_t CTidegateAdapter::getProgram()
{
    return machine->GetProgram();
}

void CTidegateAdapter::setProgram(int32_t program)
{
    machine->SelectProgram(program);
}

void CTidegateAdapter::setProgramName(char* name)
{
    if (!name)
        return;
    // The host's text is cut to what the machine's text buffers hold.
    char scratch[kMachineTextSize];
    CopyLimitedText(scratch, name, kMachineTextSize);
    machine->SetProgramName(scratch);
}

void CTidegateAdapter::getProgramName(char* name)
{
    TransferMachineText(name, kVstMaxProgNameLen,
                        [this](char* text) { machine->GetProgramName(text); });
}

void CTidegateAdapter::getParameterDisplay(int32_t index, char* text)
{
    TransferMachineText(text, kVstMaxParamStrLen,
                        [this, index](char* out) { machine->GetCurrentControlText(index, out); });
}

void CTidegateAdapter::getParameterName(int32_t index, char* text)
{
    TransferMachineText(text, kVstMaxParamStrLen,
                        [this, index](char* out) { machine->GetControlName(index, out); });
}

bool CTidegateAdapter::getProgramNameIndexed(int32_t category, int32_t index, char* text)
{
    TransferMachineText(text, kVstMaxProgNameLen,
                        [this, index](char* out) { machine->GetProgramNameAt(index, out); });
    return true;
}

bool CTidegateAdapter::beginSetProgram()
{
    machine->BeginProgramChange();
    return true;
}

bool CTidegateAdapter::endSetProgram()
{
    machine->EndProgramChange();
    return true;
}

// ---- Identity -----------------------------------------------------------------------------

bool CTidegateAdapter::getVendorString(char* text)
{
    CopyLimitedText(text, kVendor, kVstMaxVendorStrLen);
    return true;
}

bool CTidegateAdapter::getProductString(char* text)
{
    const char* name = machine->GetName();
    if (!name)
        return false;
    CopyLimitedText(text, name, kVstMaxProductStrLen);
    return true;
}

// ---- Editor -------------------------------------------------------------------------------

bool CTidegateAdapter::getRect(ERect** rect)
{
    if (rect)
        *rect = &editorRect;
    return machine->GetEditorRect(&editorRect.top, &editorRect.left, &editorRect.right,
                                  &editorRect.bottom);
}

bool CTidegateAdapter::open(void* parentWindow)
{
    editorSession.Open(parentWindow);
    return false;
}

void CTidegateAdapter::idle() { editorSession.Idle(); }
