#!/usr/bin/env python3
"""Compares renders of the same input made through different builds of the plug-in.

  compare_renders.py --factors "2x 4x" --native 'linux-%s.wav' 'NAME=other-%s.wav' ...

Each pattern's %s is replaced by the factor. Prints a table of the largest sample difference
between the native render and each other one, per factor and overall; exits 1 if the lengths
differ.
"""
import argparse
import struct
import sys

import numpy as np


def samples(path):
    data = open(path, "rb").read()
    at, chunks = 12, {}
    while at + 8 <= len(data):
        size = struct.unpack_from("<I", data, at + 4)[0]
        chunks[data[at:at + 4]] = data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    code, _, _, _, _, bits = struct.unpack_from("<HHIIHH", chunks[b"fmt "])
    if code == 0xFFFE:
        code = struct.unpack_from("<H", chunks[b"fmt "], 24)[0]
    kind = {(3, 32): "<f4", (3, 64): "<f8", (1, 16): "<i2", (1, 32): "<i4"}.get((code, bits))
    if kind is None:  # 8- and 24-bit PCM: compare the bytes
        return np.frombuffer(chunks[b"data"], dtype=np.uint8).astype(float)
    return np.frombuffer(chunks[b"data"], dtype=kind).astype(float)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--factors", required=True)
    parser.add_argument("--native", required=True)
    parser.add_argument("others", nargs="+", metavar="NAME=PATTERN")
    args = parser.parse_args()
    failed = False
    factors = args.factors.split()
    rows = []
    for other in args.others:
        name, pattern = other.split("=", 1)
        worst, cells = 0.0, []
        for factor in factors:
            a, b = samples(args.native % factor), samples(pattern % factor)
            if a.shape != b.shape:
                print(f"  {factor}: the native render has {a.size} samples, the {name}'s {b.size}")
                failed = True
                cells.append("length")
                continue
            difference = float(np.max(np.abs(a - b))) if a.size else 0.0
            worst = max(worst, difference)
            cells.append(f"{difference:.3g}")
        rows.append((name, cells, f"{worst:.3g}"))
    width = max(len(name) for name, _, _ in rows)
    print(f"  largest difference from the native VST 2.x plug-in's render")
    print(f"  {'plug-in':<{width}}  " + "".join(f"{factor:>10}" for factor in factors) + f"{'largest':>10}")
    for name, cells, worst in rows:
        print(f"  {name:<{width}}  " + "".join(f"{cell:>10}" for cell in cells) + f"{worst:>10}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
