#include "forms/control_site.h"

#include "forms/form.h"

namespace torvane::forms {

std::shared_ptr<Font> Extender::AmbientFont() { return host_.AmbientFont(); }

void Extender::PropertyChanged(std::u16string_view name) { changed.emplace_back(name); }

}  // namespace torvane::forms
