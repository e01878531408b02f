#include "framework/FatalError.h"

#include <windows.h>

void ShowFatalMessage(const char* message)
{
    MessageBoxA(nullptr, message, "Duskmoor", MB_OK | MB_ICONERROR);
}
