#include "forms/command_button.h"

namespace torvane::forms {

bool CommandButton::Create(const TwipsRect& rect, const std::u16string& caption, int id) {
  WindowParams params;
  params.className = L"BUTTON";
  params.text = win::W(caption);
  params.style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  params.id = id;
  return CreateChild(params, rect);
}

std::u16string CommandButton::Caption() const { return WindowText(hwnd()); }

std::optional<LRESULT> CommandButton::OnParentNotify(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND) return std::nullopt;
  if (HIWORD(wParam) == BN_CLICKED && onClick) onClick();
  return 0;
}

}  // namespace torvane::forms
