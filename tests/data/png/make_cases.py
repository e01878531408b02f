#!/usr/bin/python3
"""Writes the PNG files the decoder's tests read, next to this script.

Every file is built by hand from chunks, so that each one carries exactly the fault (or the
feature) its test is about. Pictures whose pixels the tests check come with a .raw file:
the unfiltered pixel bytes, row after row, as the decoder should deliver them.

Run with /usr/bin/python3 (zlib and struct only); the output is deterministic.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def ihdr(width, height, depth=8, colour=2, compression=0, filtering=0, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour,
                                      compression, filtering, interlace))


def iend():
    return chunk(b"IEND", b"")


class Noise:
    """A small linear congruential generator, so the files never depend on Python's."""

    def __init__(self, seed):
        self.state = seed

    def byte(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 16) & 0xFF


def paeth(left, up, corner):
    estimate = left + up - corner
    to_left, to_up, to_corner = abs(estimate - left), abs(estimate - up), abs(estimate - corner)
    if to_left <= to_up and to_left <= to_corner:
        return left
    if to_up <= to_corner:
        return up
    return corner


class FilterStats:
    """Counts the cases where a wrong reconstruction would show in the pixels."""

    def __init__(self):
        # (pa == pb <= pc forces left == up, so that tie never decides anything.)
        self.paeth_left_over_corner = 0   # pa == pc <= pb, left != corner
        self.paeth_up_over_corner = 0     # pb == pc < pa, up != corner
        self.average_sum_over_255 = 0


def filter_row(kind, row, above, bpp, stats):
    out = bytearray([kind])
    for j, x in enumerate(row):
        left = row[j - bpp] if j >= bpp else 0
        up = above[j] if above is not None else 0
        corner = above[j - bpp] if above is not None and j >= bpp else 0
        if kind == 0:
            predicted = 0
        elif kind == 1:
            predicted = left
        elif kind == 2:
            predicted = up
        elif kind == 3:
            predicted = (left + up) // 2
            if left + up > 255:
                stats.average_sum_over_255 += 1
        elif kind == 4:
            predicted = paeth(left, up, corner)
            estimate = left + up - corner
            pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - corner)
            if pa == pc and pa <= pb and left != corner:
                stats.paeth_left_over_corner += 1
            if pb == pc and pb < pa and up != corner:
                stats.paeth_up_over_corner += 1
        else:
            predicted = 0  # an unknown filter: the decoder keeps the row as stored
        out.append((x - predicted) & 0xFF)
    return bytes(out)


def filtered_stream(rows, kinds, bpp, stats=None):
    stats = stats or FilterStats()
    data = bytearray()
    above = None
    for row, kind in zip(rows, kinds):
        data += filter_row(kind, row, above, bpp, stats)
        above = row
    return bytes(data)


def test_pixels(width, height, bpp, seed):
    """Rows that mix noise, flat runs and ramps: noise exercises every byte value, bright
    flats make Average's sums pass 255, and planes whose slopes across and down are in the
    ratio 1 : -2 (or -2 : 1) make two of Paeth's three distances tie."""
    noise = Noise(seed)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            for c in range(bpp):
                region = (x // 4 + y // 3) % 6
                if region == 0:
                    value = noise.byte()
                elif region == 1:
                    value = 200 + (y * 7 + c * 13) % 56          # bright, nearly flat
                elif region == 2:
                    value = (x * 37 + y * 11 + c * 5) & 0xFF      # ramps that wrap
                elif region == 3:
                    value = (noise.byte() & 0x0F) * 17 if y % 2 else 128 + c
                elif region == 4:
                    value = (120 + 5 * x - 10 * y + c) & 0xFF     # left ties with corner
                else:
                    value = (120 - 10 * x + 5 * y + c) & 0xFF     # up ties with corner
                row.append(value)
        rows.append(bytes(row))
    return rows


def image(width, height, colour, idat_data, extra_before_iend=b""):
    return (SIGNATURE + ihdr(width, height, colour=colour) + chunk(b"IDAT", idat_data)
            + extra_before_iend + iend())


def write(name, data, raw=None):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)
    if raw is not None:
        with open(os.path.join(HERE, os.path.splitext(name)[0] + ".raw"), "wb") as out:
            out.write(raw)


