// An image control: a picture shown at its own size on the container's background, a
// cursor of its own over it, a click event. It never takes the keyboard focus.
#pragma once

#include <windows.h>

#include <functional>

#include "forms/control.h"
#include "runtime/win_handles.h"

namespace torvane::forms {

class Image : public Control {
 public:
  using Control::Control;

  bool Create(const TwipsRect& rect);

  // The picture for the container's DPI, taken now and again whenever the DPI changes;
  // the control takes the picture's own size.
  using PictureSource = std::function<win::UniqueIcon(int dpi)>;
  void SetPictureSource(PictureSource source);
  SIZE PictureSize() const { return pictureSize_; }
  // The cursor shown while the mouse rests on the picture (MousePointer custom).
  void SetMouseIcon(win::UniqueCursor cursor);

  std::function<void()> onClick;

  void ApplyDpi() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void SetPicture(win::UniqueIcon icon);
  void FitPicture();
  void Paint(HDC dc);
  void ButtonUp(LPARAM lParam);

  PictureSource source_;
  win::UniqueIcon picture_;
  SIZE pictureSize_{};
  win::UniqueCursor mouseIcon_;
  bool pressed_ = false;
};

}  // namespace torvane::forms
