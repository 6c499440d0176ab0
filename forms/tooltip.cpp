#include "forms/tooltip.h"

#include <commctrl.h>

namespace torvane::forms {
namespace {

TTTOOLINFOW ToolInfo(HWND tool, const std::u16string* text) {
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = ::GetParent(tool);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text ? const_cast<wchar_t*>(win::W(*text)) : nullptr;
  return info;
}

}  // namespace

void ToolTip::Set(HWND tool, const std::u16string& text) {
  if (tip_ && tool_) {
    TTTOOLINFOW info = ToolInfo(tool_, nullptr);
    ::SendMessageW(tip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  text_ = text;
  tool_ = tool;
  if (text.empty() || !tool) return;
  if (!tip_) {
    tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr));
    if (!tip_) return;
  }
  TTTOOLINFOW info = ToolInfo(tool, &text_);
  ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void ToolTip::Destroy() {
  // An owned popup goes with its owner, which may have been destroyed first.
  if (tip_ && !::IsWindow(tip_.get())) tip_.release();
  tip_.reset();
  tool_ = nullptr;
}

}  // namespace torvane::forms
