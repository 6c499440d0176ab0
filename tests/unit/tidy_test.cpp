#include "job/tidy.h"

#include <gtest/gtest.h>

#include "job/report_text.h"
#include "job/safe_move.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/unfaithful_copies.h"

namespace torvane {
namespace {

using testing::FakeRuntime;

TEST(KeepRule, WholeEntriesAndPartsStayInAnyCase) {
  const std::u16string game = GameKeepList();
  EXPECT_EQ(std::count(game.begin(), game.end(), u'|'), 26);
  EXPECT_EQ(game, LowerCase(game));
  for (const char16_t* kept : {u"War3.exe", u"GAME.DLL", u"Frozen Throne.exe", u"warmp.MIXTAPE",
                               u"war3", u"ame.dll", u"w", u"Warcraft III.exe"}) {
    EXPECT_TRUE(IsKept(game, LowerCase(kept))) << ToUtf8(kept);
  }
  for (const char16_t* moved : {u"war3.exe.bak", u"readme.txt", u"war3.exe|x", u"vTemp",
                                u"game.dll ", u"War3Patch.mpq.old"}) {
    EXPECT_FALSE(IsKept(game, LowerCase(moved))) << ToUtf8(moved);
  }
  const std::u16string miles = MilesKeepList();
  EXPECT_EQ(std::count(miles.begin(), miles.end(), u'|'), 7);
  EXPECT_TRUE(IsKept(miles, LowerCase(u"MSSFAST.M3D")));
  EXPECT_FALSE(IsKept(miles, u"game.dll"));
}

class Tidy : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile(u"c:\\g\\war3.exe", "exe");
    fs_.AddFile(u"c:\\g\\notes.txt", "notes");
    fs_.AddFolder(u"c:\\g\\maps");
    fs_.AddFile(u"c:\\g\\maps\\x.w3m", "map");
    fs_.AddFile(u"c:\\g\\redist\\miles\\extra.flt", "flt");
    fs_.AddFolder(u"c:\\journal");
    journal_ = std::move(Journal::Create(fs_, u"c:\\journal\\j.txt").value());
  }
  TidyReport Clear(const std::u16string& path) { return ClearRedundantFiles(path, fs_, *journal_); }

  FakeRuntime fs_;
  std::unique_ptr<Journal> journal_;
};

TEST_F(Tidy, EmptyPathMovesNothingAndCreatesNoFolder) {
  const std::uint64_t before = fs_.calls();
  EXPECT_TRUE(Clear(u"").complete());
  EXPECT_EQ(fs_.calls(), before);
}

TEST_F(Tidy, PathWithoutBackslashWar3ExeMovesNothing) {
  for (std::u16string path : {u"war3.exe", u"c:\\g\\mywar3.exe"}) {
    EXPECT_TRUE(Clear(path).complete());
  }
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\notes.txt"));
  EXPECT_FALSE(fs_.Exists(u"c:\\g\\vtemp"));
}

TEST_F(Tidy, AudioFolderNeedsAnOrdinaryMssfast) {
  const std::u16string path = u"c:\\g\\war3.exe";
  EXPECT_TRUE(Clear(path).complete());
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\redist\\miles\\extra.flt"));  // no Mssfast.m3d
  EXPECT_EQ(fs_.Content(u"c:\\g\\vTemp\\notes.txt"), "notes");
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\maps\\x.w3m"));

  fs_.AddFile(u"c:\\g\\redist\\miles\\Mssfast.m3d", "m3d", kAttrHidden);
  EXPECT_TRUE(Clear(path).complete());
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\redist\\miles\\extra.flt"));  // hidden probe is not seen

  ASSERT_TRUE(fs_.SetAttr(u"c:\\g\\redist\\miles\\Mssfast.m3d", 0).ok());
  EXPECT_TRUE(Clear(path).complete());
  EXPECT_EQ(fs_.Content(u"c:\\g\\redist\\miles\\vTemp\\extra.flt"), "flt");
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\redist\\miles\\Mssfast.m3d"));
}

TEST_F(Tidy, ExistingVTempIsUsedAndNothingInItIsOverwritten) {
  fs_.AddFile(u"c:\\g\\vTemp\\notes.txt", "earlier notes");
  fs_.AddFile(u"c:\\g\\vTemp\\notes (2).txt", "earlier notes 2");
  EXPECT_TRUE(Clear(u"c:\\g\\war3.exe").complete());
  EXPECT_EQ(fs_.Content(u"c:\\g\\vTemp\\notes.txt"), "earlier notes");
  EXPECT_EQ(fs_.Content(u"c:\\g\\vTemp\\notes (2).txt"), "earlier notes 2");
  EXPECT_EQ(fs_.Content(u"c:\\g\\vTemp\\notes (3).txt"), "notes");
}

