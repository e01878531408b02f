#pragma once

#include <cstdint>
#include <string>

// The standard names of dispatcher and host callback opcodes, so that failures read well:
// "effGetParamName (8)", "audioMasterGetBlockSize (17)", "opcode 120".
std::string EffectOpcodeName(int32_t opcode);
std::string HostOpcodeName(int32_t opcode);
