#!/usr/bin/env bash
# Makes the release archives into WORK_FOLDER, unpacks each into an empty folder, checks it
# holds exactly what it should, and loads every plug-in in it from there, measuring its
# impulse response with the render host that came in the same archive.
#   release_archives_test.sh SOURCE_FOLDER WORK_FOLDER
set -euo pipefail
root="$1" work="$2"
source "$root/tests/package/plugin_checks.sh"
rm -rf "$work" && mkdir -p "$work/archives"
"$root/scripts/package" --out "$work/archives"
version="$(sed -n 's/^project(QMVelvetine VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
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
  loads_and_filters "windows $arch plug-in, from the unpacked archive" \
    "$top/$arch/velvetine-render.exe" "$top/$arch/QMVelvetine.dll"
  loads_and_filters "windows $arch CLAP plug-in, from the unpacked archive" \
    "$top/$arch/velvetine-render.exe" "$top/$arch/QMVelvetine.clap"
  loads_and_filters "windows $arch VST3 plug-in, from the unpacked archive" \
    "$top/$arch/velvetine-render.exe" "$top/QMVelvetine.vst3"
done

linux_archive="$work/archives/QMVelvetine-$version-linux-x86_64.tar.gz"
if [ ! -f "$linux_archive" ]; then
  echo "linux archive: skipped: there is no dist/linux-x86_64/ (the Linux builds are not made yet)"
  exit 0
fi
linux="$work/linux"
unpack "$linux_archive" "$linux" QMVelvetine.lv2 QMVelvetine.so QMVelvetine.clap velvetine-render \
  QMVelvetine.vst3/Contents/x86_64-linux/QMVelvetine.so QMVelvetine.vst3/Contents/Resources/moduleinfo.json \
  install.sh "User guide.txt" response.png LICENSE.txt
top="$linux/QMVelvetine-$version-linux-x86_64"
loads_and_filters "linux VST 2.x plug-in, from the unpacked archive" \
  "$top/velvetine-render" "$top/QMVelvetine.so"
loads_and_filters "linux CLAP plug-in, from the unpacked archive" \
  "$top/velvetine-render" "$top/QMVelvetine.clap"
loads_and_filters "linux VST3 plug-in, from the unpacked archive" \
  "$top/velvetine-render" "$top/QMVelvetine.vst3"
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
check_response "$work/ir-lv2.wav" "linux LV2 plug-in $uris, from the unpacked archive"
