#pragma once

#include "clap/ClapAbi.h"

// The window system the editor embeds in on this platform ("win32" or "x11"), and the
// host's window as the editor session takes it (an HWND, or an X11 window id).
const char* ClapWindowApi();
void* ClapParentWindow(const clap_window& window);
