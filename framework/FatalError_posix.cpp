#include "framework/FatalError.h"

#include <cstdio>

void ShowFatalMessage(const char* message)
{
    std::fprintf(stderr, "Duskmoor: %s\n", message);
}
