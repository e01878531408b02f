#!/usr/bin/python3
"""Independent reference for the five filter prototypes.

Designs every prototype from the formulas alone, in Python floats, one term at a time in
the same order as the plug-in sums them, and writes the coefficients and gains as C++
initialiser data for the unit tests:

    /usr/bin/python3 tools/reference/design_reference.py [OUTPUT]

OUTPUT defaults to tests/effect/prototype_reference.inc in the repository. Every length
designed here (33 ... 513) is one more than a power of two, so only the direct transforms
are needed. The 513-tap design takes a few seconds.
"""

import math
import os
import sys

PI = 3.14159265358979        # 0x400921FB54442D11, the design's pi
TWO_PI = 6.28318530717958    # 0x401921FB54442D11, the design's 2 pi
PROTOTYPE_COUNT = 5


def check_constants():
    import struct
    def bits(value):
        return struct.unpack("<Q", struct.pack("<d", value))[0]
    assert bits(PI) == 0x400921FB54442D11
    assert bits(TWO_PI) == 0x401921FB54442D11


def factor_of(index):
    return 2 << index


def length_of(index):
    return 16 * factor_of(index) + 1


def sinc(n):
    r = 1.0 / (n - 1)
    values = []
    for j in range(n):
        x = ((j * r) * 16.0) - 8.0
        if x == 0.0:
            values.append(1.0)
        else:
            y = x * PI
            values.append(math.sin(y) / y)
    return values


def blackman(n):
    values = []
    for j in range(n):
        theta = (j * TWO_PI) / (n - 1)
        values.append((0.42 - 0.5 * math.cos(theta)) + 0.08 * math.cos(2.0 * theta))
    return values


def dft(n, in_re, in_im, inverse):
    """Direct transform, theta = ((j k) 2 pi) / n with the integer product j k,
    accumulated from 0.0 in ascending j; the inverse is scaled by r = 1 / n afterwards."""
    r = 1.0 / n
    cos, sin = math.cos, math.sin
    out_re = [0.0] * n
    out_im = [0.0] * n
    for k in range(n):
        acc_re = 0.0
        acc_im = 0.0
        for j in range(n):
            theta = ((j * k) * TWO_PI) * r
            co = cos(theta)
            si = sin(theta)
            xr = in_re[j]
            xi = in_im[j]
            if inverse:
                acc_re += xr * co - xi * si
                acc_im += xi * co + xr * si
            else:
                acc_re += xr * co + xi * si
                acc_im += xi * co - xr * si
        if inverse:
            acc_re *= r
            acc_im *= r
        out_re[k] = acc_re
        out_im[k] = acc_im
    return out_re, out_im


def real_cepstrum(x):
    n = len(x)
    spec_re, spec_im = dft(n, list(x), [0.0] * n, inverse=False)
    log_mag = [math.log(math.sqrt(a * a + b * b)) for a, b in zip(spec_re, spec_im)]
    cep, _ = dft(n, log_mag, [0.0] * n, inverse=True)
    return cep


def fold(cep):
    n = len(cep)
    d = n // 2
    folded = [0.0] * n
    folded[0] = cep[0]
    for k in range(1, d):
        folded[k] = 2.0 * cep[k]
    if n % 2 == 0:
        folded[d] = cep[d]
    return folded


def minimum_phase(cep):
    n = len(cep)
    spec_re, spec_im = dft(n, fold(cep), [0.0] * n, inverse=False)
    exp_re = []
    exp_im = []
    for a, b in zip(spec_re, spec_im):
        amp = math.exp(a)
        exp_re.append(amp * math.cos(b))
        exp_im.append(amp * math.sin(b))
    h, _ = dft(n, exp_re, exp_im, inverse=True)
    return h


def design(index):
    f = factor_of(index)
    n = length_of(index)
    windowed = [s * w for s, w in zip(sinc(n), blackman(n))]
    h = minimum_phase(real_cepstrum(windowed))
    total = 0.0
    for k in range(0, n, f):
        total += h[k]
    gain = 1.0 if total == 0.0 else 1.0 / abs(total)
    return h, gain


def format_array(name, values, per_line=4):
    lines = ["const double %s[%d] = {" % (name, len(values))]
    for start in range(0, len(values), per_line):
        chunk = values[start:start + per_line]
        lines.append("    " + ", ".join("%.17g" % v for v in chunk) + ",")
    lines.append("};")
    return "\n".join(lines)


def render(designs):
    parts = [
        "// The five filter prototypes and their gains, designed independently of the C++",
        "// code by tools/reference/design_reference.py. Regenerate from the repository root:",
        "//   /usr/bin/python3 tools/reference/design_reference.py tests/effect/prototype_reference.inc",
        "// Generated data: do not edit by hand.",
        "",
        "namespace prototype_reference {",
        "",
        "constexpr int kCount = %d;" % len(designs),
        "const int kLengths[kCount] = {%s};" % ", ".join(str(len(h)) for h, _ in designs),
        format_array("kGains", [g for _, g in designs]),
        "",
    ]
    for index, (h, _) in enumerate(designs):
        parts.append(format_array("kPrototype%d" % index, h))
        parts.append("")
    parts.append("const double* const kPrototypes[kCount] = {%s};" %
                 ", ".join("kPrototype%d" % i for i in range(len(designs))))
    parts.append("")
    parts.append("}  // namespace prototype_reference")
    return "\n".join(parts) + "\n"


def main(argv):
    check_constants()
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    output = argv[1] if len(argv) > 1 else os.path.join(
        root, "tests", "effect", "prototype_reference.inc")
    designs = []
    for index in range(PROTOTYPE_COUNT):
        h, gain = design(index)
        sys.stderr.write("%2dx: %d taps, gain %.17g\n" % (factor_of(index), len(h), gain))
        designs.append((h, gain))
    with open(output, "w") as out:
        out.write(render(designs))
    sys.stderr.write("wrote %s\n" % output)


if __name__ == "__main__":
    main(sys.argv)
