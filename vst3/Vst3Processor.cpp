#include "vst3/Vst3Processor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/CpuFeatures.h"
#include "core/Identity.h"
#include "core/MachineHosts.h"
#include "core/PluginProcess.h"
#include "effect/ControlDescription.h"
#include "effect/FilterDescription.h"
#include "effect/SparseFirKernel.h"
#include "effect/VelvetineFilter.h"
#include "vst3/Vst3Parameter.h"
#include "vst3/Vst3State.h"

namespace {

// One description serves every instance of the process; each instance prepares its machine
// for the rate and block length of its setupProcessing.
const PluginProcess& SharedProcess()
{
    return SharedPluginProcess([] {
        static CPreparedDescriptionHost descriptionHost;
        return new CFilterDescription(&descriptionHost);
    });
}

bool IsMainAudioBus(int32_t type, int32_t direction, int32_t index)
{
    return type == vst3::kAudio && (direction == vst3::kInput || direction == vst3::kOutput) && index == 0;
}

void CopyName(const char* name, vst3::String128 out)
{
    int i = 0;
    for (; name[i] && i < 127; ++i)
        out[i] = vst3::char16(name[i]);
    out[i] = 0;
}

}  // namespace

// The host's buffers in the precision it processes: inputs may be null (silence), outputs
// never are.
struct CVst3Processor::Audio {
    float* const* inputs32 = nullptr;
    float* const* outputs32 = nullptr;
    double* const* inputs64 = nullptr;
    double* const* outputs64 = nullptr;
};

CVst3Processor::CVst3Processor()
    : machine(SharedProcess().description->CreateFilter()),
      bridge(*machine, CStereoBridge::BlockRule::kPrepared),
      step(OversamplingControl::kDefaultStep)
{
    bridge.UseAvx2((SharedProcess().cpuFeatures & CPU_AVX2) != 0);
}

CVst3Processor::~CVst3Processor() = default;

vst3::tresult VST3_API CVst3Processor::queryInterface(const vst3::TUID iid, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    if (vst3::SameUid(iid, vst3::kFUnknownIid) || vst3::SameUid(iid, vst3::kIPluginBaseIid) ||
        vst3::SameUid(iid, vst3::kIComponentIid))
        return Vst3Answer<vst3::IComponent>(this, object);
    if (vst3::SameUid(iid, vst3::kIAudioProcessorIid))
        return Vst3Answer<vst3::IAudioProcessor>(this, object);
    if (vst3::SameUid(iid, vst3::kIProcessContextRequirementsIid))
        return Vst3Answer<vst3::IProcessContextRequirements>(this, object);
    if (vst3::SameUid(iid, vst3::kIConnectionPointIid))
        return Vst3Answer<vst3::IConnectionPoint>(this, object);
    *object = nullptr;
    return vst3::kNoInterface;
}

uint32_t VST3_API CVst3Processor::release()
{
    const uint32_t left = refs.Release();
    if (left == 0)
        delete this;
    return left;
}

vst3::tresult VST3_API CVst3Processor::initialize(vst3::FUnknown*) { return vst3::kResultOk; }

