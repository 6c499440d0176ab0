#include "tests/win/ui_support.h"

#include <fstream>
#include <iterator>

#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane::testing {
namespace {

using win::U;
using win::W;

constexpr int kMessageTextId = 0xFFFF;
// The box's icon static: 0x14 on Windows, 0x440 in Wine's template.
constexpr int kMessageIconIds[] = {0x14, 0x440};

BoxAnswerer* activeAnswerer = nullptr;

BOOL CALLBACK KeepVisibleDialog(HWND window, LPARAM out) {
  wchar_t cls[16] = {};
  ::GetClassNameW(window, cls, 16);
  if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

HWND VisibleDialogOfThisThread() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &KeepVisibleDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

int ExpectedDpi() {
  wchar_t value[16] = {};
  if (::GetEnvironmentVariableW(L"TORVANE_DPI", value, 16) == 0) return 96;
  return _wtoi(value);
}

void Pump(HWND dialog) {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog && ::IsDialogMessageW(dialog, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, HWND dialog, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump(dialog);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

forms::PixelRect RectIn(HWND window, HWND ancestor) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(HWND_DESKTOP, ancestor, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    ::GetClassNameW(child, cls, 64);
    if (_wcsicmp(cls, className) == 0) return child;
    if (const HWND deeper = FindDescendant(child, className)) return deeper;
  }
  return nullptr;
}

BoxAnswerer::BoxAnswerer(int button) : button_(button) {
  activeAnswerer = this;
  timer_ = ::SetTimer(nullptr, 0, 50, &BoxAnswerer::OnTimer);
}

BoxAnswerer::~BoxAnswerer() {
  ::KillTimer(nullptr, timer_);
  activeAnswerer = nullptr;
}

void CALLBACK BoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  BoxAnswerer* self = activeAnswerer;
  const HWND box = VisibleDialogOfThisThread();
  if (!self || !box) return;
  SeenBox seen;
  seen.title = WindowText(box);
  seen.text = WindowText(::GetDlgItem(box, kMessageTextId));
  for (int id : kMessageIconIds) {
    if (const HWND icon = ::GetDlgItem(box, id)) {
      seen.icon = reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0));
      break;
    }
  }
  seen.owner = ::GetWindow(box, GW_OWNER);
  self->boxes_.push_back(seen);
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, self->button_)));
}

void TypeText(const std::u16string& text) {
  std::vector<INPUT> inputs;
  for (char16_t c : text) {
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(in);
    }
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD virtualKey, bool shift) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    inputs.push_back(in);
  };
  if (shift) key(VK_SHIFT, 0);
  key(virtualKey, 0);
  key(virtualKey, KEYEVENTF_KEYUP);
  if (shift) key(VK_SHIFT, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

Capture::Capture(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT client{};
  ::GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::WindowDc source(window);
  win::UniqueDc memory(::CreateCompatibleDC(source.get()));
  win::UniqueBitmap dib(::CreateDIBSection(source.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    win::SelectedObject select(memory.get(), dib.get());
    ::BitBlt(memory.get(), 0, 0, width_, height_, source.get(), 0, 0, SRCCOPY);
    ::GdiFlush();
  }
  const auto* p = static_cast<const std::uint32_t*>(bits);
  pixels_.assign(p, p + static_cast<size_t>(width_) * static_cast<size_t>(height_));
}

COLORREF Capture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint32_t bgra =
      pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

TempFolder::TempFolder(const std::u16string& name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = U(temp) + name + u"-" + Decimal(::GetCurrentProcessId()) + u"\\";
  RemoveTree(path_);
  MakeFolder(path_);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::u16string TempFolder::MakeFile(const std::u16string& folder,
                                    const std::u16string& name) const {
  MakeFolder(path_ + folder);
  const std::u16string path = path_ + folder + u"\\" + name;
  WriteFile(path, "x");
  return path;
}

void WriteFile(const std::u16string& path, const std::string& content) {
  win::UniqueFile file(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  }
}

std::string ReadFile(const std::u16string& path) {
  win::UniqueFile file(
      ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string content(static_cast<size_t>(::GetFileSize(file.get(), nullptr)), '\0');
  DWORD got = 0;
  ::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
  content.resize(got);
  return content;
}

bool FileExists(const std::u16string& path) {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolder(const std::u16string& path) { ::CreateDirectoryW(W(path), nullptr); }

}  // namespace torvane::testing
