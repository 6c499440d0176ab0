// A child window of a form or user control, placed in twips: the position is kept in
// twips and converted at the container's DPI whenever the window is placed.
#pragma once

#include <windows.h>

#include <optional>

#include "forms/container.h"
#include "forms/twips.h"
#include "forms/window.h"
#include "runtime/result.h"

namespace torvane::forms {

// The error of a value a property refuses (a negative size, a selection before the text):
// code 380 and no description, as nobody shows the layer's own errors.
Error InvalidValue();

class Control : public Window {
 public:
  explicit Control(Container& container) : container_(container) {}
  ~Control() override;

  float Left() const { return rect_.left; }
  float Top() const { return rect_.top; }
  float Width() const { return rect_.width; }
  float Height() const { return rect_.height; }
  const TwipsRect& rect() const { return rect_; }

  // Places the control; width and height left out keep the current size. A negative
  // width or height is refused and nothing moves.
  Status Move(float left, float top, std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt);

  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetFocus();

  // The container's DPI changed: place the window anew (fonts and sizes follow).
  virtual void ApplyDpi() { Place(); }
  // The host is about to show its window (each time it is shown).
  virtual void OnHostShowing() {}
  // The host's first picture is on the screen; deferred start-up work may run.
  virtual void OnHostPainted() {}
  // A notification the container received about this control; nullopt: not handled.
  virtual std::optional<LRESULT> OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  Container& container() const { return container_; }
  // Creates the window at `rect` in the container (system class when `ownClass` is null).
  bool CreateChild(WindowParams params, const TwipsRect& rect, UINT classStyle = 0,
                   HCURSOR classCursor = nullptr, bool ownClass = false);
  // Sets the twips rectangle without checks and places the window there.
  void SetRect(const TwipsRect& rect);
  // Places the window at the twips rectangle; true when its pixel size changed.
  virtual bool Place();

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  Container& container_;
  TwipsRect rect_;
  bool adopted_ = false;
};

}  // namespace torvane::forms
