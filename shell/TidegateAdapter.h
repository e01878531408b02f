#pragma once

#include <cstdint>

#include "core/Identity.h"
#include "core/StereoBridge.h"
#include "core/editor/EditorSession.h"
#include "framework/Machine.h"
#include "shell/AEffEditor.h"
#include "shell/AudioEffectX.h"

class CAudioBuffer;
class CPort;

// Binds one machine to the VST 2.x interface. The adapter owns the machine and the effect
// record the host holds, and is its own editor: editor requests go to the machine, which
// builds the actual window.
class CTidegateAdapter : public AudioEffectX, public AEffEditor {
public:
    static constexpr int32_t kUniqueID = Identity::kVst2UniqueId;
    static constexpr const char* kVendor = Identity::kMaker;

    // Takes ownership of the machine.
    CTidegateAdapter(CMachine* machine, audioMasterCallback hostCallback);
    ~CTidegateAdapter() override;

    // Serves as the effect's close and the editor's close alike: forgets the editor window.
    void close() override;

    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs,
                                int32_t sampleFrames) override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setParameterAutomated(int32_t index, float value) override;
    int32_t getProgram() override;
    void setProgram(int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool beginSetProgram() override;
    bool endSetProgram() override;
    int32_t beginLoadBank(void* bank) override { return 1; }
    int32_t beginLoadProgram(void* program) override { return 1; }
    int32_t processEvents(VstEvents* events) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    using AudioEffectX::open;
    // Where the editor's window system delivers its input through the host's idle calls,
    // handles it; elsewhere the editor is driven by its window's own messages.
    void idle() override;

    CMachine* Machine() const { return machine; }
    CPort* InputPort() const { return inputPort; }
    CPort* OutputPort() const { return outputPort; }
    NativeWindow EditorWindow() const { return editorSession.Window(); }
    int32_t LastFrames() const { return bridge.BlockLength(); }
    // Copies 32-bit samples with AVX2 when the processor has it; chosen once, at creation.
    void UseAvx2(bool processorHasAvx2);
    audioMasterCallback HostCallbackCopy() const { return hostCallback; }

private:
    void ScanPorts();
    template <typename Sample>
    void ProcessBlock(Sample** inputs, Sample** outputs, int32_t sampleFrames);
    void QueueMidiEvent(const VstMidiEvent& event);

    CMachine* machine;
    audioMasterCallback hostCallback;
    CPort* inputPort;
    CPort* outputPort;
    // The machine's block length follows every call's frame count.
    CStereoBridge bridge;
    CEditorSession editorSession;
    ERect editorRect;
};
