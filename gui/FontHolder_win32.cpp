#include "gui/FontHolder.h"

#include "framework/FatalError.h"

namespace {
const char kFaceName[] = "Verdana";
const double kPointsPerInch = 72.0;
const double kFontPoints = 9.0;
const int kSmoothedGlyphs = 4;  // ANTIALIASED_QUALITY
}  // namespace

int FontCellHeight(int pixelsPerInchY)
{
    // Truncated, not rounded: at 120 dpi the product is 14.999999999999998, a 14-pixel cell.
    return static_cast<int>(pixelsPerInchY * (1.0 / kPointsPerInch) * kFontPoints);
}

CFontHolder::CFontHolder(HDC reference)
    : mutex(CreateMutexA(nullptr, FALSE, nullptr)), lockCount(0), font(nullptr)
{
    if (!mutex)
        FatalError("Can't Create Mutex, Error Code 0x%x", static_cast<unsigned>(GetLastError()));
    const int resolution = reference ? GetDeviceCaps(reference, LOGPIXELSY) : 72;
    font = CreateFontA(FontCellHeight(resolution), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, kSmoothedGlyphs,
                       DEFAULT_PITCH | FF_DONTCARE, kFaceName);
    if (!font)
        FatalError("Can't Create Font <%s>", kFaceName);
}

CFontHolder::~CFontHolder()
{
    DeleteObject(font);
    CloseHandle(mutex);
}
