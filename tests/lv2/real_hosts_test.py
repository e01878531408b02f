#!/usr/bin/python3
"""The native plug-ins in Debian's own hosts.

    real_hosts_test.py LV2_DIR VST_SO CLAP VST3 RENDER TAPS SCANNER WORK_DIR

LV2_DIR holds the bundle; VST_SO is the VST 2.x shared object; CLAP the CLAP plug-in; VST3 the VST3
bundle; RENDER the native render host; TAPS prints the designed response of each factor; SCANNER is Qtractor's plug-in
scanner. Every host program runs with a timeout, and every failure says what was run.
"""
import os
import struct
import subprocess
import sys

import numpy as np

URI = "urn:fernhollowstudios:qm-velvetine"
FACTORS = [2, 4, 8, 16, 32]
RATE = 48000
NOISE_SEED = 1414  # fixed: a failure replays with the same file
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(command, env=None, stdin=None):
    result = subprocess.run(command, capture_output=True, text=True, timeout=120, env=env, input=stdin)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} exited with {result.returncode}:\n{result.stdout}{result.stderr}")
    return result.stdout


def write_wav(path, samples):
    """Two-channel 32-bit float WAV of `samples` (frames x 2)."""
    data = np.asarray(samples, dtype="<f4").tobytes()
    fmt = struct.pack("<HHIIHH", 3, 2, RATE, RATE * 8, 8, 32)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(data)) + data)


def read_wav(path):
    """Any float or 16/24/32-bit PCM WAV, as float64 frames x channels."""
    data = open(path, "rb").read()
    assert data[:4] == b"RIFF" and data[8:12] == b"WAVE", f"{path} is not a WAV file"
    at, fmt, samples = 12, None, None
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        if tag == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", data, at + 8)
            if fmt[0] == 0xFFFE:  # extensible: the real format code starts the sub-format
                fmt = (struct.unpack_from("<H", data, at + 8 + 24)[0],) + fmt[1:]
        elif tag == b"data":
            samples = data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    code, channels, bits = fmt[0], fmt[1], fmt[5]
    if code == 3:
        values = np.frombuffer(samples, dtype="<f4" if bits == 32 else "<f8").astype(np.float64)
    elif bits == 16:
        values = np.frombuffer(samples, dtype="<i2") / 32768.0
    elif bits == 32:
        values = np.frombuffer(samples, dtype="<i4") / 2147483648.0
    else:
        raise AssertionError(f"{path}: format {code} with {bits} bits is not read here")
    return values.reshape(-1, channels)


def render_lv2apply(env, source, target, factor):
    run(["lv2apply", "-i", source, "-o", target, "-c", "oversampling", str(factor), URI], env)
    return read_wav(target)


def render_lv2file(env, source, target, factor):
    run(["lv2file", "-i", source, "-o", target, "-p", f"oversampling:{factor}", URI], env)
    return read_wav(target)


def check_lv2info(env):
    text = run(["lv2info", URI], env)
    for expected in ["Name:              QM Velvetine", "Author:            Fernhollowstudios",
                     "Has latency:       no", "Class:             Filter Plugin",
                     "http://lv2plug.in/ns/lv2core#hardRTCapable"]:
        check(expected in text, f"lv2info does not show {expected!r}")
    check("Required Features" not in text, "lv2info shows required features")
    ports = text.split("\tPort ")[1:]
    check(len(ports) == 5, f"lv2info shows {len(ports)} ports, not 5")
    kinds = [("InputPort", "AudioPort"), ("InputPort", "AudioPort"), ("OutputPort", "AudioPort"),
             ("OutputPort", "AudioPort"), ("InputPort", "ControlPort")]
    for index, (port, (direction, kind)) in enumerate(zip(ports, kinds)):
        check(port.startswith(f"{index}:") and f"lv2core#{direction}" in port and f"lv2core#{kind}" in port,
              f"port {index} is not an {direction} {kind}")
    if len(ports) == 5:
        control = ports[4]
        for expected in ["Symbol:      oversampling", "Name:        Oversampling", "Minimum:     2.000000",
                         "Maximum:     32.000000", "Default:     2.000000", "lv2core#integer",
                         "lv2core#enumeration"] + [f'{f} = "{f}x"' for f in FACTORS]:
            check(expected in control, f"the control port does not show {expected!r}")


def check_impulse_renders(env, work, taps):
    frames = 64
    impulse = np.zeros((frames, 2))
    impulse[0, 0] = 1.0
    impulse[3, 1] = -0.5  # the right channel apart from the left, and of another size
    source = os.path.join(work, "impulse.wav")
    write_wav(source, impulse)
    # Values between factors select the lower one; values outside clamp.
    requests = [(f, f) for f in FACTORS] + [(3, 2), (12, 8), (31, 16)]
    for requested, factor in requests:
        expected = np.zeros((frames, 2))
        expected[0:17, 0] = taps[factor]
        expected[3:20, 1] = -0.5 * np.array(taps[factor])
        for name, render in [("lv2apply", render_lv2apply), ("lv2file", render_lv2file)]:
            out = render(env, source, os.path.join(work, f"impulse-{name}-{requested}.wav"), requested)
            worst = np.max(np.abs(out - expected)) if out.shape == expected.shape else float("inf")
            # The plug-in sums in double precision and hands out floats.
            check(worst <= 6e-8, f"{name} at oversampling {requested}: {out.shape} frames, largest "
                                 f"difference from the designed {factor}x response {worst:.3g}")


