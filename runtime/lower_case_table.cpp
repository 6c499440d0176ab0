// Lower-casing for the native build, where the tests run: the simple upper/lower pairs
// of Latin, Greek, Cyrillic and full-width Latin. The Windows build uses the platform's
// own mapping (lower_case_win.cpp), which knows every script.
#include "runtime/text.h"

namespace torvane {
namespace {

char16_t LowerChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) ||     // Latin-1
      (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||  // Greek
      (c >= 0x410 && c <= 0x42F) ||                // Cyrillic
      (c >= 0xFF21 && c <= 0xFF3A)) {              // full-width Latin
    return static_cast<char16_t>(c + 32);
  }
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);  // Cyrillic Ѐ..Џ
  const bool evenUpperPairs =
      (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x4BF);
  if (evenUpperPairs && c % 2 == 0) return static_cast<char16_t>(c + 1);
  if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) {
    return static_cast<char16_t>(c + 1);
  }
  return c;
}

}  // namespace

std::u16string LowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = LowerChar(c);
  return out;
}

}  // namespace torvane