vst3::tresult VST3_API CVst3Processor::terminate()
{
    active = false;
    peer.Forget();
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::getControllerClassId(vst3::TUID classId)
{
    if (!classId)
        return vst3::kInvalidArgument;
    const vst3::Uid controller = vst3::UidOfText(Identity::kVst3ControllerClassId);
    std::memcpy(classId, controller.bytes, sizeof controller.bytes);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::setIoMode(int32_t) { return vst3::kResultOk; }

int32_t VST3_API CVst3Processor::getBusCount(int32_t type, int32_t direction)
{
    if (type != vst3::kAudio)
        return 0;
    return direction == vst3::kInput ? StereoBuses::kInputBuses : direction == vst3::kOutput ? StereoBuses::kOutputBuses : 0;
}

vst3::tresult VST3_API CVst3Processor::getBusInfo(int32_t type, int32_t direction, int32_t index, vst3::BusInfo& bus)
{
    if (!IsMainAudioBus(type, direction, index))
        return vst3::kInvalidArgument;
    std::memset(&bus, 0, sizeof bus);
    bus.mediaType = vst3::kAudio;
    bus.direction = direction;
    bus.channelCount = StereoBuses::kChannels;
    CopyName(direction == vst3::kInput ? "Input" : "Output", bus.name);
    bus.busType = vst3::kMain;
    bus.flags = vst3::kDefaultActive;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&)
{
    return vst3::kNotImplemented;
}

// The buses are always there: activating or deactivating the main ones changes nothing.
vst3::tresult VST3_API CVst3Processor::activateBus(int32_t type, int32_t direction, int32_t index, vst3::TBool)
{
    return IsMainAudioBus(type, direction, index) ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult VST3_API CVst3Processor::setActive(vst3::TBool state)
{
    if (!state) {
        active = false;
        return vst3::kResultOk;
    }
    if (!prepared) {
        // A host that activates without a setupProcessing gets the defaults.
        bridge.Prepare(int(sampleRate), maxFrames);
        prepared = true;
    }
    // Activation starts from silence, as a new instance does.
    bridge.Reset();
    machineStep = -1;
    HandToMachine(Step());
    active = true;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::setState(vst3::IBStream* state)
{
    int loaded = 0;
    if (!Vst3State::Load(state, &loaded))
        return vst3::kResultFalse;
    // The machine takes it at activation or at the start of the next block: the audio
    // thread may be running now.
    step.store(loaded, std::memory_order_relaxed);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::getState(vst3::IBStream* state)
{
    return Vst3State::Save(state, Step()) ? vst3::kResultOk : vst3::kResultFalse;
}

// Stereo in, stereo out, and nothing else: any other proposal is refused and the buses stay
// stereo.
vst3::tresult VST3_API CVst3Processor::setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t numIns,
                                                          vst3::SpeakerArrangement* outputs, int32_t numOuts)
{
    const bool stereo = numIns == StereoBuses::kInputBuses && numOuts == StereoBuses::kOutputBuses && inputs &&
                        outputs && inputs[0] == vst3::kStereo && outputs[0] == vst3::kStereo;
    return stereo ? vst3::kResultTrue : vst3::kResultFalse;
}

vst3::tresult VST3_API CVst3Processor::getBusArrangement(int32_t direction, int32_t index,
                                                         vst3::SpeakerArrangement& arrangement)
{
    if (!IsMainAudioBus(vst3::kAudio, direction, index))
        return vst3::kInvalidArgument;
    arrangement = vst3::kStereo;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Processor::canProcessSampleSize(int32_t symbolicSampleSize)
{
    return symbolicSampleSize == vst3::kSample32 || symbolicSampleSize == vst3::kSample64 ? vst3::kResultTrue
                                                                                         : vst3::kResultFalse;
}

// The filter's delay belongs to its sound (a fraction of a sample to a few, varying with
// frequency), not a fixed lag a host could make up for.
uint32_t VST3_API CVst3Processor::getLatencySamples() { return 0; }

// After the input stops, the filter's history still sounds for as many samples as it holds.
uint32_t VST3_API CVst3Processor::getTailSamples() { return kSparseHistory; }

vst3::tresult VST3_API CVst3Processor::setupProcessing(vst3::ProcessSetup& setup)
{
    if (active || !(setup.sampleRate >= 1.0 && setup.sampleRate <= 1e7) ||
        (setup.symbolicSampleSize != vst3::kSample32 && setup.symbolicSampleSize != vst3::kSample64))
        return vst3::kResultFalse;
    sampleRate = setup.sampleRate;
    maxFrames = setup.maxSamplesPerBlock <= 0 ? kDefaultChunk : std::min(setup.maxSamplesPerBlock, kLargestChunk);
    bridge.Prepare(int(sampleRate), maxFrames);
    prepared = true;
    return vst3::kResultOk;
}

// Nothing to start or stop: an active instance processes whenever it is called. Starting
// needs an active instance; stopping is always fine, as hosts stop on their way down.
vst3::tresult VST3_API CVst3Processor::setProcessing(vst3::TBool state)
{
    return active || !state ? vst3::kResultOk : vst3::kResultFalse;
}

void CVst3Processor::HandToMachine(int newStep)
{
    if (newStep == machineStep)
        return;
    bridge.SetParameter(OversamplingControl::ValueOfStep(newStep));
    machineStep = newStep;
}

bool CVst3Processor::AudioOf(const vst3::ProcessData& data, Audio* audio)
{
    if (data.numOutputs < 1 || !data.outputs || data.outputs[0].numChannels < 2)
        return false;
    const vst3::AudioBusBuffers& out = data.outputs[0];
    const vst3::AudioBusBuffers* in =
        data.numInputs >= 1 && data.inputs && data.inputs[0].numChannels >= 2 ? &data.inputs[0] : nullptr;
    if (data.symbolicSampleSize == vst3::kSample64 && out.channelBuffers64) {
        audio->outputs64 = out.channelBuffers64;
        audio->inputs64 = in ? in->channelBuffers64 : nullptr;
        return true;
    }
    if (data.symbolicSampleSize == vst3::kSample32 && out.channelBuffers32) {
        audio->outputs32 = out.channelBuffers32;
        audio->inputs32 = in ? in->channelBuffers32 : nullptr;
        return true;
    }
    return false;
}

inline void CVst3Processor::RunSpan(const Audio& audio, int32_t offset, int32_t frames)
{
    if (audio.outputs64)
        bridge.ProcessFrom(audio.inputs64, audio.outputs64, size_t(offset), frames);
    else
        bridge.ProcessFrom(audio.inputs32, audio.outputs32, size_t(offset), frames);
}

// Each point of the parameter's queue takes effect from its own sample: the block runs up to
// it, then on with the new step. Points out of order take effect where the block has got to.
void CVst3Processor::ApplyParameterChanges(vst3::IParameterChanges* changes, const Audio* audio, int32_t frames)
{
    vst3::IParamValueQueue* queue = nullptr;
    const int32_t count = changes ? changes->getParameterCount() : 0;
    for (int32_t i = 0; i < count && !queue; ++i) {
        vst3::IParamValueQueue* candidate = changes->getParameterData(i);
        if (candidate && candidate->getParameterId() == Vst3Parameter::kId)
            queue = candidate;
    }
    int32_t done = 0;
    const int32_t points = queue ? queue->getPointCount() : 0;
    for (int32_t i = 0; i < points; ++i) {
        int32_t offset = 0;
        vst3::ParamValue value = 0.0;
        if (queue->getPoint(i, offset, value) != vst3::kResultOk)
            continue;
        const int32_t at = std::max(done, std::min(offset, frames));
        if (audio && at > done)
            RunSpan(*audio, done, at - done);
        done = at;
        const int newStep = Vst3Parameter::StepOfNormalized(value);
        step.store(newStep, std::memory_order_relaxed);
        HandToMachine(newStep);
    }
    if (audio && done < frames)
        RunSpan(*audio, done, frames - done);
}

vst3::tresult VST3_API CVst3Processor::process(vst3::ProcessData& data)
{
    if (!active)
        return vst3::kResultFalse;
    // What a loaded state set since the last block.
    HandToMachine(Step());
    const int32_t frames = std::max<int32_t>(data.numSamples, 0);
    Audio audio;
    const bool hasAudio = frames > 0 && AudioOf(data, &audio);
    // The usual block carries no changes and runs whole. Without buffers (a host flushing
    // parameters) the changes still apply.
    vst3::IParameterChanges* changes = data.inputParameterChanges;
    if (changes && changes->getParameterCount() > 0)
        ApplyParameterChanges(changes, hasAudio ? &audio : nullptr, frames);
    else if (hasAudio)
        RunSpan(audio, 0, frames);
    if (hasAudio)
        data.outputs[0].silenceFlags = 0;
    return vst3::kResultOk;
}

