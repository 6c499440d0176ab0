// The yardsticks of the start-up benchmark. Bare: the smallest static Win32 program with a
// window. It registers a class, creates, shows and paints one window and runs a message
// loop, and nothing else. Built with the same compiler and flags as Torvane.exe.
//
// Built with TORVANE_STYLED, it is the least Torvane's first picture needs on top: the
// program's resources (visual styles by its manifest, its icon), the common controls, and
// a label, a field and two buttons. Torvane is measured against this styled window, so that
// what Torvane itself adds shows apart from what any such window costs; the styled window
// is measured against the bare one.
// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <commctrl.h>
// clang-format on

#ifdef TORVANE_STYLED
#include "resources/resource_ids.h"
#endif

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, msg, wParam, lParam);
}

#ifdef TORVANE_STYLED
void AddControls(HWND window, HINSTANCE instance) {
  struct Child {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    RECT at;
  };
  const Child children[] = {
      {L"STATIC", L"label", 0, {22, 20, 94, 32}},
      {L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, {96, 16, 370, 36}},
      {L"BUTTON", L"...", BS_PUSHBUTTON, {372, 16, 392, 36}},
      {L"BUTTON", L"button", BS_PUSHBUTTON, {20, 46, 389, 71}},
  };
  for (const Child& c : children) {
    ::CreateWindowExW(0, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.at.left, c.at.top,
                      c.at.right - c.at.left, c.at.bottom - c.at.top, window, nullptr, instance,
                      nullptr);
  }
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
#ifdef TORVANE_STYLED
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = BareProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BareWindow";
#ifdef TORVANE_STYLED
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_TORVANE));
#endif
  if (!::RegisterClassExW(&wc)) return 1;
  const HWND window =
      ::CreateWindowExW(0, wc.lpszClassName, L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 420, 130, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
#ifdef TORVANE_STYLED
  AddControls(window, instance);
#endif
  ::ShowWindow(window, showCommand);
  ::UpdateWindow(window);
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
