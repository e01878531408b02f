#pragma once

#include <string>
#include <vector>

#include "host/DoubleThroughFloat.h"
#include "host/PluginDriver.h"
#include "host/PluginLibrary.h"
#include "shell/Vst2.h"

// A VST 2.x library: its entry point called with a host callback for every instance.
class Vst2File : public PluginFile {
public:
    // `callback` null: one that answers the rate and the largest block last prepared.
    Vst2File(const std::string& path, audioMasterCallback callback = nullptr);

    const PluginLibrary& Library() const { return library; }
    const char* Standard() const override { return "VST 2.x"; }
    std::unique_ptr<PluginDriver> NewInstance(double sampleRate, int32_t maxBlock,
                                              std::string& error) override;

private:
    PluginLibrary library;
    audioMasterCallback callback;
};

// An instance driven through its effect record: opened on the first Prepare, resumed while
// prepared, suspended and closed when destroyed.
class Vst2Driver : public PluginDriver {
public:
    explicit Vst2Driver(AEffect* effect);
    ~Vst2Driver() override;

    AEffect* Effect() const { return effect; }

    PluginLayout Layout() const override;
    void Prepare(double sampleRate, int32_t maxBlock) override;
    void SetParameter(float value) override;
    float GetParameter() override;
    void Process(float** inputs, float** outputs, int32_t frames) override;
    void Process(double** inputs, double** outputs, int32_t frames) override;
    void Reset() override;

    Vst2Driver(const Vst2Driver&) = delete;
    Vst2Driver& operator=(const Vst2Driver&) = delete;

private:
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, float opt = 0.0f);
    bool ProcessesDoubles() const;

    AEffect* effect;
    bool opened = false;
    bool resumed = false;
    DoubleThroughFloat narrowing;  // only for records without processDoubleReplacing
    std::vector<float> silence[2];  // what Reset flushes the history with
    std::vector<float> flushed[2];
};

OpenedPluginFile OpenVst2File(const std::string& path);
