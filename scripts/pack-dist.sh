#!/usr/bin/env bash
# Packs the release zip from a win64 build:
#   scripts/pack-dist.sh WIN64_BUILD_DIR OUT_DIR
# writes OUT_DIR/Torvane-<version>-win64.zip holding the guide 使用说明.txt (first, where a
# user opening the zip looks), Torvane.exe, the command line torvane-cli.exe and the patch/
# folder with a readme saying which four files go there; and beside it
# Torvane-<version>-win64.zip.sha256 in sha256sum's format. Prints the zip's path.
# The zip's bytes depend on the commit alone: every entry carries the commit's time (or
# SOURCE_DATE_EPOCH where that is set), in a fixed order with fixed permissions.
set -euo pipefail

win64=$(realpath "${1:?usage: pack-dist.sh WIN64_BUILD_DIR OUT_DIR}")
out=$(realpath -m "${2:?usage: pack-dist.sh WIN64_BUILD_DIR OUT_DIR}")
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fail() {
  echo "pack-dist: $*" >&2
  exit 1
}

command -v python3 >/dev/null || fail "python3 is needed to write the zip"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win64/CMakeCache.txt" 2>/dev/null)
[ -n "$version" ] || fail "no project version in $win64/CMakeCache.txt; configure it first"
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || fail "no commit time: run in a git checkout or set SOURCE_DATE_EPOCH"

# Notepad on Windows 7 needs the BOM to read UTF-8, and CRLF to break lines.
notepad_text() {
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/'
}

name=Torvane-$version-win64
mkdir -p "$out"
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
rm -f "$out/$name.zip" "$out/$name.zip.sha256"
mkdir "$stage/patch"
cp "$win64/window/Torvane.exe" "$win64/cli/torvane-cli.exe" "$stage/"
sed "s/@VERSION@/$version/" resources/guide.txt | notepad_text >"$stage/使用说明.txt"
notepad_text >"$stage/patch/说明.txt" <<EOF
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

python3 scripts/write-zip.py "$epoch" "$out/$name.zip" "$stage" \
  使用说明.txt Torvane.exe torvane-cli.exe patch/ patch/说明.txt
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "$out/$name.zip"
