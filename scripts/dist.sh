#!/usr/bin/env bash
# Packs the release zip from builds that `make dist` has just made:
#   scripts/dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR
# writes dist/Torvane-<version>-win64.zip holding Torvane.exe, the command line torvane-cli.exe
# and the patch/ folder (with a readme saying which four files go there), then checks it
# (check-dist.sh). Refuses a program that Windows 7 SP1 could not start.
set -euo pipefail

win64=${1:?usage: dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR}
win32=${2:?usage: dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fail() {
  echo "dist: $*" >&2
  exit 1
}

command -v python3 >/dev/null || fail "python3 is needed to write the zip"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win64/CMakeCache.txt" 2>/dev/null)
[ -n "$version" ] || fail "no project version in $win64/CMakeCache.txt; configure it first"

# The i686 build is not shipped, but it must be fit to ship; the win64 programs are checked
# as the zip carries them.
for exe in window/Torvane.exe cli/torvane-cli.exe; do
  bash scripts/check-program.sh "$win32/$exe" pei-i386 i686-w64-mingw32-objdump
done

name=Torvane-$version-win64
stage=dist/$name
rm -rf "$stage" "dist/$name.zip"
mkdir -p "$stage/patch"
cp "$win64/window/Torvane.exe" "$stage/Torvane.exe"
cp "$win64/cli/torvane-cli.exe" "$stage/torvane-cli.exe"

# Notepad on Windows 7 needs the BOM to read UTF-8, and CRLF to break lines.
readme=$stage/patch/说明.txt
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<EOF
Torvane $version —— 魔兽争霸III 1.24e 一键清理

请把 1.24e 版本的以下四个文件放进这个 patch 文件夹：

    game.dll
    storm.dll
    war3.exe
    war3patch.mpq

patch 文件夹要和 Torvane.exe 放在同一个文件夹中。四个文件不全时，程序不会改动游戏文件夹。

被替换的原文件和整理出来的多余文件都不会被删除，而是移到游戏文件夹中的 vTemp 文件夹里，
需要时可以从那里找回。

批处理和脚本可以使用命令行版 torvane-cli.exe，用法见 torvane-cli --help。
EOF
} >"$readme"

# Python's zipfile marks the Chinese file name as UTF-8 (flag bit 11), which Explorer, 7-Zip
# and unzip all honour; Info-ZIP's zip 3.0 stores the bytes unmarked, and they then read as
# the OEM code page.
(cd "$stage" && python3 -m zipfile -c "../$name.zip" Torvane.exe torvane-cli.exe patch)
rm -rf "$stage"
echo "dist: dist/$name.zip"
python3 -m zipfile -l "dist/$name.zip"
bash scripts/check-dist.sh "dist/$name.zip"
