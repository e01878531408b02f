# Sourced by scripts/package, the installer makers and the package tests: the release's
# version, the identity strings and the list of plug-in formats (packaging/formats), read
# from where they are kept. Needs $root, the repository's top folder.

# The project's version, from the top-level CMakeLists.txt.
release_version() {
  local version
  version="$(sed -n 's/^project(QMVelvetine VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
  [ -n "$version" ] || { echo "no project version in $root/CMakeLists.txt" >&2; return 1; }
  echo "$version"
}

# identity KEY: the value cmake/Identity.cmake sets VELVETINE_KEY to (PRODUCT_NAME,
# FILE_NAME, MAKER, DESCRIPTION, ...).
identity() {
  local value
  # The value may stand on the line after the name.
  value="$(sed -n -e "/^set(VELVETINE_$1\( \|\$\)/{:more" -e '/)$/!{N;b more' \
    -e '}' -e 's/^[^"]*"\(.*\)")$/\1/p' -e '}' "$root/cmake/Identity.cmake")"
  [ -n "$value" ] || { echo "no VELVETINE_$1 in $root/cmake/Identity.cmake" >&2; return 1; }
  echo "$value"
}

# The Debian package's name: the product's name in lower case, words joined by hyphens.
package_name() { identity PRODUCT_NAME | tr '[:upper:] ' '[:lower:]-'; }

# read_formats: fills the arrays format_id, format_windows_source, format_windows_place,
# format_linux_source, format_linux_folder and format_title, one element per format, in
# the list's order. VELVETINE_FORMATS names another list (the tests' stand-ins).
read_formats() {
  format_id=() format_windows_source=() format_windows_place=() format_linux_source=()
  format_linux_folder=() format_title=()
  local id windows_source windows_place linux_source linux_folder title
  while read -r id windows_source windows_place linux_source linux_folder title; do
    [ -n "$id" ] && [ "${id:0:1}" != "#" ] || continue
    format_id+=("$id") format_windows_source+=("$windows_source")
    format_windows_place+=("$windows_place") format_linux_source+=("$linux_source")
    format_linux_folder+=("$linux_folder") format_title+=("$title")
  done <"${VELVETINE_FORMATS:-$root/packaging/formats}"
}

# format_source TEMPLATE FOLDER: a source of the list as a path below dist/, for the
# release folder FOLDER (x86, x64, linux-x86_64); nothing for "-".
format_source() {
  [ "$1" != - ] || return 0
  local path="${1//\{folder\}/$2}"
  echo "${path//\{name\}/$(identity FILE_NAME)}"
}
