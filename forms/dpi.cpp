#include "forms/dpi.h"

#include "forms/system_function.h"
#include "runtime/win_handles.h"

namespace torvane::forms {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using MetricForDpiFn = int(WINAPI*)(int, UINT);

template <class F>
F User32Function(const char* name) {
  return SystemFunction<F>(L"user32.dll", name);
}

int SystemDpi() {
  win::WindowDc screen(nullptr);
  return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

int DpiOf(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void EnablePerMonitorDpiAwareness() {
  if (const auto setContext =
          User32Function<SetAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
    if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) return;
    if (::GetLastError() == ERROR_ACCESS_DENIED) return;  // the manifest has set it already
  }
  ::SetProcessDPIAware();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto metricForDpi = User32Function<MetricForDpiFn>("GetSystemMetricsForDpi");
  if (metricForDpi) return metricForDpi(index, static_cast<UINT>(dpi));
  return ::MulDiv(::GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidth, clientHeight};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace torvane::forms
