#!/usr/bin/env bash
# Makes the release archives into WORK_FOLDER, unpacks each into an empty folder, checks it
# holds exactly what it should, and loads every plug-in in it from there, measuring its
# impulse response with the render host that came in the same archive.
#   release_archives_test.sh SOURCE_FOLDER WORK_FOLDER
set -euo pipefail
root="$1" work="$2"
wine_run="$root/cmake/wine-run"
python=/usr/bin/python3
rm -rf "$work" && mkdir -p "$work/archives"
"$root/scripts/package" --out "$work/archives"
version="$(sed -n 's/^project(QMVelvetine VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
windows_path() { local path="$1"; path="${path//\//\\}"; echo "Z:$path"; }

# unpack ARCHIVE FOLDER EXPECTED...: FOLDER gets the archive, which must hold exactly the
# EXPECTED files (given below its top folder) and nothing else.
unpack() {
  local archive="$1" folder="$2"; shift 2
  mkdir "$folder"
  "$python" - "$archive" "$folder" "$@" <<'PY'
import os, sys, tarfile, zipfile
archive, folder, expected = sys.argv[1], sys.argv[2], set(sys.argv[3:])
if archive.endswith(".zip"):
    with zipfile.ZipFile(archive) as z:
        z.extractall(folder)
else:
    with tarfile.open(archive) as t:
        t.extractall(folder)
tops = os.listdir(folder)
assert len(tops) == 1, f"{archive}: more than one top folder: {tops}"
found = {os.path.relpath(os.path.join(d, f), os.path.join(folder, tops[0]))
         for d, _, files in os.walk(folder) for f in files}
missing, extra = expected - found, found - expected
missing = {m for m in missing if not any(f.startswith(m + "/") for f in found)}
extra = {e for e in extra if not any(e.startswith(x + "/") for x in expected)}
assert not missing and not extra, f"{archive}: missing {sorted(missing)}, unexpected {sorted(extra)}"
print(f"{os.path.basename(archive)}: {len(found)} files, as expected")
PY
}

# check_response FILE WHAT: a filter's impulse response (the render host's text, or a
# 32-bit float WAV): unit gain at DC, and not the impulse itself (the plug-in filtered it).
check_response() {
  "$python" - "$1" "$2" <<'PY'
import struct, sys
path, what = sys.argv[1], sys.argv[2]
if path.endswith(".wav"):
    data, at, chunks = open(path, "rb").read(), 12, {}
    while at + 8 <= len(data):
        size = struct.unpack_from("<I", data, at + 4)[0]
        chunks[data[at:at + 4]] = data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    tag, channels = struct.unpack_from("<HH", chunks[b"fmt "])
    bits = struct.unpack_from("<H", chunks[b"fmt "], 14)[0]
    assert (tag, bits) == (3, 32), f"{what}: format {tag}, {bits} bits"
    samples = struct.unpack(f"<{len(chunks[b'data']) // 4}f", chunks[b"data"])
    left = list(samples[::channels])
else:
    left = [float(line.split()[0]) for line in open(path) if line.strip()]
assert len(left) == 256, f"{what}: {len(left)} frames"
assert abs(sum(left) - 1.0) < 1e-3, f"{what}: DC gain {sum(left)}"
assert max(abs(v) for v in left[1:]) > 0.1, f"{what}: the response is a bare impulse"
print(f"{what}: loaded from the unpacked archive; DC gain {sum(left):.6f}")
PY
}

# A kernel without 32-bit support cannot run the 32-bit Wine loader at all.
can_run_32_bit() {
  [ -x /usr/lib/wine/wine ] || { echo "32-bit Wine is not installed"; return 1; }
  local status=0
  /usr/lib/wine/wine --version >/dev/null 2>&1 || status=$?
  [ $status -ne 126 ] || { echo "this machine cannot execute 32-bit programs"; return 1; }
}

windows="$work/windows"
unpack "$work/archives/QMVelvetine-$version-windows.zip" "$windows" \
  x86/QMVelvetine.dll x86/QMVelvetine.clap x86/velvetine-render.exe \
  x64/QMVelvetine.dll x64/QMVelvetine.clap x64/velvetine-render.exe \
  QMVelvetine.vst3/Contents/x86-win/QMVelvetine.vst3 QMVelvetine.vst3/Contents/x86_64-win/QMVelvetine.vst3 \
  QMVelvetine.vst3/Contents/Resources/moduleinfo.json \
  "User guide.txt" response.png LICENSE.txt
