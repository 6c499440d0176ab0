// The platform's shared font object: one description (face, size, weight, character set,
// italic, underline, strikethrough) that several owners hold by reference. Whoever
// shows text in it subscribes and rebuilds its own GDI font when the object changes,
// so a change made through any reference shows everywhere at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace torvane::forms {

struct FontDesc {
  std::u16string name;
  float size = 9;             // points
  std::int16_t weight = 400;  // 400 regular, 700 bold
  std::int16_t charset = 1;   // the platform's DEFAULT_CHARSET
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;

  bool operator==(const FontDesc&) const = default;
};

class Font : public std::enable_shared_from_this<Font> {
  struct Token {};

 public:
  // Ends a subscription when it goes; harmless after the font itself has gone.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(std::weak_ptr<Font> font, int id) : font_(std::move(font)), id_(id) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& other) noexcept
        : font_(std::move(other.font_)), id_(std::exchange(other.id_, 0)) {}
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription() { reset(); }
    void reset();

   private:
    std::weak_ptr<Font> font_;
    int id_ = 0;
  };

  static std::shared_ptr<Font> Create(FontDesc desc);
  Font(Token, FontDesc desc) : desc_(std::move(desc)) {}
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // A new object with the same description and no subscribers.
  std::shared_ptr<Font> Clone() const { return Create(desc_); }
  const FontDesc& desc() const { return desc_; }

  const std::u16string& Name() const { return desc_.name; }
  float Size() const { return desc_.size; }
  std::int16_t Weight() const { return desc_.weight; }
  std::int16_t Charset() const { return desc_.charset; }
  bool Italic() const { return desc_.italic; }
  bool Underline() const { return desc_.underline; }
  bool Strikethrough() const { return desc_.strikethrough; }

  void SetName(std::u16string name);
  void SetSize(float points);
  void SetWeight(std::int16_t weight);
  void SetItalic(bool on);

  // `listener` runs after every change of the description, on the caller's thread.
  [[nodiscard]] Subscription OnChange(std::function<void()> listener);

 private:
  void Unsubscribe(int id);
  void Changed();

  FontDesc desc_;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int nextId_ = 1;
};

}  // namespace torvane::forms
