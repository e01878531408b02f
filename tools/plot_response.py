#!/usr/bin/env python3
"""Draws the magnitude and group delay of measured impulse responses, one curve per label,
and prints a table of the gains at a few frequencies and the peak group delay.

    plot_response.py --rate 48000 --out response.png 2x=ir-2x.txt 4x=ir-4x.txt ...
                     [--rtf 2x=512.3 ...]

Each response is a file written by velvetine-render --impulse-response: text with one
"left right" line per frame, or a WAV file (PCM or float); the left channel is used.
"""

import argparse
import struct
import sys

import numpy as np

TABLE_FREQUENCIES = (0.0, 1000.0, 5000.0, 10000.0, 20000.0)
GROUP_DELAY_LIMIT_HZ = 20000.0
STOPBAND_FLOOR = 1e-3  # -60 dB
FIGURE_INCHES = (10.0, 8.0)
FIGURE_DPI = 100


def read_wav_left(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a RIFF/WAVE file")
    offset, fmt, samples = 12, None, None
    while offset + 8 <= len(data):
        chunk_id, size = data[offset:offset + 4], struct.unpack_from("<I", data, offset + 4)[0]
        body = data[offset + 8:offset + 8 + size]
        if chunk_id == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body)
        elif chunk_id == b"data":
            samples = body
            break
        offset += 8 + size + (size & 1)
    if fmt is None or samples is None:
        raise ValueError(f"{path}: no format or data chunk")
    tag, channels, _, _, block_align, bits = fmt
    if tag == 0xFFFE:
        tag = struct.unpack_from("<H", data, data.find(b"fmt ") + 8 + 24)[0]
    kinds = {(3, 32): "<f4", (3, 64): "<f8", (1, 16): "<i2", (1, 32): "<i4"}
    frames = len(samples) // block_align
    if (tag, bits) == (1, 24):
        raw = np.frombuffer(samples[:frames * block_align], dtype=np.uint8).reshape(frames, channels, 3)
        codes = raw[:, 0, 0].astype(np.int32) | (raw[:, 0, 1].astype(np.int32) << 8) | (raw[:, 0, 2].astype(np.int32) << 16)
        return np.where(codes >= 1 << 23, codes - (1 << 24), codes) / float(1 << 23)
    if (tag, bits) not in kinds:
        raise ValueError(f"{path}: unsupported encoding (tag {tag}, {bits} bits)")
    values = np.frombuffer(samples[:frames * block_align], dtype=kinds[(tag, bits)]).reshape(frames, channels)[:, 0]
    return values.astype(np.float64) / (float(1 << (bits - 1)) if tag == 1 else 1.0)


def read_response(path):
    if path.lower().endswith(".wav"):
        return read_wav_left(path)
    return np.atleast_2d(np.loadtxt(path, dtype=np.float64))[:, 0]


def response_at(h, frequencies, rate):
    """The exact transfer function of the FIR h at the given frequencies."""
    n = np.arange(len(h))
    return np.array([np.sum(h * np.exp(-2j * np.pi * f / rate * n)) for f in frequencies])


def group_delay(h, frequencies, rate):
    """-d(phase)/d(omega) in samples, from H and the transform of n h[n]."""
    n = np.arange(len(h))
    spectrum = response_at(h, frequencies, rate)
    ramp = response_at(n * h, frequencies, rate)
    with np.errstate(divide="ignore", invalid="ignore"):
        delays = np.real(ramp / spectrum)
    # Near a zero of the response the phase, and with it the delay, means nothing.
    delays[np.abs(spectrum) < STOPBAND_FLOOR * np.abs(h).sum()] = np.nan
    return delays


def decibels(values):
    with np.errstate(divide="ignore"):
        return 20.0 * np.log10(np.abs(values))


def analyse(h, rate):
    curve_hz = np.geomspace(10.0, rate / 2.0, 600)
    in_band = np.linspace(0.0, min(GROUP_DELAY_LIMIT_HZ, rate / 2.0), 2001)
    delays = group_delay(h, in_band, rate)
    peak = int(np.nanargmax(delays))
    return {
        "curve_hz": curve_hz,
        "magnitude_db": decibels(response_at(h, curve_hz, rate)),
        "group_delay": group_delay(h, curve_hz, rate),
        "table_db": decibels(response_at(h, TABLE_FREQUENCIES, rate)),
        "peak_delay": delays[peak],
        "peak_delay_hz": in_band[peak],
    }


def label_pairs(items, what):
    pairs = []
    for item in items:
        label, sep, value = item.partition("=")
        if not sep or not label or not value:
            raise SystemExit(f"plot_response.py: {what} must look like LABEL=VALUE, not {item!r}")
        pairs.append((label, value))
    return pairs


def draw(results, rate, out_path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, (magnitude_axes, delay_axes) = plt.subplots(2, 1, figsize=FIGURE_INCHES, sharex=True)
    for label, result in results:
        magnitude_axes.semilogx(result["curve_hz"], result["magnitude_db"], label=label)
        delay_axes.semilogx(result["curve_hz"], result["group_delay"], label=label)
    lowest = min(np.nanmin(r["magnitude_db"]) for _, r in results)
    magnitude_axes.set_ylim(max(lowest - 1.0, -60.0), 3.0)
    magnitude_axes.set_ylabel("magnitude (dB)")
    magnitude_axes.set_title(f"Response per oversampling factor at {rate / 1000:g} kHz")
    delay_axes.set_ylabel("group delay (samples)")
    delay_axes.set_xlabel("frequency (Hz)")
    delay_axes.set_xlim(10.0, rate / 2.0)
    for axes in (magnitude_axes, delay_axes):
        axes.grid(True, which="both", alpha=0.3)
        axes.legend(title="factor", loc="lower left" if axes is magnitude_axes else "upper left")
    figure.tight_layout()
    figure.savefig(out_path, dpi=FIGURE_DPI)
    plt.close(figure)


def print_table(results, rtf):
    headers = ["factor"] + [("DC" if f == 0 else f"{f / 1000:g} kHz") for f in TABLE_FREQUENCIES]
    headers += ["peak group delay", "real time"]
    rows = []
    for label, result in results:
        gains = [f"{g + 0.0:+.2f} dB" for g in np.round(result["table_db"], 2)]
        delay = f"{result['peak_delay']:.2f} smp at {result['peak_delay_hz'] / 1000:.1f} kHz"
        speed = f"{float(rtf[label]):.0f}x" if label in rtf else "-"
        rows.append([label] + gains + [delay, speed])
    widths = [max(len(row[i]) for row in [headers] + rows) for i in range(len(headers))]
    for row in [headers] + rows:
        print("  ".join(cell.rjust(width) for cell, width in zip(row, widths)))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("responses", nargs="+", metavar="LABEL=FILE", help="an impulse response per curve")
    parser.add_argument("--rate", type=float, default=48000.0, help="sample rate of the responses (48000)")
    parser.add_argument("--out", help="the PNG to draw; without it only the table is printed")
    parser.add_argument("--rtf", action="append", default=[], metavar="LABEL=FACTOR",
                        help="a render's real-time factor, for the table")
    args = parser.parse_args(argv)

    results = [(label, analyse(read_response(path), args.rate))
               for label, path in label_pairs(args.responses, "a response")]
    if args.out:
        draw(results, args.rate, args.out)
    print_table(results, dict(label_pairs(args.rtf, "--rtf")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
