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
  return ColorChild(reinterpret_cast<HDC>(wParam), fore_, back_);
}

}  // namespace torvane::forms
