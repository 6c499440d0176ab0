#include "forms/property_bag.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "runtime/text.h"

namespace torvane::forms {
namespace {

constexpr std::uint32_t kTypeMismatchCode = 13;
constexpr std::u16string_view kTrue = u"true";
constexpr std::u16string_view kFalse = u"false";

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

int DigitValue(char16_t c, int base) {
  int value = -1;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

// "&H" followed by 1 to 8 hex digits: the 32-bit pattern, so "&H80000005" is negative.
std::optional<std::int32_t> ParseHex(std::u16string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t bits = 0;
  for (char16_t c : digits) {
    const int d = DigitValue(c, 16);
    if (d < 0) return std::nullopt;
    bits = bits << 4 | static_cast<std::uint32_t>(d);
  }
  return static_cast<std::int32_t>(bits);
}

std::optional<std::int32_t> ParseDecimal(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char16_t c : text) {
    const int d = DigitValue(c, 10);
    if (d < 0) return std::nullopt;
    magnitude = magnitude * 10 + d;
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
      return std::nullopt;
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseInt32(std::u16string_view text) {
  text = Trimmed(text);
  if (text.size() > 2 && text[0] == u'&' && (text[1] == u'H' || text[1] == u'h')) {
    return ParseHex(text.substr(2));
  }
  return ParseDecimal(text);
}

std::optional<bool> ParseBool(std::u16string_view text) {
  const std::u16string lower = LowerCase(Trimmed(text));
  if (lower == kTrue) return true;
  if (lower == kFalse) return false;
  if (const auto number = ParseInt32(lower)) return *number != 0;
  return std::nullopt;
}

std::u16string DecimalText(std::int32_t value) { return FromUtf8(std::to_string(value)); }

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

}  // namespace

Error TypeMismatch() { return Error{ErrorKind::kOther, kTypeMismatchCode, {}}; }

bool SameValue(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  if (const auto* fa = std::get_if<std::shared_ptr<Font>>(&a)) {
    const auto& fb = std::get<std::shared_ptr<Font>>(b);
    if (!*fa || !fb) return *fa == fb;
    return (*fa)->desc() == fb->desc();
  }
  return a == b;
}

PropertyValue PropertyBag::ReadProperty(std::u16string_view name,
                                        PropertyValue defaultValue) const {
  const Entry* entry = Find(name);
  if (!entry) return defaultValue;
  if (const auto* font = std::get_if<std::shared_ptr<Font>>(&entry->value); font && *font) {
    return (*font)->Clone();
  }
  return entry->value;
}

void PropertyBag::WriteProperty(std::u16string_view name, const PropertyValue& value,
                                const PropertyValue& defaultValue) {
  if (!SameValue(value, defaultValue)) {
    Set(name, value);
    return;
  }
  std::erase_if(entries_, [name](const Entry& e) { return SameName(e.name, name); });
}

void PropertyBag::Set(std::u16string_view name, const PropertyValue& value) {
  PropertyValue kept = value;
  if (auto* font = std::get_if<std::shared_ptr<Font>>(&kept); font && *font) {
    *font = (*font)->Clone();
  }
  for (Entry& e : entries_) {
    if (SameName(e.name, name)) {
      e.value = std::move(kept);
      return;
    }
  }
  entries_.push_back({std::u16string(name), std::move(kept)});
}

bool PropertyBag::Contains(std::u16string_view name) const { return Find(name) != nullptr; }

std::vector<std::u16string> PropertyBag::Names() const {
  std::vector<std::u16string> names;
  for (const Entry& e : entries_) names.push_back(e.name);
  return names;
}

const PropertyBag::Entry* PropertyBag::Find(std::u16string_view name) const {
  for (const Entry& e : entries_) {
    if (SameName(e.name, name)) return &e;
  }
  return nullptr;
}

Result<std::int32_t> ToInt32(const PropertyValue& value) {
  return std::visit(
      Overloaded{
          [](std::int32_t v) -> Result<std::int32_t> { return v; },
          [](bool v) -> Result<std::int32_t> { return v ? -1 : 0; },
          [](const std::u16string& v) -> Result<std::int32_t> {
            if (const auto parsed = ParseInt32(v)) return *parsed;
            return TypeMismatch();
          },
          [](const std::shared_ptr<Font>&) -> Result<std::int32_t> { return TypeMismatch(); },
      },
      value);
}

Result<bool> ToBool(const PropertyValue& value) {
  return std::visit(Overloaded{
                        [](std::int32_t v) -> Result<bool> { return v != 0; },
                        [](bool v) -> Result<bool> { return v; },
                        [](const std::u16string& v) -> Result<bool> {
                          if (const auto parsed = ParseBool(v)) return *parsed;
                          return TypeMismatch();
                        },
                        [](const std::shared_ptr<Font>&) -> Result<bool> { return TypeMismatch(); },
                    },
                    value);
}

Result<std::u16string> ToString(const PropertyValue& value) {
  return std::visit(
      Overloaded{
          [](std::int32_t v) -> Result<std::u16string> { return DecimalText(v); },
          [](bool v) -> Result<std::u16string> { return std::u16string(v ? u"True" : u"False"); },
          [](const std::u16string& v) -> Result<std::u16string> { return v; },
          [](const std::shared_ptr<Font>&) -> Result<std::u16string> { return TypeMismatch(); },
      },
      value);
}

Result<std::shared_ptr<Font>> ToFont(const PropertyValue& value) {
  if (const auto* font = std::get_if<std::shared_ptr<Font>>(&value); font && *font) return *font;
  return TypeMismatch();
}

}  // namespace torvane::forms
