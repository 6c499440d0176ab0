#include "runtime/text.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(Text, LowerCaseKeepsLengthAndNonLetters) {
  EXPECT_EQ(LowerCase(u"D:\\Games\\WAR3.EXE"), u"d:\\games\\war3.exe");
  EXPECT_EQ(LowerCase(u"ÀÉÎÕÜ×ĀŁŽΑΩДЯЁＡＺ魔兽"), u"àéîõü×āłžαωдяёａｚ魔兽");
  EXPECT_EQ(LowerCase(u"\U0001F600A"), u"\U0001F600a");  // surrogates pass through
}

// The one rule for the folder part of a path: the picker's GetPath, its browse action
// and drops, and the patch job all use it.
TEST(Text, FolderOfKeepsTheTextUpToTheLastBackslash) {
  EXPECT_EQ(FolderOf(u"C:\\Games\\War3\\war3.exe"), u"C:\\Games\\War3\\");
  EXPECT_EQ(FolderOf(u"C:\\Games\\War3\\"), u"C:\\Games\\War3\\");
  EXPECT_EQ(FolderOf(u"C:\\"), u"C:\\");
  EXPECT_EQ(FolderOf(u"C:\\\\War3\\war3.exe"), u"C:\\\\War3\\");  // empty fields count
  EXPECT_EQ(FolderOf(u"C:"), u"");
  EXPECT_EQ(FolderOf(u"war3.exe"), u"");
  EXPECT_EQ(FolderOf(u""), u"");
}

TEST(Text, FolderOfKeepsUncPrefixesAndDropsADialogsClosingNul) {
  using namespace std::string_literals;
  EXPECT_EQ(FolderOf(u"\\\\server\\share\\war3.exe"), u"\\\\server\\share\\");
  EXPECT_EQ(FolderOf(u"\\\\server"), u"\\\\");
  EXPECT_EQ(FolderOf(u"C:\\Games\\War3\\war3.exe\0"s), u"C:\\Games\\War3\\");
  EXPECT_EQ(FolderOf(u"C:\\\0"s), u"C:\\");
}

TEST(Text, AppFolderKeepsTheBackslashOnlyAtADriveRoot) {
  EXPECT_EQ(AppFolderOf(u"C:\\Torvane.exe"), u"C:\\");
  EXPECT_EQ(AppFolderOf(u"\\\\?\\D:\\Torvane.exe"), u"D:\\");
  EXPECT_EQ(AppFolderOf(u"E:\\tools\\Torvane.exe"), u"E:\\tools");
  EXPECT_EQ(AppFolderOf(u"\\\\?\\E:\\tools\\Torvane.exe"), u"E:\\tools");
  EXPECT_EQ(AppFolderOf(u"\\\\server\\share\\Torvane.exe"), u"\\\\server\\share");
}

// A drive root keeps its backslash either way: "e:" alone names the current folder of drive E.
TEST(Text, NameOfAPathAndTrailingBackslashes) {
  EXPECT_EQ(NameOf(u"c:\\games\\war3.exe"), u"war3.exe");
  EXPECT_EQ(WithTrailingBackslash(u"e:\\"), u"e:\\");
  EXPECT_EQ(WithTrailingBackslash(u"e:\\tool"), u"e:\\tool\\");
  EXPECT_EQ(WithoutTrailingBackslash(u"e:\\"), u"e:\\");
  EXPECT_EQ(WithoutTrailingBackslash(u"e:\\tool\\"), u"e:\\tool");
  EXPECT_EQ(WithoutTrailingBackslash(u"\\\\server\\share\\"), u"\\\\server\\share");
}

// A full path starts at the root of a drive or a share; "C:war3.exe" and "\\war3.exe" hang
// on a current folder.
TEST(Text, AFullPathStartsAtARoot) {
  for (const char16_t* full : {u"C:\\war3.exe", u"c:/war3.exe", u"\\\\server\\share\\war3.exe"}) {
    EXPECT_TRUE(IsAbsolutePath(full)) << ToUtf8(full);
  }
  for (const char16_t* relative : {u"C:war3.exe", u"C:", u"\\war3.exe", u"war3.exe", u""}) {
    EXPECT_FALSE(IsAbsolutePath(relative)) << ToUtf8(relative);
  }
}

TEST(Text, Utf8RoundTrip) {
  const std::u16string text = u"魔兽争霸III 1.24e （一键清理）\U0001F600é";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"é"), "\xC3\xA9");
}

}  // namespace
}  // namespace torvane
