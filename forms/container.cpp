#include "forms/container.h"

#include <algorithm>

#include "forms/control.h"
#include "forms/dpi.h"
#include "forms/shape.h"
#include "forms/twips.h"

namespace torvane::forms {

int Container::Dpi() const { return DpiOf(ContainerHandle()); }
float Container::TwipsPerPixelX() const { return TwipsPerPixel(Dpi()); }
float Container::TwipsPerPixelY() const { return TwipsPerPixel(Dpi()); }

void Container::Adopt(Control& child) { children_.push_back(&child); }
void Container::Adopt(Shape& shape) { shapes_.push_back(&shape); }

void Container::Forget(const Control& child) { std::erase(children_, &child); }

void Container::Forget(const Shape& shape) { std::erase(shapes_, &shape); }

std::optional<LRESULT> Container::RouteToChild(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
      child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      return std::nullopt;
  }
  if (!child) return std::nullopt;
  for (Control* c : children_) {
    if (c->hwnd() == child) return c->OnParentNotify(msg, wParam, lParam);
  }
  return std::nullopt;
}

void Container::DrawShapes(HDC dc) {
  const float tppX = TwipsPerPixelX();
  const float tppY = TwipsPerPixelY();
  for (Shape* s : shapes_) s->Draw(dc, tppX, tppY);
}

void Container::ApplyDpiToChildren() {
  // A child may go away while another one handles the change: walk a copy.
  const std::vector<Control*> children = children_;
  for (Control* c : children) c->ApplyDpi();
  ::InvalidateRect(ContainerHandle(), nullptr, TRUE);
}

int ShiftMask(UINT msg, LPARAM lParam) {
  int mask = 0;
  if (::GetKeyState(VK_SHIFT) < 0) mask |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) mask |= 2;
  // A key pressed with Alt arrives as WM_SYSKEYDOWN with the context bit set, also when
  // the key state has not caught up (a posted message).
  const bool altContext = msg == WM_SYSKEYDOWN && (lParam & (1 << 29)) != 0;
  if (::GetKeyState(VK_MENU) < 0 || altContext) mask |= 4;
  return mask;
}

}  // namespace torvane::forms