// Every name of both keep-lists, spelled as the game ships it and in mixed case, stays; the
// same name one letter off is the user's and goes. The names are written out here rather
// than taken from the lists, so that a slip in one entry shows.
TEST_F(Tidy, EveryKeptNameStaysInAnyCaseAndANameOneLetterOffGoes) {
  const std::vector<std::u16string> game = {
      u"blizzard.ax",   u"bncache.dat",       u"BNetEditor.exe",   u"BNetEditor.ini",
      u"BNUpdate.exe",  u"Frozen Throne.exe", u"Game.dll",         u"Mss32.dll",
      u"RegSetup.exe",  u"settings.dat",      u"setup.bat",        u"SetupReg.exe",
      u"worldedit.exe", u"Unwise.exe",        u"ijl15.dll",        u"SFmpq.dll",
      u"Storm.dll",     u"War3.exe",          u"War3.mpq",         u"War3Patch.mpq",
      u"War3x.mpq",     u"War3xlocal.mpq",    u"Warcraft III.exe", u"World Editor.exe",
      u"msvcn80.dll",   u"WarMP.mixtape"};
  const std::vector<std::u16string> miles = {u"Mp3dec.asi",   u"Mss32.cpp",   u"Mss32.dll",
                                             u"Mssdolby.m3d", u"Msseax2.m3d", u"Mssfast.m3d",
                                             u"Reverb3.flt"};
  const auto mixed = [](std::u16string name) {
    for (size_t i = 0; i < name.size(); i += 2) {
      if (name[i] >= u'a' && name[i] <= u'z') name[i] = name[i] - u'a' + u'A';
    }
    return name;
  };
  const auto oneOff = [](std::u16string name) {
    name[0] = u'q';
    return name;
  };
  for (const auto& [folder, names] :
       {std::pair{std::u16string(u"c:\\g\\"), game},
        std::pair{std::u16string(u"c:\\g\\redist\\miles\\"), miles}}) {
    for (const std::u16string& name : names) {
      fs_.AddFile(folder + mixed(name), "kept");
      fs_.AddFile(folder + oneOff(name), "the user's");
    }
  }
  EXPECT_TRUE(Clear(u"c:\\g\\war3.exe").complete());
  for (const auto& [folder, names] :
       {std::pair{std::u16string(u"c:\\g\\"), game},
        std::pair{std::u16string(u"c:\\g\\redist\\miles\\"), miles}}) {
    for (const std::u16string& name : names) {
      EXPECT_EQ(fs_.Content(folder + name), "kept") << ToUtf8(folder + mixed(name));
      EXPECT_EQ(fs_.Content(folder + u"vTemp\\" + oneOff(name)), "the user's")
          << ToUtf8(folder + oneOff(name));
    }
  }
}

TEST_F(Tidy, FailedMoveKeepsTheFileAndItsAttributes) {
  fs_.AddFile(u"c:\\g\\busy.log", "log", kAttrHidden | kAttrReadOnly);
  fs_.HoldOpen(u"c:\\g\\busy.log");
  const TidyReport report = Clear(u"c:\\g\\war3.exe");
  ASSERT_EQ(report.notMoved.size(), 1u);
  EXPECT_EQ(report.notMoved[0].path, u"c:\\g\\busy.log");
  EXPECT_EQ(report.notMoved[0].error.kind, ErrorKind::kInUse);
  EXPECT_EQ(fs_.Attributes(u"c:\\g\\busy.log"), kAttrHidden | kAttrReadOnly);
}

TEST_F(Tidy, FailedListingIsReported) {
  fs_.Inject({testing::Op::kList, {}, u"*.*", ErrorKind::kOther, -1});
  const TidyReport report = Clear(u"c:\\g\\war3.exe");
  ASSERT_EQ(report.notListed.size(), 1u);
  EXPECT_EQ(report.notListed[0].path, u"c:\\g\\");
}

