#include "gui/PngDecoder.h"

#include "framework/FatalError.h"
#include "gui/Picture.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// Only the subset the editor's own pictures use is read: 8-bit RGB or RGBA, not interlaced.
// Everything the decoder does not understand ends the process, because a picture that
// cannot be shown means the library itself is damaged.

namespace {

const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
const uint32_t kChunkHeaderSize = 8;  // length and type
const uint32_t kChunkCrcSize = 4;
const uint32_t kHeaderDataSize = 13;

struct ImageHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    bool hasAlpha = false;
};

struct DataChunk {
    const uint8_t* start;
    uint32_t length;
};

// The sizes derived from the header, each known to fit in 32 bits.
struct ImageLayout {
    uint32_t bytesPerPixel;
    uint32_t rowBytes;       // pixel bytes of one row
    uint32_t inflatedSize;   // every row with its filter-type byte
    uint32_t pixelBytes;
};

uint32_t ReadBigEndian32(const uint8_t* at)
{
    return (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) |
           uint32_t(at[3]);
}

bool ChunkTypeIs(const uint8_t* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

std::unique_ptr<uint8_t[]> AllocateImageBuffer(uint64_t size)
{
    uint8_t* buffer = nullptr;
    if (size <= SIZE_MAX)
        buffer = new (std::nothrow) uint8_t[size == 0 ? 1 : size_t(size)];
    if (!buffer)
        FatalError("PNG Image Too Large");
    return std::unique_ptr<uint8_t[]>(buffer);
}

void ReadHeader(ImageHeader& header, const uint8_t* data, uint32_t length)
{
    if (length < kHeaderDataSize)
        FatalError("PNG File's Header Chunk Too Small");
    header.width = ReadBigEndian32(data);
    header.height = ReadBigEndian32(data + 4);
    if (data[8] != 8)
        FatalError("Unsupported Bit Depth In PNG File");
    if (data[9] != 2 && data[9] != 6)
        FatalError("Unsupported Color Type In PNG File");
    header.hasAlpha = data[9] == 6;
    if (data[10] != 0)
        FatalError("Unsupported Compression Method In PNG File");
    if (data[11] != 0)
        FatalError("Unsupported Filter Method In PNG File");
    if (data[12] != 0)
        FatalError("Can't Read Interlaced PNG Files");
}

// A header may announce more than any buffer can hold; such sizes must not wrap around.
ImageLayout LayoutOf(const ImageHeader& header)
{
    const uint64_t bytesPerPixel = header.hasAlpha ? 4 : 3;
    const uint64_t rowBytes = uint64_t(header.width) * bytesPerPixel;
    const uint64_t inflatedSize = (rowBytes + 1) * header.height;
    const uint64_t pixelBytes = rowBytes * header.height;
    if (header.width > INT32_MAX || header.height > INT32_MAX || rowBytes + 1 > UINT32_MAX ||
        inflatedSize > UINT32_MAX || pixelBytes > UINT32_MAX)
        FatalError("PNG Image Too Large");
    return ImageLayout{uint32_t(bytesPerPixel), uint32_t(rowBytes), uint32_t(inflatedSize),
                       uint32_t(pixelBytes)};
}

// One-shot inflation with the outcome folded the way zlib's uncompress folds it: a stream
// that stops for want of input is a data error, one that stops for want of room is not.
int InflateOnce(const uint8_t* input, uint32_t inputSize, uint8_t* output, uint32_t outputSize,
                uint32_t& produced)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    stream.next_in = const_cast<Bytef*>(input);
    stream.avail_in = inputSize;
    stream.next_out = output;
    stream.avail_out = outputSize;
    int result = inflateInit(&stream);
    if (result != Z_OK)
        return result;
    result = inflate(&stream, Z_FINISH);
    produced = uint32_t(stream.total_out);
    if (result == Z_STREAM_END)
        return inflateEnd(&stream);
    const bool inputRemains = stream.avail_in != 0;
    inflateEnd(&stream);
    if (result == Z_OK)  // unfinished; a single Z_FINISH call reports that as Z_BUF_ERROR
        result = Z_BUF_ERROR;
    if (result == Z_NEED_DICT || (result == Z_BUF_ERROR && !inputRemains))
        return Z_DATA_ERROR;
    return result;
}

[[noreturn]] void ReportInflateFailure(int result)
{
    switch (result) {
    case Z_MEM_ERROR:
        FatalError("Inflate: Memory Error");
    case Z_BUF_ERROR:
        FatalError("Inflate: Buffer Error");
    case Z_DATA_ERROR:
        FatalError("Inflate: Data Error");
    default:
        FatalError("Inflate: Unknown Error");
    }
}

uint8_t PaethPredictor(int left, int up, int corner)
{
    const int estimate = left + up - corner;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toCorner = std::abs(estimate - corner);
    if (toLeft <= toUp && toLeft <= toCorner)
        return uint8_t(left);
    if (toUp <= toCorner)
        return uint8_t(up);
    return uint8_t(corner);
}

