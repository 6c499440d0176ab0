#include "forms/window.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

namespace torvane::forms {
namespace {

constexpr UINT_PTR kSubclassId = 1;

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

bool EnsureClass(const wchar_t* name, UINT style, HCURSOR cursor, HICON icon, HICON smallIcon,
                 WNDPROC proc) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = Module();
  wc.hCursor = cursor;
  wc.hIcon = icon;
  wc.hIconSm = smallIcon;
  wc.lpszClassName = name;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  registered.insert(name);
  return true;
}

}  // namespace

std::u16string WindowText(HWND window) {
  if (!window) return {};
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
  return win::U(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

Window::~Window() {
  if (!hwnd_) return;
  // The window goes without this object: its last messages take the class's default path.
  if (const HWND window = Detach()) ::DestroyWindow(window);
}

bool Window::CreateOwn(const WindowParams& params, UINT classStyle, HCURSOR classCursor,
                       HICON classIcon, HICON classSmallIcon) {
  if (!EnsureClass(params.className, classStyle, classCursor, classIcon, classSmallIcon,
                   &Window::ClassProc)) {
    return false;
  }
  ::CreateWindowExW(params.exStyle, params.className, params.text, params.style, params.x, params.y,
                    params.width, params.height, params.parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)), Module(), this);
  return static_cast<bool>(hwnd_);
}

bool Window::CreateSystem(const WindowParams& params) {
  const HWND window = ::CreateWindowExW(
      params.exStyle, params.className, params.text, params.style, params.x, params.y, params.width,
      params.height, params.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)),
      Module(), nullptr);
  if (!window) return false;
  hwnd_ = win::UniqueWindow(window);
  subclassed_ = ::SetWindowSubclass(window, &Window::SubclassProc, kSubclassId,
                                    reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  return subclassed_;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (subclassed_) return ::DefSubclassProc(hwnd(), msg, wParam, lParam);
  return ::DefWindowProcW(hwnd(), msg, wParam, lParam);
}

LRESULT CALLBACK Window::ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = win::UniqueWindow(hwnd);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  return Dispatch(self, msg, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  if (!self) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
  return Dispatch(reinterpret_cast<Window*>(self), msg, wParam, lParam);
}

LRESULT Window::Dispatch(Window* self, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's code; the message gets its default treatment.
    result = self->DefaultProc(msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) self->Detach();
  return result;
}

HWND Window::Detach() {
  const HWND window = hwnd_.release();
  if (!window) return nullptr;
  if (subclassed_) {
    ::RemoveWindowSubclass(window, &Window::SubclassProc, kSubclassId);
    subclassed_ = false;
  } else {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  }
  return window;
}

}  // namespace torvane::forms
