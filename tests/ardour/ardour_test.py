#!/usr/bin/python3
"""One plug-in in Ardour 7, headless: scanned, put on a track, exported at every factor, saved,
reloaded.

    ardour_test.py KIND PLUGIN RENDER REFERENCE WORK_DIR NAME MAKER [ID]

KIND is VST3 (PLUGIN the .vst3 bundle, ID the processor's class ID), LXVST (the VST 2.x
shared object) or LV2 (the .lv2 bundle, ID its URI); NAME and MAKER are what Ardour should call
the plug-in and its maker. RENDER is the project's render host and REFERENCE the plug-in it
renders the expected output with.

Ardour runs with a private home in WORK_DIR and the "None (Dummy)" audio back end. Its session
tool (session.lua) makes a session whose track plays the signal of test_signal.lua into the
plug-in; the test sets each factor in turn, saves, and has ardour7-export render the session to
32-bit float from the saved state, then checks each render against the render host's output
for the same signal, and that each load shows the factor saved before it. Every command
runs with a timeout and is killed, with its process group, when it passes.
"""
import os
import re
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lv2"))
from real_hosts_test import read_wav, write_wav  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
FACTORS = [2, 4, 8, 16, 32]
SESSION = "velvetine"
# Ardour hands the plug-in single-precision buffers, sums the one track into the master bus at
# unity gain and exports 32-bit float: nothing in its path should round, so the export must
# equal the render host's float output. The limit allows one rounding step of a float near full
# scale (a unity gain computed in single precision), far below the smallest difference between
# two factors' outputs for this signal (above 1e-3).
TOLERANCE = 2.0 ** -23
ARDOUR_LIB = "/usr/lib/ardour7"
# A run of one of Ardour's tools takes two to five seconds, the whole test about 30; it gives up
# at its deadline, before ctest's limit (tests/ardour/CMakeLists.txt), so that it is the test
# that ends Ardour's processes.
ARDOUR_TIMEOUT = 30
ARDOUR_ATTEMPTS = 5
DEADLINE = time.monotonic() + 150
CRASHES = (-signal.SIGABRT, -signal.SIGSEGV, 128 + signal.SIGABRT, 128 + signal.SIGSEGV)
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(command, env, timeout=120):
    """Runs `command` with no input; its output, or an error naming it when it fails or hangs."""
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, env=env, start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        raise ArdourCrash(f"{' '.join(command)} did not finish in {timeout} s:\n{output}")
    if process.returncode in CRASHES:
        raise ArdourCrash(f"{' '.join(command)} crashed ({process.returncode}):\n{output}")
    if process.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} exited with {process.returncode}:\n{output}")
    return output


class ArdourCrash(RuntimeError):
    pass


def run_ardour(command, env, before_each=None):
    """Runs one of Ardour's tools. Debian's Ardour 7.3 now and then corrupts its heap or hangs
    while it exports, with or without this plug-in in the session (about one export in ten on
    a busy machine, even of a session with an empty track): a run that crashes or hangs is
    tried again, a few times, each time said; any other failure is final. Returns the output
    and the number of runs it took."""
    for attempt in range(1, ARDOUR_ATTEMPTS + 1):
        if before_each:
            before_each()
        remaining = DEADLINE - time.monotonic()
        if remaining <= 0:
            raise RuntimeError(f"the test's time ran out before {' '.join(command)}")
        try:
            return run(command, env, timeout=min(ARDOUR_TIMEOUT, remaining)), attempt
        except ArdourCrash as crash:
            print(f"attempt {attempt} of {ARDOUR_ATTEMPTS}: {str(crash).strip()}")
            if attempt == ARDOUR_ATTEMPTS:
                raise


def reports(output, what):
    """The values of the session script's "velvetine: WHAT ..." lines."""
    prefix = f"velvetine: {what} "
    return [line[len(prefix):] for line in output.splitlines() if line.startswith(prefix)]


def test_signal():
    """test_signal.lua's samples, computed here the same way, and its constants."""
    text = open(os.path.join(HERE, "test_signal.lua")).read()
    constants = {name: int(value) for name, value in re.findall(r"^local (\w+) = (\d+)", text, re.M)}
    lead, noise_at, noise_frames = constants["LEAD"], constants["NOISE_AT"], constants["NOISE_FRAMES"]
    frames = np.arange(noise_at, noise_at + noise_frames, dtype=np.uint64)
    samples = np.zeros((constants["LENGTH"], 2))
    samples[lead, 0] = 1.0
    samples[lead + 3, 1] = -0.5
    for channel in (1, 2):
        h = ((frames * 2 + channel) * 0x9E3779B1) & 0xFFFFFFFF
        h ^= h >> 15
        h = (h * 0x85EBCA77) & 0xFFFFFFFF
        h ^= h >> 13
        samples[noise_at:noise_at + noise_frames, channel - 1] = ((h & 0xFFFFFF).astype(np.float64) - 0x800000) / 0x1000000
    return samples, lead


