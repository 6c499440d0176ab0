// Progress on the window's taskbar button, where the shell offers it (ITaskbarList3,
// Windows 7 on); without it every call does nothing. Used on the window's thread only.
#pragma once

// clang-format off
#include <windows.h>  // first: shobjidl.h needs its types
#include <shobjidl.h>
// clang-format on

#include <cstddef>

#include "runtime/win_handles.h"

namespace torvane {

class TaskbarProgress {
 public:
  // Busy without a measure.
  void ShowBusy(HWND window);
  void Show(HWND window, std::size_t done, std::size_t total);
  void Clear(HWND window);

 private:
  ITaskbarList3* List();

  win::ComPtr<ITaskbarList3> list_;
  bool tried_ = false;
};

}  // namespace torvane
