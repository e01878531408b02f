#include "shell/TidegateAdapter.h"

// The window's messages drive the editor; idle calls bring nothing to do.
void CTidegateAdapter::idle() {}
