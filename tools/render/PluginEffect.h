#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "host/RecordingHost.h"
#include "tools/render/RenderLoop.h"
#include "tools/render/StereoEffect.h"

// A VST 2.x effect library loaded and driven as hosts drive it: the entry point is called with a
// host callback that answers the render's sample rate and block size, then the instance is
// opened, told the rate and block size and resumed. Anything that makes the library unusable for
// a stereo render throws CRenderFailure naming the library.
class CPluginEffect : public CStereoEffect {
public:
    CPluginEffect(const std::string& path, uint32_t sampleRate, int blockSize, RenderPrecision precision);
    ~CPluginEffect() override;  // suspends and closes the instance, then unloads the library

    // Parameter 0 ("Oversampling" in the project's own plug-in).
    void SetParameter(float value);

    void Process(float** inputs, float** outputs, int frames) override;
    void Process(double** inputs, double** outputs, int frames) override;

    CPluginEffect(const CPluginEffect&) = delete;
    CPluginEffect& operator=(const CPluginEffect&) = delete;

private:
    void CheckEffect(RenderPrecision precision) const;
    [[noreturn]] void Fail(const std::string& problem) const;

    PluginLibrary library_;
    RecordingHost host_;
    std::unique_ptr<PluginInstance> instance_;
};

