// The patch job on a whole game folder, as a user runs it. These run natively on the
// in-memory file system and, unchanged, on real folders under Windows (Wine).
#include <gtest/gtest.h>

#include "job/patch_job.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/disk.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

class JobScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
  }
  void Run(const std::u16string& text) { Job(text, disk_->runtime()); }
  std::string Read(const std::u16string& path) {
    return disk_->ReadFile(path).value_or("<missing>");
  }
  const ShownBox& OnlyBox() {
    EXPECT_EQ(disk_->boxes().size(), 1u);
    static const ShownBox none;
    return disk_->boxes().empty() ? none : disk_->boxes().back();
  }
  void ExpectDone() {
    const ShownBox& box = OnlyBox();
    EXPECT_EQ(box.prompt, texts::kMsgDone) << ToUtf8(box.prompt);
    EXPECT_EQ(box.flags, 64u);
    EXPECT_EQ(box.title, texts::kTitleInfo);
  }
  void ExpectReplaced() {
    for (const auto& [name, content] : g_.patch) EXPECT_EQ(Read(g_.Game(name)), content);
  }
  void ExpectVersionFilesUnchanged() {
    for (const char* name : {"War3.exe", "Game.dll", "Storm.dll", "War3Patch.mpq"}) {
      EXPECT_EQ(Read(g_.Game(FromUtf8(name))), std::string("old ") + name);
    }
  }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
};

TEST_F(JobScenario, FullJobReplacesVersionFilesKeepsOriginalsAndTidies) {
  Run(g_.exe);
  ExpectDone();
  ExpectReplaced();
  // The originals are kept, never destroyed.
  EXPECT_EQ(Read(g_.Game(u"vTemp\\Game.dll")), "old Game.dll");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\War3.exe")), "old War3.exe");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\msvcn80.dll")), "old msvcn80.dll");
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"msvcn80.dll")));
  // Redundant files moved; kept names and parts of names stay; folders are not entered.
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\war3.exe.bak")), "old war3.exe.bak");
  EXPECT_EQ(Read(g_.Game(u"War3.mpq")), "old War3.mpq");
  EXPECT_EQ(Read(g_.Game(u"Frozen Throne.exe")), "old Frozen Throne.exe");
  EXPECT_EQ(Read(g_.Game(u"ame.dll")), "old ame.dll");
  EXPECT_EQ(Read(g_.Game(u"maps\\(2)Map.w3m")), "a map");
  EXPECT_EQ(Read(g_.Miles(u"vTemp\\extra.flt")), "miles extra.flt");
  EXPECT_EQ(Read(g_.Miles(u"Mss32.dll")), "miles Mss32.dll");
}

TEST_F(JobScenario, HiddenSystemAndReadOnlyFilesArriveWithNormalAttributes) {
  disk_->WriteFile(g_.Game(u"hidden.txt"), "h", kAttrHidden);
  disk_->WriteFile(g_.Game(u"system.sys"), "s", kAttrSystem | kAttrHidden);
  disk_->WriteFile(g_.Game(u"locked.ini"), "r", kAttrReadOnly);
  Run(g_.exe);
  ExpectDone();
  for (const char16_t* name : {u"hidden.txt", u"system.sys", u"locked.ini"}) {
    EXPECT_FALSE(disk_->ReadFile(g_.Game(name))) << ToUtf8(name);
    EXPECT_EQ(disk_->Attributes(g_.Game(u"vTemp\\") + name), 0u) << ToUtf8(name);
  }
}

TEST_F(JobScenario, SecondRunReusesVTempAndNamesCollisionsLikeExplorer) {
  Run(g_.exe);
  disk_->WriteFile(g_.Game(u"readme.txt"), "second readme");
  disk_->WriteFile(g_.Game(u"game.dll"), "someone's own game.dll", kAttrNormal);
  Run(g_.exe);
  ASSERT_EQ(disk_->boxes().size(), 2u);
  EXPECT_EQ(disk_->boxes()[1].prompt, texts::kMsgDone);
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme (2).txt")), "second readme");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\game (2).dll")), "someone's own game.dll");
  // Files already identical to their replacement are not kept a second time.
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"vTemp\\storm (2).dll")));
  EXPECT_EQ(Read(g_.Game(u"game.dll")), g_.patch[u"game.dll"]);
}

TEST_F(JobScenario, FileHeldOpenStaysInPlaceAndIsReported) {
  disk_->HoldOpen(g_.Game(u"readme.txt"));
  Run(g_.exe);
  disk_->Release(g_.Game(u"readme.txt"));
  const ShownBox& box = OnlyBox();
  EXPECT_EQ(box.flags, 48u);
  EXPECT_EQ(box.title, texts::kTitleError);
  EXPECT_TRUE(Contains(LowerCase(box.prompt), LowerCase(g_.Game(u"readme.txt"))))
      << ToUtf8(box.prompt);
  EXPECT_TRUE(Contains(box.prompt, texts::kMsgNotMoved));
  EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"vTemp\\readme.txt")));
  EXPECT_EQ(Read(g_.Game(u"vTemp\\war3.exe.bak")), "old war3.exe.bak");
  ExpectReplaced();
}

