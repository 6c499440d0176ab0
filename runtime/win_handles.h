// Move-only owners for Win32 handles, one alias per handle kind, in the manner of WIL's
// unique_any: the handle is released exactly once, by the function that matches its kind.
#pragma once

#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include <string>
#include <utility>

namespace torvane::win {

template <class T, auto Close, T Invalid = T{}>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T handle) : handle_(handle) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  T release() { return std::exchange(handle_, Invalid); }
  void reset(T handle = Invalid) {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }
  // For out-parameters of creation functions; the old handle is released first.
  T* put() {
    reset();
    return &handle_;
  }

 private:
  T handle_ = Invalid;
};

namespace detail {
inline void CloseKernel(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void FreeLocal(HLOCAL h) { ::LocalFree(h); }
inline void FreeGlobal(HGLOBAL h) { ::GlobalFree(h); }
inline void DestroyWnd(HWND h) { ::DestroyWindow(h); }
inline void DeleteGdi(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyIco(HICON h) { ::DestroyIcon(h); }
inline void DestroyCur(HCURSOR h) { ::DestroyCursor(h); }
inline void DeleteDc(HDC h) { ::DeleteDC(h); }
inline void FreeCoTaskMem(void* p) { ::CoTaskMemFree(p); }
inline void ReleaseModule(HMODULE h) { ::FreeLibrary(h); }
inline void CloseKey(HKEY h) { ::RegCloseKey(h); }
}  // namespace detail

// CreateFileW, FindFirstFileW and CreateToolhelp32Snapshot report failure as
// INVALID_HANDLE_VALUE, not null.
class UniqueFile : public Unique<HANDLE, detail::CloseKernel> {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE h) : Unique(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};
class UniqueFind : public Unique<HANDLE, detail::CloseFind> {
 public:
  UniqueFind() = default;
  explicit UniqueFind(HANDLE h) : Unique(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};
// Kernel objects whose creation reports failure as null (OpenProcess, OpenProcessToken).
using UniqueHandle = Unique<HANDLE, detail::CloseKernel>;
using UniqueModule = Unique<HMODULE, detail::ReleaseModule>;
using UniqueKey = Unique<HKEY, detail::CloseKey>;
using UniqueLocal = Unique<HLOCAL, detail::FreeLocal>;
using UniqueGlobal = Unique<HGLOBAL, detail::FreeGlobal>;
using UniqueWindow = Unique<HWND, detail::DestroyWnd>;
using UniqueFont = Unique<HFONT, detail::DeleteGdi>;
using UniqueBrush = Unique<HBRUSH, detail::DeleteGdi>;
using UniquePen = Unique<HPEN, detail::DeleteGdi>;
using UniqueBitmap = Unique<HBITMAP, detail::DeleteGdi>;
using UniqueIcon = Unique<HICON, detail::DestroyIco>;
using UniqueCursor = Unique<HCURSOR, detail::DestroyCur>;
using UniqueDc = Unique<HDC, detail::DeleteDc>;
// Memory the shell and COM hand out, such as item id lists (PIDLs).
using UniqueCoTaskMem = Unique<void*, detail::FreeCoTaskMem>;

// A device context from GetDC, given back to its window with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc(WindowDc&& other) noexcept
      : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { ::EndPaint(window_, &ps_); }
  HDC get() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects a GDI object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// One counted reference to a COM object, released exactly once.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (from new, or an out-parameter).
  explicit ComPtr(T* adopted) : p_(adopted) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* release() { return std::exchange(p_, nullptr); }
  void reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  T** put() {
    reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// The storage medium that IDataObject::GetData fills, given back with ReleaseStgMedium
// (which also frees what it holds, such as a dropped file list's HGLOBAL).
class StgMedium {
 public:
  StgMedium() = default;
  StgMedium(const StgMedium&) = delete;
  StgMedium& operator=(const StgMedium&) = delete;
  ~StgMedium() { reset(); }

  const STGMEDIUM& get() const { return medium_; }
  void reset() {
    if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
    medium_ = {};
  }
  // For GetData's out-parameter; a medium held before is released first.
  STGMEDIUM* put() {
    reset();
    return &medium_;
  }

 private:
  STGMEDIUM medium_{};
};

// The function `name` that `module` exports, as type F; null where it is missing.
// void(*)() converts to any function pointer type without a cast-function-type warning.
template <class F>
F FunctionIn(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A library of the system folder, loaded by its full path: a DLL of the same name planted
// beside the program or in the game folder never runs in its place.
inline UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return UniqueModule(::LoadLibraryW((std::wstring(system, length) + L"\\" + fileName).c_str()));
}

// UTF-16 strings of the portable code as the wide strings of the Windows API.
inline const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string U(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline std::u16string U(const wchar_t* s, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

}  // namespace torvane::win