def check_noise_renders(env, work, render, vst, bundle, others):
    rng = np.random.default_rng(NOISE_SEED)
    noise = rng.uniform(-0.5, 0.5, size=(RATE, 2))
    source = os.path.join(work, "noise.wav")
    write_wav(source, noise)
    for factor in FACTORS:
        a = render_lv2apply(env, source, os.path.join(work, f"noise-lv2apply-{factor}.wav"), factor)
        b = render_lv2file(env, source, os.path.join(work, f"noise-lv2file-{factor}.wav"), factor)
        vst_out = os.path.join(work, f"noise-vst-{factor}.wav")
        run([render, "--plugin", vst, "--factor", f"{factor}x", source, vst_out])
        c = read_wav(vst_out)
        # The render host's own LV2 driver: the same bits as through the VST 2.x binding.
        bundle_out = os.path.join(work, f"noise-render-lv2-{factor}.wav")
        run([render, "--plugin", bundle, "--factor", f"{factor}x", source, bundle_out])
        check(np.array_equal(read_wav(bundle_out), c),
              f"noise at {factor}x: velvetine-render gives other bits through the bundle (seed {NOISE_SEED})")
        check_other_renders(work, render, vst, others, source, factor)
        check(a.shape == b.shape == c.shape == noise.shape,
              f"noise at {factor}x: shapes {a.shape}, {b.shape}, {c.shape} (seed {NOISE_SEED})")
        if a.shape == b.shape == c.shape:
            check(np.array_equal(a, b), f"noise at {factor}x: lv2apply and lv2file differ by "
                                        f"{np.max(np.abs(a - b)):.3g} (seed {NOISE_SEED})")
            check(np.array_equal(a, c), f"noise at {factor}x: LV2 and VST 2.x renders differ by "
                                        f"{np.max(np.abs(a - c)):.3g} (seed {NOISE_SEED})")
            check(np.max(np.abs(a - noise)) > 1e-3, f"noise at {factor}x comes out unfiltered")


def check_other_renders(work, render, vst, others, source, factor):
    """The other standards' plug-ins ({name: plug-in}) render the VST 2.x plug-in's bits in
    both precisions; the 64-bit render is written as 64-bit floats so that no rounding hides
    a difference."""
    for precision in ["32", "64"]:
        outputs = {}
        for name, plugin in [("VST 2.x", vst)] + list(others.items()):
            out = os.path.join(work, f"noise-{name.replace(' ', '')}-{factor}-p{precision}.wav")
            run([render, "--plugin", plugin, "--factor", f"{factor}x", "--precision", precision,
                 "--block", "300", "--format", "float64", source, out])
            with open(out, "rb") as f:
                outputs[name] = f.read()
        for name in others:
            check(len(outputs[name]) > 44 and outputs[name] == outputs["VST 2.x"],
                  f"noise at {factor}x, {precision}-bit: the {name} render differs from the VST 2.x render "
                  f"(seed {NOISE_SEED})")


def check_qtractor_scan(scanner, plugin, request, kind, name):
    lines = run([scanner], stdin=f"{request}:{plugin}\n").splitlines()
    found = [line for line in lines if line.startswith(f"{kind}|")]
    if check(len(found) == 1, f"the Qtractor scanner printed {lines!r}, not one {kind}| line"):
        fields = found[0].split("|")
        check(fields[1] == name, f"the scanner sees the name {fields[1]!r}, not {name!r} ({found[0]})")
        check(fields[2] == "2:2", f"the scanner sees audio ports {fields[2]}, not 2:2 ({found[0]})")
        check(fields[4].startswith("1:"), f"the scanner sees parameters {fields[4]}, not 1 ({found[0]})")


def main():
    lv2_dir, vst, clap, vst3, render, taps_program, scanner, work = map(os.path.abspath, sys.argv[1:9])
    os.makedirs(work, exist_ok=True)
    # Only this bundle and the LV2 vocabularies that Debian installs.
    env = dict(os.environ, LV2_PATH=f"{lv2_dir}:/usr/lib/x86_64-linux-gnu/lv2:/usr/lib/lv2")
    taps = {}
    for line in run([taps_program]).splitlines():
        factor, *values = line.split()
        taps[int(factor)] = [float(v) for v in values]
    check(sorted(taps) == FACTORS and all(len(v) == 17 for v in taps.values()), "the designed taps are incomplete")

    check_lv2info(env)
    check_impulse_renders(env, work, taps)
    bundles = [os.path.join(lv2_dir, name) for name in os.listdir(lv2_dir) if name.endswith(".lv2")]
    check(len(bundles) == 1, f"{lv2_dir} holds the bundles {bundles!r}, not one")
    check_noise_renders(env, work, render, vst, bundles[0], {"CLAP": clap, "VST3": vst3})
    # A VST 2.x plug-in is named by its file; a CLAP plug-in by its descriptor.
    check_qtractor_scan(scanner, vst, "VST2", "VST", "QMVelvetine")
    check_qtractor_scan(scanner, clap, "CLAP", "CLAP", "QM Velvetine")
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
