#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/reporter.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane::cli {
namespace {

Result<Options> Parse(std::vector<std::u16string> args) { return ParseArguments(args); }

TEST(CliOptions, OptionsGoBeforeOrAfterTheCommand) {
  const Result<Options> o =
      Parse({u"--json", u"patch", u"C:\\War3\\war3.exe", u"--no-pause", u"--patch-dir",
             u"\\\\server\\master", u"--dry-run", u"--quiet"});
  ASSERT_TRUE(o.ok()) << ToUtf8(o.error().description);
  EXPECT_EQ(o.value().command, Command::kPatch);
  EXPECT_EQ(o.value().gamePath, u"C:\\War3\\war3.exe");
  EXPECT_EQ(o.value().patchDir, u"\\\\server\\master");
  EXPECT_TRUE(o.value().json && o.value().noPause && o.value().dryRun && o.value().quiet);
  EXPECT_FALSE(o.value().all);

  const Result<Options> r = Parse({u"restore", u"--all", u"--patch-dir=x", u"d:\\w\\war3.exe"});
  EXPECT_FALSE(r.ok()) << "--patch-dir belongs to patch";
  const Result<Options> all = Parse({u"restore", u"--all", u"d:\\w\\war3.exe"});
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(all.value().command, Command::kRestore);
  EXPECT_TRUE(all.value().all);

  const Result<Options> inlined = Parse({u"patch", u"--patch-dir=e:\\1.24e", u"x\\war3.exe"});
  ASSERT_TRUE(inlined.ok());
  EXPECT_EQ(inlined.value().patchDir, u"e:\\1.24e");
}

TEST(CliOptions, DoubleDashLetsAPathStartWithADash) {
  const Result<Options> o = Parse({u"patch", u"--", u"-odd\\war3.exe"});
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.value().gamePath, u"-odd\\war3.exe");
  EXPECT_FALSE(Parse({u"patch", u"--", u"a\\war3.exe", u"--json"}).ok()) << "a third word";
}

TEST(CliOptions, HelpWinsWhereverItStands) {
  for (const auto& args : std::vector<std::vector<std::u16string>>{
           {u"--help"}, {u"patch", u"-h"}, {u"/?"}, {u"--bogus", u"--help"}}) {
    const Result<Options> o = Parse(args);
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.value().command, Command::kHelp);
  }
}

TEST(CliOptions, MistakesAreNamed) {
  struct Case {
    std::vector<std::u16string> args;
    std::u16string message;
  };
  const std::vector<Case> cases = {
      {{}, texts::kCliNoCommand},
      {{u"--json"}, texts::kCliNoCommand},
      {{u"install", u"c:\\w\\war3.exe"}, std::u16string(texts::kCliUnknownCommand) + u"install"},
      {{u"patch"}, texts::kCliNoPath},
      {{u"patch", u"a", u"b"}, std::u16string(texts::kCliExtraArgument) + u"b"},
      {{u"patch", u"a", u"--verbose"}, std::u16string(texts::kCliUnknownOption) + u"--verbose"},
      {{u"patch", u"a", u"--patch-dir"}, std::u16string(texts::kCliNeedsValue) + u"--patch-dir"},
      {{u"patch", u"a", u"--patch-dir="}, std::u16string(texts::kCliNeedsValue) + u"--patch-dir"},
      {{u"patch", u"a", u"--all"}, std::u16string(texts::kCliOnlyRestore) + u"--all"},
      {{u"restore", u"a", u"--patch-dir", u"p"},
       std::u16string(texts::kCliOnlyPatch) + u"--patch-dir"},
  };
  for (const Case& c : cases) {
    const Result<Options> o = Parse(c.args);
    ASSERT_FALSE(o.ok()) << ToUtf8(c.message);
    EXPECT_EQ(o.error().description, c.message);
  }
}

TEST(CliJson, EscapesWhatJsonMustAndKeepsChineseAsIs) {
  EXPECT_EQ(JsonString(u"a\"b\\c"), u"\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString(u"l1\r\nl2\t\x01\x7f"), u"\"l1\\r\\nl2\\t\\u0001\\u007f\"");
  EXPECT_EQ(JsonString(u"魔兽\\war3.exe"), u"\"魔兽\\\\war3.exe\"");
  // A pair stays a character; a lone half (a legal Windows file name) becomes an escape.
  EXPECT_EQ(JsonString(u"\xD83D\xDE00"), u"\"\xD83D\xDE00\"");
  EXPECT_EQ(JsonString(std::u16string(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00)),
            u"\"x\\ud800y\\udc00\"");
}

class CliReporter : public ::testing::Test {
 protected:
  Reporter Make(bool json, bool quiet) {
    return Reporter([this](const std::u16string& line) { lines_.push_back(line); }, json, quiet);
  }
  std::vector<std::u16string> lines_;
};

TEST_F(CliReporter, TextSplitsBoxesIntoLinesAndMarksTheAnswer) {
  Reporter out = Make(false, false);
  out.Message(u"第一行\r\n第二行", false, true);
  out.Would(u"move", u"c:\\g\\a.txt", u"c:\\g\\vTemp\\a.txt");
  out.Exit(0);
  EXPECT_EQ(lines_,
            (std::vector<std::u16string>{u"第一行", u"第二行", texts::kCliAnsweredYes,
                                         u"would move c:\\g\\a.txt -> c:\\g\\vTemp\\a.txt"}));
}

TEST_F(CliReporter, QuietKeepsOnlyErrors) {
  Reporter out = Make(false, true);
  out.Stage(JobStage::kTidying);
  out.Files(1000, 1000);
  out.Message(u"清理完成", false, false);
  out.Would(u"delete", u"c:\\x", {});
  out.Message(u"错误", true, false);
  EXPECT_EQ(lines_, std::vector<std::u16string>{u"错误"});
}

TEST_F(CliReporter, JsonIsOneObjectPerLine) {
  Reporter out = Make(true, false);
  out.SetSubject(u"c:\\g\\war3.exe");
  out.Stage(JobStage::kSwapping);
  out.Files(3, 7);  // only every thousandth file and the last are worth a line
  out.Files(7, 7);
  out.Message(u"出错\r\n\"x\"", true, false);
  out.Would(u"move", u"c:\\g\\a", u"c:\\g\\vTemp\\a");
  out.Exit(2);
  const std::u16string p = u"\"path\":\"c:\\\\g\\\\war3.exe\"";
  EXPECT_EQ(lines_, (std::vector<std::u16string>{
                        u"{\"step\":\"stage\"," + p + u",\"result\":\"swapping\",\"error\":\"\"}",
                        u"{\"step\":\"files\"," + p + u",\"result\":\"7/7\",\"error\":\"\"}",
                        u"{\"step\":\"message\"," + p +
                            u",\"result\":\"error\",\"error\":\"出错\\r\\n\\\"x\\\"\","
                            u"\"text\":\"出错\\r\\n\\\"x\\\"\"}",
                        u"{\"step\":\"move\",\"path\":\"c:\\\\g\\\\a\",\"result\":\"would\","
                        u"\"error\":\"\",\"to\":\"c:\\\\g\\\\vTemp\\\\a\"}",
                        u"{\"step\":\"exit\"," + p +
                            u",\"result\":\"partial\",\"error\":\"\",\"code\":2}"}));
}

}  // namespace
}  // namespace torvane::cli
