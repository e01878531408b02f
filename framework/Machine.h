#pragma once

#include <cstdint>

#include "framework/BankClient.h"

class CHost;
class CPort;
struct Program;

// Every text a machine hands out is written into a caller buffer of this many characters.
constexpr int kMachineTextSize = 64;

// A native window handle, kept opaque so that the framework needs no platform headers.
using NativeWindow = void*;

// The framework's host-neutral unit of audio processing: ports with sample buffers,
// controls with double values in 0...1, an optional program table, an editor and a state
// block. It reaches the host only through CHost.
class CMachine : public CBankClient {
public:
    explicit CMachine(CHost* host);
    ~CMachine() override;

    virtual void Destroy();
    // Processes one block of the machine's block length, input port buffers to output.
    virtual void Process() = 0;
    virtual void ReservedHookA();
    virtual bool GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom);
    virtual NativeWindow OpenEditor(NativeWindow parent);
    virtual void RefreshEditor();
    virtual void ReservedHookB();
    virtual void ReservedHookC();
    virtual double GetControl(int index);
    virtual void SetControl(int index, double value);
    // Reports the change to the host first, then sets it.
    virtual void SetControlAutomated(int index, double value);
    virtual void GetControlName(int index, char* text);
    virtual void GetCurrentControlText(int index, char* text);
    virtual void GetControlText(int index, double value, char* text);
    virtual void GetControlLabel(int index, char* text);
    virtual void GetControlComment(int index, char* text);
    virtual void SelectProgram(int program);
    virtual void GetProgramName(char* text);
    virtual void SetProgramName(const char* text);
    virtual void GetProgramNameAt(int program, char* text);
    virtual int GetProgram();
    virtual void SetSampleRate(int rate) = 0;
    // Records the number of frames Process handles, then calls SetBlockSize with it.
    virtual void SetBlockLength(int frames) = 0;
    // Gives every audio port buffer room for exactly `frames` frames and clears it.
    virtual void SetBlockSize(int frames);
    virtual void BeginProgramChange();
    virtual void EndProgramChange();
    virtual void SetName(const char* text);
    virtual const char* GetName();
    virtual void SetState(const void* block, uint32_t size);
    // Hands out a new block (the caller frees it with delete[]) holding every control.
    virtual void GetState(uint8_t** block, uint32_t* size, bool* flag);
    virtual bool ReservedQuery() = 0;
    // One block straight from the host's arrays to the host's (two channels each, one
    // precision; the outputs may be the inputs), for a machine that can run it without its
    // port buffers. Answers false, having done nothing, when it cannot; the binding then
    // goes through the port buffers and Process.
    virtual bool ProcessArrays(const float* const* inputs, float* const* outputs, int frames);
    virtual bool ProcessArrays(const double* const* inputs, double* const* outputs, int frames);

    CPort** ports;
    int32_t portCount;
    int32_t controlCount;
    int32_t programCount;
    int32_t currentProgram;
    void* hostData;  // the effect record of the adapter bound to this machine
    CHost* host;
    char* name;
    Program** programs;
    int32_t programChangeDepth;
};

// State block format codes.
constexpr uint32_t kStateFormatDouble = 0x50483634;  // 'PH64'
constexpr uint32_t kStateFormatFloat = 0x4B745068;   // 'KtPh'
