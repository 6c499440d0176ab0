#!/usr/bin/env bash
# Runs a command with a Wine prefix of the build's own and a display:
#   scripts/wine-session.sh BUILD_DIR COMMAND...
# The prefix is created under the Chinese locale (code page 936, message boxes that
# render Chinese) the first time. Without a DISPLAY a virtual one (Xvfb) is started.
# A persistent wineserver is started and warmed up first, so that Wine's helper
# processes never hold the caller's output pipe open; it is stopped at the end.
# TORVANE_DPI=120 (or 144, ...) selects a second prefix of the build whose screen has that
# many dots per inch; without it the screen has 96.
set -euo pipefail

build=$(realpath -m "$1"); shift
dpi=${TORVANE_DPI:-96}
if [ "$dpi" = 96 ]; then
  export WINEPREFIX="$build/wineprefix"
else
  export WINEPREFIX="$build/wineprefix-dpi$dpi"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Xvfb picks a free display number itself and says which once it accepts connections. A
# number is taken when its socket is: the abstract socket namespace is shared by chroots
# and by other people's servers, whose /tmp/.X11-unix this one may not see.
if [ -z "${DISPLAY:-}" ] || [ "${TORVANE_XVFB:-}" = 1 ]; then
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -dc 0-9 <"$number")"
  rm -f "$number"
  [ "$DISPLAY" != : ] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
fi

if [ ! -f "$WINEPREFIX/.torvane-ready" ]; then
  echo "wine: creating the prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w
  # Without a window manager, managed windows get no frame and modal loops stall.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  if [ "$dpi" != 96 ]; then
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
      wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
    done
  fi
  wineserver -w
  touch "$WINEPREFIX/.torvane-ready"
fi

# T: is drive C under a second letter, as subst or a mapped share give one folder two
# spellings; the tests of journals known by folder identity use it.
[ -e "$WINEPREFIX/dosdevices/t:" ] || ln -s ../drive_c "$WINEPREFIX/dosdevices/t:"

wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
