// A push button in the container's font; a click runs `onClick`.
#pragma once

#include <functional>
#include <string>

#include "forms/control.h"

namespace torvane::forms {

class CommandButton : public Control {
 public:
  using Control::Control;

  bool Create(const TwipsRect& rect, const std::u16string& caption, int id);
  std::u16string Caption() const;

  std::function<void()> onClick;

  std::optional<LRESULT> OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace torvane::forms
