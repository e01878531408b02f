#include "vst3/Vst3WindowApi.h"

#include "vst3/Vst3Abi.h"

const char* Vst3PlatformType() { return vst3::kPlatformTypeX11EmbedWindowID; }

bool Vst3EditorNeedsRunLoop() { return true; }
