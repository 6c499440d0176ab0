#include "forms/label.h"

namespace torvane::forms {

bool Label::Create(const TwipsRect& rect, const std::u16string& caption) {
  WindowParams params;
  params.className = L"STATIC";
  params.text = win::W(caption);
  params.style = WS_VISIBLE | SS_LEFT;
  return CreateChild(params, rect);
}

std::u16string Label::Caption() const { return WindowText(hwnd()); }

std::optional<LRESULT> Label::OnParentNotify(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_CTLCOLORSTATIC) return std::nullopt;
  const HDC dc = reinterpret_cast<HDC>(wParam);
  ::SetTextColor(dc, ColorRefOf(fore_));
  ::SetBkColor(dc, ColorRefOf(back_.color()));
  return reinterpret_cast<LRESULT>(back_.get());
}

}  // namespace torvane::forms
