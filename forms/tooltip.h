// The tooltip of one window: a tooltip control of its own, made when a text is first
// given and destroyed with this object. An empty text removes the tip.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/win_handles.h"

namespace torvane::forms {

class ToolTip {
 public:
  void Set(HWND tool, const std::u16string& text);
  const std::u16string& text() const { return text_; }
  void Destroy();

 private:
  win::UniqueWindow tip_;
  HWND tool_ = nullptr;
  std::u16string text_;
};

}  // namespace torvane::forms
