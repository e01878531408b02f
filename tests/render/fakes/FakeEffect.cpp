// Small stand-ins for plug-ins the render host must cope with, one DLL per FAKE_KIND:
//   FAKE_NO_ENTRY     exports no VSTPluginMain
//   FAKE_NULL         VSTPluginMain returns null
//   FAKE_BAD_MAGIC    VSTPluginMain returns a record without the 'VstP' magic
//   FAKE_MONO         a well-formed effect with one input and one output
//   FAKE_PROBE        a stereo effect that reports in its right output whether the host
//                     prepared it as hosts do: right = sample rate / 1e6 when it did, -1 when
//                     not; left = left input * 2 * parameter 0
//   FAKE_SINGLE_ONLY  FAKE_PROBE without 64-bit processing

#include "shell/Vst2.h"

#if defined(FAKE_NO_ENTRY)

extern "C" __declspec(dllexport) int NotAPlugin() { return 0; }

#elif defined(FAKE_NULL)

extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }

#elif defined(FAKE_BAD_MAGIC)

static AEffect record;  // zero-filled: no magic, no dispatcher

extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback) { return &record; }

#else

namespace {

struct ProbeState {
    audioMasterCallback host = nullptr;
    intptr_t hostRate = 0;       // what the host answered at creation
    bool opened = false;
    float rate = 0.0f;           // effSetSampleRate
    intptr_t blockSize = 0;      // effSetBlockSize
    bool resumed = false;        // effMainsChanged 1
    float parameter = 0.5f;
};

ProbeState state;
AEffect record;

bool Prepared(int32_t frames) {
    return state.opened && state.resumed && state.rate > 0.0f && state.rate == static_cast<float>(state.hostRate) &&
           frames <= state.blockSize;
}

template <typename Sample>
void Process(AEffect*, Sample** inputs, Sample** outputs, int32_t frames) {
    const Sample report = Prepared(frames) ? static_cast<Sample>(state.rate / 1e6) : Sample(-1);
    for (int32_t i = 0; i < frames; ++i) {
        outputs[0][i] = inputs[0][i] * static_cast<Sample>(2 * state.parameter);
        outputs[1][i] = report;
    }
}

intptr_t Dispatch(AEffect*, int32_t opcode, int32_t, intptr_t value, void*, float opt) {
    switch (opcode) {
        case effOpen: state.opened = true; break;
        case effClose: state = ProbeState(); break;
        case effSetSampleRate: state.rate = opt; break;
        case effSetBlockSize: state.blockSize = value; break;
        case effMainsChanged: state.resumed = value != 0; break;
    }
    return 0;
}

void SetParameter(AEffect*, int32_t index, float value) {
    if (index == 0) state.parameter = value;
}

float GetParameter(AEffect*, int32_t index) { return index == 0 ? state.parameter : 0.0f; }

}  // namespace

extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback host) {
    state = ProbeState();
    state.host = host;
    state.hostRate = host(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f);
    record = AEffect();
    record.magic = kEffectMagic;
    record.dispatcher = Dispatch;
    record.setParameter = SetParameter;
    record.getParameter = GetParameter;
    record.numParams = 1;
#if defined(FAKE_MONO)
    record.numInputs = record.numOutputs = 1;
#else
    record.numInputs = record.numOutputs = 2;
#endif
    record.flags = effFlagsCanReplacing;
    record.processReplacing = Process<float>;
#if !defined(FAKE_SINGLE_ONLY)
    record.flags |= effFlagsCanDoubleReplacing;
    record.processDoubleReplacing = Process<double>;
#endif
    return &record;
}

#endif
