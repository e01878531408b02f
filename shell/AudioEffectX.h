#pragma once

#include <cstdint>

#include "shell/AudioEffect.h"

// The extended effect in the standard's shape: answers dispatcher opcodes 25 to 79 and hands
// every other opcode to AudioEffect. It adds no data.
class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    virtual int32_t processEvents(VstEvents* events) { return 0; }
    virtual bool canParameterBeAutomated(int32_t index) { return true; }
    virtual bool string2parameter(int32_t index, char* text) { return false; }
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text)
    {
        return false;
    }
    virtual VstPlugCategory getPlugCategory();
    virtual bool getEffectName(char* name) { return false; }
    virtual bool getVendorString(char* text) { return false; }
    virtual bool getProductString(char* text) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t canDo(char* text) { return 0; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual int32_t getVstVersion() { return 2400; }
    virtual int32_t getCurrentMidiProgram(int32_t channel, void* program) { return -1; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    // Offers no arrangement: both pointers the host gave become null.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input,
                                       VstSpeakerArrangement** output);
    virtual intptr_t setTotalSampleToProcess(intptr_t value) { return value; }
    virtual int32_t beginLoadBank(void* bank) { return 0; }
    virtual int32_t beginLoadProgram(void* program) { return 0; }

private:
    intptr_t OfferKey(bool pressed, int32_t index, intptr_t value, float opt);
};
