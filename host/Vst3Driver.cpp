#include "host/Vst3Driver.h"

#include <cstring>

#include "effect/ControlDescription.h"
#include "host/PluginLibrary.h"
#include "host/Vst3HostObjects.h"
#include "host/Vst3Module.h"
#include "vst3/Vst3Abi.h"

namespace {

CVst3HostApplication hostApplication;

template <class Interface>
Interface* QueryInterface(vst3::FUnknown* object, const vst3::Uid& iid)
{
    void* found = nullptr;
    if (!object || object->queryInterface(vst3::IidOf(iid), &found) != vst3::kResultOk)
        return nullptr;
    return static_cast<Interface*>(found);
}

template <class Interface>
void Release(Interface*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

class Vst3Driver : public PluginDriver {
public:
    // Takes the references it is given.
    Vst3Driver(vst3::IComponent* component, vst3::IEditController* controller)
        : component(component), controller(controller)
    {
        processor = QueryInterface<vst3::IAudioProcessor>(component, vst3::kIAudioProcessorIid);
        componentPoint = QueryInterface<vst3::IConnectionPoint>(component, vst3::kIConnectionPointIid);
        controllerPoint = QueryInterface<vst3::IConnectionPoint>(controller, vst3::kIConnectionPointIid);
        if (componentPoint && controllerPoint) {
            componentPoint->connect(controllerPoint);
            controllerPoint->connect(componentPoint);
        }
        // The controller shows what the processor holds.
        CVst3MemoryStream state;
        if (component->getState(&state) == vst3::kResultOk) {
            state.Rewind();
            controller->setComponentState(&state);
        }
        if (processor) {
            vst3::SpeakerArrangement in = vst3::kStereo, out = vst3::kStereo;
            processor->setBusArrangements(&in, 1, &out, 1);
        }
        component->activateBus(vst3::kAudio, vst3::kInput, 0, 1);
        component->activateBus(vst3::kAudio, vst3::kOutput, 0, 1);
        in.numChannels = out.numChannels = 2;
        std::memset(&data, 0, sizeof data);
        data.processMode = vst3::kRealtime;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = &pending;
        data.outputParameterChanges = &outputChanges;
    }

    ~Vst3Driver() override
    {
        Deactivate();
        if (componentPoint && controllerPoint) {
            componentPoint->disconnect(controllerPoint);
            controllerPoint->disconnect(componentPoint);
        }
        Release(componentPoint);
        Release(controllerPoint);
        Release(processor);
        controller->terminate();
        component->terminate();
        Release(controller);
        Release(component);
    }

    bool Usable() const { return processor != nullptr; }

    PluginLayout Layout() const override
    {
        PluginLayout layout;
        vst3::BusInfo bus;
        if (component->getBusCount(vst3::kAudio, vst3::kInput) > 0 &&
            component->getBusInfo(vst3::kAudio, vst3::kInput, 0, bus) == vst3::kResultOk)
            layout.inputs = bus.channelCount;
        if (component->getBusCount(vst3::kAudio, vst3::kOutput) > 0 &&
            component->getBusInfo(vst3::kAudio, vst3::kOutput, 0, bus) == vst3::kResultOk)
            layout.outputs = bus.channelCount;
        layout.parameters = controller->getParameterCount();
        if (processor->canProcessSampleSize(vst3::kSample32) != vst3::kResultTrue)
            layout.noFloatsReason = "canProcessSampleSize refuses kSample32";
        if (processor->canProcessSampleSize(vst3::kSample64) != vst3::kResultTrue)
            layout.noDoublesReason = "canProcessSampleSize refuses kSample64";
        return layout;
    }

    // Set up for 32-bit samples; each process call names its own precision, which a
    // processor that can process both sizes takes either way.
    void Prepare(double sampleRate, int32_t maxBlock) override
    {
        Deactivate();
        vst3::ProcessSetup setup = {vst3::kRealtime, vst3::kSample32, maxBlock > 0 ? maxBlock : 1, sampleRate};
        if (processor->setupProcessing(setup) != vst3::kResultOk)
            return;
        active = component->setActive(1) == vst3::kResultOk;
        processing = active && processor->setProcessing(1) == vst3::kResultOk;
    }

    // A host shows the list parameter as a control from 0 to 1: the step it selects becomes
    // the parameter's plain value, normalized by the controller. The controller takes it at
    // once, the processor at the start of the next block.
    void SetParameter(float value) override
    {
        const double normalized =
            controller->plainParamToNormalized(kParameter, OversamplingControl::StepOfValue(value));
        controller->setParamNormalized(kParameter, normalized);
        pending.Clear();
        pending.Add(kParameter, 0, normalized);
    }

    float GetParameter() override
    {
        const double plain = controller->normalizedParamToPlain(kParameter, controller->getParamNormalized(kParameter));
        return float(OversamplingControl::ValueOfStep(int(plain)));
    }

    void Process(float** inputs, float** outputs, int32_t frames) override
    {
        in.channelBuffers32 = inputs;
        out.channelBuffers32 = outputs;
        Run(vst3::kSample32, frames);
    }
    void Process(double** inputs, double** outputs, int32_t frames) override
    {
        in.channelBuffers64 = inputs;
        out.channelBuffers64 = outputs;
        Run(vst3::kSample64, frames);
    }

    // Activation starts the processor from silence.
    void Reset() override
    {
        if (!active)
            return;
        if (processing)
            processor->setProcessing(0);
        component->setActive(0);
        component->setActive(1);
        if (processing)
            processor->setProcessing(1);
    }

private:
    static constexpr vst3::ParamID kParameter = OversamplingControl::kIndex;

    // The process record is the instance's own, set up once: a call changes only the
    // precision, the frames and the buffers.
    void Run(int32_t sampleSize, int32_t frames)
    {
        if (frames <= 0)
            return;
        data.symbolicSampleSize = sampleSize;
        data.numSamples = frames;
        outputChanges.Clear();
        processor->process(data);
        pending.Clear();
    }

    void Deactivate()
    {
        if (processing)
            processor->setProcessing(0);
        if (active)
            component->setActive(0);
        processing = active = false;
    }

    vst3::IComponent* component;
    vst3::IEditController* controller;
    vst3::IAudioProcessor* processor = nullptr;
    vst3::IConnectionPoint* componentPoint = nullptr;
    vst3::IConnectionPoint* controllerPoint = nullptr;
    CVst3ParameterChanges pending;
    CVst3ParameterChanges outputChanges;
    vst3::AudioBusBuffers in = {};
    vst3::AudioBusBuffers out = {};
    vst3::ProcessData data;
    bool active = false;
    bool processing = false;
};

class Vst3File : public PluginFile {
public:
    Vst3File(std::unique_ptr<PluginLibrary> library, vst3::IPluginFactory* factory)
        : library(std::move(library)), factory(factory)
    {
    }
    ~Vst3File() override
    {
        factory->release();
        Vst3LeaveModule(*library);
    }

    const char* Standard() const override { return "VST3"; }

    std::unique_ptr<PluginDriver> NewInstance(double, int32_t, std::string& error) override
    {
        vst3::TUID processorId;
        if (!FindEffectClass(processorId)) {
            error = "the VST3 factory lists no audio effect class";
            return nullptr;
        }
        auto* component = CreateInstance<vst3::IComponent>(processorId, vst3::kIComponentIid);
        if (!component || component->initialize(&hostApplication) != vst3::kResultOk) {
            Release(component);
            error = "the VST3 factory made no component that initializes";
            return nullptr;
        }
        vst3::TUID controllerId;
        vst3::IEditController* controller = nullptr;
        if (component->getControllerClassId(controllerId) == vst3::kResultOk)
            controller = CreateInstance<vst3::IEditController>(controllerId, vst3::kIEditControllerIid);
        if (!controller || controller->initialize(&hostApplication) != vst3::kResultOk) {
            Release(controller);
            component->terminate();
            Release(component);
            error = "the VST3 component names no edit controller the factory makes";
            return nullptr;
        }
        std::unique_ptr<Vst3Driver> driver(new Vst3Driver(component, controller));
        if (!driver->Usable()) {
            error = "the VST3 component is no audio processor";
            return nullptr;
        }
        return driver;
    }

private:
    bool FindEffectClass(vst3::TUID cid) const
    {
        for (int32_t i = 0; i < factory->countClasses(); ++i) {
            vst3::PClassInfo info;
            if (factory->getClassInfo(i, &info) == vst3::kResultOk &&
                std::strncmp(info.category, vst3::kVstAudioEffectClass, sizeof info.category) == 0) {
                std::memcpy(cid, info.cid, sizeof info.cid);
                return true;
            }
        }
        return false;
    }

    template <class Interface>
    Interface* CreateInstance(const vst3::TUID cid, const vst3::Uid& iid) const
    {
        void* made = nullptr;
        if (factory->createInstance(cid, vst3::IidOf(iid), &made) != vst3::kResultOk)
            return nullptr;
        return static_cast<Interface*>(made);
    }

    std::unique_ptr<PluginLibrary> library;
    vst3::IPluginFactory* factory;
};

}  // namespace

OpenedPluginFile OpenVst3File(const std::string& path)
{
    OpenedPluginFile opened;
    std::unique_ptr<PluginLibrary> library(new PluginLibrary(Vst3BinaryOf(path)));
    if (!library->Loaded()) {
        opened.systemError = library->Error();
        return opened;
    }
    auto getFactory = reinterpret_cast<Vst3GetFactoryProc>(library->Export("GetPluginFactory"));
    if (!getFactory) {
        opened.problem = "exports no GetPluginFactory: not a VST3 module";
        return opened;
    }
    if (!Vst3EnterModule(*library, opened.problem))
        return opened;
    vst3::IPluginFactory* factory = getFactory();
    if (!factory) {
        Vst3LeaveModule(*library);
        opened.problem = "GetPluginFactory gave no factory";
        return opened;
    }
    opened.file.reset(new Vst3File(std::move(library), factory));
    return opened;
}
