#!/usr/bin/env bash
# The Windows installer under Wine, in a throwaway prefix (removed at the end, its server
# ended): a silent install with the 64-bit VST 2.x folder given on the command line puts
# every file where it belongs and nothing else anywhere, with its entry in the list of
# installed programs; the installed render host of each architecture loads the installed
# plug-ins; the silent uninstaller leaves the prefix's files, folders and the product's
# registry entries as they were, a shared folder holding another plug-in included.
#   windows_installer_test.sh SOURCE_FOLDER WORK_FOLDER
# Exits 77 (ctest's "not run") where the kernel cannot run the installer's 32-bit code.
set -euo pipefail
root="$1" work="$2"
source "$root/scripts/common.sh"
source "$root/packaging/formats.sh"
source "$root/tests/package/plugin_checks.sh"
if reason="$(kernel_cannot_run_32_bit)"; then
  echo "NOT RUN: $reason (the installer is a 32-bit program)"
  exit 77
fi
fail() { echo "FAILED: $*" >&2; exit 1; }
! reason="$(cannot_run_32_bit)" || fail "$reason; scripts/deps installs it"

rm -rf "$work" && mkdir -p "$work/out"
"$root/scripts/package" --out "$work/out" windows >/dev/null
version="$(release_version)" product="$(identity PRODUCT_NAME)" file_name="$(identity FILE_NAME)"
read_formats
stage="$work/stage"
mkdir "$stage" && (cd "$stage" && /usr/bin/python3 -m zipfile -e "$work/out/$file_name-$version-windows.zip" .)
stage="$stage/$file_name-$version-windows"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'timeout 30 wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# wine_step SECONDS COMMAND...: a step under Wine, then the prefix's server gone (so that
# a program that started another has finished, and the registry is on disk).
wine_step() {
  local seconds="$1"; shift
  timeout "$seconds" "$@" </dev/null >>"$work/wine.log" 2>&1 || fail "$* (see $work/wine.log)"
  timeout 60 wineserver -w || fail "Wine's server did not end after $*"
}
start=$(date +%s)
wine_step 180 wine wineboot --init
echo "prefix made in $(elapsed "$start")"
drive_c="$WINEPREFIX/drive_c"
program_files="$drive_c/Program Files"
common_files="$program_files/Common Files"
common_files_32="$drive_c/Program Files (x86)/Common Files"

# The prefix's files and folders outside Windows' own and the users' (which Wine writes to
# as programs run), each line "f path" or "d path".
prefix_contents() {
  (cd "$drive_c" && find . \( -path ./windows -o -path ./users \) -prune -o -mindepth 1 \
    \( -type d -printf 'd %P\n' -o -printf 'f %P\n' \) | sort)
}

# Another plug-in already in a shared plug-in folder.
mkdir -p "$common_files/CLAP"
echo "another plug-in" >"$common_files/CLAP/Other.clap"
before="$(prefix_contents)"

# --- Silent install: the 64-bit VST 2.x folder a new one, two levels deep, given on the
# command line; everything else where the installer puts it by default.
vst2_64="$drive_c/Audio/Plug-ins 64"
install_dir="$program_files/$product"
start=$(date +%s)
wine_step 120 "$root/cmake/wine-run" "$work/out/$file_name-$version-windows-setup.exe" /S \
  '/VST2DIR64=C:\Audio\Plug-ins 64'
echo "silent install in $(elapsed "$start")"

# Every file the install should place, as "path in drive_c:its source in the stage".
expected=(
  "${install_dir#$drive_c/}/User guide.txt:User guide.txt"
  "${install_dir#$drive_c/}/response.png:response.png"
  "${install_dir#$drive_c/}/LICENSE.txt:LICENSE.txt"
  "${install_dir#$drive_c/}/x64/velvetine-render.exe:x64/velvetine-render.exe"
  "${install_dir#$drive_c/}/x86/velvetine-render.exe:x86/velvetine-render.exe"
)
loads=()  # "what:render host arch:installed path"
for i in "${!format_id[@]}"; do
  source="${format_windows_source[$i]}" title="${format_title[$i]}"
  [ "$source" != - ] || continue
  item="$(basename "$(format_source "$source" x64)")"
  folder="${format_windows_place[$i]#*:}"
  case "${format_windows_place[$i]%%:*}" in
    chosen)
      [ "${format_id[$i]}" = vst2 ] || fail "the test knows folders only for VST 2.x, not ${format_id[$i]}"
      expected+=("${vst2_64#$drive_c/}/$item:x64/$item" "Program Files (x86)/$folder/$item:x86/$item")
      loads+=("$title x64:x64:$vst2_64/$item" "$title x86:x86:$drive_c/Program Files (x86)/$folder/$item") ;;
    native)
      expected+=("${common_files#$drive_c/}/$folder/$item:x64/$item")
      loads+=("$title x64:x64:$common_files/$folder/$item") ;;
    shared)
      # Into both Common Files: 32-bit hosts on 64-bit Windows look in the 32-bit one.
      while IFS= read -r path; do
        expected+=("${common_files#$drive_c/}/$folder/$item/$path:$item/$path"
                   "${common_files_32#$drive_c/}/$folder/$item/$path:$item/$path")
      done < <(cd "$stage/$item" && find . -type f -printf '%P\n')
      loads+=("$title x64:x64:$common_files/$folder/$item" "$title x86:x86:$common_files_32/$folder/$item") ;;
  esac
