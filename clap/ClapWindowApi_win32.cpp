#include "clap/ClapWindowApi.h"

const char* ClapWindowApi() { return CLAP_WINDOW_API_WIN32; }

void* ClapParentWindow(const clap_window& window) { return window.win32; }
