#!/usr/bin/env bash
# What scripts/demo makes, made the same way on a small scale and checked: a render of the
# built-in test signal, two measured impulse responses, the response plot and its table,
# and the editor's picture taken right after those display-less Wine programs, as the demo
# takes it.
#   demo_outputs_test.sh SOURCE_DIR RENDER_EXE EDITOR_SHOT_EXE PLUGIN_DLL WORK_FOLDER
set -euo pipefail
root="$1" render="$2" editor_shot="$3" plugin="$4" work="$5"
source "$root/scripts/common.sh"
wine_run="$root/cmake/wine-run" plot="$root/tools/plot_response.py"
rm -rf "$work" && mkdir -p "$work"
windows_path() { local path="$1"; path="${path//\//\\}"; echo "Z:$path"; }

# Without a display, as the demo renders; the last render leaves its Wine server running.
env -u DISPLAY "$wine_run" "$render" --factor 8x --generate-test-signal "$(windows_path "$work/render-8x.wav")" </dev/null
for factor in 2x 32x; do
  env -u DISPLAY "$wine_run" "$render" --factor "$factor" --precision 64 --impulse-response 4096 \
    "$(windows_path "$work/ir-$factor.txt")" </dev/null >/dev/null
done
run_windows_on_screen "$editor_shot" --plugin "$(windows_path "$plugin")" --value 0.5 \
  "$(windows_path "$work/editor.png")" </dev/null
/usr/bin/python3 "$plot" --rate 48000 --out "$work/response.png" --rtf 2x=100 \
  2x="$work/ir-2x.txt" 32x="$work/ir-32x.txt" | tee "$work/table.txt"

/usr/bin/python3 - "$work" <<'PY'
import struct, sys
from PIL import Image
work = sys.argv[1]
with Image.open(f"{work}/response.png") as image:
    assert (image.format, image.size) == ("PNG", (1000, 800)), (image.format, image.size)
    image.load()
    assert len(image.getcolors(1 << 20)) > 20, "the plot is blank"
with Image.open(f"{work}/editor.png") as image:
    assert (image.format, image.size) == ("PNG", (275, 120)), (image.format, image.size)
data = open(f"{work}/render-8x.wav", "rb").read()
assert data[:4] == b"RIFF" and data[8:12] == b"WAVE"
channels, rate = struct.unpack_from("<HI", data, 22)
data_size = struct.unpack_from("<I", data, data.index(b"data") + 4)[0]
assert (channels, rate, data_size) == (2, 48000, 288000 * 8), (channels, rate, data_size)
rows = open(f"{work}/table.txt").read().splitlines()
assert rows[0].split()[:2] == ["factor", "DC"], rows[0]
assert [row.split()[0] for row in rows[1:]] == ["2x", "32x"], rows
for row in rows[1:]:
    assert row.split()[1:3] == ["+0.00", "dB"], f"a gain other than 1 at DC: {row}"
assert rows[1].split()[-1] == "100x" and rows[2].split()[-1] == "-", rows
print("demo outputs: as expected")
PY
