// The settings a host stores for one control instance: named values, the names matched
// without regard to case. Values keep the type they were written with; reading converts
// them to the type the reader needs, and a value that cannot be converted fails that one
// read. Every value written loads back unchanged through the conversion of its own type.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "forms/font.h"
#include "runtime/result.h"

namespace torvane::forms {

using PropertyValue = std::variant<std::int32_t, bool, std::u16string, std::shared_ptr<Font>>;

// Equal values; fonts compare by description, not by object.
bool SameValue(const PropertyValue& a, const PropertyValue& b);

class PropertyBag {
 public:
  // The value stored under `name`, or `defaultValue` itself when there is none. A stored
  // font comes back as a new object, so that no reader shares it with the bag.
  PropertyValue ReadProperty(std::u16string_view name, PropertyValue defaultValue) const;

  // Stores `value` under `name`, or leaves the name out when the value equals
  // `defaultValue`; a later read with the same default yields the value either way. The
  // bag keeps a font's description as it is now, not the object.
  void WriteProperty(std::u16string_view name, const PropertyValue& value,
                     const PropertyValue& defaultValue);

  // Stores `value` under `name` as it is: how a host lays down settings it keeps.
  void Set(std::u16string_view name, const PropertyValue& value);

  bool Contains(std::u16string_view name) const;
  bool empty() const { return entries_.empty(); }
  // Names as first written (a name written again keeps its place), in that order.
  std::vector<std::u16string> Names() const;

 private:
  struct Entry {
    std::u16string name;
    PropertyValue value;
  };
  const Entry* Find(std::u16string_view name) const;

  std::vector<Entry> entries_;
};

// Conversions of a stored value to the type a setting needs. Integers and Booleans
// convert both ways (True is -1, any non-zero number is True); strings hold decimal
// integers, "&H" hexadecimal bit patterns of up to 8 digits, or "True"/"False" in any
// case; a font converts only to a font, and nothing else converts to one.
Result<std::int32_t> ToInt32(const PropertyValue& value);
Result<bool> ToBool(const PropertyValue& value);
Result<std::u16string> ToString(const PropertyValue& value);
Result<std::shared_ptr<Font>> ToFont(const PropertyValue& value);

// The error of a value that cannot be converted: code 13 and no description, as nobody
// shows the layer's own errors.
Error TypeMismatch();

}  // namespace torvane::forms
