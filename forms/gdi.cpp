#include "forms/gdi.h"

#include <algorithm>

#include "forms/twips.h"

namespace torvane::forms {
namespace {

// With the top bit set, a colour value names a system colour by the index in its low byte.
constexpr std::uint32_t kSystemColorFlag = 0x80000000u;

}  // namespace

COLORREF ColorRefOf(std::uint32_t color) {
  if (color & kSystemColorFlag) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

LRESULT ColorChild(HDC dc, std::uint32_t foreColor, ColorBrush& back) {
  ::SetTextColor(dc, ColorRefOf(foreColor));
  ::SetBkColor(dc, ColorRefOf(back.color()));
  return reinterpret_cast<LRESULT>(back.get());
}

HBRUSH ColorBrush::get() {
  const COLORREF now = ColorRefOf(color_);
  if (!brush_ || now != built_) {
    brush_.reset(::CreateSolidBrush(now));
    built_ = now;
  }
  return brush_.get();
}

win::UniqueFont CreateGdiFont(const FontDesc& desc, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeightForDpi(desc.size, dpi);
  lf.lfWeight = desc.weight;
  lf.lfItalic = desc.italic;
  lf.lfUnderline = desc.underline;
  lf.lfStrikeOut = desc.strikethrough;
  lf.lfCharSet = static_cast<BYTE>(desc.charset);
  lf.lfQuality = DEFAULT_QUALITY;
  const size_t n = std::min(desc.name.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(desc.name.data(), n, reinterpret_cast<char16_t*>(lf.lfFaceName));
  return win::UniqueFont(::CreateFontIndirectW(&lf));
}

void FillClient(HWND window, HDC dc, HBRUSH brush) {
  RECT r{};
  ::GetClientRect(window, &r);
  ::FillRect(dc, &r, brush);
}

}  // namespace torvane::forms
