#!/usr/bin/env bash
# The tidy meets an audio folder that is a link to a folder elsewhere, for real:
#   scripts/linked-folder-test.sh BUILD_DIR
# Wine makes no links of its own, so the game folder is laid out here with a Unix symbolic
# link (which Wine shows as one) and torvane-cli.exe runs the job on it. The folder the link
# leads to must come out untouched, and the outcome must say why it was not tidied.
# Runs inside scripts/wine-session.sh (ctest is run there).
set -euo pipefail

build=$(realpath -m "$1")
work=$(mktemp -d /tmp/torvane-linked-XXXXXX)
trap 'rm -rf "$work"' EXIT

game=$work/game
mkdir -p "$game/redist" "$work/elsewhere" "$work/tool/patch"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq War3.mpq readme.txt; do
  printf 'original %s\n' "$f" >"$game/$f"
done
for f in game.dll storm.dll war3.exe war3patch.mpq; do printf '1.24e %s\n' "$f" >"$work/tool/patch/$f"; done
printf 'sound\n' >"$work/elsewhere/Mssfast.m3d"
printf "the user's own\n" >"$work/elsewhere/mine.txt"
ln -s ../../elsewhere "$game/redist/miles"
cp "$build/cli/torvane-cli.exe" "$work/tool/"

windows() { printf 'Z:%s' "${1//\//\\}"; }
set +e
output=$(wine "$work/tool/torvane-cli.exe" patch --no-pause "$(windows "$game/War3.exe")" 2>&1)
code=$?
set -e
echo "$output"

fail() {
  echo "linked-folder-test: $*" >&2
  exit 1
}
[ "$code" = 2 ] || fail "exit code $code, expected 2 (done in part)"
grep -q '链接' <<<"$output" || fail "the outcome does not name the link"
[ -f "$work/elsewhere/mine.txt" ] || fail "a file of the folder the link leads to was moved"
[ ! -e "$work/elsewhere/vTemp" ] || fail "a vTemp was made in the folder the link leads to"
[ -f "$game/vTemp/readme.txt" ] || fail "the game folder itself was not tidied"
echo "linked-folder-test: passed"
