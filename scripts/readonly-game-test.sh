#!/usr/bin/env bash
# Runs the preflight against a game folder that the running user may not write, for real:
#   scripts/readonly-game-test.sh BUILD_DIR
# Wine runs as root here, and root may write anywhere; so the folder is laid out by root
# and the test program runs as the unprivileged user "nobody", with a Wine prefix of its
# own. Like Program Files for a user who is not an administrator.
set -euo pipefail

build=$(realpath -m "$1")
if [ "$(id -u)" != 0 ]; then
  echo "readonly-game-test: not root, so every folder here is already someone else's; skipped"
  exit 0
fi
user=nobody

# The build folder may lie where only root may enter (root's home and a mktemp -d folder
# are mode 700): everything the other user needs (a copy of the static test program, its
# Wine prefix, the game folder) goes into a fresh folder of its own, removed at the end.
room=$(mktemp -d /tmp/torvane-readonly-XXXXXX)
home=$room/home
game=$room/game
as_user() {
  runuser -u "$user" -- env -u DISPLAY HOME="$home" WINEPREFIX="$home/prefix" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=zh_CN.UTF-8 \
    LC_ALL=zh_CN.UTF-8 "$@"
}
cleanup() {
  as_user wineserver -k >/dev/null 2>&1 || true
  rm -rf "$room"
}
trap cleanup EXIT

chmod 755 "$room"
mkdir "$home" "$game"
chown "$user" "$home"
cp "$build/tests/win/torvane_win_job_tests.exe" "$room/"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq msvcn80.dll readme.txt; do
  printf 'original %s\n' "$f" >"$game/$f"
done
cd "$room"

as_user wineboot -i </dev/null >/dev/null 2>&1 || true
as_user wineserver -w
# A persistent server, warmed up, so that no helper process holds the caller's output.
as_user wineserver -p
as_user wine cmd /c exit </dev/null >/dev/null 2>&1 || true
as_user env TORVANE_READONLY_GAME="Z:${game//\//\\}\\War3.exe" \
  wine "$room/torvane_win_job_tests.exe" \
  --gtest_filter='WinPreflight.AGameFolderThisUserMayNotWrite*'
