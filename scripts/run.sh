#!/usr/bin/env bash
# Opens Torvane.exe under Wine, with a game folder to try the whole job on:
#   scripts/run.sh BUILD_DIR [--screenshot FILE [--mid-job]]
# Lays out a demo game folder of stand-in files in BUILD_DIR/demo/Warcraft III/ and the
# tool's patch folder of stand-ins beside Torvane.exe, says where they are and which path
# to type, then opens the window. With --screenshot, or where there is no display, the
# window opens in a virtual display instead, the demo path is typed into it, a picture of
# the window is saved (out/window.png unless given) and the program is closed again. With
# --mid-job the button is pressed too (Tab, Space) and the picture shows the running job.
# TORVANE_DPI=120 runs it on a screen of 120 dots per inch (see wine-session.sh).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

# Inside the Wine session: start the program, wait for its window, type, take the picture.
if [ "${1:-}" = --capture ]; then
  exe=$2 shot=$3 typed=$4 midjob=${5:-}
  wine "$exe" >/dev/null 2>&1 &
  program=$!
  window=""
  for _ in $(seq 80); do
    window=$(xdotool search --name 'Torvane' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.25
  done
  if [ -z "$window" ]; then
    echo "run: the window did not appear" >&2
    kill "$program" 2>/dev/null || true
    exit 1
  fi
  sleep 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool type --delay 20 "$typed"
  sleep 0.5
  if [ -n "$midjob" ]; then
    xdotool key Tab space
    sleep 1.5
  fi
  eval "$(xdotool getwindowgeometry --shell "$window")"
  mkdir -p "$(dirname "$shot")"
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
  kill "$program" 2>/dev/null || true
  echo "run: saved the window as $shot (${WIDTH}x${HEIGHT})"
  exit 0
fi

[ $# -ge 1 ] || { echo "usage: scripts/run.sh BUILD_DIR [--screenshot FILE]" >&2; exit 2; }
build=$(realpath -m "$1"); shift
shot="" midjob=""
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) shot=$(realpath -m "${2:?--screenshot needs a file}"); shift 2 ;;
    --mid-job) midjob=1; shift ;;
    *) echo "run: unknown argument $1" >&2; exit 2 ;;
  esac
done

exe="$build/window/Torvane.exe"
[ -f "$exe" ] || { echo "run: $exe is missing; build it first (make win64)" >&2; exit 1; }

# The tool's patch folder: the four version files of 1.24e, as stand-ins.
patch="$build/window/patch"
mkdir -p "$patch"
for f in game.dll storm.dll war3.exe war3patch.mpq; do
  printf 'Torvane demo: %s of game version 1.24e (stand-in)\n' "$f" >"$patch/$f"
done

# A game folder as players have it: version files, files the game keeps, redundant ones,
# and the audio folder with one file too many. Made afresh at every run.
demo="$build/demo/Warcraft III"
rm -rf "$build/demo"
mkdir -p "$demo/redist/miles" "$demo/Maps"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq msvcn80.dll War3.mpq War3x.mpq \
         War3xlocal.mpq "Frozen Throne.exe" "World Editor.exe" Mss32.dll; do
  printf 'demo original: %s\n' "$f" >"$demo/$f"
done
for f in readme.txt "Warcraft III 1.26 patch.exe" replay.w3g dinput8.dll; do
  printf 'demo redundant file: %s\n' "$f" >"$demo/$f"
done
printf 'a map\n' >"$demo/Maps/(2)demo.w3m"
for f in Mssfast.m3d Mss32.dll Reverb3.flt unused.asi; do
  printf 'demo audio: %s\n' "$f" >"$demo/redist/miles/$f"
done

# Wine shows the Unix root as drive Z:.
typed="Z:${demo//\//\\}\\War3.exe"
echo "run: demo game folder  $demo"
echo "run: patch folder      $patch"
echo "run: path to type      $typed"

if [ -z "$shot" ] && [ -n "${DISPLAY:-}" ]; then
  echo "run: opening Torvane.exe (close the window to end)"
  exec "$here/wine-session.sh" "$build" wine "$exe"
fi

# No display, or a picture wanted: a virtual display of the session's own.
[ -n "$shot" ] || shot=$(realpath -m out/window.png)
TORVANE_XVFB=1 "$here/wine-session.sh" "$build" "$here/run.sh" --capture "$exe" "$shot" "$typed" \
  "$midjob"
