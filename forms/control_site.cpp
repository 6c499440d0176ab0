#include "forms/control_site.h"

#include "forms/form.h"

namespace torvane::forms {

std::shared_ptr<Font> Extender::AmbientFont() { return host_.AmbientFont(); }

}  // namespace torvane::forms
