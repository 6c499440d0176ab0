// The one way a window of the forms layer gets its messages: a window procedure thunk
// that finds the C++ object (set at WM_NCCREATE for our own classes, given as the
// subclass reference for the system's EDIT, STATIC and BUTTON) and calls its
// HandleMessage. No exception leaves the thunk. The object owns its window; a window
// that the system destroys first (its parent went) lets go of its handle at WM_NCDESTROY.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/win_handles.h"

namespace torvane::forms {

// The whole text of a window (caption, or the contents of an edit).
std::u16string WindowText(HWND window);

struct WindowParams {
  const wchar_t* className = nullptr;
  const wchar_t* text = L"";
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  int id = 0;  // child windows: the control id
};

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_.get(); }

 protected:
  Window() = default;

  // A window of a class of ours, registered on first use; messages arrive from
  // WM_NCCREATE on.
  bool CreateOwn(const WindowParams& params, UINT classStyle, HCURSOR classCursor,
                 HICON classIcon = nullptr, HICON classSmallIcon = nullptr);
  // A window of a system class, subclassed as soon as it exists.
  bool CreateSystem(const WindowParams& params);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // What the window's class does with the message.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  static LRESULT Dispatch(Window* self, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  // Stops routing messages to this object and lets go of the handle.
  HWND Detach();

  win::UniqueWindow hwnd_;
  bool subclassed_ = false;
};

}  // namespace torvane::forms