def filter_cases():
    stats = FilterStats()
    cases = [
        # name, width, height, colour type, filter of row 0 first, then a cycle over 0-4
        ("filters_rgb.png", 19, 23, 2, [2, 4, 3, 1, 0, 2, 1, 4, 0, 3]),
        ("filters_rgba.png", 17, 21, 6, [3, 0, 4, 2, 1, 3, 4, 1, 0, 2]),
        ("filters_paeth_first.png", 13, 11, 2, [4, 3, 4, 2, 4, 1, 4, 0]),
        ("filters_sub_first.png", 9, 7, 6, [1, 2, 3, 4, 0]),
    ]
    for index, (name, width, height, colour, pattern) in enumerate(cases):
        bpp = 4 if colour == 6 else 3
        rows = test_pixels(width, height, bpp, seed=1234 + index)
        kinds = [pattern[y % len(pattern)] for y in range(height)]
        stream = zlib.compress(filtered_stream(rows, kinds, bpp, stats), 9)
        write(name, image(width, height, colour, stream), b"".join(rows))
    # Each count is a place where a decoder with the wrong tie order or an 8-bit sum fails.
    assert stats.paeth_left_over_corner > 0, "no Paeth tie between left and corner"
    assert stats.paeth_up_over_corner > 0, "no Paeth tie between up and corner"
    assert stats.average_sum_over_255 > 0, "no Average sum above 255"


def unknown_filter_case():
    # Row 1 says filter 7 and stays as stored; row 2 (Up) builds on the stored bytes.
    width, bpp = 4, 3
    stored = [bytes(range(10, 22)), bytes(range(100, 112)), bytes([1] * 12)]
    stream = bytes([0]) + stored[0] + bytes([7]) + stored[1] + bytes([2]) + stored[2]
    expected = stored[0] + stored[1] + bytes((a + b) & 0xFF for a, b in zip(stored[1], stored[2]))
    write("filter_type_7.png", image(width, 3, 2, zlib.compress(stream)), expected)


def small_rgb():
    """A 3 x 2 RGB picture with plain rows, the base of the structural cases."""
    rows = [bytes([255, 0, 0, 0, 255, 0, 0, 0, 255]), bytes([10, 20, 30, 40, 50, 60, 70, 80, 90])]
    stream = b"".join(b"\x00" + row for row in rows)
    return rows, stream


def structure_cases():
    rows, stream = small_rgb()
    raw = b"".join(rows)
    packed = zlib.compress(stream)

    # Every CRC wrong: CRCs are never checked.
    write("wrong_crc.png", SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", 3, 2, 8, 2, 0, 0, 0),
                                             crc=0) + chunk(b"IDAT", packed, crc=0x12345678)
          + chunk(b"IEND", b"", crc=0xFFFFFFFF), raw)

    # Transparency information for an RGB picture is ignored.
    write("rgb_with_trns.png", SIGNATURE + ihdr(3, 2) + chunk(b"tRNS", b"\x00\x0a\x00\x14\x00\x1e")
          + chunk(b"IDAT", packed) + iend(), raw)

    # Image data split over chunks, one of them before the header and one empty, other
    # chunks (critical or not) between them, and bytes after the end chunk.
    parts = [packed[:5], packed[5:9], b"", packed[9:]]
    write("split_data.png", SIGNATURE + chunk(b"IDAT", parts[0]) + ihdr(3, 2)
          + chunk(b"PLTE", b"\x01\x02\x03") + chunk(b"IDAT", parts[1]) + chunk(b"tEXt", b"a\x00b")
          + chunk(b"IDAT", parts[2]) + chunk(b"sRGB", b"\x00") + chunk(b"IDAT", parts[3])
          + iend() + b"trailing bytes that are never read", raw)

    # A later header replaces an earlier one.
    rgba = bytes([1, 2, 3, 4, 5, 6, 7, 8])
    write("second_header.png", SIGNATURE + ihdr(7, 7, colour=2) + ihdr(2, 1, colour=6)
          + chunk(b"IDAT", zlib.compress(b"\x00" + rgba)) + iend(), rgba)

    # The end chunk's CRC is missing: the file ends with its (empty) data.
    write("end_without_crc.png", SIGNATURE + ihdr(3, 2) + chunk(b"IDAT", packed) + iend()[:-4], raw)


