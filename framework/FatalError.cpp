#include "framework/FatalError.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void ShowAndExit(const char* message)
{
    ShowFatalMessage(message);
    std::exit(-1);
}

std::atomic<FatalErrorHandler> currentHandler{&ShowAndExit};

std::string FormatMessage(const char* format, va_list arguments)
{
    va_list measure;
    va_copy(measure, arguments);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0)
        return format;  // unformattable: show the format itself
    std::string message(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&message[0], message.size(), format, arguments);
    message.resize(static_cast<size_t>(needed));
    return message;
}

}  // namespace

FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler)
{
    return currentHandler.exchange(handler ? handler : &ShowAndExit);
}

void FatalError(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const std::string message = FormatMessage(format, arguments);
    va_end(arguments);
    currentHandler.load()(message.c_str());
    std::exit(-1);  // a handler that returns still ends the process
}
