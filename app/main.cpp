// The program: OLE and the common controls for the UI thread, then FrmMain and its
// message loop until the window is closed.
// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include "app/frm_main.h"
#include "forms/dpi.h"

namespace {

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
  torvane::forms::EnablePerMonitorDpiAwareness();
  OleScope ole;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  torvane::FrmMain window;
  if (!window.Create()) return 1;
  // "Torvane.exe <path>": an elevated restart, or a shortcut, hands the path over.
  if (const auto path = torvane::PathFromCommandLine(::GetCommandLineW())) {
    window.War3Browser.SetText(*path);
  }
  window.SetQuitOnDestroy(true);
  window.Show(showCommand);
  return RunMessageLoop(window.hwnd());
}
