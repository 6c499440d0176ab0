// The plain-name check: what the device namespace owns and what Windows would read as
// another name is never a name the tool acts on, in any case and with any extension.
#include "job/confinement.h"

#include <gtest/gtest.h>

#include "runtime/text.h"

namespace torvane {
namespace {

TEST(IsPlainName, RefusesTheDeviceNamespaceAndWhatWindowsWouldReadOtherwise) {
  for (const std::u16string name : {u"CON",
                                    u"con.txt",
                                    u"Nul .txt",
                                    u"aux  ",
                                    u"PRN.tar.gz",
                                    u"CONIN$",
                                    u"conout$.log",
                                    u"COM0",
                                    u"com9.dll",
                                    u"COM\u00B9",
                                    u"com\u00B2.txt",
                                    u"COM\u00B3",
                                    u"LPT0",
                                    u"lpt9",
                                    u"LPT\u00B9",
                                    u"lpt\u00B2 .x",
                                    u"LPT\u00B3",
                                    u"..",
                                    u".",
                                    u"a.",
                                    u"a ",
                                    u"a*",
                                    u"a?",
                                    u"a<b",
                                    u"a>b",
                                    u"a\"b",
                                    u"a|b",
                                    u"a:b",
                                    u"a/b",
                                    u"a\\b",
                                    u"a\x1F",
                                    u"a\x7F",
                                    u""}) {
    EXPECT_FALSE(IsPlainName(name)) << ToUtf8(name);
  }
  for (const std::u16string name :
       {u"War3.mpq", u"console.txt", u"com10", u"lpt", u"COM\u00B9x", u"nul-x.txt", u".hidden",
        u"存档 说明.txt", u"(2)Map.w3m", u"a..b", u" lead"}) {
    EXPECT_TRUE(IsPlainName(name)) << ToUtf8(name);
  }
}

}  // namespace
}  // namespace torvane
