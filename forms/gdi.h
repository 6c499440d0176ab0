// Colours and fonts of the forms layer as GDI objects.
#pragma once

#include <windows.h>

#include <cstdint>

#include "forms/font.h"
#include "runtime/win_handles.h"

namespace torvane::forms {

// System colours as colour values.
inline constexpr std::uint32_t kWindowBackground = 0x80000005;  // 5, COLOR_WINDOW
inline constexpr std::uint32_t kWindowText = 0x80000008;        // 8, COLOR_WINDOWTEXT
inline constexpr std::uint32_t kButtonFace = 0x8000000F;        // 15, COLOR_BTNFACE
inline constexpr std::uint32_t kButtonText = 0x80000012;        // 18, COLOR_BTNTEXT

// A colour value as GDI draws it: system colours resolved now.
COLORREF ColorRefOf(std::uint32_t color);

// A solid brush for a colour value, rebuilt when the colour it resolves to has changed
// (a new value, or the user's system colours).
class ColorBrush {
 public:
  explicit ColorBrush(std::uint32_t color) : color_(color) {}
  std::uint32_t color() const { return color_; }
  void set(std::uint32_t color) { color_ = color; }
  HBRUSH get();

 private:
  std::uint32_t color_;
  COLORREF built_ = CLR_INVALID;
  win::UniqueBrush brush_;
};

// Answers a child's WM_CTLCOLOR* question: its text in `foreColor` on `back`.
LRESULT ColorChild(HDC dc, std::uint32_t foreColor, ColorBrush& back);

// Fills the whole client area of a window, as its background is erased.
void FillClient(HWND window, HDC dc, HBRUSH brush);

win::UniqueFont CreateGdiFont(const FontDesc& desc, int dpi);

}  // namespace torvane::forms