top="$windows/QMVelvetine-$version-windows"
for arch in x64 x86; do
  if [ $arch = x86 ] && ! reason="$(can_run_32_bit)"; then
    echo "windows x86: skipped: $reason"
    continue
  fi
  "$wine_run" "$top/$arch/velvetine-render.exe" --plugin "$(windows_path "$top/$arch/QMVelvetine.dll")" \
    --factor 8x --precision 64 --impulse-response 256 "$(windows_path "$work/ir-$arch.txt")" </dev/null >/dev/null
  check_response "$work/ir-$arch.txt" "windows $arch plug-in"
  "$wine_run" "$top/$arch/velvetine-render.exe" --plugin "$(windows_path "$top/$arch/QMVelvetine.clap")" \
    --factor 8x --precision 64 --impulse-response 256 "$(windows_path "$work/ir-$arch-clap.txt")" </dev/null >/dev/null
  check_response "$work/ir-$arch-clap.txt" "windows $arch CLAP plug-in"
  "$wine_run" "$top/$arch/velvetine-render.exe" --plugin "$(windows_path "$top/QMVelvetine.vst3")" \
    --factor 8x --precision 64 --impulse-response 256 "$(windows_path "$work/ir-$arch-vst3.txt")" </dev/null >/dev/null
  check_response "$work/ir-$arch-vst3.txt" "windows $arch VST3 plug-in"
done

linux_archive="$work/archives/QMVelvetine-$version-linux-x86_64.tar.gz"
if [ ! -f "$linux_archive" ]; then
  echo "linux archive: skipped: there is no dist/linux-x86_64/ (the Linux builds are not made yet)"
  exit 0
fi
linux="$work/linux"
unpack "$linux_archive" "$linux" QMVelvetine.lv2 QMVelvetine.so QMVelvetine.clap velvetine-render \
  QMVelvetine.vst3/Contents/x86_64-linux/QMVelvetine.so QMVelvetine.vst3/Contents/Resources/moduleinfo.json \
  "User guide.txt" response.png LICENSE.txt
top="$linux/QMVelvetine-$version-linux-x86_64"
"$top/velvetine-render" --plugin "$top/QMVelvetine.so" --factor 8x --precision 64 \
  --impulse-response 256 "$work/ir-linux.txt" </dev/null >/dev/null
check_response "$work/ir-linux.txt" "linux VST 2.x plug-in"
"$top/velvetine-render" --plugin "$top/QMVelvetine.clap" --factor 8x --precision 64 \
  --impulse-response 256 "$work/ir-linux-clap.txt" </dev/null >/dev/null
check_response "$work/ir-linux-clap.txt" "linux CLAP plug-in"
"$top/velvetine-render" --plugin "$top/QMVelvetine.vst3" --factor 8x --precision 64 \
  --impulse-response 256 "$work/ir-linux-vst3.txt" </dev/null >/dev/null
check_response "$work/ir-linux-vst3.txt" "linux VST3 plug-in"
if ! command -v lv2apply >/dev/null || ! command -v lv2ls >/dev/null; then
  echo "linux LV2 plug-in: skipped: lv2ls and lv2apply (lilv-utils) are not installed"
  exit 0
fi
# Only the unpacked bundle is on the LV2 path: the plug-in found is the archive's.
lv2_path="$work/lv2-path"
mkdir "$lv2_path" && ln -s "$top/QMVelvetine.lv2" "$lv2_path/"
uris="$(LV2_PATH="$lv2_path" lv2ls)"
[ "$(wc -w <<<"$uris")" -eq 1 ] || { echo "the unpacked bundle holds plug-ins [$uris], not one" >&2; exit 1; }
"$python" - "$work/impulse.wav" <<'PY'
import struct, sys
frames = b"".join(struct.pack("<ff", 1.0, 1.0) if i == 0 else bytes(8) for i in range(256))
fmt = struct.pack("<HHIIHH", 3, 2, 48000, 48000 * 8, 8, 32)
body = b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
LV2_PATH="$lv2_path" lv2apply -i "$work/impulse.wav" -o "$work/ir-lv2.wav" "$uris" >/dev/null
check_response "$work/ir-lv2.wav" "linux LV2 plug-in $uris"
