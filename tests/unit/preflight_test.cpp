// The checks before a job touches anything, on the in-memory file system: programs using
// the game (started from its folder, however that folder is spelt, or holding a version
// file open; the tool's own programs never count), missing rights, with the offer to
// start again as administrator, and too little room on the game's drive. Whatever stops
// the job leaves every file as it was.
#include "job/preflight.h"

#include <gtest/gtest.h>

#include "job/patch_job.h"
#include "resources/texts.h"
#include "runtime/command_line.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/window_runs.h"

namespace torvane {
namespace {

using testing::FakeRuntime;
using testing::Op;

class Preflight : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = testing::MakeDisk();
    g_ = testing::MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
    before_ = fs_->FilesBelow(g_.game);
  }

  // The whole job, which must stop before touching anything.
  void ExpectRefusedUntouched() {
    EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
    EXPECT_EQ(fs_->FilesBelow(g_.game), before_);
    EXPECT_FALSE(fs_->Exists(g_.Game(u"vTemp")));
    ASSERT_EQ(fs_->boxes().size(), 1u);
  }
  const testing::ShownBox& Box() const { return fs_->boxes().front(); }

  std::unique_ptr<testing::Disk> disk_;
  testing::GameFolder g_;
  FakeRuntime* fs_ = nullptr;
  std::map<std::u16string, std::string> before_;
};

// A Yes/No question about versions comes only once the job could go on: a user who
// answers Yes is never refused afterwards.
TEST_F(Preflight, AJobThatWouldBeRefusedAsksNoVersionQuestionFirst) {
  fs_->AddFile(g_.tool + u"\\patch\\war3.exe", testing::VersionedContent("1.24.4.6387"));
  fs_->AddFile(g_.tool + u"\\patch\\game.dll", testing::VersionedContent("1.26.0.6401"));
  fs_->AddProgram({4242, g_.Game(u"war3.exe"), u"war3.exe"});
  ExpectRefusedUntouched();
  EXPECT_EQ(Box().flags & kMbYesNo, 0u);
  EXPECT_EQ(Box().prompt.rfind(texts::kMsgProgramsRunning, 0), 0u) << ToUtf8(Box().prompt);
}

TEST_F(Preflight, ProgramsUsingTheGameStopTheJobNamedWithTheirProcessIds) {
  fs_->AddProgram({4242, g_.Game(u"war3.exe"), u"war3.exe"});
  fs_->AddFile(u"d:\\tools\\editor.exe", "editor");
  fs_->AddFileUser({77, u"d:\\tools\\editor.exe", u"editor.exe"}, g_.Game(u"Game.dll"));
  // The launcher both runs from the folder and holds a file: named once.
  fs_->AddProgram({5, g_.Game(u"Frozen Throne.exe"), u"Frozen Throne.exe"});
  fs_->AddFileUser({5, g_.Game(u"Frozen Throne.exe"), u"Frozen Throne.exe"}, g_.Game(u"war3.exe"));
  // Elsewhere, or nameless: not in the way.
  fs_->AddProgram({9, u"c:\\windows\\explorer.exe", u"explorer.exe"});
  fs_->AddProgram({10, u"", u"System"});
  ExpectRefusedUntouched();
  EXPECT_EQ(Box().prompt, std::u16string(texts::kMsgProgramsRunning) +
                              u"\r\nwar3.exe（进程 4242）\r\nFrozen Throne.exe（进程 5）"
                              u"\r\neditor.exe（进程 77）\r\n\r\n游戏文件夹没有任何改动。");
  EXPECT_EQ(Box().flags, kMbOk | kMbIconExclamation);
  EXPECT_EQ(Box().title, texts::kTitleError);
}

TEST_F(Preflight, TheGameFolderIsRecognisedUnderAnotherSpelling) {
  fs_->AddAlias(u"x:\\", g_.game);
  fs_->AddProgram({31, u"X:\\War3.exe", u"War3.exe"});
  ExpectRefusedUntouched();
  EXPECT_TRUE(Contains(Box().prompt, u"War3.exe（进程 31）"));
}

