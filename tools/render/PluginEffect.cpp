#include "tools/render/PluginEffect.h"

#include "tools/render/RenderFailure.h"
#include "tools/render/RenderSystem.h"

CPluginEffect::CPluginEffect(const std::string& path, uint32_t sampleRate, int blockSize, RenderPrecision precision)
    : library_(path) {
    if (!PathExists(library_.Path())) Fail("no such file");
    if (!library_.Loaded()) Fail("cannot be loaded: " + DescribeLoadFailure(library_.Error()));
    if (!library_.Entry()) Fail("exports no VSTPluginMain: not a VST 2.x plug-in");
    // The plug-in asks for both while it creates its instance, before any dispatcher call.
    host_.SetSampleRate(static_cast<intptr_t>(sampleRate));
    host_.SetBlockSize(blockSize);
    AEffect* effect = library_.Entry()(host_.Callback());
    if (!effect) Fail("VSTPluginMain returned no effect");
    // A record without the magic number may be anything: calling its dispatcher, even to
    // close it, could crash.
    if (effect->magic != kEffectMagic) Fail("VSTPluginMain returned something that is not a VST 2.x effect record");
    instance_.reset(new PluginInstance(effect));
    CheckEffect(precision);
    instance_->Start(static_cast<float>(sampleRate), blockSize);
}

CPluginEffect::~CPluginEffect() {
    if (instance_ && instance_->IsOpen()) instance_->Dispatch(effMainsChanged, 0, 0);
    instance_.reset();
}

void CPluginEffect::CheckEffect(RenderPrecision precision) const {
    const AEffect* effect = instance_->Effect();
    if (effect->numInputs != 2 || effect->numOutputs != 2) {
        Fail("is not a stereo effect: " + std::to_string(effect->numInputs) + " inputs and " +
             std::to_string(effect->numOutputs) + " outputs, the render needs 2 and 2");
    }
    if (precision == RenderPrecision::Single &&
        (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)) {
        Fail("cannot process 32-bit samples in place (no processReplacing)");
    }
    if (precision == RenderPrecision::Double &&
        (!(effect->flags & effFlagsCanDoubleReplacing) || !effect->processDoubleReplacing)) {
        Fail("cannot process 64-bit samples (no processDoubleReplacing); try --precision 32");
    }
}

void CPluginEffect::SetParameter(float value) {
    if (instance_->Effect()->numParams < 1) Fail("has no parameter to set");
    instance_->SetParameter(0, value);
}

void CPluginEffect::Process(float** inputs, float** outputs, int frames) { instance_->Process(inputs, outputs, frames); }

void CPluginEffect::Process(double** inputs, double** outputs, int frames) {
    instance_->Process(inputs, outputs, frames);
}

void CPluginEffect::Fail(const std::string& problem) const { throw CRenderFailure(library_.Path(), problem); }
