#!/usr/bin/env bash
# The two ways the release installs on Linux, each into a throwaway folder, with every
# format of packaging/formats loaded from where it landed:
#   the Debian package, unpacked into an empty root: the files where Debian puts them, with
#     the modes and fields lintian wants, and lintian finding no error;
#   the archive's install.sh with a throwaway HOME: each plug-in in the user's folder for
#     its format, and --uninstall taking away only those files.
#   linux_installs_test.sh SOURCE_FOLDER WORK_FOLDER
set -euo pipefail
root="$1" work="$2"
source "$root/tests/package/plugin_checks.sh"
source "$root/packaging/formats.sh"
rm -rf "$work" && mkdir -p "$work/out"
"$root/scripts/package" --out "$work/out" linux >/dev/null
version="$(release_version)"
package="$(package_name)"
read_formats
fail() { echo "FAILED: $*" >&2; exit 1; }

# The list's Linux formats as "item:folder:title" (item: the file or bundle's name).
plugins=()
for i in "${!format_id[@]}"; do
  [ "${format_linux_source[$i]}" != - ] || continue
  plugins+=("$(basename "$(format_source "${format_linux_source[$i]}" linux-x86_64)"):${format_linux_folder[$i]}:${format_title[$i]}")
done

# lv2_plugins_in FOLDER: the URIs lv2ls finds with only FOLDER on the LV2 path.
lv2_plugins_in() { LV2_PATH="$1" lv2ls; }

# --- The Debian package.
deb="$work/out/${package}_${version}_amd64.deb"
[ -f "$deb" ] || fail "scripts/package made no $deb"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/deps installs it)"
lintian_errors="$(lintian --no-tag-display-limit "$deb" 2>/dev/null | grep '^E:' || true)"
[ -z "$lintian_errors" ] || fail "lintian: $lintian_errors"
control="$(dpkg-deb --field "$deb")"
for field in Depends Installed-Size Maintainer Description; do
  grep -q "^$field: ." <<<"$control" || fail "the control file has no $field"
done
grep -q '^Depends:.*libc6 (>= ' <<<"$control" || fail "Depends names no libc6 version: $control"
deb_root="$work/deb-root"
dpkg-deb -x "$deb" "$deb_root"
render="$deb_root/usr/bin/velvetine-render"
[ "$(stat -c %a "$render")" = 755 ] || fail "velvetine-render has mode $(stat -c %a "$render")"
[ -f "$deb_root/usr/share/man/man1/velvetine-render.1.gz" ] || fail "no manual page"
for plugin in "${plugins[@]}"; do
  IFS=: read -r item folder title <<<"$plugin"
  path="$deb_root/usr/lib/$folder/$item"
  [ -e "$path" ] || fail "the package has no /usr/lib/$folder/$item"
  while IFS= read -r object; do
    [ "$(stat -c %a "$object")" = 644 ] || fail "$object has mode $(stat -c %a "$object")"
    ! readelf -S "$object" | grep -q '\.symtab' || fail "$object is not stripped"
  done < <(find "$path" -type f \( -name '*.so' -o -name '*.clap' -o -path '*/Contents/*-linux/*' \))
  loads_and_filters "package: $title plug-in from /usr/lib/$folder" "$render" "$path"
done
uris="$(lv2_plugins_in "$deb_root/usr/lib/lv2")"
[ "$uris" = "$(identity LV2_URI)" ] || fail "lv2ls finds [$uris] in the package's /usr/lib/lv2"
echo "package: lv2ls finds $uris in /usr/lib/lv2"

# --- install.sh, for a throwaway user whose plug-in folders already hold others' files.
tar -xzf "$work/out/$(identity FILE_NAME)-$version-linux-x86_64.tar.gz" -C "$work"
unpacked="$work/$(identity FILE_NAME)-$version-linux-x86_64"
export HOME="$work/home"
others=()
for plugin in "${plugins[@]}"; do
  IFS=: read -r item folder title <<<"$plugin"
  mkdir -p "$HOME/.$folder/Other.$folder"
  echo "someone else's" >"$HOME/.$folder/Other.$folder/file"
  others+=("$HOME/.$folder/Other.$folder/file")
done
before="$(cd "$HOME" && find . | sort)"
"$unpacked/install.sh" >"$work/install.log"
for plugin in "${plugins[@]}"; do
  IFS=: read -r item folder title <<<"$plugin"
  grep -qF "$HOME/.$folder/$item" "$work/install.log" || fail "install.sh did not say where $title went"
  loads_and_filters "install.sh: $title plug-in from ~/.$folder" "$unpacked/velvetine-render" \
    "$HOME/.$folder/$item"
done
"$unpacked/install.sh" --uninstall >"$work/uninstall.log"
# ls_home: everything in the home folder, files and folders.
ls_home() { (cd "$HOME" && find . | sort); }
[ "$(ls_home)" = "$before" ] ||
  fail "after --uninstall the home folder is not as before: $(diff <(echo "$before") <(ls_home) | grep '^[<>]' | tr '\n' ' ')"

# Again, with a file the user put inside a bundle of ours: it is theirs, and stays.
"$unpacked/install.sh" >/dev/null
bundle=""
for plugin in "${plugins[@]}"; do
  IFS=: read -r item folder title <<<"$plugin"
  [ -n "$bundle" ] || [ ! -d "$HOME/.$folder/$item" ] || bundle="$HOME/.$folder/$item"
done
[ -n "$bundle" ] || fail "no format is a bundle: nothing tells that uninstalling one keeps others' files"
echo mine >"$bundle/user-notes.txt"
"$unpacked/install.sh" --uninstall >/dev/null
expected="$(printf '%s\n' "$before" "./${bundle#$HOME/}" "./${bundle#$HOME/}/user-notes.txt" | sort)"
[ "$(ls_home)" = "$expected" ] ||
  fail "uninstalling kept other than the user's file in $bundle: $(diff <(echo "$expected") <(ls_home) | grep '^[<>]' | tr '\n' ' ')"
for other in "${others[@]}"; do
  [ "$(cat "$other")" = "someone else's" ] || fail "$other was changed"
done
echo "install.sh: ${#plugins[@]} plug-ins installed, loaded and taken away; the other files kept"