TEST_F(Preflight, TheToolsOwnProgramsAreKnownByIdentityNotByName) {
  // This program, kept in the game folder under another name, and its command line
  // sibling beside it: never in the way.
  fs_->AddFile(g_.Game(u"1.24e补丁.exe"), "torvane");
  fs_->SetProgramPath(g_.Game(u"1.24e补丁.exe"));
  fs_->AddProgram({100, g_.Game(u"1.24e补丁.exe"), u"1.24e补丁.exe"});
  fs_->AddFile(g_.tool + u"\\torvane-cli.exe", "cli");
  fs_->AddAlias(u"y:\\", g_.tool);
  fs_->AddProgram({101, u"y:\\torvane-cli.exe", u"torvane-cli.exe"});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);

  // A stranger's program that merely bears the tool's name is in the way.
  auto disk = testing::MakeDisk();
  const testing::GameFolder g = testing::MakeGameFolder(*disk);
  auto& fs = static_cast<FakeRuntime&>(disk->runtime());
  fs.AddFile(g.Game(u"Torvane.exe"), "someone else's");
  fs.AddProgram({102, g.Game(u"Torvane.exe"), u"Torvane.exe"});
  EXPECT_EQ(OutcomeOf(Job(g.exe, fs)), Outcome::kNothingChanged);
  EXPECT_TRUE(Contains(fs.boxes().back().prompt, u"Torvane.exe（进程 102）"));
}