// Undoes the row's filter in place; `above` is the reconstructed previous row, or null
// for the first row. Unknown filter types leave the row as stored.
void ReconstructRow(uint8_t filterType, uint8_t* row, const uint8_t* above, uint32_t rowBytes,
                    uint32_t bytesPerPixel)
{
    for (uint32_t j = 0; j < rowBytes; ++j) {
        const int left = j >= bytesPerPixel ? row[j - bytesPerPixel] : 0;
        const int up = above ? above[j] : 0;
        const int corner = above && j >= bytesPerPixel ? above[j - bytesPerPixel] : 0;
        switch (filterType) {
        case 1:
            row[j] = uint8_t(row[j] + left);
            break;
        case 2:
            row[j] = uint8_t(row[j] + up);
            break;
        case 3:
            row[j] = uint8_t(row[j] + (left + up) / 2);
            break;
        case 4:
            row[j] = uint8_t(row[j] + PaethPredictor(left, up, corner));
            break;
        default:
            return;
        }
    }
}

std::unique_ptr<uint8_t[]> ConcatenateChunks(const std::vector<DataChunk>& chunks,
                                             uint32_t& total)
{
    uint64_t sum = 0;
    for (const DataChunk& chunk : chunks)
        sum += chunk.length;
    // The chunks are disjoint parts of one input, so their sum fits where the input does.
    total = uint32_t(sum);
    std::unique_ptr<uint8_t[]> data = AllocateImageBuffer(sum);
    uint8_t* end = data.get();
    for (const DataChunk& chunk : chunks) {
        if (chunk.length != 0)
            std::memcpy(end, chunk.start, chunk.length);
        end += chunk.length;
    }
    return data;
}

void DecodeImage(CPicture& picture, const ImageHeader& header,
                 const std::vector<DataChunk>& chunks)
{
    const ImageLayout layout = LayoutOf(header);
    uint32_t compressedSize = 0;
    std::unique_ptr<uint8_t[]> compressed = ConcatenateChunks(chunks, compressedSize);
    std::unique_ptr<uint8_t[]> inflated = AllocateImageBuffer(layout.inflatedSize);

    uint32_t produced = 0;
    const int result = InflateOnce(compressed.get(), compressedSize, inflated.get(),
                                   layout.inflatedSize, produced);
    if (result != Z_OK)
        ReportInflateFailure(result);
    if (produced < layout.inflatedSize)
        FatalError("PNG: Not Enough Information Inflated");
    compressed.reset();

    std::unique_ptr<uint8_t[]> pixels = AllocateImageBuffer(layout.pixelBytes);
    const uint8_t* filtered = inflated.get();
    for (uint32_t y = 0; y < header.height; ++y) {
        uint8_t* row = pixels.get() + size_t(y) * layout.rowBytes;
        const uint8_t* above = y == 0 ? nullptr : row - layout.rowBytes;
        const uint8_t filterType = filtered[0];
        if (layout.rowBytes != 0)
            std::memcpy(row, filtered + 1, layout.rowBytes);
        ReconstructRow(filterType, row, above, layout.rowBytes, layout.bytesPerPixel);
        filtered += size_t(layout.rowBytes) + 1;
    }

    picture.width = int(header.width);
    picture.height = int(header.height);
    picture.hasAlpha = header.hasAlpha;
    picture.pixels = pixels.release();
}

}  // namespace

void DecodePng(CPicture& picture, const uint8_t* bytes, uint32_t length)
{
    if (length < sizeof kSignature)
        FatalError("PNG File Is Too Small To Fit A Valid Header");
    if (std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
        FatalError("PNG File Header Not Found");

    ImageHeader header;
    std::vector<DataChunk> chunks;
    // 64 bits, so that neither the chunk length nor the skipped CRC can wrap the position.
    uint64_t position = sizeof kSignature;
    for (;;) {
        if (position + kChunkHeaderSize > length)
            FatalError("Unexpected End Of File In PNG Image");
        const uint8_t* chunk = bytes + position;
        const uint32_t dataLength = ReadBigEndian32(chunk);
        const uint8_t* type = chunk + 4;
        const uint8_t* data = chunk + kChunkHeaderSize;
        if (position + kChunkHeaderSize + dataLength > length)
            FatalError("Chunk Found Larger Than File In PNG Image");

        if (ChunkTypeIs(type, "IHDR")) {
            ReadHeader(header, data, dataLength);
        } else if (ChunkTypeIs(type, "IDAT")) {
            chunks.push_back(DataChunk{data, dataLength});
        } else if (ChunkTypeIs(type, "IEND")) {
            DecodeImage(picture, header, chunks);
            return;
        }
        position += uint64_t(kChunkHeaderSize) + dataLength + kChunkCrcSize;
    }
}
