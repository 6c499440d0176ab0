#!/usr/bin/env bash
# A restore, and a job that finds an unfinished journal, meet a folder of the game folder
# they act in (vTemp, redist, the audio folder, its vTemp) that has become a link to a folder
# elsewhere, for real:
#   scripts/linked-roots-test.sh BUILD_DIR
# Wine makes no links of its own, so after a real job the folder is moved elsewhere and a
# Unix symbolic link (which Wine shows as one) put in its place. Each run must refuse with
# exit code 1 and leave everything behind the link as it was.
# Runs inside scripts/wine-session.sh (ctest is run there).
set -euo pipefail

build=$(realpath -m "$1")
work=$(mktemp -d /tmp/torvane-roots-XXXXXX)
trap 'rm -rf "$work"' EXIT
game=$work/game
elsewhere=$work/elsewhere

windows() { printf 'Z:%s' "${1//\//\\}"; }
fail() {
  echo "linked-roots-test: $*" >&2
  exit 1
}

layout() {
  rm -rf "$game" "$elsewhere"
  mkdir -p "$game/redist/miles" "$elsewhere"
  for f in War3.exe Game.dll Storm.dll War3Patch.mpq War3.mpq readme.txt; do
    printf 'original %s\n' "$f" >"$game/$f"
  done
  printf 'sound\n' >"$game/redist/miles/Mssfast.m3d"
  printf "the user's own\n" >"$game/redist/miles/mine.txt"
}

# Every name, size, mode and content below the folder the link leads to.
snapshot() {
  (cd "$elsewhere" && find . -printf '%p %s %m\n' | sort &&
    find . -type f -exec sha256sum {} + | sort)
}

mkdir -p "$work/tool/patch"
for f in game.dll storm.dll war3.exe war3patch.mpq; do printf '1.24e %s\n' "$f" >"$work/tool/patch/$f"; done
cp "$build/cli/torvane-cli.exe" "$work/tool/"
cli() { wine "$work/tool/torvane-cli.exe" "$@" 2>&1; }

for root in vTemp redist redist/miles redist/miles/vTemp; do
  for work_kind in restore recover; do
    layout
    cli patch --no-pause "$(windows "$game/War3.exe")" >/dev/null ||
      fail "the job before linking $root did not finish"
    [ -f "$game/redist/miles/vTemp/mine.txt" ] || fail "the audio folder was not tidied"
    # A journal without its end line: the next job recovers it first.
    [ "$work_kind" = recover ] && sed -i '$d' "$game/vTemp/torvane-journal-0001.txt"
    mv "$game/$root" "$elsewhere/folder"
    ln -s "$elsewhere/folder" "$game/$root"
    before=$(snapshot)
    set +e
    if [ "$work_kind" = restore ]; then
      output=$(cli restore "$(windows "$game/War3.exe")")
    else
      output=$(cli patch --no-pause "$(windows "$game/War3.exe")")
    fi
    code=$?
    set -e
    [ "$code" = 1 ] || fail "$work_kind with $root linked: exit code $code, expected 1: $output"
    [ "$(snapshot)" = "$before" ] || fail "$work_kind with $root linked changed what lies behind it"
    echo "linked-roots-test: $work_kind with $root linked: refused, nothing behind it touched"
  done
done
echo "linked-roots-test: passed"
