// Progress on the window's taskbar button, where the shell offers it (ITaskbarList3,
// Windows 7 on); without it every call does nothing. Used on the window's thread only.
#pragma once

// clang-format off
#include <windows.h>  // first: shobjidl.h needs its types
#include <shobjidl.h>
// clang-format on

#include <cstddef>
#include <string>

#include "runtime/win_handles.h"

namespace torvane {

class TaskbarProgress {
 public:
  // Busy without a measure.
  void ShowBusy(HWND window);
  void Show(HWND window, std::size_t done, std::size_t total);
  // Paused (yellow) while another program holds a file; `text` says which, on the button's
  // thumbnail.
  void ShowWaiting(HWND window, const std::u16string& text);
  void Clear(HWND window);

 private:
  ITaskbarList3* List();
  // The thumbnail shows the window's title again after a wait.
  void EndWait(HWND window);

  win::ComPtr<ITaskbarList3> list_;
  bool tried_ = false;
  bool waiting_ = false;
};

}  // namespace torvane
