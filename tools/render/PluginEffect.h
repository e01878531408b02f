#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/PluginDriver.h"
#include "tools/render/RenderLoop.h"
#include "tools/render/StereoEffect.h"

// A plug-in of any standard the host library has a driver for, loaded and driven as hosts
// of its standard drive it: instantiated, then prepared for the render's sample rate and
// block size. Anything that makes the file unusable for a stereo render throws
// CRenderFailure naming the file.
class CPluginEffect : public CStereoEffect {
public:
    CPluginEffect(const std::string& path, uint32_t sampleRate, int blockSize, RenderPrecision precision);
    ~CPluginEffect() override;  // destroys the instance, then unloads the file

    // The plug-in's one parameter ("Oversampling" in the project's own plug-in), 0 to 1.
    void SetParameter(float value);

    void Process(float** inputs, float** outputs, int frames) override;
    void Process(double** inputs, double** outputs, int frames) override;

    CPluginEffect(const CPluginEffect&) = delete;
    CPluginEffect& operator=(const CPluginEffect&) = delete;

private:
    void CheckLayout(RenderPrecision precision) const;
    [[noreturn]] void Fail(const std::string& problem) const;

    std::string path_;
    std::unique_ptr<PluginFile> file_;
    std::unique_ptr<PluginDriver> instance_;
};
