// A rectangle shape: no window of its own, drawn by its container over the container's
// own drawing. Unfilled, with a solid outline one pixel wide.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "forms/container.h"
#include "forms/twips.h"
#include "runtime/result.h"

namespace torvane::forms {

class Shape {
 public:
  explicit Shape(Container& container) : container_(container) {}
  Shape(const Shape&) = delete;
  Shape& operator=(const Shape&) = delete;
  ~Shape();

  void Create(const TwipsRect& rect, std::uint32_t borderColor);

  const TwipsRect& rect() const { return rect_; }
  float Left() const { return rect_.left; }
  float Top() const { return rect_.top; }
  float Width() const { return rect_.width; }
  float Height() const { return rect_.height; }
  // As a windowed control's Move: a negative width or height is refused.
  Status Move(float left, float top, std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt);

  void Draw(HDC dc, float twipsPerPixelX, float twipsPerPixelY) const;

 private:
  void Invalidate(const TwipsRect& rect) const;

  Container& container_;
  TwipsRect rect_;
  std::uint32_t borderColor_ = 0;
  bool created_ = false;
};

}  // namespace torvane::forms
