#!/usr/bin/env bash
# Checks the release zip as a user gets it:
#   scripts/check-dist.sh dist/Torvane-<version>-win64.zip
# the checksum file beside it matches the zip and names it as sha256sum -c needs; the zip
# holds the guide 使用说明.txt, Torvane.exe, the console program torvane-cli.exe and the
# patch/ folder with its readme, and nothing else; both texts are UTF-8 with a BOM and CRLF
# line ends, the guide first in the zip and naming the window's label, button and menu items
# as resources/texts.h spells them; each program passes check-program.sh as unpacked.
set -euo pipefail

zip=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
texts=$here/../resources/texts.h
objdump=x86_64-w64-mingw32-objdump

fail() {
  echo "check-dist: $*" >&2
  exit 1
}

sums=$zip.sha256
[ -f "$sums" ] || fail "$sums is missing"
[ "$(sed 's/^[0-9a-f]\{64\}  //' "$sums")" = "$(basename "$zip")" ] ||
  fail "$sums should be one line: the SHA-256, two spaces and $(basename "$zip")"
(cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$sums")") ||
  fail "$zip does not match $sums"

first=$(python3 -c 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).namelist()[0])' "$zip")
[ "$first" = 使用说明.txt ] || fail "the zip starts with $first instead of the guide"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -m zipfile -e "$zip" "$unpacked"
cd "$unpacked"

expected=$'Torvane.exe\npatch\npatch/说明.txt\ntorvane-cli.exe\n使用说明.txt'
found=$(find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$expected" ] || fail "$zip holds"$'\n'"$found"$'\n'"instead of"$'\n'"$expected"

for exe in Torvane.exe torvane-cli.exe; do
  bash "$here/check-program.sh" "$exe" pei-x86-64 "$objdump"
done
# The command line must be a console program, so that cmd.exe and batch files wait for it.
grep -Eq '^Subsystem[[:space:]].*\(Windows CUI\)' <<<"$(LC_ALL=C "$objdump" -p torvane-cli.exe)" ||
  fail "torvane-cli.exe is not a console program"

# Notepad on Windows 7 shows UTF-8 only after a BOM, and breaks lines only at CRLF.
for text in 使用说明.txt patch/说明.txt; do
  [ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$text lacks the UTF-8 BOM"
  iconv -f UTF-8 -t UTF-8 "$text" >/dev/null 2>&1 || fail "$text is not UTF-8"
  [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$text does not end in CRLF"
  ! grep -qv $'\r$' "$text" || fail "$text has a line without CRLF"
  ! grep -q $'\r\r' "$text" || fail "$text has a doubled CR"
  [ "$(grep -c . "$text")" -ge 5 ] || fail "$text is nearly empty"
done

# The guide must name the window's items and the commands as the programs spell them.
window_text() {
  sed -n "s/.*$1\[\] = u\"\(.*\)\";/\1/p" "$texts"
}
for item in "$(window_text kLabelCaption)" "$(window_text kButtonCaption)" \
  "$(window_text kMenuRestore)" "$(window_text kMenuVersionInfo)" \
  "$(window_text kMenuOpenVTemp)" "torvane-cli restore" "torvane-cli patch" "torvane-cli info"; do
  [ -n "$item" ] && grep -qF "$item" 使用说明.txt || fail "the guide does not name \"$item\""
done
echo "check-dist: $zip is whole ($(stat -c %s "$zip") bytes), its checksum matches"
