#include "runtime/command_line.h"

namespace torvane {

// Backslashes are literal except before a quote, where each pair stands for one; so a
// run of them is doubled when a quote follows, the closing quote included.
std::u16string QuoteArgument(std::u16string_view argument) {
  std::u16string quoted = u"\"";
  std::size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') {
      quoted.append(backslashes * 2 + 1, u'\\');
    } else {
      quoted.append(backslashes, u'\\');
    }
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, u'\\');
  quoted += u'"';
  return quoted;
}

}  // namespace torvane
