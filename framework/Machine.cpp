#include "framework/Machine.h"

#include <algorithm>
#include <cstring>

#include "framework/AudioBuffer.h"
#include "framework/Host.h"
#include "framework/Port.h"
#include "framework/Program.h"

namespace {

constexpr uint32_t kStateHeaderSize = 8;

void ClearText(char* text) { text[0] = '\0'; }

// Copies at most `capacity` - 1 characters and always terminates.
void CopyText(char* destination, const char* source, size_t capacity)
{
    size_t length = 0;
    while (length + 1 < capacity && source[length] != '\0')
        ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

// State blocks are little-endian whatever the machine's byte order.
void WriteLittleEndian(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t ReadLittleEndian(const uint8_t* at, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(at[i]) << (8 * i);
    return value;
}

double ReadStateValue(const uint8_t* at, bool singlePrecision)
{
    if (singlePrecision) {
        const uint32_t bits = static_cast<uint32_t>(ReadLittleEndian(at, 4));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const uint64_t bits = ReadLittleEndian(at, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

CMachine::CMachine(CHost* host)
    : ports(nullptr),
      portCount(0),
      controlCount(0),
      programCount(0),
      currentProgram(0),
      hostData(nullptr),
      host(host),
      name(nullptr),
      programs(nullptr),
      programChangeDepth(0)
{
}

CMachine::~CMachine()
{
    delete[] name;
    delete[] programs;
}

void CMachine::Destroy() { delete this; }

void CMachine::ReservedHookA() {}

bool CMachine::GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom)
{
    return false;
}

NativeWindow CMachine::OpenEditor(NativeWindow parent) { return nullptr; }

void CMachine::RefreshEditor() {}
void CMachine::ReservedHookB() {}
void CMachine::ReservedHookC() {}

double CMachine::GetControl(int index) { return 0.0; }

void CMachine::SetControl(int index, double value)
{
    if (index < 0 || index >= controlCount || !programs)
        return;
    if (currentProgram < 0 || currentProgram >= programCount)
        return;
    programs[currentProgram]->values[index] = value;
}

void CMachine::SetControlAutomated(int index, double value)
{
    // The host hears of the change before the machine acts on it, so that its automation
    // record is in place when the machine's own reaction reaches it.
    host->Automate(this, index, value);
    SetControl(index, value);
}

void CMachine::GetControlName(int index, char* text) { ClearText(text); }

void CMachine::GetCurrentControlText(int index, char* text)
{
    GetControlText(index, GetControl(index), text);
}

void CMachine::GetControlText(int index, double value, char* text) { ClearText(text); }
void CMachine::GetControlLabel(int index, char* text) { ClearText(text); }
void CMachine::GetControlComment(int index, char* text) { ClearText(text); }

void CMachine::SelectProgram(int program)
{
    if (!programs || program < 0 || program >= programCount)
        return;
    ++programChangeDepth;
    currentProgram = program;
    const double* values = programs[program]->values;
    for (int i = 0; i < controlCount; ++i)
        SetControl(i, values[i]);
    --programChangeDepth;
}

void CMachine::GetProgramName(char* text)
{
    if (programs)
        CopyText(text, programs[currentProgram]->name, kMachineTextSize);
    else
        ClearText(text);
}

void CMachine::SetProgramName(const char* text)
{
    if (programs)
        CopyText(programs[currentProgram]->name, text, Program::kNameSize);
}

void CMachine::GetProgramNameAt(int program, char* text)
{
    if (programs && program >= 0 && program < programCount)
        CopyText(text, programs[program]->name, kMachineTextSize);
    else
        ClearText(text);
}

int CMachine::GetProgram() { return currentProgram; }

void CMachine::SetBlockSize(int frames)
{
    frames = std::max(frames, 0);
    for (int i = 0; i < portCount; ++i) {
        CPort* port = ports[i];
        if ((port->type & PORT_AUDIO) && port->audio)
            port->audio->Resize(frames);
    }
}

void CMachine::BeginProgramChange() { ++programChangeDepth; }
void CMachine::EndProgramChange() { --programChangeDepth; }

void CMachine::SetName(const char* text)
{
    delete[] name;
    const size_t size = std::strlen(text) + 1;
    name = new char[size];
    std::memcpy(name, text, size);
}

const char* CMachine::GetName() { return name; }

void CMachine::SetState(const void* block, uint32_t size)
{
    if (size < kStateHeaderSize)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    const uint32_t format = static_cast<uint32_t>(ReadLittleEndian(bytes, 4));
    const int32_t count = static_cast<int32_t>(ReadLittleEndian(bytes + 4, 4));
    const bool singlePrecision = format == kStateFormatFloat;
    const uint32_t valueSize = singlePrecision ? 4 : 8;
    // A block that claims more values than it carries is applied as far as it goes.
    const uint32_t present = (size - kStateHeaderSize) / valueSize;
    const int32_t applied =
        count <= 0 ? 0 : static_cast<int32_t>(std::min<uint32_t>(count, present));
    for (int32_t i = 0; i < applied; ++i) {
        const double value =
            ReadStateValue(bytes + kStateHeaderSize + valueSize * i, singlePrecision);
        host->Automate(this, i, value);
        SetControl(i, value);
    }
}

void CMachine::GetState(uint8_t** block, uint32_t* size, bool* flag)
{
    const int32_t count = std::max(controlCount, 0);
    *size = kStateHeaderSize + 8 * static_cast<uint32_t>(count);
    uint8_t* bytes = new uint8_t[*size];
    WriteLittleEndian(bytes, kStateFormatDouble, 4);
    WriteLittleEndian(bytes + 4, static_cast<uint32_t>(count), 4);
    for (int32_t i = 0; i < count; ++i) {
        const double value = GetControl(i);
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        WriteLittleEndian(bytes + kStateHeaderSize + 8 * i, bits, 8);
    }
    *block = bytes;
    *flag = true;
}

bool CMachine::ProcessArrays(const float* const*, float* const*, int) { return false; }

bool CMachine::ProcessArrays(const double* const*, double* const*, int) { return false; }
