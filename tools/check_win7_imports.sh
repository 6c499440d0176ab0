#!/usr/bin/env bash
# Fails when a Windows program imports statically what Windows 7 SP1 lacks: the loader
# would refuse to start it there. Newer functions must be looked up at run time instead.
#
#   tools/check_win7_imports.sh OBJDUMP PROGRAM.exe
#
# Two rules: every imported DLL is one that Windows 7 ships (no api-ms-win-* sets, no
# Universal CRT, no shcore.dll), and no imported name is one of the functions below, which
# those DLLs gained after Windows 7 SP1 (the DLL-directory functions came with
# KB2533623, which an SP1 system may lack). The list holds what this program or its
# runtime could plausibly reach for; it is not every export Windows 8 added.
set -euo pipefail

objdump="$1"
program="$2"

win7_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|shlwapi|advapi32|msvcrt|uxtheme|dwmapi|version|psapi|rstrtmgr|ws2_32|winmm|imm32)\.dll$'

newer_functions=(
  # kernel32
  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory
  GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 GetCurrentThreadStackLimits
  SetThreadDescription GetThreadDescription WaitOnAddress WakeByAddressSingle
  WakeByAddressAll PrefetchVirtualMemory GetOverlappedResultEx CompareObjectHandles
  GetProcessMitigationPolicy SetProcessMitigationPolicy GetCurrentPackageFullName
  GetFirmwareType VirtualAlloc2 MapViewOfFile3 GetSystemCpuSetInformation
  SetThreadInformation GetThreadInformation GetFileInformationByName
  # user32
  GetDpiForWindow GetDpiForSystem GetSystemDpiForProcess SetProcessDpiAwarenessContext
  SetThreadDpiAwarenessContext GetThreadDpiAwarenessContext GetWindowDpiAwarenessContext
  GetAwarenessFromDpiAwarenessContext GetDpiFromDpiAwarenessContext
  AreDpiAwarenessContextsEqual IsValidDpiAwarenessContext AdjustWindowRectExForDpi
  GetSystemMetricsForDpi SystemParametersInfoForDpi EnableNonClientDpiScaling
  LogicalToPhysicalPointForPerMonitorDPI PhysicalToLogicalPointForPerMonitorDPI
  SetDialogDpiChangeBehavior SetThreadDpiHostingBehavior EnableMouseInPointer
  GetPointerType GetPointerInfo IsImmersiveProcess
)

imports=$("$objdump" -p "$program" | awk '
  /DLL Name:/ { dll = tolower($3); print "dll " dll; next }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print "fn " dll " " $3 }')

status=0
while read -r kind dll name; do
  if [ "$kind" = dll ] && ! [[ "$dll" =~ $win7_dlls ]]; then
    echo "$program: imports $dll, which Windows 7 SP1 does not have"
    status=1
  fi
  if [ "$kind" = fn ]; then
    for newer in "${newer_functions[@]}"; do
      if [ "$name" = "$newer" ]; then
        echo "$program: imports $dll!$name statically; look it up at run time"
        status=1
      fi
    done
  fi
done <<< "$imports"

[ $status = 0 ] && echo "$program: $(grep -c '^fn' <<< "$imports") imports, all present on Windows 7 SP1"
exit $status
