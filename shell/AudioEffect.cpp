#include "shell/AudioEffect.h"

#include <cstring>

#include "shell/AEffEditor.h"
#include "shell/TextTransfer.h"

namespace {

constexpr int32_t kNoEffectID = VstFourCharCode('N', 'o', 'E', 'f');
constexpr intptr_t kIdentifyAnswer = VstFourCharCode('N', 'v', 'E', 'f');

// The record's functions. A record whose instance is gone (or was never set) is answered
// with nothing rather than followed.
intptr_t DispatchRecord(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt)
{
    AudioEffect* instance = AudioEffect::FromRecord(effect);
    if (!instance)
        return 0;
    if (opcode == effClose) {
        instance->dispatcher(effClose, index, value, ptr, opt);
        delete instance;
        return 1;
    }
    return instance->dispatcher(opcode, index, value, ptr, opt);
}

void ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    if (AudioEffect* instance = AudioEffect::FromRecord(effect))
        instance->process(inputs, outputs, sampleFrames);
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    if (AudioEffect* instance = AudioEffect::FromRecord(effect))
        instance->processReplacing(inputs, outputs, sampleFrames);
}

void ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                            int32_t sampleFrames)
{
    if (AudioEffect* instance = AudioEffect::FromRecord(effect))
        instance->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void SetParameter(AEffect* effect, int32_t index, float value)
{
    if (AudioEffect* instance = AudioEffect::FromRecord(effect))
        instance->setParameter(index, value);
}

float GetParameter(AEffect* effect, int32_t index)
{
    AudioEffect* instance = AudioEffect::FromRecord(effect);
    return instance ? instance->getParameter(index) : 0.0f;
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &DispatchRecord;
    cEffect.process = &ProcessAccumulating;
    cEffect.setParameter = &SetParameter;
    cEffect.getParameter = &GetParameter;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kNoEffectID;
    cEffect.version = 1;
    cEffect.processReplacing = &ProcessReplacing;
    cEffect.processDoubleReplacing = &ProcessDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::setParameterAutomated(int32_t index, float value)
{
    if (audioMaster)
        audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
    setParameter(index, value);
}

void AudioEffect::getProgramName(char* name)
{
    CopyLimitedText(name, "", kVstMaxProgNameLen);
}

void AudioEffect::getParameterLabel(int32_t index, char* label)
{
    CopyLimitedText(label, "", kVstMaxParamStrLen);
}

void AudioEffect::getParameterDisplay(int32_t index, char* text)
{
    CopyLimitedText(text, "", kVstMaxParamStrLen);
}

void AudioEffect::getParameterName(int32_t index, char* text)
{
    CopyLimitedText(text, "", kVstMaxParamStrLen);
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 1;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, value, index != 0);
    default:
        return 0;
    }
}
