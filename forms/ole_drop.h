// OLE drops onto a window, handled by a function of the window's owner: the dropped
// data and the drop effect, in (what the source allows) and out (what the drop did).
// While a drag hovers, a file list shows an effect its source offers, other data none.
// Needs OleInitialize on the thread.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <functional>

#include "runtime/result.h"
#include "runtime/win_handles.h"

namespace torvane::forms {

using DropHandler = std::function<void(IDataObject* data, DWORD& effect)>;

// The window is a drop target while this lives; it must go before the window does.
class DropRegistration {
 public:
  DropRegistration() = default;
  DropRegistration(const DropRegistration&) = delete;
  DropRegistration& operator=(const DropRegistration&) = delete;
  ~DropRegistration();

  Status Register(HWND window, DropHandler handler);
  void Revoke();
  // The registered target itself, for a test that drops without a drag.
  IDropTarget* target() const;

 private:
  HWND window_ = nullptr;
  win::ComPtr<IDropTarget> target_;
};

}  // namespace torvane::forms
