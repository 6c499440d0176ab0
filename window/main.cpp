// The program: the common controls for the UI thread, then FrmMain and its message loop
// until the window is closed; OLE, and the installed game's path for an empty field, once
// the window has first been painted.
// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <optional>

#include "forms/dpi.h"
#include "forms/system_function.h"
#include "window/frm_main.h"

namespace {

// The program is often started from a Downloads folder, and sometimes as administrator:
// a DLL planted beside it (version.dll, uxtheme.dll, dwmapi.dll...) must never load in
// place of the system's. Every later load searches System32 only; Windows 7 without
// KB2533623 lacks that switch, and there the current folder at least leaves the search.
void RestrictDllSearchToSystem32() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = torvane::forms::SystemFunction<SetDefaultDllDirectoriesFn>(
      L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  ::SetDllDirectoryW(L"");
}

// OLE (drag-and-drop onto the path field) for the life of the UI thread.
class OleScope {
 public:
  OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;
  ~OleScope() {
    if (ok_) ::OleUninitialize();
  }

 private:
  bool ok_;
};

int RunMessageLoop(HWND window) {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab and Shift+Tab move between the window's controls.
    if (::IsWindow(window) && ::IsDialogMessageW(window, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  RestrictDllSearchToSystem32();  // first: before anything loads a DLL
  torvane::forms::EnablePerMonitorDpiAwareness();
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  // OLE only serves drops, which the first picture does not need; it outlives the window.
  std::optional<OleScope> ole;
  torvane::FrmMain window;
  window.afterFirstPaint = [&ole, &window] {
    ole.emplace();
    window.OfferRegisteredInstall();
  };
  if (!window.Create()) return 1;
  // "Torvane.exe <path>": an elevated restart, or a shortcut, hands the path over.
  if (const auto path = torvane::PathFromCommandLine(::GetCommandLineW())) {
    window.War3Browser.SetText(*path);
  }
  window.SetQuitOnDestroy(true);
  window.Show(showCommand);
  return RunMessageLoop(window.hwnd());
}
