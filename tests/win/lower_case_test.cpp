// The Windows build lower-cases with the platform's mapping: scripts the native table
// never knew, and the same result whatever the user's language.
#include <gtest/gtest.h>

#include "runtime/text.h"

namespace torvane {
namespace {

TEST(PlatformLowerCase, KnowsEveryScriptAndKeepsTheLength) {
  EXPECT_EQ(LowerCase(u"ԱՐՄԵՆԻԱ"), u"արմենիա");  // Armenian
  EXPECT_EQ(LowerCase(u"ᏣᎳᎩ"), u"ꮳꮃꭹ");    // Cherokee
  EXPECT_EQ(LowerCase(u"D:\\WAR3.EXE 魔兽争霸Ⅲ"), u"d:\\war3.exe 魔兽争霸ⅲ");
  EXPECT_EQ(LowerCase(u"WAR3.EXE").find(u"ı"), std::u16string::npos);  // no dotless i
  EXPECT_EQ(LowerCase(u"𐐀").size(), 2u);                               // a pair stays two units
}

}  // namespace
}  // namespace torvane
