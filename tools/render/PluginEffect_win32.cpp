#include "tools/render/PluginEffect.h"

#include <windows.h>

#include <cstdlib>

#include "tools/render/RenderFailure.h"

namespace {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "";
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message + " (error " + std::to_string(code) + ")";
}

// The host library reports a failed LoadLibraryA as "... failed with error N".
std::string LoadFailure(const std::string& libraryError) {
    const size_t digits = libraryError.find_last_not_of("0123456789");
    if (digits == std::string::npos || digits + 1 == libraryError.size()) return libraryError;
    return SystemMessage(static_cast<DWORD>(std::strtoul(libraryError.c_str() + digits + 1, nullptr, 10)));
}

}  // namespace

CPluginEffect::CPluginEffect(const std::string& path, uint32_t sampleRate, int blockSize, RenderPrecision precision)
    : library_(path) {
    if (GetFileAttributesA(library_.Path().c_str()) == INVALID_FILE_ATTRIBUTES) Fail("no such file");
    if (!library_.Loaded()) Fail("cannot be loaded: " + LoadFailure(library_.Error()));
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

std::string DefaultPluginPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const size_t separator = folder.find_last_of("\\/");
    folder = separator == std::string::npos ? "." : folder.substr(0, separator);
    return folder + "\\QMVelvetine.dll";
}