TEST_F(Preflight, ProcessListsThatCannotBeHadDoNotStopTheJob) {
  fs_->Inject({Op::kRunningPrograms, {}, u"", ErrorKind::kOther, -1});
  fs_->Inject({Op::kProgramsUsing, {}, u"", ErrorKind::kOther, -1});
  fs_->Inject({Op::kIdentityOf, {}, u"", ErrorKind::kOther, -1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
}

// Where the tool may not write, and what the user is offered.
struct RightsCase {
  const char* name;
  Op probe;
  const char16_t* where;  // part of the refused path
  bool elevated;
  int answer;  // to the offer
  bool restartFails;
};

class MissingRights : public Preflight, public ::testing::WithParamInterface<RightsCase> {};

TEST_P(MissingRights, StopTheJobAndOfferAdministratorOnlyWhenNotElevated) {
  const RightsCase& c = GetParam();
  fs_->AddFolder(g_.Game(u"vTemp"));  // an earlier job's vTemp is probed too
  before_ = fs_->FilesBelow(g_.game);
  fs_->Inject({c.probe, {}, c.where, ErrorKind::kAccessDenied, -1});
  if (c.restartFails) fs_->Inject({Op::kRestartElevated, {}, u"", ErrorKind::kOther, 1});
  fs_->SetElevated(c.elevated);
  fs_->QueueAnswer(c.answer);
  const std::u16string typed = g_.game + u"War3.exe";

  EXPECT_EQ(OutcomeOf(Job(typed, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->FilesBelow(g_.game), before_);
  ASSERT_FALSE(fs_->boxes().empty());
  const testing::ShownBox& box = fs_->boxes().front();
  EXPECT_EQ(box.title, texts::kTitleError);
  EXPECT_TRUE(Contains(LowerCase(box.prompt), LowerCase(c.where))) << ToUtf8(box.prompt);
  EXPECT_TRUE(Contains(box.prompt, texts::kMsgNothingChanged));
  if (c.elevated) {
    // The file and the platform's error; nothing offered.
    EXPECT_EQ(box.flags, kMbOk | kMbIconStop);
    EXPECT_TRUE(Contains(box.prompt, u"错误:拒绝访问。"));
    EXPECT_TRUE(fs_->restarts().empty());
    return;
  }
  EXPECT_EQ(box.flags, kMbYesNo | kMbIconExclamation);
  EXPECT_TRUE(Contains(box.prompt, texts::kMsgOfferAdmin));
  if (c.answer != kIdYes) {
    EXPECT_TRUE(fs_->restarts().empty());
    EXPECT_EQ(fs_->boxes().size(), 1u);
  } else if (c.restartFails) {
    ASSERT_EQ(fs_->boxes().size(), 2u);
    EXPECT_TRUE(Contains(fs_->boxes()[1].prompt, texts::kMsgRestartFailed));
  } else {
    // The new instance gets the path exactly as typed.
    EXPECT_EQ(fs_->restarts(), std::vector<std::u16string>{typed});
    EXPECT_EQ(fs_->boxes().size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingRights,
    ::testing::Values(RightsCase{"FolderNo", Op::kProbeWrite, u"\\War3\\", false, 7, false},
                      RightsCase{"FolderYes", Op::kProbeWrite, u"\\War3\\", false, kIdYes, false},
                      RightsCase{"VTempYes", Op::kProbeWrite, u"vTemp", false, kIdYes, false},
                      RightsCase{"RenameYesFails", Op::kProbeRename, u"storm.dll", false, kIdYes,
                                 true},
                      RightsCase{"MsvcElevated", Op::kProbeRename, u"msvcn80.dll", true, 1, false},
                      RightsCase{"FolderElevated", Op::kProbeWrite, u"\\War3\\", true, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Preflight, OnlyMissingRightsStopTheJobOtherProbeFailuresAreLeftToIt) {
  fs_->Inject({Op::kProbeRename, {}, u"game.dll", ErrorKind::kInUse, -1});
  fs_->Inject({Op::kProbeWrite, {}, u"", ErrorKind::kDiskFull, -1});
  fs_->Inject({Op::kProbeRename, {}, u"war3patch.mpq", ErrorKind::kNotFound, -1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
}

// The staged copies need room beside the originals: each replacement not yet in place,
// and a megabyte for the journal. A byte short stops the job before anything is touched,
// with the figures a user acts on; exactly enough, or a drive that cannot say, lets it run.
TEST_F(Preflight, TooLittleRoomForTheStagedCopiesStopsTheJobWithTheFigures) {
  const std::string mpq(3 << 20, 'm');
  disk_->WriteFile(g_.tool + u"\\patch\\war3patch.mpq", mpq);
  std::uint64_t needed = (1 << 20) + mpq.size();
  for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe"}) {
    needed += g_.patch[name].size();
  }
  fs_->SetFreeSpace(u"c:", needed - 1);
  ExpectRefusedUntouched();
  EXPECT_EQ(Box().prompt,
            u"磁盘空间不足：打补丁需要在 C:\\ 上有 5 MB 可用空间，现在只有 4 MB。"
            u"请先腾出空间，然后再试一次。\r\n\r\n游戏文件夹没有任何改动。");
  EXPECT_EQ(Box().flags, kMbOk | kMbIconExclamation);
  EXPECT_EQ(Box().title, texts::kTitleError);

  // War3Patch.mpq already holds the replacement's bytes: its copy needs no room.
  disk_->WriteFile(g_.Game(u"War3Patch.mpq"), mpq);
  fs_->SetFreeSpace(u"c:", needed - mpq.size());
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  EXPECT_EQ(fs_->boxes().back().prompt, texts::kMsgDone);

  auto disk = testing::MakeDisk();
  const testing::GameFolder g = testing::MakeGameFolder(*disk);
  auto& fs = static_cast<FakeRuntime&>(disk->runtime());
  fs.Inject({Op::kFreeSpace, {}, u"", ErrorKind::kOther, -1});
  EXPECT_EQ(OutcomeOf(Job(g.exe, fs)), Outcome::kDone);
}

TEST(QuoteArgument, SurvivesThePlatformsSplittingRules) {
  EXPECT_EQ(QuoteArgument(u"C:\\Games\\war3.exe"), u"\"C:\\Games\\war3.exe\"");
  EXPECT_EQ(QuoteArgument(u"D:\\魔兽 争霸\\"), u"\"D:\\魔兽 争霸\\\\\"");
  EXPECT_EQ(QuoteArgument(u"a\\\"b"), u"\"a\\\\\\\"b\"");
  EXPECT_EQ(QuoteArgument(u""), u"\"\"");
}

}  // namespace
}  // namespace torvane
