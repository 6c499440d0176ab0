#!/usr/bin/env bash
# Packs the release zip from builds that `make dist` has just made:
#   scripts/dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR
# writes dist/Torvane-<version>-win64.zip and its .sha256 beside it (pack-dist.sh), then
# checks both as shipped (check-dist.sh). Refuses a program that Windows 7 SP1 could not
# start.
set -euo pipefail

win64=${1:?usage: dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR}
win32=${2:?usage: dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR}
cd "$(dirname "$0")/.."

# The i686 build is not shipped, but it must be fit to ship: it starts on Windows 7 and
# stays under 1 MiB (its code is larger than the shipped win64 programs', which are held
# to 700 KiB as the zip carries them).
for exe in window/Torvane.exe cli/torvane-cli.exe; do
  bash scripts/check-program.sh "$win32/$exe" pei-i386 i686-w64-mingw32-objdump 1024
done

zip=$(bash scripts/pack-dist.sh "$win64" dist)
echo "dist: $zip"
python3 -m zipfile -l "$zip"
cat "$zip.sha256"
bash scripts/check-dist.sh "$zip"
