#include "tools/render/PluginEffect.h"

#include "host/PluginDrivers.h"
#include "tools/render/RenderFailure.h"
#include "tools/render/RenderSystem.h"

CPluginEffect::CPluginEffect(const std::string& path, uint32_t sampleRate, int blockSize, RenderPrecision precision)
    : path_(SystemPath(path)) {
    if (!PathExists(path_)) Fail("no such file");
    OpenedPluginFile opened = OpenPluginFile(path_);
    if (!opened.systemError.empty()) Fail("cannot be loaded: " + DescribeLoadFailure(opened.systemError));
    if (!opened.file) Fail(opened.problem);
    file_ = std::move(opened.file);
    std::string problem;
    instance_ = file_->NewInstance(static_cast<double>(sampleRate), blockSize, problem);
    if (!instance_) Fail(problem);
    CheckLayout(precision);
    instance_->Prepare(static_cast<double>(sampleRate), blockSize);
}

CPluginEffect::~CPluginEffect() { instance_.reset(); }

void CPluginEffect::CheckLayout(RenderPrecision precision) const {
    const PluginLayout layout = instance_->Layout();
    if (layout.inputs != 2 || layout.outputs != 2) {
        Fail("is not a stereo effect: " + std::to_string(layout.inputs) + " inputs and " +
             std::to_string(layout.outputs) + " outputs, the render needs 2 and 2");
    }
    if (precision == RenderPrecision::Single && !layout.noFloatsReason.empty())
        Fail("cannot process 32-bit samples in place (" + layout.noFloatsReason + ")");
    if (precision == RenderPrecision::Double && !layout.noDoublesReason.empty())
        Fail("cannot process 64-bit samples (" + layout.noDoublesReason + "); try --precision 32");
}

void CPluginEffect::SetParameter(float value) {
    if (instance_->Layout().parameters < 1) Fail("has no parameter to set");
    instance_->SetParameter(value);
}

void CPluginEffect::Process(float** inputs, float** outputs, int frames) { instance_->Process(inputs, outputs, frames); }

void CPluginEffect::Process(double** inputs, double** outputs, int frames) {
    instance_->Process(inputs, outputs, frames);
}

void CPluginEffect::Fail(const std::string& problem) const { throw CRenderFailure(path_, problem); }
