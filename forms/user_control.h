// The surface a user control is built on: a child window of its host that holds the
// control's constituents, raises the events the control handles and offers what the
// control's code draws and asks with (its inner size in twips, Cls and Line, its
// background colour, its site's ambient font and extender, PropertyChanged).
//
// The host's side of the lifecycle: construct; Create (in the control), then either
// InitProperties (a new instance) or ReadProperties (stored settings); Move, which
// raises the first Resize; the host's Show, which shows the surface and raises Show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "forms/container.h"
#include "forms/control.h"
#include "forms/control_site.h"
#include "forms/gdi.h"
#include "forms/property_bag.h"

namespace torvane::forms {

class UserControl : public Control, public Container {
 public:
  explicit UserControl(Container& host) : Control(host) {}

  void InitProperties() { UserControl_InitProperties(); }
  void ReadProperties(const PropertyBag& bag) { UserControl_ReadProperties(bag); }
  void WriteProperties(PropertyBag& bag) { UserControl_WriteProperties(bag); }

  HWND ContainerHandle() const override { return hwnd(); }
  HBRUSH BackgroundBrush() override { return back_.get(); }
  COLORREF BackgroundColor() override { return ColorRefOf(back_.color()); }
  void ChildKeyDown(int keyCode, int shift) override;
  void ApplyDpi() override;
  void OnHostShowing() override;
  void OnHostPainted() override;

 protected:
  // The surface, hidden, at its designer size; constituents follow, then EndDesign.
  bool CreateSurface(ControlSite& site, float designWidth, float designHeight);
  // The constituents exist: from now on size changes raise Resize.
  void EndDesign() { designed_ = true; }

  std::uint32_t SurfaceBackColor() const { return back_.color(); }
  void SetSurfaceBackColor(std::uint32_t color);
  // The inner size in twips.
  float ScaleWidth() const;
  float ScaleHeight() const;
  // Resizes the control; a change raises Resize at once, nested in the caller.
  Status SetHeight(float height);
  // Key-down events of the constituents reach UserControl_KeyDown too.
  void SetKeyPreview(bool on) { keyPreview_ = on; }

  // Drawing, inside UserControl_Paint (elsewhere straight onto the window).
  void Cls();
  void Line(float x1, float y1, float x2, float y2, std::uint32_t color);

  // The host's site; null until CreateSurface, so a property set before it tells nobody.
  ControlSite* Site() const { return site_; }
  void PropertyChanged(std::u16string_view name) {
    if (site_) site_->PropertyChanged(name);
  }

  virtual void UserControl_InitProperties() {}
  virtual void UserControl_ReadProperties(const PropertyBag& /*bag*/) {}
  virtual void UserControl_WriteProperties(PropertyBag& /*bag*/) {}
  virtual void UserControl_Resize() {}
  virtual void UserControl_Paint() {}
  virtual void UserControl_Show() {}
  virtual void UserControl_KeyDown(int /*keyCode*/, int /*shift*/) {}

  bool Place() override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void RaiseResize();
  void PaintTo(HDC dc);

  ControlSite* site_ = nullptr;
  ColorBrush back_{kButtonFace};
  HDC canvas_ = nullptr;  // while UserControl_Paint runs
  bool designed_ = false;
  bool keyPreview_ = false;
  bool resized_ = false;
  float resizedWidth_ = 0, resizedHeight_ = 0;  // the size the last Resize saw
};

}  // namespace torvane::forms
