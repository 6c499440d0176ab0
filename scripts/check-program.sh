#!/usr/bin/env bash
# Checks one program as it is shipped:
#   scripts/check-program.sh PROGRAM.exe FORMAT OBJDUMP [LIMIT_KIB]
# it is a PE file of FORMAT (pei-x86-64, pei-i386), carries the program's icons and
# manifest, imports only what Windows 7 SP1 has, and stays under LIMIT_KIB (700 unless
# given: a download from a forum mirror; what a release link pulls in is in the .map beside
# the program).
set -euo pipefail
# objdump's words are translated under other locales ("文件格式" for "file format").
export LC_ALL=C

exe=$1 format=$2 objdump=$3 limit=${4:-700}
tools=$(cd "$(dirname "$0")/../tools" && pwd)

fail() {
  echo "check-program: $*" >&2
  exit 1
}

[ -f "$exe" ] || fail "$exe is missing; build it first"
[[ $("$objdump" -f "$exe") == *"file format $format"* ]] || fail "$exe is not $format"
headers=$("$objdump" -p "$exe")
# Top-level entries of the resource directory: 0x0e icon groups, 0x18 the manifest.
for type in 00000e 000018; do
  grep -Eq "^[0-9a-f]+   Entry: ID: 0x$type," <<<"$headers" ||
    fail "$exe lacks its resources (type 0x$type): link torvane_resources"
done
bash "$tools/check_win7_imports.sh" "$objdump" "$exe" || fail "$exe would not start on Windows 7"
size=$(stat -c %s "$exe")
echo "check-program: $exe is $size bytes ($((size / 1024)) KiB)"
[ "$size" -lt $((limit * 1024)) ] || fail "$exe is $limit KiB or more: see its .map beside it"
