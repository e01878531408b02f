#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/Vst2.h"

class RecordingHost;

// Two input and two output channels of one block, with the pointer arrays a host hands over.
// Outputs start filled with `outputFill`, so that a plug-in that adds instead of replacing
// shows.
template <typename Sample>
class StereoBlock {
public:
    explicit StereoBlock(int32_t frames, Sample outputFill = Sample(0))
        : in{std::vector<Sample>(Length(frames)), std::vector<Sample>(Length(frames))},
          out{std::vector<Sample>(Length(frames), outputFill),
              std::vector<Sample>(Length(frames), outputFill)}
    {
    }
    int32_t Frames() const { return static_cast<int32_t>(in[0].size()); }
    Sample** Inputs()
    {
        inputs[0] = in[0].data();
        inputs[1] = in[1].data();
        return inputs;
    }
    Sample** Outputs()
    {
        outputs[0] = out[0].data();
        outputs[1] = out[1].data();
        return outputs;
    }

    std::vector<Sample> in[2];
    std::vector<Sample> out[2];

private:
    static size_t Length(int32_t frames) { return frames > 0 ? static_cast<size_t>(frames) : 0; }
    Sample* inputs[2] = {nullptr, nullptr};
    Sample* outputs[2] = {nullptr, nullptr};
};

// One effect instance, created through an entry point with a host's callback and driven
// through its record only, as a host drives it. Closed (effClose) when destroyed.
class PluginInstance {
public:
    PluginInstance(VstPluginEntry entry, RecordingHost& host);
    explicit PluginInstance(AEffect* effect);  // adopts a record made elsewhere
    ~PluginInstance();

    AEffect* Effect() const { return effect; }
    bool IsOpen() const { return effect != nullptr; }

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // effClose; the record is invalid afterwards.
    intptr_t Close();

    void SetParameter(int32_t index, float value);
    float GetParameter(int32_t index);
    // A text opcode (parameter name or display, program name, vendor...) into a large buffer.
    std::string Text(int32_t opcode, int32_t index = 0, intptr_t value = 0);

    // The usual start: sample rate, block size, resume.
    void Start(float sampleRate = 44100.0f, int32_t blockSize = 512);

    void Process(float** inputs, float** outputs, int32_t frames);
    void Process(double** inputs, double** outputs, int32_t frames);
    template <typename Sample>
    void Process(StereoBlock<Sample>& block)
    {
        Process(block.Inputs(), block.Outputs(), block.Frames());
    }

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

private:
    AEffect* effect;
};
