#pragma once

#include <cstdint>

#include "shell/Vst2.h"

class AEffEditor;

// The basic effect in the standard's shape: it owns the effect record the host holds, routes
// the record's functions to virtual operations and answers dispatcher opcodes 0 to 24. Every
// operation has a harmless default: nothing happens, empty text is written, or 0 is answered.
class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();

    // Opcodes 0 to 24; anything else is answered with 0.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t frames) { blockSize = frames; }

    // The accumulating form, which this framework never offers.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) {}
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {}
    virtual void processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames)
    {
    }

    virtual void setParameter(int32_t index, float value) {}
    virtual float getParameter(int32_t index) { return 0.0f; }
    // Tells the host first, then sets: a host that reads the parameter back while recording
    // the automation must not see the new value before the report.
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgram(int32_t program) { curProgram = program; }
    virtual void setProgramName(char* name) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual intptr_t getChunk(void** data, bool isPreset) { return 0; }
    virtual intptr_t setChunk(void* data, intptr_t byteSize, bool isPreset) { return 0; }

    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditor() { return editor; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }
    float getSampleRate() const { return sampleRate; }
    int32_t getBlockSize() const { return blockSize; }

    // The instance behind a record this class filled.
    static AudioEffect* FromRecord(AEffect* effect)
    {
        return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
    }

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

protected:
    audioMasterCallback audioMaster;
    AEffEditor* editor;  // deleted with the effect while set
    float sampleRate;
    int32_t blockSize;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram;
    AEffect cEffect;
};
