#include "clap/ClapWindowApi.h"

#include <cstdint>

const char* ClapWindowApi() { return CLAP_WINDOW_API_X11; }

// The session takes the X11 window id in a pointer, as the LV2 parent feature gives it.
void* ClapParentWindow(const clap_window& window)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
}
