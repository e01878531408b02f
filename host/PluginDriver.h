#pragma once

#include <cstdint>
#include <memory>
#include <string>

// What a plug-in instance offers a stereo host, as its standard describes it. A reason is
// empty where the instance processes that precision natively, else says why not, in the
// standard's own words.
struct PluginLayout {
    int inputs = 0;
    int outputs = 0;
    int parameters = 0;
    std::string noFloatsReason;
    std::string noDoublesReason;
};

// One instance of a stereo effect with one parameter, driven the way a host of its standard
// drives it. Tools and tests see every standard through this interface only, so that each
// scenario is written once. Process may be called with the outputs the inputs themselves;
// it and the parameter calls are the audio thread's and allocate nothing.
class PluginDriver {
public:
    virtual ~PluginDriver() = default;

    virtual PluginLayout Layout() const = 0;

    // Before any processing, and again whenever the rate or the largest block changes.
    virtual void Prepare(double sampleRate, int32_t maxBlock) = 0;

    // The parameter as a control value from 0 to 1, whatever the standard carries.
    virtual void SetParameter(float value) = 0;
    virtual float GetParameter() = 0;

    virtual void Process(float** inputs, float** outputs, int32_t frames) = 0;
    // Standards whose audio is 32-bit convert through float (Layout says so).
    virtual void Process(double** inputs, double** outputs, int32_t frames) = 0;

    // Forgets the signal heard so far: afterwards the instance answers as a fresh one does.
    virtual void Reset() = 0;
};

// A plug-in file loaded once, making as many instances as a host asks for. Instances must
// be destroyed before their file.
class PluginFile {
public:
    virtual ~PluginFile() = default;

    // "VST 2.x", "LV2", "CLAP", "VST3": for messages and test names.
    virtual const char* Standard() const = 0;
    // A new instance, or null with `error` saying why. It is made for the host's sample rate
    // and largest block, which some standards tell or answer while the instance is made;
    // Prepare it for them before processing.
    virtual std::unique_ptr<PluginDriver> NewInstance(double sampleRate, int32_t maxBlock,
                                                      std::string& error) = 0;
};

// The outcome of opening a plug-in file: the file, or why there is none. `systemError` is
// the loader's own text when the system could not load the code at all.
struct OpenedPluginFile {
    std::unique_ptr<PluginFile> file;
    std::string problem;
    std::string systemError;
};
