#include "forms/control.h"

namespace torvane::forms {

namespace {
constexpr std::uint32_t kInvalidValueCode = 380;
}

Error InvalidValue() { return Error{ErrorKind::kOther, kInvalidValueCode, {}}; }

Control::~Control() {
  if (adopted_) container_.Forget(*this);
}

Status Control::Move(float left, float top, std::optional<float> width,
                     std::optional<float> height) {
  const float w = width.value_or(rect_.width);
  const float h = height.value_or(rect_.height);
  if (w < 0 || h < 0) return InvalidValue();
  SetRect({left, top, w, h});
  return {};
}

bool Control::Enabled() const { return hwnd() && ::IsWindowEnabled(hwnd()); }

void Control::SetEnabled(bool enabled) {
  if (hwnd()) ::EnableWindow(hwnd(), enabled);
}

void Control::SetFocus() {
  if (hwnd()) ::SetFocus(hwnd());
}

std::optional<LRESULT> Control::OnParentNotify(UINT, WPARAM, LPARAM) { return std::nullopt; }

bool Control::CreateChild(WindowParams params, const TwipsRect& rect, UINT classStyle,
                          HCURSOR classCursor, bool ownClass) {
  rect_ = rect;
  const PixelRect px = ToPixels(rect, container_.TwipsPerPixelX(), container_.TwipsPerPixelY());
  params.parent = container_.ContainerHandle();
  params.style |= WS_CHILD;
  params.x = px.left;
  params.y = px.top;
  params.width = px.width;
  params.height = px.height;
  const bool created = ownClass ? CreateOwn(params, classStyle, classCursor) : CreateSystem(params);
  if (!created) return false;
  if (const HFONT font = container_.ContainerFont()) {
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  container_.Adopt(*this);
  adopted_ = true;
  return true;
}

void Control::SetRect(const TwipsRect& rect) {
  rect_ = rect;
  Place();
}

bool Control::Place() {
  if (!hwnd()) return false;
  const PixelRect px = ToPixels(rect_, container_.TwipsPerPixelX(), container_.TwipsPerPixelY());
  RECT before{};
  ::GetClientRect(hwnd(), &before);
  ::SetWindowPos(hwnd(), nullptr, px.left, px.top, px.width, px.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return before.right != px.width || before.bottom != px.height;
}

LRESULT Control::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
    container_.ChildKeyDown(static_cast<int>(wParam), ShiftMask(msg, lParam));
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace torvane::forms
