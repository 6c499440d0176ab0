#!/usr/bin/env bash
# Runs the preflight against a game folder that the running user may not write, for real:
#   scripts/readonly-game-test.sh BUILD_DIR
# Wine runs as root here, and root may write anywhere; so the folder is laid out by root
# and the test program runs as the unprivileged user "nobody", with a Wine prefix of its
# own (made on first use, in BUILD_DIR). Like Program Files for a user who is not an
# administrator.
set -euo pipefail

build=$(realpath -m "$1")
if [ "$(id -u)" != 0 ]; then
  echo "readonly-game-test: not root, so every folder here is already someone else's; skipped"
  exit 0
fi
user=nobody
home="$build/wine-$user"
game=$(mktemp -d /tmp/torvane-readonly-XXXXXX)
cleanup() {
  runuser -u "$user" -- env HOME="$home" WINEPREFIX="$home/prefix" wineserver -k \
    >/dev/null 2>&1 || true
  rm -rf "$game"
}
trap cleanup EXIT

mkdir -p "$home"
chown "$user" "$home"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq msvcn80.dll readme.txt; do
  printf 'original %s\n' "$f" >"$game/$f"
done
chmod 755 "$game"

as_user() {
  runuser -u "$user" -- env -u DISPLAY HOME="$home" WINEPREFIX="$home/prefix" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=zh_CN.UTF-8 \
    LC_ALL=zh_CN.UTF-8 "$@"
}
if [ ! -f "$home/prefix/system.reg" ]; then
  as_user wineboot -i </dev/null >/dev/null 2>&1 || true
  as_user wineserver -w
fi
# A persistent server, warmed up, so that no helper process holds the caller's output.
as_user wineserver -p
as_user wine cmd /c exit </dev/null >/dev/null 2>&1 || true
as_user env TORVANE_READONLY_GAME="Z:${game//\//\\}\\War3.exe" \
  wine "$build/tests/win/torvane_win_job_tests.exe" \
  --gtest_filter='WinPreflight.AGameFolderThisUserMayNotWrite*'