TEST_F(JobScenario, FileNamedVTempInTheWayKeepsEverythingAndIsReported) {
  disk_->WriteFile(g_.Game(u"vTemp"), "not a folder");
  Run(g_.exe);
  const ShownBox& box = OnlyBox();
  EXPECT_EQ(box.flags, 16u);
  EXPECT_EQ(box.prompt.rfind(texts::kMsgCannotMakeVTemp, 0), 0u) << ToUtf8(box.prompt);
  EXPECT_EQ(Read(g_.Game(u"vTemp")), "not a folder");
  EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");
  EXPECT_EQ(Read(g_.Game(u"msvcn80.dll")), "old msvcn80.dll");
}

TEST_F(JobScenario, MissingPatchSourceLeavesTheFolderUntouched) {
  disk_->Remove(g_.tool + u"\\patch\\storm.dll");
  const auto before = disk_->List(g_.game);
  Run(g_.exe);
  const ShownBox& box = OnlyBox();
  EXPECT_EQ(box.flags, 16u);
  EXPECT_EQ(box.title, texts::kTitleError);
  EXPECT_TRUE(Contains(box.prompt, u"patch\\storm.dll")) << ToUtf8(box.prompt);
  EXPECT_FALSE(Contains(box.prompt, u"patch\\game.dll"));
  EXPECT_EQ(disk_->List(g_.game), before);
  ExpectVersionFilesUnchanged();
}

TEST_F(JobScenario, Msvcn80ThatCannotBeRemovedStopsTheJob) {
  // Hidden and system: the look after the move must still see it.
  disk_->WriteFile(g_.Game(u"msvcn80.dll"), "old msvcn80.dll", kAttrHidden | kAttrSystem);
  disk_->HoldOpen(g_.Game(u"msvcn80.dll"));
  Run(g_.exe);
  disk_->Release(g_.Game(u"msvcn80.dll"));
  const ShownBox& box = OnlyBox();
  EXPECT_EQ(box.prompt, texts::kMsgProbeFailed);
  EXPECT_EQ(box.flags, 48u);
  EXPECT_EQ(box.title, texts::kTitleError);
  ExpectVersionFilesUnchanged();
  EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");
}

TEST_F(JobScenario, UnusablePathsAreRefusedBeforeAnythingIsTouched) {
  const auto before = disk_->List(g_.game);
  struct Case {
    std::u16string text;
    std::u16string prompt;  // empty: only the start is known
  };
  const std::vector<Case> cases = {
      {u"", texts::kMsgNoPath},
      {g_.game + u"war3.ex", texts::kMsgNoPath},
      {g_.game + u"*\\war3.exe", texts::kMsgWildcards},
      {g_.game + u"war?.exe\\war3.exe", texts::kMsgWildcards},
      {u"war3.exe", texts::kMsgNotFullPath},
      {g_.game + u"no such folder\\war3.exe", u""},
      // Only war3.exe itself: a backup of it, or a name that merely holds it, is not the game.
      {g_.game + u"War3.exe.bak", texts::kMsgNoPath},
      {g_.game + u"mywar3.exe", texts::kMsgNoPath},
      {g_.game + u"war3.exe\\..\\readme.txt", texts::kMsgNoPath},
  };
  for (const Case& c : cases) {
    const size_t shown = disk_->boxes().size();
    Run(c.text);
    ASSERT_EQ(disk_->boxes().size(), shown + 1) << ToUtf8(c.text);
    const ShownBox& box = disk_->boxes().back();
    if (c.prompt.empty()) {
      EXPECT_EQ(box.prompt.rfind(texts::kMsgFolderMissing, 0), 0u) << ToUtf8(box.prompt);
    } else {
      EXPECT_EQ(box.prompt, c.prompt) << ToUtf8(c.text);
    }
    EXPECT_EQ(box.flags, 16u);
    EXPECT_EQ(box.title, texts::kTitleError);
  }
  EXPECT_EQ(disk_->List(g_.game), before);
  ExpectVersionFilesUnchanged();
}

// A backup drive's "war3.exe 备份\Warcraft III\": the folder's name is the folder's.
TEST_F(JobScenario, AGameUnderAFolderWhoseNameHoldsWar3ExeIsPatched) {
  g_ = MakeGameFolder(*disk_, u"war3.exe 备份\\Warcraft III");
  Run(g_.exe);
  ExpectDone();
  ExpectReplaced();
  EXPECT_EQ(Read(g_.Game(u"vTemp\\Game.dll")), "old Game.dll");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
}

