// What a user control asks of the host that sites it: the host's ambient font, the
// properties the host's extender adds to the instance, and notice of a changed property.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "forms/font.h"

namespace torvane::forms {

class ControlSite {
 public:
  virtual ~ControlSite() = default;
  // An object of the caller's own with the host's font; null when the host has none.
  virtual std::shared_ptr<Font> AmbientFont() = 0;
  // The ToolTipText the host gave the instance; nullopt when its extender has none.
  virtual std::optional<std::u16string> ExtenderToolTipText() = 0;
  virtual void PropertyChanged(std::u16string_view name) = 0;
};

class Form;

// The site a form gives each user control it hosts.
class Extender final : public ControlSite {
 public:
  explicit Extender(Form& host) : host_(host) {}

  std::shared_ptr<Font> AmbientFont() override;
  std::optional<std::u16string> ExtenderToolTipText() override { return toolTipText; }
  // An instance's settings are always written whole (WriteProperties), never by what
  // changed: a notice leaves nothing to remember.
  void PropertyChanged(std::u16string_view) override {}

  std::u16string toolTipText;

 private:
  Form& host_;
};

}  // namespace torvane::forms
