// A static text in the container's font and colours; it never takes the focus.
#pragma once

#include <string>

#include "forms/control.h"
#include "forms/gdi.h"

namespace torvane::forms {

class Label : public Control {
 public:
  using Control::Control;

  bool Create(const TwipsRect& rect, const std::u16string& caption);
  std::u16string Caption() const;

  std::optional<LRESULT> OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  ColorBrush back_{kButtonFace};
  std::uint32_t fore_ = kButtonText;
};

}  // namespace torvane::forms
