// What forms and user-control surfaces have in common as parents: twips per pixel at
// their DPI, the background their children blend with, the font children take by
// default, notifications routed to the child they concern, key preview, and the
// windowless shapes they draw.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace torvane::forms {

class Control;
class Shape;

class Container {
 public:
  virtual ~Container() = default;

  virtual HWND ContainerHandle() const = 0;
  int Dpi() const;
  float TwipsPerPixelX() const;
  float TwipsPerPixelY() const;

  virtual HBRUSH BackgroundBrush() = 0;
  virtual COLORREF BackgroundColor() = 0;
  // The font of children that take the container's; none: the system's.
  virtual HFONT ContainerFont() const { return nullptr; }
  // A child saw a key go down: the virtual key and Shift 1 / Ctrl 2 / Alt 4.
  virtual void ChildKeyDown(int /*keyCode*/, int /*shift*/) {}

  void Adopt(Control& child);
  void Adopt(Shape& shape);
  void Forget(const Control& child);
  void Forget(const Shape& shape);

 protected:
  // A notification the system sends to this parent on a child's behalf (WM_COMMAND,
  // WM_CTLCOLOR...), given to that child; nullopt when no child of ours claims it.
  std::optional<LRESULT> RouteToChild(UINT msg, WPARAM wParam, LPARAM lParam);
  // The shapes, over whatever the container has drawn itself.
  void DrawShapes(HDC dc);
  // Every child placed and drawn anew after a change of DPI.
  void ApplyDpiToChildren();
  const std::vector<Control*>& children() const { return children_; }

 private:
  std::vector<Control*> children_;  // in creation order: the tab order
  std::vector<Shape*> shapes_;
};

// The modifier mask of a key message: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask(UINT msg, LPARAM lParam);

}  // namespace torvane::forms
