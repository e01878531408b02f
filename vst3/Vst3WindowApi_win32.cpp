#include "vst3/Vst3WindowApi.h"

#include "vst3/Vst3Abi.h"

const char* Vst3PlatformType() { return vst3::kPlatformTypeHWND; }

bool Vst3EditorNeedsRunLoop() { return false; }
