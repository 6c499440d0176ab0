// Dots per inch of a window, and the per-monitor functions that only newer systems have
// (looked up at run time, so the program still starts on Windows 7).
#pragma once

#include <windows.h>

namespace torvane::forms {

// The DPI the window is shown at; the system DPI where the platform cannot say.
int DpiOf(HWND window);

// Per-monitor awareness when the manifest has not set it already; the best the system
// offers, silently nothing where it offers none.
void EnablePerMonitorDpiAwareness();

// GetSystemMetrics at `dpi` rather than at the system's DPI (icon sizes and the like).
int SystemMetricForDpi(int index, int dpi);

// The window size whose client area is `clientWidth` × `clientHeight` pixels at `dpi`.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace torvane::forms
