#pragma once

// The one report for failures the framework cannot recover from: formats the message,
// shows it to the user and ends the process with exit code -1. Never returns.
[[noreturn]] void FatalError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The last step of FatalError: shows the formatted message and ends the process. Tests
// swap it (for example for one that throws) to observe the messages; the default shows a
// message box captioned "Duskmoor" (standard error in the native build), then exits with -1.
using FatalErrorHandler = void (*)(const char* message);
FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler);

// Platform part of the default handler: shows the message and blocks until dismissed.
void ShowFatalMessage(const char* message);
