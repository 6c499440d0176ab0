#!/usr/bin/env bash
# The job meets a link on its way, for real:
#   scripts/linked-folder-test.sh BUILD_DIR
# Wine makes no links of its own, so each game folder is laid out here with a Unix symbolic
# link (which Wine shows as one) and torvane-cli.exe runs the job on it: a link at the audio
# folder, at redist above it, at the audio folder's vTemp and at the game folder's vTemp.
# The folder a link leads to must come out untouched, and the outcome must say why. Once
# the game is patched, what the tidy leaves behind a link changes nothing: a second run asks
# whether to go on, and the command line's No leaves everything as it is.
# Runs inside scripts/wine-session.sh (ctest is run there).
set -euo pipefail

build=$(realpath -m "$1")
work=$(mktemp -d /tmp/torvane-linked-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tool/patch"
for f in storm.dll war3patch.mpq; do printf '1.24e %s\n' "$f" >"$work/tool/patch/$f"; done
# war3.exe and game.dll carry a version, so that a patched game is known as one.
for f in game.dll war3.exe; do
  cp "$build/tests/win/versioned/torvane_stand_in_1_24.dll" "$work/tool/patch/$f"
done
cp "$build/cli/torvane-cli.exe" "$work/tool/"

windows() { printf 'Z:%s' "${1//\//\\}"; }
fail() {
  echo "linked-folder-test: $link: $*" >&2
  exit 1
}

for link in redist/miles redist redist/miles/vTemp vTemp; do
  rm -rf "$work/game" "$work/elsewhere"
  game=$work/game
  mkdir -p "$game/$(dirname "$link")" "$work/elsewhere"
  for f in War3.exe Game.dll Storm.dll War3Patch.mpq War3.mpq readme.txt; do
    printf 'original %s\n' "$f" >"$game/$f"
  done
  # The audio folder's files, behind the link or in a folder of the game's own.
  case $link in
    redist/miles) miles=$work/elsewhere ;;
    redist) miles=$work/elsewhere/miles ;;
    *) miles=$game/redist/miles ;;
  esac
  mkdir -p "$miles"
  printf 'sound\n' >"$miles/Mssfast.m3d"
  printf "the user's own\n" >"$miles/mine.txt"
  ln -s "$work/elsewhere" "$game/$link"
  before=$(cd "$work/elsewhere" && find . | sort)

  set +e
  output=$(wine "$work/tool/torvane-cli.exe" patch --no-pause "$(windows "$game/War3.exe")" 2>&1)
  code=$?
  set -e
  echo "$output"

  [ -f "$miles/mine.txt" ] || fail "a file of the audio folder was moved"
  [ "$(cd "$work/elsewhere" && find . | sort)" = "$before" ] ||
    fail "the folder the link leads to changed"
  if [ "$link" = vTemp ]; then
    [ "$code" = 1 ] || fail "exit code $code, expected 1 (refused)"
    grep -q 'vTemp 是一个链接' <<<"$output" || fail "the outcome does not name the link"
    [ "$(cat "$game/Game.dll")" = 'original Game.dll' ] || fail "the version set was touched"
    [ -f "$game/readme.txt" ] || fail "the game folder was tidied"
  else
    [ "$code" = 2 ] || fail "exit code $code, expected 2 (done in part)"
    grep -q '链接' <<<"$output" || fail "the outcome does not name the link"
    [ -f "$game/vTemp/readme.txt" ] || fail "the game folder itself was not tidied"
    patched=$(cd "$work" && find . -type f -exec md5sum {} + | sort)
    set +e
    output=$(wine "$work/tool/torvane-cli.exe" patch --no-pause "$(windows "$game/War3.exe")" 2>&1)
    code=$?
    set -e
    echo "$output"
    [ "$code" = 1 ] || fail "second run: exit code $code, expected 1 (asked, and answered No)"
    grep -q '游戏已经是 patch 文件夹中的版本' <<<"$output" || fail "second run: not asked"
    [ "$(cd "$work" && find . -type f -exec md5sum {} + | sort)" = "$patched" ] ||
      fail "second run: something changed"
  fi
done
echo "linked-folder-test: passed"
