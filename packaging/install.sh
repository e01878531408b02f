#!/usr/bin/env bash
# Installs the plug-ins in this folder for the user who runs it, each into the folder of
# the home folder that its hosts scan, and says what went where; with --uninstall takes
# away again what it installs, file by file, and leaves everything else in those folders.
#
#   ./install.sh               install (an earlier copy of a plug-in is replaced)
#   ./install.sh --uninstall   take them away
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Each plug-in as "file or bundle in this folder:folder in the home folder, without its
# leading dot:format".
plugins=(
@FORMATS@
)

install_plugin() {
  local item="$1" folder="$HOME/.$2" title="$3"
  mkdir -p "$folder"
  rm -rf "${folder:?}/$item"
  cp -R "$here/$item" "$folder/"
  echo "install.sh: $title: installed $folder/$item"
}

# Only the files this folder's copy holds, then the bundle's folders that are left empty.
uninstall_plugin() {
  local item="$1" target="$HOME/.$2/$1" title="$3" path
  if [ ! -e "$target" ]; then
    echo "install.sh: $title: $target is not there"
    return
  fi
  if [ -d "$here/$item" ]; then
    while IFS= read -r path; do rm -f "$target/$path"; done < <(cd "$here/$item" && find . -type f)
    while IFS= read -r path; do
      rmdir --ignore-fail-on-non-empty "$target/$path" 2>/dev/null || true
    done < <(cd "$here/$item" && find . -depth -type d -printf '%P\n')
  else
    rm -f "$target"
  fi
  if [ -e "$target" ]; then
    echo "install.sh: $title: removed its files; $target keeps files that it did not install"
  else
    echo "install.sh: $title: removed $target"
  fi
}

case "${1:-}" in
  "") action=install_plugin ;;
  --uninstall) action=uninstall_plugin ;;
  *) echo "usage: $0 [--uninstall]" >&2; exit 2 ;;
esac
[ -n "${HOME:-}" ] || { echo "install.sh: HOME is not set" >&2; exit 1; }
for plugin in "${plugins[@]}"; do
  IFS=: read -r item folder title <<<"$plugin"
  "$action" "$item" "$folder" "$title"
done
