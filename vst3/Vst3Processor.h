#pragma once

#include <atomic>
#include <memory>

#include "core/StereoBridge.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Peer.h"
#include "vst3/Vst3RefCount.h"

class CVelvetineFilter;

// The processing half of the VST3 pair: the component (buses, activation, state) and the
// audio processor over the machine and the bridge that runs it. Parameter changes arrive as
// the host's queues in each process call and take effect at their sample offsets; a loaded
// state reaches the machine at activation or at the start of the next block. Its controller
// is a separate object (CVst3Controller) that hosts pair with it by class ID.
class CVst3Processor final : public vst3::IComponent,
                             public vst3::IAudioProcessor,
                             public vst3::IProcessContextRequirements,
                             public vst3::IConnectionPoint {
public:
    static constexpr int kDefaultChunk = 1024;
    static constexpr int kLargestChunk = 8192;

    // Throws std::bad_alloc when the machine cannot be made.
    CVst3Processor();

    // FUnknown
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return refs.Add(); }
    uint32_t VST3_API release() override;

    // IPluginBase
    vst3::tresult VST3_API initialize(vst3::FUnknown* context) override;
    vst3::tresult VST3_API terminate() override;

    // IComponent
    vst3::tresult VST3_API getControllerClassId(vst3::TUID classId) override;
    vst3::tresult VST3_API setIoMode(int32_t mode) override;
    int32_t VST3_API getBusCount(int32_t type, int32_t direction) override;
    vst3::tresult VST3_API getBusInfo(int32_t type, int32_t direction, int32_t index, vst3::BusInfo& bus) override;
    vst3::tresult VST3_API getRoutingInfo(vst3::RoutingInfo& input, vst3::RoutingInfo& output) override;
    vst3::tresult VST3_API activateBus(int32_t type, int32_t direction, int32_t index, vst3::TBool state) override;
    vst3::tresult VST3_API setActive(vst3::TBool state) override;
    vst3::tresult VST3_API setState(vst3::IBStream* state) override;
    vst3::tresult VST3_API getState(vst3::IBStream* state) override;

    // IProcessContextRequirements: the filter reads nothing of the host's transport or tempo.
    uint32_t VST3_API getProcessContextRequirements() override { return 0; }

    // IAudioProcessor
    vst3::tresult VST3_API setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t numIns,
                                              vst3::SpeakerArrangement* outputs, int32_t numOuts) override;
    vst3::tresult VST3_API getBusArrangement(int32_t direction, int32_t index,
                                             vst3::SpeakerArrangement& arrangement) override;
    vst3::tresult VST3_API canProcessSampleSize(int32_t symbolicSampleSize) override;
    uint32_t VST3_API getLatencySamples() override;
    vst3::tresult VST3_API setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult VST3_API setProcessing(vst3::TBool state) override;
    vst3::tresult VST3_API process(vst3::ProcessData& data) override;
    uint32_t VST3_API getTailSamples() override;

    // IConnectionPoint: the pair has nothing to tell each other beyond what the host carries
    // (the state and the parameter), so messages are accepted and ignored.
    vst3::tresult VST3_API connect(vst3::IConnectionPoint* other) override { return peer.Connect(other); }
    vst3::tresult VST3_API disconnect(vst3::IConnectionPoint* other) override { return peer.Disconnect(other); }
    vst3::tresult VST3_API notify(vst3::IMessage* message) override { return CVst3Peer::Notify(message); }

    CVst3Processor(const CVst3Processor&) = delete;
    CVst3Processor& operator=(const CVst3Processor&) = delete;

private:
    struct Audio;
    ~CVst3Processor();
    int Step() const { return step.load(std::memory_order_relaxed); }
    void HandToMachine(int newStep);
    static bool AudioOf(const vst3::ProcessData& data, Audio* audio);
    void RunSpan(const Audio& audio, int32_t offset, int32_t frames);
    void ApplyParameterChanges(vst3::IParameterChanges* changes, const Audio* audio, int32_t frames);

    CVst3RefCount refs;
    std::unique_ptr<CVelvetineFilter> machine;
    CStereoBridge bridge;
    // The step the state or the last parameter change set; the machine takes it at
    // activation and at the start of each block.
    std::atomic<int> step;
    int machineStep = -1;
    double sampleRate = 48000.0;
    int maxFrames = kDefaultChunk;
    bool prepared = false;
    bool active = false;
    CVst3Peer peer;
};
