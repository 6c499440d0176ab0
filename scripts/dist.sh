#!/usr/bin/env bash
# Packs the release zip from builds that `make dist` has just made:
#   scripts/dist.sh WIN64_BUILD_DIR WIN32_BUILD_DIR
# writes dist/Torvane-<version>-win64.zip holding Torvane.exe, the command line torvane-cli.exe
# and the patch/ folder (with a readme saying which four files go there). The i686 build is not shipped; it only has to link.
# Refuses an executable that needs any DLL that Windows does not bring itself.
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

# The DLLs every supported Windows has in its system folder. Anything else (libstdc++,
# libgcc_s, libwinpthread, ...) would be missing on the user's machine.
system_dlls=(kernel32 user32 gdi32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 advapi32
  msvcrt version uxtheme imm32 ntdll)

# Functions that Windows 7 SP1 lacks, which mingw's runtime or a newer SDK header can
# pull in unnoticed; the program looks any of them up at run time instead.
newer_than_win7=(GetSystemTimePreciseAsFileTime CreateFile2 WaitOnAddress WakeByAddressSingle
  WakeByAddressAll GetCurrentThreadStackLimits SetThreadDescription GetThreadDescription
  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory GetDpiForWindow GetDpiForSystem
  SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext AdjustWindowRectExForDpi
  GetSystemMetricsForDpi EnableNonClientDpiScaling GetDpiForMonitor SetProcessDpiAwareness
  PathCchCombine PathCchAppend CompareObjectHandles)

is_system_dll() {
  local name=${1%.dll} known
  for known in "${system_dlls[@]}"; do [ "$name" = "$known" ] && return 0; done
  return 1
}

# Checks that $1 is a PE file of the format $2 that carries the program's resources and
# imports nothing but system DLLs.
check_exe() {
  local exe=$1 format=$2 objdump=$3 headers type dlls dll bad=()
  [ -f "$exe" ] || fail "$exe is missing; build it first"
  [[ $("$objdump" -f "$exe") == *"file format $format"* ]] || fail "$exe is not $format"
  headers=$("$objdump" -p "$exe")
  # Top-level entries of the resource directory: 0x0e icon groups, 0x18 the manifest.
  for type in 00000e 000018; do
    grep -Eq "^[0-9a-f]+   Entry: ID: 0x$type," <<<"$headers" ||
      fail "$exe lacks its resources (type 0x$type): link torvane_resources"
  done
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]')
  [ -n "$dlls" ] || fail "$exe: objdump found no imports"
  for dll in $dlls; do is_system_dll "$dll" || bad+=("$dll"); done
  [ ${#bad[@]} -eq 0 ] || fail "$exe imports DLLs that Windows does not ship: ${bad[*]}"
  echo "dist: $exe imports only system DLLs: ${dlls//$'\n'/ }"
  local fn
  for fn in "${newer_than_win7[@]}"; do
    ! grep -Eq "^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+$fn\$" <<<"$headers" ||
      fail "$exe imports $fn, which Windows 7 does not have: look it up at run time"
  done
  local size
  size=$(stat -c %s "$exe")
  echo "dist: $exe is $size bytes ($((size / 1024)) KiB)"
  [ "$size" -lt $((1024 * 1024)) ] || fail "$exe is 1 MiB or more: see Torvane.map beside it"
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win64/CMakeCache.txt" 2>/dev/null)
[ -n "$version" ] || fail "no project version in $win64/CMakeCache.txt; configure it first"

for exe in window/Torvane.exe cli/torvane-cli.exe; do
  check_exe "$win64/$exe" pei-x86-64 x86_64-w64-mingw32-objdump
  check_exe "$win32/$exe" pei-i386 i686-w64-mingw32-objdump
done
# The command line must be a console program, so that cmd.exe and batch files wait for it.
subsystem=$(x86_64-w64-mingw32-objdump -p "$win64/cli/torvane-cli.exe" | sed -n 's/^Subsystem[[:space:]]*//p')
[[ $subsystem == *"(Windows CUI)"* ]] || fail "torvane-cli.exe is not a console program"

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
