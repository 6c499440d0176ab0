#!/usr/bin/env bash
# The room check before a job, on a real small drive:
#   scripts/small-drive-test.sh BUILD_DIR
# A tmpfs of 4 MiB is mounted and given a drive letter in the build's Wine prefix, with a
# game folder on it. torvane-cli.exe is refused, before touching anything, with the MB the
# job needs on that drive and the MB free when the replacements do not fit beside the
# originals; with smaller replacements the same drive takes the job. Mounting needs root:
# without it the test is skipped (exit 77). Runs inside scripts/wine-session.sh (ctest is
# run there).
set -euo pipefail

build=$(realpath -m "$1")
if [ "$(id -u)" != 0 ]; then
  echo "small-drive-test: not root, so no small drive can be mounted; skipped"
  exit 77
fi
work=$(mktemp -d /tmp/torvane-small-drive-XXXXXX)
drive=$work/drive
letter=s:
link=$WINEPREFIX/dosdevices/$letter
cleanup() {
  rm -f "$link"
  mountpoint -q "$drive" && umount "$drive"
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$drive" "$work/tool/patch"
if ! mount -t tmpfs -o size=4m tmpfs "$drive"; then
  echo "small-drive-test: mounting a tmpfs failed; skipped"
  exit 77
fi
ln -sfn "$drive" "$link"
mkdir "$drive/game"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq War3.mpq msvcn80.dll readme.txt; do
  printf 'original %s\n' "$f" >"$drive/game/$f"
done
cp "$build/cli/torvane-cli.exe" "$work/tool/"
replacements() {
  for f in game.dll storm.dll war3.exe; do printf '1.24e %s\n' "$f" >"$work/tool/patch/$f"; done
  head -c "$1" /dev/zero | tr '\0' 'm' >"$work/tool/patch/war3patch.mpq"
}
fail() {
  echo "small-drive-test: $*" >&2
  exit 1
}
run() {
  set +e
  output=$(wine "$work/tool/torvane-cli.exe" patch --no-pause 'S:\game\War3.exe' 2>&1)
  code=$?
  set -e
  echo "$output"
}

# 6 MiB and a few bytes of replacements and a megabyte for the journal: 8 MB (rounded
# up), where under 4 MB are free.
replacements $((6 << 20))
before=$(cd "$drive" && find . -type f -exec sha256sum {} + | sort)
run
[ "$code" = 1 ] || fail "exit code $code, expected 1 (nothing changed)"
grep -q '磁盘空间不足：打补丁需要在 S:\\ 上有 8 MB 可用空间，现在只有 3 MB。' <<<"$output" ||
  fail "the refusal does not give the drive, the MB needed and the MB free"
grep -q '游戏文件夹没有任何改动。' <<<"$output" || fail "the refusal does not say nothing changed"
[ "$(cd "$drive" && find . -type f -exec sha256sum {} + | sort)" = "$before" ] ||
  fail "the game folder changed"
[ ! -e "$drive/game/vTemp" ] || fail "vTemp was made"

# 2 MiB of replacements fit: the job runs on the same drive.
replacements $((2 << 20))
run
[ "$code" = 0 ] || fail "exit code $code with room enough, expected 0"
cmp -s "$work/tool/patch/war3patch.mpq" "$drive/game/war3patch.mpq" ||
  fail "the replacement is not in place"
echo "small-drive-test: passed"
