#include "forms/gdi.h"

#include <algorithm>

#include "forms/twips.h"
#include "resources/texts.h"

namespace torvane::forms {

COLORREF ColorRefOf(std::uint32_t color) {
  if (IsSystemColor(color)) return ::GetSysColor(SystemColorIndex(color));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
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

FontDesc DefaultFontDesc() {
  FontDesc desc;
  desc.name = texts::kSimSunFace;
  desc.size = 9;
  desc.weight = FW_NORMAL;
  desc.charset = GB2312_CHARSET;
  return desc;
}

void FillClient(HWND window, HDC dc, HBRUSH brush) {
  RECT r{};
  ::GetClientRect(window, &r);
  ::FillRect(dc, &r, brush);
}

}  // namespace torvane::forms
