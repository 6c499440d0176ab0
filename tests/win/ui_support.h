// What the window tests share: the DPI the run expects, message pumping, rectangles of
// real windows, message boxes answered from a thread timer, keystrokes as a user types
// them, and pixels read back from the screen.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "forms/twips.h"
#include "forms/window.h"
#include "tests/win/temp_files.h"

namespace torvane::forms {
// Rectangles in failure messages.
inline void PrintTo(const PixelRect& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}
}  // namespace torvane::forms

namespace torvane::testing {

// TORVANE_DPI of the environment (the prefix the run was started in), 96 without it.
int ExpectedDpi();

// Handles the messages waiting in this thread's queue; `dialog` gets its keyboard
// navigation as in the program's own loop.
void Pump(HWND dialog = nullptr);
// Pumps until `done` or the time is up; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, HWND dialog = nullptr,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// A window's rectangle in the client coordinates of `ancestor`.
forms::PixelRect RectIn(HWND window, HWND ancestor);
// The first child (at any depth) of the class.
HWND FindDescendant(HWND parent, const wchar_t* className);
using forms::WindowText;

// A message box as it was shown.
struct SeenBox {
  std::u16string title;
  std::u16string text;
  HICON icon = nullptr;
  HWND owner = nullptr;
};

// While it lives, every message box of this thread is read and answered with `button`.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int button = IDOK);
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  ~BoxAnswerer();
  const std::vector<SeenBox>& boxes() const { return boxes_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  UINT_PTR timer_ = 0;
  int button_;
  std::vector<SeenBox> boxes_;
};

// Keystrokes through the system's input queue, to whatever has the focus.
void TypeText(const std::u16string& text);
void PressKey(WORD virtualKey, bool shift = false);

// The window's client area as it is on the screen now.
class Capture {
 public:
  explicit Capture(HWND window);
  COLORREF At(int x, int y) const;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;  // BGRA rows, top down
};

// A folder under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const std::u16string& name);
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::u16string& path() const { return path_; }  // with a trailing backslash
  // A one-byte file `name` in the sub-folder `folder`, made with its folder; its path.
  std::u16string MakeFile(const std::u16string& folder, const std::u16string& name) const;

 private:
  std::u16string path_;
};

void WriteFile(const std::u16string& path, const std::string& content);
// The content, or nullopt-like "<missing>" when the file is not there.
std::string ReadFile(const std::u16string& path);
bool FileExists(const std::u16string& path);
void MakeFolder(const std::u16string& path);

}  // namespace torvane::testing
