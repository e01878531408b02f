#pragma once

// The window system the editor embeds in on this platform: the platform type VST3 hosts
// name it by ("HWND" or "X11EmbedWindowID"), and whether its events must be served from the
// host's run loop (X11) rather than arriving as the window's own messages (Windows).
const char* Vst3PlatformType();
bool Vst3EditorNeedsRunLoop();
