#include "forms/text_box.h"

#include <shlwapi.h>

#include <algorithm>

#include "forms/system_function.h"
#include "runtime/win_runtime.h"

namespace torvane::forms {
namespace {

using win::W;

constexpr UINT kCopyGlobalData = 0x0049;  // WM_COPYGLOBALDATA: carries a drop's file list

// Lets the messages of a shell drop through to a window of higher integrity than the
// file manager's (Windows 7 and later; older systems have no such filter).
void AllowShellDropMessages(HWND window) {
  using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto filter = SystemFunction<FilterFn>(L"user32.dll", "ChangeWindowMessageFilterEx");
  if (!filter) return;
  for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData}) {
    filter(window, message, MSGFLT_ALLOW, nullptr);
  }
}

std::pair<DWORD, DWORD> Selection(HWND window) {
  DWORD start = 0, end = 0;
  ::SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

}  // namespace

TextBox::TextBox(Container& container) : Control(container), font_(Font::Create({})) {}

TextBox::~TextBox() {
  drop_.Revoke();
  toolTip_.Destroy();
}

bool TextBox::Create(const TwipsRect& rect) {
  WindowParams params;
  params.className = L"EDIT";
  params.style = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
  if (!CreateChild(params, rect)) return false;
  ::SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);  // as long as the system allows
  SkipOnFailure(SetFont(font_));
  return true;
}

std::u16string TextBox::Text() const { return WindowText(hwnd()); }

void TextBox::SetText(const std::u16string& text) {
  if (hwnd()) ::SetWindowTextW(hwnd(), W(text));
}

std::int32_t TextBox::SelStart() const {
  return hwnd() ? static_cast<std::int32_t>(Selection(hwnd()).first) : 0;
}

Status TextBox::SetSelStart(std::int32_t start) {
  if (start < 0) return InvalidValue();
  if (hwnd()) ::SendMessageW(hwnd(), EM_SETSEL, static_cast<WPARAM>(start), start);
  return {};
}

std::int32_t TextBox::SelLength() const {
  if (!hwnd()) return 0;
  const auto [start, end] = Selection(hwnd());
  return static_cast<std::int32_t>(end - start);
}

Status TextBox::SetSelLength(std::int32_t length) {
  if (length < 0) return InvalidValue();
  if (!hwnd()) return {};
  const DWORD start = Selection(hwnd()).first;
  const DWORD textLength = static_cast<DWORD>(::GetWindowTextLengthW(hwnd()));
  const DWORD end = std::min<DWORD>(textLength, start + static_cast<DWORD>(length));
  ::SendMessageW(hwnd(), EM_SETSEL, start, end);
  return {};
}

std::u16string TextBox::SelText() const {
  if (!hwnd()) return {};
  const auto [start, end] = Selection(hwnd());
  const std::u16string text = Text();
  if (start >= text.size()) return {};
  return text.substr(start, end - start);
}

void TextBox::SetSelText(const std::u16string& text) {
  if (hwnd()) ::SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(W(text)));
}

bool TextBox::Locked() const {
  return hwnd() && (::GetWindowLongPtrW(hwnd(), GWL_STYLE) & ES_READONLY) != 0;
}

void TextBox::SetLocked(bool locked) {
  if (hwnd()) ::SendMessageW(hwnd(), EM_SETREADONLY, locked, 0);
}

void TextBox::SetBackColor(std::uint32_t color) {
  back_.set(color);
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void TextBox::SetForeColor(std::uint32_t color) {
  fore_ = color;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

Status TextBox::SetFont(std::shared_ptr<Font> font) {
  if (!font) return InvalidValue();
  fontWatch_.reset();
  font_ = std::move(font);
  fontWatch_ = font_->OnChange([this] { RebuildFont(); });
  RebuildFont();
  return {};
}

void TextBox::RebuildFont() {
  if (!hwnd()) return;
  win::UniqueFont next = CreateGdiFont(font_->desc(), container().Dpi());
  ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
  gdiFont_ = std::move(next);  // the old font goes only once the box has let go of it
}

void TextBox::Refresh() {
  if (!hwnd()) return;
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  ::UpdateWindow(hwnd());
}

void TextBox::SetToolTipText(const std::u16string& text) { toolTip_.Set(hwnd(), text); }

Status TextBox::SetOleDropMode(OleDropMode mode) {
  dropMode_ = mode;
  drop_.Revoke();
  // The shell's drops are taken from the first paint on: asking for them loads the shell,
  // which the first picture does not need.
  if (hostPainted_) AcceptShellDrops(mode == OleDropMode::kManual);
  if (mode != OleDropMode::kManual || !hwnd()) return {};
  return RegisterDrop();
}

// A registration refused because the program initialises OLE only after its first paint
// is made again then; the shell's drops and path completion start.
void TextBox::OnHostPainted() {
  const bool first = !hostPainted_;
  hostPainted_ = true;
  if (first && dropMode_ == OleDropMode::kManual) AcceptShellDrops(true);
  if (dropMode_ == OleDropMode::kManual && hwnd() && !drop_.target()) SkipOnFailure(RegisterDrop());
  if (first && pathCompletion_) SkipOnFailure(StartPathCompletion());
}

Status TextBox::RegisterDrop() {
  return drop_.Register(hwnd(), [this](IDataObject* data, DWORD& effect) {
    if (onOleDragDrop) {
      onOleDragDrop(data, effect);
    } else {
      effect = DROPEFFECT_NONE;
    }
  });
}

void TextBox::AcceptShellDrops(bool accept) {
  if (!hwnd()) return;
  ::DragAcceptFiles(hwnd(), accept);
  if (accept) AllowShellDropMessages(hwnd());
}

void TextBox::DropFiles(HDROP files) {
  if (onDropFiles && dropMode_ == OleDropMode::kManual) onDropFiles(files);
  ::DragFinish(files);
}

Status TextBox::EnablePathCompletion() {
  pathCompletion_ = true;
  return hostPainted_ ? StartPathCompletion() : Status();
}

Status TextBox::StartPathCompletion() {
  if (!hwnd()) return {};
  const HRESULT hr = ::SHAutoComplete(
      hwnd(), SHACF_FILESYS_ONLY | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_OFF);
  if (FAILED(hr)) return ErrorFromCode(static_cast<DWORD>(hr));
  return {};
}

void TextBox::ApplyDpi() {
  Place();
  RebuildFont();
}

std::optional<LRESULT> TextBox::OnParentNotify(UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE && onChange) onChange();
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // a read-only box asks as a static
      return ColorChild(reinterpret_cast<HDC>(wParam), fore_, back_);
    default:
      return std::nullopt;
  }
}

LRESULT TextBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    DropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (msg == WM_DESTROY) {
    // OLE's hold on the window and the tooltip must go while the window still exists.
    drop_.Revoke();
    toolTip_.Destroy();
  }
  return Control::HandleMessage(msg, wParam, lParam);
}

}  // namespace torvane::forms
