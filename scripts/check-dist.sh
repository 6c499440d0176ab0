#!/usr/bin/env bash
# Checks the release zip as a user gets it:
#   scripts/check-dist.sh dist/Torvane-<version>-win64.zip
# it holds Torvane.exe, the console program torvane-cli.exe and the patch/ folder with its
# readme, and nothing else; each program passes check-program.sh as unpacked.
set -euo pipefail

zip=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
objdump=x86_64-w64-mingw32-objdump

fail() {
  echo "check-dist: $*" >&2
  exit 1
}

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -m zipfile -e "$zip" "$unpacked"
cd "$unpacked"

expected=$'Torvane.exe\npatch\npatch/说明.txt\ntorvane-cli.exe'
found=$(find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$expected" ] || fail "$zip holds"$'\n'"$found"$'\n'"instead of"$'\n'"$expected"

for exe in Torvane.exe torvane-cli.exe; do
  bash "$here/check-program.sh" "$exe" pei-x86-64 "$objdump"
done
# The command line must be a console program, so that cmd.exe and batch files wait for it.
grep -Eq '^Subsystem[[:space:]].*\(Windows CUI\)' <<<"$("$objdump" -p torvane-cli.exe)" ||
  fail "torvane-cli.exe is not a console program"
[ -s patch/说明.txt ] || fail "the patch folder's readme is empty"
echo "check-dist: $zip is whole ($(stat -c %s "$zip") bytes)"
