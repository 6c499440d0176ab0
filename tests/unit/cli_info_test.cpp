// The command line's look before the job (info) and its answers to version questions:
// No unless --force, named in the JSON line.
#include <gtest/gtest.h>

#include "cli/run.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"

namespace torvane::cli {
namespace {

using testing::FakeRuntime;

class CliVersions : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = testing::MakeDisk();
    g_ = testing::MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }

  ExitCode Run(std::vector<std::u16string> args) {
    lines_.clear();
    return RunProgram(args, *fs_, [this](const std::u16string& line) { lines_.push_back(line); });
  }
  std::string Output() const {
    std::string all;
    for (const std::u16string& line : lines_) all += ToUtf8(line) + "\n";
    return all;
  }
  bool Says(const std::string& text) const { return Output().find(text) != std::string::npos; }

  std::unique_ptr<testing::Disk> disk_;
  testing::GameFolder g_;
  FakeRuntime* fs_ = nullptr;
  std::vector<std::u16string> lines_;
};

TEST_F(CliVersions, AMismatchedPatchFolderExitsWithOneUnlessForced) {
  fs_->AddFile(g_.tool + u"\\patch\\war3.exe", testing::VersionedContent("1.24.4.6387"));
  fs_->AddFile(g_.tool + u"\\patch\\game.dll", testing::VersionedContent("1.26.0.6401"));
  const auto before = testing::Tree(*disk_, disk_->root());
  EXPECT_EQ(Run({u"patch", g_.exe, u"--json", u"--no-pause"}), kExitRefused) << Output();
  EXPECT_TRUE(Says(R"("question":"version-mismatch","answer":"no")")) << Output();
  EXPECT_EQ(testing::Tree(*disk_, disk_->root()), before);
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitRefused);
  EXPECT_TRUE(Says(ToUtf8(texts::kCliAnsweredNo))) << Output();

  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--force", u"--json"}), kExitDone) << Output();
  EXPECT_TRUE(Says(R"("answer":"yes")")) << Output();
  EXPECT_TRUE(fs_->boxes().empty());
}

TEST_F(CliVersions, InfoReadsTheFolderAndChangesNothing) {
  fs_->AddFile(g_.Game(u"War3.exe"), testing::VersionedContent("1.26.0.6401"));
  fs_->AddFile(g_.Game(u"Game.dll"), testing::VersionedContent("1.26.0.6401"));
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitDone);
  const auto before = testing::Tree(*disk_, disk_->root());
  EXPECT_EQ(Run({u"info", g_.exe, u"--json"}), kExitDone) << Output();
  ASSERT_EQ(lines_.size(), 2u) << Output();
  const std::string json = ToUtf8(lines_[0]);
  for (const char* field : {R"("step":"info")", R"("result":"read")",
                            R"("gameVersion":{"war3.exe":null,"game.dll":null})",
                            R"("patchVersion":{"war3.exe":null,"game.dll":null})",
                            R"("restorable":1,)", R"("newestRestorable":"2026-12-07 10:00:00")",
                            R"("restoreStopsAt":null)", R"("unfinished":[])", R"("installs":[])"}) {
    EXPECT_NE(json.find(field), std::string::npos) << field << "\n" << json;
  }
  EXPECT_EQ(ToUtf8(lines_[1]), R"({"step":"exit","path":")" + ToUtf8(JsonString(g_.exe)).substr(1) +
                                   R"(,"result":"done","error":"","code":0})");
  EXPECT_EQ(testing::Tree(*disk_, disk_->root()), before);

  EXPECT_EQ(Run({u"info", g_.game + u"elsewhere\\war3.exe"}), kExitRefused);
  EXPECT_TRUE(Says(ToUtf8(texts::kMsgFolderMissing))) << Output();
}

TEST_F(CliVersions, InfoWithoutAPathNamesTheRegisteredInstalls) {
  fs_->SetRegisteredInstalls({{u"HKCU 32", u"d:\\魔兽"}, {u"HKLM 64", u"e:\\war3"}});
  EXPECT_EQ(Run({u"info", u"--json"}), kExitDone) << Output();
  EXPECT_TRUE(Says(R"("gameFolder":null)")) << Output();
  EXPECT_TRUE(Says(R"("installs":[{"where":"HKCU 32","folder":"d:\\魔兽"},)"
                   R"({"where":"HKLM 64","folder":"e:\\war3"}])"))
      << Output();
  EXPECT_EQ(Run({u"info"}), kExitDone);
  EXPECT_TRUE(Says("d:\\魔兽（HKCU 32）")) << Output();
}

TEST_F(CliVersions, ForceIsForPatchAndInfoChangesNothingByAnyOption) {
  EXPECT_EQ(Run({u"restore", g_.exe, u"--force"}), kExitUsage);
  EXPECT_EQ(Run({u"info", g_.exe, u"--dry-run"}), kExitUsage);
  EXPECT_EQ(Run({u"info", g_.exe, u"--all"}), kExitUsage);
  EXPECT_EQ(Run({u"info", g_.exe, u"x"}), kExitUsage);
}

}  // namespace
}  // namespace torvane::cli
