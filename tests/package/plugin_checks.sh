# Sourced by the package tests: what tells that a plug-in a release put somewhere loads
# and filters. Needs $root (the source folder) and $work (the test's own folder).
python=/usr/bin/python3

windows_path() { local path="$1"; path="${path//\//\\}"; echo "Z:$path"; }

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
print(f"{what}: loaded; DC gain {sum(left):.6f}")
PY
}

# loads_and_filters WHAT RENDER PLUGIN: the render host RENDER (a .exe runs under Wine)
# loads PLUGIN, as a host of its standard does, and measures its impulse response, within
# two minutes.
loads_and_filters() {
  local what="$1" render="$2" plugin="$3" response
  response="$(mktemp -p "$work" response.XXXXXX)"
  mv "$response" "$response.txt" && response="$response.txt"
  if [[ $render == *.exe ]]; then
    timeout 120 "$root/cmake/wine-run" "$render" --plugin "$(windows_path "$plugin")" --factor 8x \
      --precision 32 --impulse-response 256 "$(windows_path "$response")" </dev/null >/dev/null
  else
    timeout 120 "$render" --plugin "$plugin" --factor 8x --precision 32 --impulse-response 256 \
      "$response" </dev/null >/dev/null
  fi
  check_response "$response" "$what"
}
