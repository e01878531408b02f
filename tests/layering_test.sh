#!/usr/bin/env bash
# The LV2 plug-in's processing object holds what processing needs
# and nothing of the VST 2.x binding, the editor, the GUI toolkit or its picture decoding.
# The same pattern run over the VST 2.x plug-in, which holds all of them, proves it matches.
#   layering_test.sh LV2_OBJECT VST2_OBJECT
set -uo pipefail
forbidden='CTidegateAdapter|AudioEffectX?::|AEffEditor|CLiteContainer|CControl::|CBackBuffer|CPicture|ColorManager|CFontHolder|CVelvetineFilterGUI|CVelvetineFilterInfo|LoadEditorPictures|DecodePng|inflateInit|Xlib'
symbols() { nm -C --defined-only "$1" | cut -d' ' -f3-; }
status=0
found="$(symbols "$1" | grep -E "$forbidden" | head -n 20)"
if [ -n "$found" ]; then
  echo "$1 holds symbols it should not:"
  echo "$found"
  status=1
fi
kinds="$(symbols "$2" | grep -oE "$forbidden" | sort -u | wc -l)"
if [ "$kinds" -lt 10 ]; then
  echo "the pattern finds only $kinds kinds of symbol in $2, which holds all of them"
  status=1
fi
[ $status -ne 0 ] || echo "$1: no binding, editor or toolkit symbols"
exit $status