def private_environment(work, kind, plugin):
    """A home of its own for Ardour, the test signal's script in it, and only this plug-in on
    the path of its kind (a folder holding a link to it)."""
    home = os.path.join(work, "home")
    scripts = os.path.join(home, ".config", "ardour7", "scripts")
    os.makedirs(scripts, exist_ok=True)
    with open(os.path.join(HERE, "test_signal.lua")) as source, \
            open(os.path.join(scripts, "velvetine_test_signal.lua"), "w") as target:
        target.write(source.read())
    folder = os.path.join(work, "plugins")
    os.makedirs(folder)
    link = os.path.join(folder, os.path.basename(plugin.rstrip("/")))
    os.symlink(plugin, link)
    # LV2's vocabularies without Debian's LV2 plug-ins, which Ardour would spend seconds loading.
    vocabularies = os.path.join(work, "lv2-vocabularies")
    os.makedirs(vocabularies)
    for bundle in run(["dpkg", "-L", "lv2-dev"], os.environ).split():
        if re.fullmatch(r"/usr/lib/lv2/[^/]+\.lv2", bundle):
            os.symlink(bundle, os.path.join(vocabularies, os.path.basename(bundle)))
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               LV2_PATH=vocabularies, VST3_PATH=os.path.join(work, "none"), LXVST_PATH=os.path.join(work, "none"))
    env.pop("DISPLAY", None)
    env.update({"LV2": {"LV2_PATH": f"{folder}:{env['LV2_PATH']}"}, "VST3": {"VST3_PATH": folder},
                "LXVST": {"LXVST_PATH": folder}}[kind])
    return env, link


def scan(kind, link, env, name, maker, plugin_id):
    """Ardour's own scanner for the kind, as Ardour runs it before it loads the plug-in: what it
    finds, from the cache file it writes, which the session then reads."""
    if kind == "LV2":
        return  # LV2 plug-ins describe themselves in their bundle; Ardour reads that directly
    scanner, element = {"VST3": ("ardour-vst3-scanner", "VST3Info"), "LXVST": ("ardour-vst-scanner", "VST2Info")}[kind]
    scanner_env = dict(env, LD_LIBRARY_PATH=ARDOUR_LIB)
    output, _ = run_ardour([os.path.join(ARDOUR_LIB, scanner), "-f", "-v", link], scanner_env)
    cache_dir = os.path.join(env["XDG_CACHE_HOME"], "ardour7", "vst")
    infos = []
    for file in sorted(os.listdir(cache_dir)) if os.path.isdir(cache_dir) else []:
        infos += ElementTree.parse(os.path.join(cache_dir, file)).getroot().iter(element)
    if not check(len(infos) == 1, f"{scanner} cached {len(infos)} {element} entries, not one:\n{output}"):
        return
    info = infos[0].attrib
    check(info.get("name") == name, f"{scanner} finds the name {info.get('name')!r}, not {name!r}")
    check(maker in (info.get("vendor"), info.get("creator")), f"{scanner} finds the maker in {info}")
    check((info.get("n_inputs"), info.get("n_outputs")) == ("2", "2"), f"{scanner} finds ports {info}")
    if kind == "VST3":
        check(info.get("uid", "").upper() == plugin_id, f"{scanner} finds the class ID {info.get('uid')}")


def check_description(output, kind, name, maker):
    """What the session script saw of the plug-in once Ardour had made it."""
    described = reports(output, "plugin")
    check(described == [f"{name} | {maker} | 2 2"], f"Ardour describes the {kind} plug-in as {described}")
    latency = reports(output, "latency")
    check(latency == ["0"], f"Ardour sees the {kind} plug-in's latency as {latency}, not 0")
    control = reports(output, "control")
    label = control[0].split(" | ")[0] if control else ""
    # VST 2.x hosts keep eight characters of a parameter's name, the last one its end.
    check(len(label) >= 7 and "Oversampling".startswith(label), f"the control is called {label!r}")
    labels = reports(output, "labels")
    # VST 2.x has no way to label a parameter's values; Ardour 7.3 shows a VST3 list
    # parameter's labels in its editor but leaves them out of the descriptor scripts read.
    if kind == "LV2":
        got = sorted(entry.split("=")[0] for entry in labels[0].split()) if labels else []
        check(got == sorted(f"{f}x" for f in FACTORS), f"the control's values are labelled {got}")