TEST_F(JobScenario, MixedCaseAndNonAsciiPathsWork) {
  g_ = MakeGameFolder(*disk_, u"魔兽争霸Ⅲ Ünïcødé ÀÉ 한국어 ไทย");  // beyond code page 936
  Run(LowerCase(g_.game) + u"WAR3.EXE");
  ExpectDone();
  ExpectReplaced();
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
}

TEST_F(JobScenario, PathsLongerThanTheClassicLimitWork) {
  const std::u16string deep =
      u"长路径 " + std::u16string(120, u'x') + u"\\" + std::u16string(120, u'y') + u"\\魔兽争霸";
  g_ = MakeGameFolder(*disk_, deep);
  ASSERT_GT(g_.Game(u"vTemp\\war3patch (2).mpq").size(), 260u);
  disk_->WriteFile(g_.Game(u"vTemp\\war3patch.mpq"), "kept earlier");
  Run(g_.exe);
  ExpectDone();
  ExpectReplaced();
  EXPECT_EQ(Read(g_.Game(u"vTemp\\war3patch (2).mpq")), "old War3Patch.mpq");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
  EXPECT_EQ(Read(g_.Miles(u"vTemp\\extra.flt")), "miles extra.flt");
}

TEST_F(JobScenario, FileAlreadyIdenticalToItsReplacementIsLeftAlone) {
  disk_->WriteFile(g_.Game(u"Storm.dll"), g_.patch[u"storm.dll"]);
  Run(g_.exe);
  ExpectDone();
  EXPECT_EQ(Read(g_.Game(u"storm.dll")), g_.patch[u"storm.dll"]);
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"vTemp\\Storm.dll")));
}

TEST_F(JobScenario, RestoresAMissingWar3Exe) {
  // A war3.exe that something removed is put back, not refused.
  disk_->Remove(g_.Game(u"War3.exe"));
  Run(g_.game + u"war3.exe");
  ExpectDone();
  EXPECT_EQ(Read(g_.Game(u"war3.exe")), g_.patch[u"war3.exe"]);
}

TEST_F(JobScenario, AFolderWithoutTheGamesArchiveIsNeverTidied) {
  disk_->Remove(g_.Game(u"War3.mpq"));
  const auto start = Tree(*disk_, g_.game);
  Run(g_.exe);
  EXPECT_EQ(disk_->boxes().back().prompt.rfind(texts::kMsgNoWar3Mpq, 0), 0u)
      << ToUtf8(disk_->boxes().back().prompt);
  EXPECT_EQ(disk_->boxes().back().flags, 16u);
  EXPECT_EQ(Tree(*disk_, g_.game), start);
}

TEST_F(JobScenario, TheRunningToolStandingInTheGameFolderIsNeverMoved) {
  disk_->WriteFile(g_.Game(u"1.24e 补丁工具.exe"), "this very program");
  disk_->WriteFile(g_.Game(u"other tool.exe"), "another program");
  // Another spelling of the same file: recognised by identity, not by its name.
  disk_->SetProgramPath(LowerCase(g_.game) + u"1.24E 补丁工具.EXE");
  Run(g_.exe);
  EXPECT_EQ(disk_->boxes().back().prompt, texts::kMsgDone);
  EXPECT_EQ(Read(g_.Game(u"1.24e 补丁工具.exe")), "this very program");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\other tool.exe")), "another program");
}

// Users unpack the release into the game folder: the window and the command line that
// come with it stay, whichever of them runs the job.
TEST_F(JobScenario, TheToolsProgramsUnpackedIntoTheGameFolderStay) {
  for (const char16_t* running : {u"Torvane.exe", u"torvane-cli.exe"}) {
    SCOPED_TRACE(ToUtf8(running));
    disk_->WriteFile(g_.Game(u"Torvane.exe"), "the window");
    disk_->WriteFile(g_.Game(u"torvane-cli.exe"), "the command line");
    disk_->SetToolFolder(g_.game.substr(0, g_.game.size() - 1));
    disk_->SetProgramPath(g_.Game(running));
    for (const auto& [name, content] : g_.patch) {
      disk_->WriteFile(g_.Game(u"patch\\") + name, content);
    }
    Run(g_.exe);
    EXPECT_EQ(disk_->boxes().back().prompt, texts::kMsgDone);
    EXPECT_EQ(Read(g_.Game(u"Torvane.exe")), "the window");
    EXPECT_EQ(Read(g_.Game(u"torvane-cli.exe")), "the command line");
    EXPECT_EQ(Read(g_.Game(u"patch\\game.dll")), g_.patch[u"game.dll"]);
    disk_->QueueAnswer(kIdYes);
    Restore(g_.exe, disk_->runtime());
  }
}

}  // namespace
}  // namespace torvane::testing
