#include "gui/Picture.h"

#include <vector>

#include <windows.h>

#include "gui/BackBuffer.h"
#include "gui/Control.h"

namespace {

// Hands a width x height, 24-bit, top-down image to GDI in one call.
void WriteDib(const CPicture& source, CBackBuffer& target, int width, int height, int ox, int oy)
{
    if (width <= 0 || height <= 0)
        return;
    std::vector<uint8_t> rows(size_t(DibStride(width)) * size_t(height));
    BuildDibRows(source, width, height, ox, oy, rows.data());
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows run top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    // Written through the memory DC the bitmap is selected into: SetDIBits is documented
    // only for bitmaps that are not selected into any DC.
    SetDIBitsToDevice(target.memoryDC, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                      rows.data(), &info, DIB_RGB_COLORS);
}

}  // namespace

void CPicture::FromResource(int id)
{
    // A missing resource decodes as zero bytes, which the decoder reports as fatal: the
    // library's own pictures are part of it, so their absence means it is damaged.
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    HMODULE module = ToolkitModule();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    if (loaded) {
        length = SizeofResource(module, resource);
        bytes = static_cast<const uint8_t*>(LockResource(loaded));
    }
    FromPng(bytes, bytes ? length : 0);
    if (loaded)
        FreeResource(loaded);
}

void CPicture::TileToBitmap(CBackBuffer& target, int ox, int oy) const
{
    WriteDib(*this, target, target.width, target.height, ox, oy);
}

void CPicture::Present(CBackBuffer& target) const
{
    WriteDib(*this, target, width, height, 0, 0);
}