def as_session_range(session_file):
    """Turns the range marker the session script made into the session range, which is what
    ardour7-export renders (Ardour's scripts cannot set the session range themselves)."""
    tree = ElementTree.parse(session_file)
    ranges = [location for location in tree.getroot().iter("Location") if "IsRangeMarker" in location.get("flags", "")]
    assert len(ranges) == 1, f"{session_file} holds {len(ranges)} range markers, not one"
    ranges[0].set("flags", "IsSessionRange")
    ranges[0].set("name", "session")
    tree.write(session_file, encoding="UTF-8", xml_declaration=True)


def alignment(export, lead):
    """How much later the export has the signal than the positions test_signal.lua computed it
    for (a few hundred samples: what the script reads as the position during an export runs
    behind the export): the signal starts with an impulse after `lead` samples of silence, and
    the filter's first tap is not zero."""
    sounding = np.flatnonzero(np.abs(export[:, 0]) > 0)
    return int(sounding[0]) - lead if len(sounding) else None


def main():
    kind, plugin, render, reference, work, name, maker = sys.argv[1:8]
    plugin_id = sys.argv[8] if len(sys.argv) > 8 else ""
    plugin, render, reference, work = map(os.path.abspath, (plugin, render, reference, work))
    if os.path.isdir(work):
        subprocess.run(["rm", "-rf", work], check=True)
    os.makedirs(work)
    env, link = private_environment(work, kind, plugin)
    samples, lead = test_signal()
    source = os.path.join(work, "signal.wav")
    write_wav(source, samples)

    scan(kind, link, env, name, maker, plugin_id)
    lua = ["ardour7-lua", os.path.join(HERE, "session.lua")]
    session_dir = os.path.join(work, "session")
    lookup = plugin_id if kind == "LV2" else name
    output, _ = run_ardour(lua + ["make", session_dir, SESSION, kind, lookup, str(len(samples)), str(FACTORS[0])], env,
                           before_each=lambda: subprocess.run(["rm", "-rf", session_dir], check=True))
    check_description(output, kind, name, maker)
    as_session_range(os.path.join(session_dir, SESSION + ".ardour"))

    for index, factor in enumerate(FACTORS):
        if index > 0:
            output, attempts = run_ardour(lua + ["set", session_dir, SESSION, str(factor)], env)
            # A run that crashed may have saved the new factor before it did.
            expected = [f"{FACTORS[index - 1]}x"] if attempts == 1 else [f"{FACTORS[index - 1]}x", f"{factor}x"]
            restored = reports(output, "restored")
            check(len(restored) == 1 and restored[0] in expected,
                  f"the session saved at {FACTORS[index - 1]}x reloads at {restored}")
        exported = os.path.join(work, f"export-{factor}x.wav")
        run_ardour(["ardour7-export", "-b", "float", "-o", exported, session_dir, SESSION], env)
        expected_file = os.path.join(work, f"render-{factor}x.wav")
        run([render, "--plugin", reference, "--factor", f"{factor}x", source, expected_file], env)
        export, expected = read_wav(exported), read_wav(expected_file)
        if not check(export.shape == expected.shape, f"the {factor}x export has {export.shape} samples, "
                                                     f"the render {expected.shape}"):
            continue
        delay = alignment(export, lead)
        if not check(delay is not None and 0 <= delay < lead, f"the {factor}x export starts {delay} samples late"):
            continue
        shifted = np.zeros_like(expected)
        shifted[delay:] = expected[:len(expected) - delay]
        worst = np.max(np.abs(export - shifted))
        print(f"{kind} {factor}x: Ardour's export, {delay} samples late, differs from the render host's "
              f"by at most {worst:.3g}")
        check(worst <= TOLERANCE, f"at {factor}x Ardour's export differs from the render host's by {worst:.3g}")
    output, _ = run_ardour(lua + ["set", session_dir, SESSION], env)
    check(reports(output, "restored") == [f"{FACTORS[-1]}x"],
          f"the session saved at {FACTORS[-1]}x reloads at {reports(output, 'restored')}")
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
