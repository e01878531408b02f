// libFuzzer target over the PNG decoder and the picture that owns its result.
//
// The decoder ends the process on bad data; here the fatal-error handler throws instead,
// so that one run can try millions of inputs and a rejection counts as a clean outcome.
// Anything the sanitizers report, or a picture whose buffer disagrees with its size, is
// a finding.

#include "framework/FatalError.h"
#include "gui/Picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <stdexcept>

namespace {

struct Rejected : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void ThrowRejection(const char* message)
{
    throw Rejected(message);
}

[[noreturn]] void Finding(const char* what)
{
    std::fprintf(stderr, "png fuzz finding: %s\n", what);
    std::abort();
}

// Reads every byte the picture claims to own, so that the address sanitizer sees a buffer
// shorter than width x height x bytes per pixel.
void TouchEveryPixel(const CPicture& picture)
{
    if (picture.width < 0 || picture.height < 0)
        Finding("negative size");
    if (!picture.pixels)
        Finding("accepted without pixels");
    if (picture.clipRight != picture.width - 1 || picture.clipBottom != picture.height - 1)
        Finding("clip rectangle differs from the picture");
    const size_t size = size_t(picture.width) * size_t(picture.height) * picture.BytesPerPixel();
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = sum + picture.pixels[i];
    (void)sum;
}

// Composes the decoded picture the way the editor composes its own: onto a canvas, with
// a negative offset so that the edge cutting is exercised as well.
void ComposeOntoCanvas(const CPicture& picture)
{
    CPicture canvas;
    canvas.Blank(37, 23);
    picture.Draw(canvas, -3, 5, 2, -1, 40, 40);
    picture.Draw(canvas, 0, 0, 0, 0, picture.width, picture.height);
    if (!picture.hasAlpha && picture.width > 0 && picture.height > 0)
        picture.TileInto(canvas, -7, 11);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetFatalErrorHandler(&ThrowRejection);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CPicture picture;
    try {
        picture.FromPng(data, uint32_t(size));
    } catch (const Rejected&) {
        if (picture.pixels)
            Finding("rejected picture keeps pixels");
        return 0;
    }
    TouchEveryPixel(picture);
    ComposeOntoCanvas(picture);
    return 0;
}