def rejection_cases():
    rows, stream = small_rgb()
    packed = zlib.compress(stream)
    valid = image(3, 2, 2, packed)

    write("too_small.png", SIGNATURE[:7])
    write("bad_signature.png", b"\x89PNG\r\n\x1a\x0b" + valid[8:])
    write("signature_only.png", SIGNATURE)
    write("no_end_chunk.png", SIGNATURE + ihdr(3, 2) + chunk(b"IDAT", packed))
    # A chunk header cut short: fewer than 8 bytes after the last CRC.
    write("cut_chunk_header.png", SIGNATURE + ihdr(3, 2) + chunk(b"IDAT", packed) + b"\x00\x00\x00")
    # The data of the image chunk runs 1 byte past the end of the file.
    long_chunk = chunk(b"IDAT", packed)
    write("chunk_past_end.png", SIGNATURE + ihdr(3, 2)
          + struct.pack(">I", len(packed) + 1) + long_chunk[4:-4])
    # The chunk's data ends exactly at the end of the file, without CRC or end chunk.
    write("chunk_without_crc.png", SIGNATURE + ihdr(3, 2) + long_chunk[:-4])
    # A length that wraps a 32-bit position back into the file.
    write("chunk_length_wraps.png", SIGNATURE + ihdr(3, 2)
          + struct.pack(">I", 0xFFFFFFF0) + b"tEXt" + b"\x00" * 40 + iend())
    write("short_header.png", SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBB", 3, 2, 8, 2, 0, 0))
          + chunk(b"IDAT", packed) + iend())

    def header_case(name, **fields):
        write(name, SIGNATURE + ihdr(3, 2, **fields) + chunk(b"IDAT", packed) + iend())

    header_case("depth_16.png", depth=16)
    header_case("grey.png", colour=0)
    header_case("grey_alpha.png", colour=4)
    header_case("palette_depth_8.png", colour=3)
    header_case("palette_depth_4.png", colour=3, depth=4)
    header_case("compression_1.png", compression=1)
    header_case("filter_method_1.png", filtering=1)
    header_case("interlaced.png", interlace=1)
    # Two faults at once: the first test (bit depth) decides.
    header_case("depth_16_interlaced.png", depth=16, interlace=1)

    write("one_byte_short.png", image(3, 2, 2, zlib.compress(stream[:-1])))
    write("one_byte_long.png", image(3, 2, 2, zlib.compress(stream + b"\x00")))
    write("no_image_data.png", SIGNATURE + ihdr(3, 2) + iend())
    write("stream_cut_short.png", image(3, 2, 2, packed[:-6]))
    write("stream_corrupt.png", image(3, 2, 2, b"\x78\x9c\xff\xff\xff\xff" + packed[6:]))
    with_dictionary = zlib.compressobj(zdict=b"dictionary")
    write("stream_needs_dictionary.png",
          image(3, 2, 2, with_dictionary.compress(stream) + with_dictionary.flush()))

    # Headers whose sizes do not fit in 32 bits (or in a picture's signed size).
    tiny = zlib.compress(b"\x00" * 16)
    write("row_size_overflow.png", image(0x55555555, 1, 2, tiny))          # 3w + 1 = 2^32
    write("data_size_overflow.png", image(0x10000, 0x10000, 2, tiny))      # (3w + 1) h > 2^32
    write("data_size_overflow_rgba.png", image(0x4000, 0x10000, 6, tiny))  # (4w + 1) h > 2^32
    write("height_beyond_int.png", image(0, 0x80000000, 2, tiny))          # no bytes, 2^31 rows
    # Fits in 32 bits but not in a 32-bit process: 3w + 1 = 0xEFFFFFFE bytes of inflated data.
    write("unallocatable.png", image(0x4FFFFFFF, 1, 2, tiny))


def main():
    filter_cases()
    unknown_filter_case()
    structure_cases()
    rejection_cases()


if __name__ == "__main__":
    main()
