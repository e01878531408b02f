#include "host/Lv2Driver.h"

#include <dlfcn.h>

#include <memory>

#include "effect/ControlDescription.h"
#include "host/DoubleThroughFloat.h"
#include "host/Lv2Features.h"

namespace {

// The ports as this host connects them: stereo in, stereo out, then the control port, which
// carries the oversampling factor itself.
enum Port : uint32_t { kInLeft, kInRight, kOutLeft, kOutRight, kFactor };

// An instance is made for one sample rate and one largest block; Prepare makes a new one
// when either changes, as LV2 hosts do. The control's value lives here and is connected
// to every instance made.
class Lv2Driver : public PluginDriver {
public:
    Lv2Driver(const LV2_Descriptor* descriptor, const std::string& bundle, double sampleRate,
              int32_t maxBlock)
        : descriptor(descriptor), bundlePath(bundle + "/")
    {
        Instantiate(sampleRate, maxBlock);
        narrowing.Reserve(maxBlock);
    }
    ~Lv2Driver() override { Release(); }

    bool Made() const { return handle != nullptr; }

    PluginLayout Layout() const override
    {
        PluginLayout layout;
        layout.inputs = 2;
        layout.outputs = 2;
        layout.parameters = 1;
        layout.noDoublesReason = "LV2 audio ports carry 32-bit samples";
        return layout;
    }

    void Prepare(double sampleRate, int32_t maxBlock) override
    {
        if (sampleRate != preparedRate || maxBlock != preparedBlock) {
            Release();
            Instantiate(sampleRate, maxBlock);
        }
        narrowing.Reserve(maxBlock);
    }

    // A host shows an enumerated port as a control from 0 to 1 and writes the port the
    // value of the step selected.
    void SetParameter(float value) override
    {
        factor = float(OversamplingControl::FactorOfStep(OversamplingControl::StepOfValue(value)));
    }
    float GetParameter() override
    {
        return float(OversamplingControl::ValueOfStep(OversamplingControl::StepOfFactor(factor)));
    }

    void Process(float** inputs, float** outputs, int32_t frames) override
    {
        if (!handle || frames <= 0)
            return;
        for (uint32_t c = 0; c < 2; ++c) {
            descriptor->connect_port(handle, kInLeft + c, inputs[c]);
            descriptor->connect_port(handle, kOutLeft + c, outputs[c]);
        }
        descriptor->run(handle, uint32_t(frames));
    }

    void Process(double** inputs, double** outputs, int32_t frames) override
    {
        narrowing.Process(inputs, outputs, frames, [this](float** in, float** out, int32_t length) {
            Process(in, out, length);
        });
    }

    // Activation starts an LV2 instance from silence.
    void Reset() override
    {
        if (!handle)
            return;
        descriptor->deactivate(handle);
        descriptor->activate(handle);
    }

private:
    void Instantiate(double sampleRate, int32_t maxBlock)
    {
        features.reset(new Lv2Features(maxBlock));
        handle = descriptor->instantiate(descriptor, sampleRate, bundlePath.c_str(), features->List());
        preparedRate = sampleRate;
        preparedBlock = maxBlock;
        if (!handle)
            return;
        descriptor->connect_port(handle, kFactor, &factor);
        descriptor->activate(handle);
    }

    void Release()
    {
        if (!handle)
            return;
        descriptor->deactivate(handle);
        descriptor->cleanup(handle);
        handle = nullptr;
    }

    const LV2_Descriptor* descriptor;
    std::string bundlePath;
    std::unique_ptr<Lv2Features> features;
    LV2_Handle handle = nullptr;
    double preparedRate = 0.0;
    int32_t preparedBlock = 0;
    float factor = float(OversamplingControl::FactorOfStep(OversamplingControl::kDefaultStep));
    DoubleThroughFloat narrowing;
};

// The bundle's code, kept loaded while the file lives.
class Lv2File : public PluginFile {
public:
    Lv2File(void* library, const LV2_Descriptor* descriptor, const std::string& bundle)
        : library(library), descriptor(descriptor), bundle(bundle)
    {
    }
    ~Lv2File() override { dlclose(library); }

    const char* Standard() const override { return "LV2"; }

    std::unique_ptr<PluginDriver> NewInstance(double sampleRate, int32_t maxBlock,
                                              std::string& error) override
    {
        std::unique_ptr<Lv2Driver> driver(new Lv2Driver(descriptor, bundle, sampleRate, maxBlock));
        if (driver->Made())
            return driver;
        error = "the LV2 descriptor made no instance";
        return nullptr;
    }

private:
    void* library;
    const LV2_Descriptor* descriptor;
    std::string bundle;
};

std::string BinaryOf(const std::string& bundle)
{
    const size_t slash = bundle.find_last_of('/');
    const std::string folder = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
    return bundle + "/" + folder.substr(0, folder.size() - 4) + ".so";  // without ".lv2"
}

}  // namespace

OpenedPluginFile OpenLv2File(const std::string& bundle)
{
    OpenedPluginFile opened;
    const std::string binary = BinaryOf(bundle);
    // RTLD_LOCAL, as LV2 hosts load plug-ins: the library's symbols stay its own.
    void* library = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        opened.systemError = "dlopen(" + binary + ") failed: " + (reason ? reason : "no reason given");
        return opened;
    }
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
    if (!descriptor) {
        dlclose(library);
        opened.problem = entry ? "lv2_descriptor(0) gave no plug-in" : "exports no lv2_descriptor: not an LV2 bundle";
        return opened;
    }
    opened.file.reset(new Lv2File(library, descriptor, bundle));
    return opened;
}
