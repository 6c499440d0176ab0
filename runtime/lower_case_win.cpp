// Lower-casing with the platform's own invariant mapping, so that every script is
// handled, and the same way whatever the user's language (no Turkish dotless i).
#include <windows.h>

#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane {

std::u16string LowerCase(std::u16string_view text) {
  std::u16string out(text);
  if (out.empty()) return out;
  const int length = static_cast<int>(out.size());
  const std::wstring in(text.begin(), text.end());
  std::wstring lowered(out.size(), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, in.c_str(), length, lowered.data(),
                      length, nullptr, nullptr, 0) == length) {
    out.assign(lowered.begin(), lowered.end());
  }
  return out;
}

}  // namespace torvane