// The question before a job relies on the plan's promise that nothing would change: what
// the tidy leaves by rule keeps that promise, a folder it cannot read breaks it.
TEST_F(Tidy, APlanPromisesNoChangeOnlyWhenItReadEveryFolder) {
  const std::u16string path = u"c:\\g\\war3.exe";
  fs_.Erase(u"c:\\g\\notes.txt");
  fs_.Erase(u"c:\\g\\redist\\miles\\extra.flt");
  fs_.AddFile(u"c:\\g\\redist\\miles\\Mssfast.m3d", "m3d");
  fs_.AddFile(u"c:\\g\\notes.txt.", "a name Windows would rewrite");
  EXPECT_FALSE(PlanTidy(path, fs_).ChangesAnything());

  // Each listing fails on every attempt: a folder's twice, the probe's once.
  const std::tuple<const char16_t*, int, Closed> unread[] = {
      {u"g\\*.*", 2, Closed::kUnlisted},
      {u"mssfast.m3d", 1, Closed::kUnprobed},
      {u"miles\\*.*", 2, Closed::kUnlisted},
  };
  for (const auto& [listing, attempts, closed] : unread) {
    SCOPED_TRACE(ToUtf8(listing));
    fs_.Inject({testing::Op::kList, {}, listing, ErrorKind::kOther, attempts});
    const TidyPlan plan = PlanTidy(path, fs_);
    EXPECT_TRUE(plan.ChangesAnything());
    ASSERT_EQ(plan.folders.size(), 2u);
    EXPECT_TRUE(plan.folders[0].closed == closed || plan.folders[1].closed == closed);
  }

  // The audio folder's pass runs even so: its vTemp is made, the folder is reported.
  fs_.Inject({testing::Op::kList, {}, u"miles\\*.*", ErrorKind::kOther, 2});
  const TidyReport report = Clear(path);
  ASSERT_EQ(report.notListed.size(), 1u);
  EXPECT_EQ(report.notListed[0].path, u"c:\\g\\redist\\miles\\");
  EXPECT_TRUE(fs_.Exists(u"c:\\g\\redist\\miles\\vTemp"));
}

TEST(CopyName, FollowsExplorer) {
  EXPECT_EQ(CopyName(u"war3patch.mpq", 1), u"war3patch.mpq");
  EXPECT_EQ(CopyName(u"war3patch.mpq", 2), u"war3patch (2).mpq");
  EXPECT_EQ(CopyName(u"readme", 3), u"readme (3)");
  EXPECT_EQ(CopyName(u".hidden", 2), u".hidden (2)");
  EXPECT_EQ(CopyName(u"a.tar.gz", 10), u"a.tar (10).gz");
}

TEST(SafeMove, AcrossVolumesCopiesThenDeletesUnderAFreeName) {
  FakeRuntime fs;
  fs.AddFile(u"d:\\x\\big.bin", "data");
  fs.AddFolder(u"c:\\q");
  fs.AddFile(u"c:\\q\\big.bin", "older");
  const Result<std::u16string> free = FreePathIn(fs, u"c:\\q", u"big.bin");
  ASSERT_TRUE(free.ok());
  EXPECT_EQ(free.value(), u"c:\\q\\big (2).bin");
  ASSERT_TRUE(SafeMove(fs, u"d:\\x\\big.bin", free.value()).ok());
  EXPECT_EQ(fs.Content(u"c:\\q\\big (2).bin"), "data");
  EXPECT_EQ(fs.Content(u"c:\\q\\big.bin"), "older");
  EXPECT_FALSE(fs.Exists(u"d:\\x\\big.bin"));

  // The original cannot leave: the copy is taken back, the file exists once.
  fs.AddFile(u"d:\\x\\held.bin", "held");
  fs.Inject({testing::Op::kDelete, {}, u"d:\\x\\held.bin", ErrorKind::kAccessDenied, 1});
  EXPECT_FALSE(SafeMove(fs, u"d:\\x\\held.bin", u"c:\\q\\held.bin").ok());
  EXPECT_TRUE(fs.Exists(u"d:\\x\\held.bin"));
  EXPECT_FALSE(fs.Exists(u"c:\\q\\held.bin"));
}

// A copy on the other drive that reads back otherwise is taken back: the file stays where
// it was, once, and the failure is the tool's own finding, with no system message.
TEST(SafeMove, ACopyThatReadsBackOtherwiseLeavesTheFileWhereItWas) {
  FakeRuntime fs;
  fs.AddFile(u"d:\\x\\big.bin", "data");
  fs.AddFolder(u"c:\\q");
  testing::UnfaithfulCopies rt(fs, u"c:\\q\\");
  const Status moved = SafeMove(rt, u"d:\\x\\big.bin", u"c:\\q\\big.bin");
  ASSERT_TRUE(moved.Is(ErrorKind::kReadBackDiffers));
  EXPECT_EQ(moved.error().description, u"");
  EXPECT_EQ(fs.Content(u"d:\\x\\big.bin"), "data");
  EXPECT_FALSE(fs.Exists(u"c:\\q\\big.bin"));
  EXPECT_EQ(LineOf({u"d:\\x\\big.bin", moved.error()}),
            std::u16string(u"d:\\x\\big.bin  错误:") + texts::kMsgMovedCopyDiffers);
}

}  // namespace
}  // namespace torvane
