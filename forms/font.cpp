#include "forms/font.h"

#include <algorithm>

namespace torvane::forms {

Font::Subscription& Font::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    font_ = std::move(other.font_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void Font::Subscription::reset() {
  if (auto font = font_.lock(); font && id_ != 0) font->Unsubscribe(id_);
  font_.reset();
  id_ = 0;
}

std::shared_ptr<Font> Font::Create(FontDesc desc) {
  return std::make_shared<Font>(Token{}, std::move(desc));
}

void Font::SetName(std::u16string name) {
  desc_.name = std::move(name);
  Changed();
}

void Font::SetSize(float points) {
  desc_.size = points;
  Changed();
}

void Font::SetWeight(std::int16_t weight) {
  desc_.weight = weight;
  Changed();
}

void Font::SetItalic(bool on) {
  desc_.italic = on;
  Changed();
}

Font::Subscription Font::OnChange(std::function<void()> listener) {
  const int id = nextId_++;
  listeners_.emplace_back(id, std::move(listener));
  return Subscription(weak_from_this(), id);
}

void Font::Unsubscribe(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Font::Changed() {
  // A listener may subscribe or unsubscribe (itself or another) while it runs: walk the
  // ids of the moment and skip those gone by their turn.
  std::vector<int> ids;
  for (const auto& entry : listeners_) ids.push_back(entry.first);
  for (int id : ids) {
    auto it = std::find_if(listeners_.begin(), listeners_.end(),
                           [id](const auto& entry) { return entry.first == id; });
    if (it == listeners_.end()) continue;
    const auto listener = it->second;
    listener();
  }
}

}  // namespace torvane::forms