done
placed="$(comm -13 <(grep '^f ' <<<"$before") <(prefix_contents | grep '^f ') | cut -c3-)"
wanted="$(printf '%s\n' "${expected[@]%%:*}" "${install_dir#$drive_c/}/uninstall.exe" | sort)"
[ "$placed" = "$wanted" ] ||
  fail "the install placed other files than it should: $(diff <(echo "$wanted") <(echo "$placed") | grep '^[<>]' | tr '\n' ' ')"
for file in "${expected[@]}"; do
  cmp -s "$drive_c/${file%%:*}" "$stage/${file#*:}" || fail "C:/${file%%:*} is not the release's ${file#*:}"
done
echo "install: ${#expected[@]} files where they belong, the uninstaller, and nothing else"

# The entry in the list of installed programs, in the 64-bit registry view.
/usr/bin/python3 - "$WINEPREFIX/system.reg" "$file_name" "$product" "$version" "$(identity MAKER)" <<'PY'
import re, sys
registry, key, product, version, maker = sys.argv[1:]
text = open(registry, encoding="utf-8", errors="replace").read()
def section(name):
    match = re.search(r"^\[" + re.escape(name.replace("\\", "\\\\")) + r"\][^\n]*\n(.*?)(?:\n\n|\Z)", text, re.S | re.M | re.I)
    return dict(re.findall(r'^"([^"]+)"=(.*)$', match.group(1), re.M)) if match else None
values = section(r"Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + key)
assert values is not None, "no Uninstall key in the 64-bit view"
assert section(r"Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + key) is None, \
    "an Uninstall key in the 32-bit view"
text_of = lambda name: re.sub(r'\\(.)', r'\1', values.get(name, '""')[1:-1])
assert text_of("DisplayName") == product, values
assert text_of("DisplayVersion") == version, values
assert text_of("Publisher") == maker, values
location = text_of("InstallLocation")
assert location == "C:\\Program Files\\" + product, location
assert text_of("UninstallString") == f'"{location}\\uninstall.exe"', values
assert text_of("QuietUninstallString") == f'"{location}\\uninstall.exe" /S', values
assert values.get("NoModify") == "dword:00000001" and values.get("NoRepair") == "dword:00000001", values
size = int(values.get("EstimatedSize", "dword:0").split(":")[1], 16)
assert 1000 < size < 100000, f"EstimatedSize {size} KiB"
print(f"install: the Uninstall key in the 64-bit view, EstimatedSize {size} KiB")
PY

# The installed render host of each architecture through the installed plug-ins.
for load in "${loads[@]}"; do
  IFS=: read -r what arch path <<<"$load"
  loads_and_filters "install: $what plug-in" "$install_dir/$arch/velvetine-render.exe" "$path"
done

# --- Silent uninstall: it runs from a copy of itself, which wine_step waits for.
start=$(date +%s)
wine_step 120 "$root/cmake/wine-run" "$install_dir/uninstall.exe" /S
echo "silent uninstall in $(elapsed "$start")"
after="$(prefix_contents)"
[ "$after" = "$before" ] ||
  fail "the uninstall left the prefix changed: $(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | tr '\n' ' ')"
! grep -qiF -e "$file_name" -e "$product" "$WINEPREFIX/system.reg" ||
  fail "the registry still names the product: $(grep -iF -e "$file_name" -e "$product" "$WINEPREFIX/system.reg" | head -n 3)"
echo "uninstall: the prefix's files and folders as before ($(wc -l <<<"$after") entries, another plug-in kept), no registry entry"
