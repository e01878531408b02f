#include "host/Vst2Driver.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr int32_t kAudioMasterVersion = 1;

std::atomic<intptr_t> answeredSampleRate{44100};
std::atomic<intptr_t> answeredBlockSize{512};

// Plug-ins ask while they make their instance, before the host has told them anything;
// the answers are those of the instance made or prepared last.
intptr_t PlainHost(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    switch (opcode) {
    case kAudioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return answeredSampleRate.load();
    case audioMasterGetBlockSize:
        return answeredBlockSize.load();
    default:
        return 0;
    }
}

// A VST 2.x effect has no call that clears its history: resuming is only a hint, and
// effects (this project's among them) may keep their delay lines through it. Silence longer
// than any filter this host drives flushes them instead.
constexpr int32_t kFlushFrames = 4096;

}  // namespace

Vst2File::Vst2File(const std::string& path, audioMasterCallback callback)
    : library(path), callback(callback ? callback : &PlainHost)
{
}

std::unique_ptr<PluginDriver> Vst2File::NewInstance(double sampleRate, int32_t maxBlock,
                                                    std::string& error)
{
    answeredSampleRate = intptr_t(sampleRate);
    answeredBlockSize = maxBlock;
    AEffect* effect = library.Entry()(callback);
    if (!effect) {
        error = "VSTPluginMain returned no effect";
        return nullptr;
    }
    // A record without the magic number may be anything: calling its dispatcher, even to
    // close it, could crash.
    if (effect->magic != kEffectMagic) {
        error = "VSTPluginMain returned something that is not a VST 2.x effect record";
        return nullptr;
    }
    return std::unique_ptr<PluginDriver>(new Vst2Driver(effect));
}

OpenedPluginFile OpenVst2File(const std::string& path)
{
    OpenedPluginFile opened;
    std::unique_ptr<Vst2File> file(new Vst2File(path));
    if (!file->Library().Loaded())
        opened.systemError = file->Library().Error();
    else if (!file->Library().Entry())
        opened.problem = "exports no VSTPluginMain: not a VST 2.x plug-in";
    else
        opened.file = std::move(file);
    return opened;
}

Vst2Driver::Vst2Driver(AEffect* effect) : effect(effect) {}

Vst2Driver::~Vst2Driver()
{
    if (resumed)
        Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
}

intptr_t Vst2Driver::Dispatch(int32_t opcode, int32_t index, intptr_t value, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, nullptr, opt);
}

bool Vst2Driver::ProcessesDoubles() const
{
    return (effect->flags & effFlagsCanDoubleReplacing) && effect->processDoubleReplacing;
}

PluginLayout Vst2Driver::Layout() const
{
    PluginLayout layout;
    layout.inputs = effect->numInputs;
    layout.outputs = effect->numOutputs;
    layout.parameters = effect->numParams;
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        layout.noFloatsReason = "no processReplacing";
    if (!ProcessesDoubles())
        layout.noDoublesReason = "no processDoubleReplacing";
    return layout;
}

void Vst2Driver::Prepare(double sampleRate, int32_t maxBlock)
{
    answeredSampleRate = intptr_t(sampleRate);
    answeredBlockSize = maxBlock;
    if (!opened) {
        Dispatch(effOpen);
        opened = true;
    }
    // Hosts change the rate and block size only while the effect is suspended.
    if (resumed)
        Dispatch(effMainsChanged, 0, 0);
    Dispatch(effSetSampleRate, 0, 0, float(sampleRate));
    Dispatch(effSetBlockSize, 0, maxBlock);
    Dispatch(effMainsChanged, 0, 1);
    resumed = true;
    if (!ProcessesDoubles())
        narrowing.Reserve(maxBlock);
    for (int c = 0; c < 2; ++c) {
        silence[c].assign(size_t(std::max<int32_t>(maxBlock, 1)), 0.0f);
        flushed[c].assign(silence[c].size(), 0.0f);
    }
}

void Vst2Driver::SetParameter(float value)
{
    effect->setParameter(effect, 0, value);
}

float Vst2Driver::GetParameter()
{
    return effect->getParameter(effect, 0);
}

void Vst2Driver::Process(float** inputs, float** outputs, int32_t frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

void Vst2Driver::Process(double** inputs, double** outputs, int32_t frames)
{
    if (ProcessesDoubles()) {
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
        return;
    }
    narrowing.Process(inputs, outputs, frames, [this](float** in, float** out, int32_t length) {
        effect->processReplacing(effect, in, out, length);
    });
}

void Vst2Driver::Reset()
{
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effMainsChanged, 0, 1);
    resumed = true;
    const int32_t block = int32_t(silence[0].size());
    float* inputs[2] = {silence[0].data(), silence[1].data()};
    float* outputs[2] = {flushed[0].data(), flushed[1].data()};
    for (int32_t done = 0; block > 0 && done < kFlushFrames; done += block)
        Process(inputs, outputs, block);
}
