#include "host/PluginInstance.h"

#include "host/RecordingHost.h"

PluginInstance::PluginInstance(VstPluginEntry entry, RecordingHost& host)
    : effect(entry ? entry(host.Callback()) : nullptr)
{
}

PluginInstance::PluginInstance(AEffect* effect) : effect(effect) {}

PluginInstance::~PluginInstance()
{
    if (effect)
        Close();
}

intptr_t PluginInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

intptr_t PluginInstance::Close()
{
    const intptr_t result = Dispatch(effClose);
    effect = nullptr;
    return result;
}

void PluginInstance::SetParameter(int32_t index, float value)
{
    effect->setParameter(effect, index, value);
}

float PluginInstance::GetParameter(int32_t index)
{
    return effect->getParameter(effect, index);
}

std::string PluginInstance::Text(int32_t opcode, int32_t index, intptr_t value)
{
    char text[256] = {};
    Dispatch(opcode, index, value, text);
    text[sizeof text - 1] = '\0';
    return text;
}

void PluginInstance::Start(float sampleRate, int32_t blockSize)
{
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
}

void PluginInstance::Process(float** inputs, float** outputs, int32_t frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

void PluginInstance::Process(double** inputs, double** outputs, int32_t frames)
{
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
}
