#include "forms/shape.h"

#include "forms/control.h"
#include "forms/gdi.h"

namespace torvane::forms {

Shape::~Shape() {
  if (created_) container_.Forget(*this);
}

void Shape::Create(const TwipsRect& rect, std::uint32_t borderColor) {
  rect_ = rect;
  borderColor_ = borderColor;
  if (!created_) container_.Adopt(*this);
  created_ = true;
  Invalidate(rect_);
}

Status Shape::Move(float left, float top, std::optional<float> width, std::optional<float> height) {
  const TwipsRect next{left, top, width.value_or(rect_.width), height.value_or(rect_.height)};
  if (next.width < 0 || next.height < 0) return InvalidValue();
  Invalidate(rect_);
  rect_ = next;
  Invalidate(rect_);
  return {};
}

void Shape::Draw(HDC dc, float twipsPerPixelX, float twipsPerPixelY) const {
  const PixelRect px = ToPixels(rect_, twipsPerPixelX, twipsPerPixelY);
  if (px.width <= 0 || px.height <= 0) return;
  win::UniquePen pen(::CreatePen(PS_SOLID, 1, ColorRefOf(borderColor_)));
  win::SelectedObject usePen(dc, pen.get());
  win::SelectedObject hollow(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, px.left, px.top, px.left + px.width, px.top + px.height);
}

void Shape::Invalidate(const TwipsRect& rect) const {
  const HWND window = container_.ContainerHandle();
  if (!window) return;
  const PixelRect px = ToPixels(rect, container_.TwipsPerPixelX(), container_.TwipsPerPixelY());
  const RECT r{px.left, px.top, px.left + px.width, px.top + px.height};
  ::InvalidateRect(window, &r, TRUE);
}

}  // namespace torvane::forms
