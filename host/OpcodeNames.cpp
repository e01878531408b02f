#include "host/OpcodeNames.h"

namespace {

const char* const kEffectOpcodes[] = {
    "effOpen", "effClose", "effSetProgram", "effGetProgram", "effSetProgramName",
    "effGetProgramName", "effGetParamLabel", "effGetParamDisplay", "effGetParamName", "effGetVu",
    "effSetSampleRate", "effSetBlockSize", "effMainsChanged", "effEditGetRect", "effEditOpen",
    "effEditClose", "effEditDraw", "effEditMouse", "effEditKey", "effEditIdle", "effEditTop",
    "effEditSleep", "effIdentify", "effGetChunk", "effSetChunk", "effProcessEvents",
    "effCanBeAutomated", "effString2Parameter", "effGetNumProgramCategories",
    "effGetProgramNameIndexed", "effCopyProgram", "effConnectInput", "effConnectOutput",
    "effGetInputProperties", "effGetOutputProperties", "effGetPlugCategory",
    "effGetCurrentPosition", "effGetDestinationBuffer", "effOfflineNotify", "effOfflinePrepare",
    "effOfflineRun", "effProcessVarIo", "effSetSpeakerArrangement", "effSetBlockSizeAndSampleRate",
    "effSetBypass", "effGetEffectName", "effGetErrorText", "effGetVendorString",
    "effGetProductString", "effGetVendorVersion", "effVendorSpecific", "effCanDo",
    "effGetTailSize", "effIdle", "effGetIcon", "effSetViewPosition", "effGetParameterProperties",
    "effKeysRequired", "effGetVstVersion", "effEditKeyDown", "effEditKeyUp", "effSetEditKnobMode",
    "effGetMidiProgramName", "effGetCurrentMidiProgram", "effGetMidiProgramCategory",
    "effHasMidiProgramsChanged", "effGetMidiKeyName", "effBeginSetProgram", "effEndSetProgram",
    "effGetSpeakerArrangement", "effShellGetNextPlugin", "effStartProcess", "effStopProcess",
    "effSetTotalSampleToProcess", "effSetPanLaw", "effBeginLoadBank", "effBeginLoadProgram",
    "effSetProcessPrecision", "effGetNumMidiInputChannels", "effGetNumMidiOutputChannels",
};
constexpr int32_t kEffectOpcodeCount = sizeof kEffectOpcodes / sizeof kEffectOpcodes[0];
static_assert(kEffectOpcodeCount == 80, "opcodes 0 to 79");

std::string Named(const char* name, int32_t opcode)
{
    return std::string(name) + " (" + std::to_string(opcode) + ")";
}

}  // namespace

std::string EffectOpcodeName(int32_t opcode)
{
    if (opcode >= 0 && opcode < kEffectOpcodeCount)
        return Named(kEffectOpcodes[opcode], opcode);
    return "opcode " + std::to_string(opcode);
}

std::string HostOpcodeName(int32_t opcode)
{
    switch (opcode) {
    case 0: return Named("audioMasterAutomate", opcode);
    case 1: return Named("audioMasterVersion", opcode);
    case 2: return Named("audioMasterCurrentId", opcode);
    case 3: return Named("audioMasterIdle", opcode);
    case 6: return Named("audioMasterWantMidi", opcode);
    case 7: return Named("audioMasterGetTime", opcode);
    case 8: return Named("audioMasterProcessEvents", opcode);
    case 13: return Named("audioMasterIOChanged", opcode);
    case 15: return Named("audioMasterSizeWindow", opcode);
    case 16: return Named("audioMasterGetSampleRate", opcode);
    case 17: return Named("audioMasterGetBlockSize", opcode);
    case 23: return Named("audioMasterGetCurrentProcessLevel", opcode);
    case 32: return Named("audioMasterGetVendorString", opcode);
    case 33: return Named("audioMasterGetProductString", opcode);
    case 37: return Named("audioMasterCanDo", opcode);
    case 43: return Named("audioMasterBeginEdit", opcode);
    case 44: return Named("audioMasterEndEdit", opcode);
    default: return "host opcode " + std::to_string(opcode);
    }
}
