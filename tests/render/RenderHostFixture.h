#pragma once

// What the tests of the velvetine-render program share: running it, writing its inputs and
// reading its outputs.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "RenderProcess.h"
#include "host/PluginLibrary.h"
#include "tools/render/WavReader.h"
#include "tools/render/WavWriter.h"

inline std::string RenderProgram() { return WindowsPath(VELVETINE_RENDER_PATH); }
inline std::string FakeEffect(const std::string& kind) {
    return WindowsPath(std::string(VELVETINE_FAKE_EFFECT_DIR) + "/fake_effect_" + kind + ".dll");
}

struct WavContents {
    WavFormat format;
    std::vector<double> channels[2];
    std::string warning;
};

inline void WriteWav(const CScratchFolder& folder, const std::string& name, const WavFormat& format,
                     const std::vector<double>& left, const std::vector<double>& right = {}) {
    std::stringstream out;
    CWavWriter writer(out, format);
    const double* channels[2] = {left.data(), right.data()};
    writer.Write(channels, left.size());
    writer.Finish();
    folder.WriteFile(name, out.str());
}

inline WavContents ReadWav(const CScratchFolder& folder, const std::string& name) {
    std::istringstream in(folder.ReadFile(name));
    CWavReader reader(in);
    WavContents contents;
    contents.format = reader.Format();
    contents.warning = reader.Warning();
    double* pointers[2] = {nullptr, nullptr};
    for (int c = 0; c < contents.format.channels; ++c) {
        contents.channels[c].resize(reader.FrameCount());
        pointers[c] = contents.channels[c].data();
    }
    reader.Read(pointers, reader.FrameCount());
    return contents;
}

class RenderProgramTest : public ::testing::Test {
protected:
    ProgramRun Render(const std::vector<std::string>& arguments) { return RunProgram(RenderProgram(), arguments); }
    std::string In(const std::string& name) const { return folder.Path(name); }

    CScratchFolder folder;
};
