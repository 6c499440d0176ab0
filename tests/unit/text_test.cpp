#include "runtime/text.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(Text, LowerCaseKeepsLengthAndNonLetters) {
  EXPECT_EQ(LowerCase(u"D:\\Games\\WAR3.EXE"), u"d:\\games\\war3.exe");
  EXPECT_EQ(LowerCase(u"ÀÉÎÕÜ×ĀŁŽΑΩДЯЁＡＺ魔兽"), u"àéîõü×āłžαωдяёａｚ魔兽");
  EXPECT_EQ(LowerCase(u"\U0001F600A"), u"\U0001F600a");  // surrogates pass through
}

TEST(Text, ReplaceAllScansFromTheStartWithoutOverlap) {
  EXPECT_EQ(ReplaceAll(u"c:\\war3.exe\\war3.exe", u"war3.exe", u"game.dll"),
            u"c:\\game.dll\\game.dll");
  EXPECT_EQ(ReplaceAll(u"c:\\games\\mywar3.exe", u"war3.exe", u"storm.dll"),
            u"c:\\games\\mystorm.dll");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
}

TEST(Text, FolderAndNameOfAPath) {
  EXPECT_EQ(FolderOf(u"c:\\games\\war3.exe"), u"c:\\games\\");
  EXPECT_EQ(FolderOf(u"war3.exe"), u"");
  EXPECT_EQ(NameOf(u"c:\\games\\war3.exe"), u"war3.exe");
  EXPECT_EQ(WithTrailingBackslash(u"e:\\"), u"e:\\");
  EXPECT_EQ(WithTrailingBackslash(u"e:\\tool"), u"e:\\tool\\");
}

TEST(Text, Utf8RoundTrip) {
  const std::u16string text = u"魔兽争霸III 1.24e （一键清理）\U0001F600é";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"é"), "\xC3\xA9");
}

}  // namespace
}  // namespace torvane
