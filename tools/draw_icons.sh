#!/usr/bin/env bash
# Renders the vector drawings under resources/ into the program's icon files:
#
#   tools/draw_icons.sh [OUTPUT_DIR]     (default: resources/)
#
# torvane.ico (16, 20, 24, 32, 48 and 256 pixels: title bar, taskbar, file manager) and
# folder_open.ico (16, 20, 24 and 32 pixels: the browse picture at 96, 120, 144 and 192
# dots per inch). A size with a drawing of its own (NAME-SIZE.svg, tuned on that size's
# pixel grid) takes it; every other size is rendered from NAME.svg. Images are 32-bit
# with alpha; the 256-pixel one is stored as PNG, as Windows expects at that size.
#
# The .ico files are committed, so the build needs neither tool: run this again only
# after changing a drawing. Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
drawings="$here/../resources"
out="${1:-$drawings}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

drawing_for() {  # name size
  local tuned="$drawings/$1-$2.svg"
  if [ -f "$tuned" ]; then echo "$tuned"; else echo "$drawings/$1.svg"; fi
}

pack() {  # name size...
  local name="$1"; shift
  local images=()
  for size in "$@"; do
    local png="$work/$name-$size.png"
    rsvg-convert --width "$size" --height "$size" --output "$png" "$(drawing_for "$name" "$size")"
    if [ "$size" -ge 256 ]; then images+=(--raw="$png"); else images+=("$png"); fi
  done
  icotool --create --bit-depth=32 --output "$out/$name.ico" "${images[@]}"
  echo "$out/$name.ico: $(stat -c %s "$out/$name.ico") bytes"
}

pack torvane 16 20 24 32 48 256
pack folder_open 16 20 24 32
