// Versions read from the game's and the patch folder's files, before the job touches
// anything: natively over stand-in version data, under Wine over small program files
// carrying real version resources.
#include <gtest/gtest.h>

#include "job/game_info.h"
#include "job/report_text.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/support/window_runs.h"

namespace torvane {
namespace {

constexpr char k124[] = "1.24.4.6387";
constexpr char k126[] = "1.26.0.6401";
constexpr int kIdNo = 7;

class Versions : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = testing::MakeDisk();
    g_ = testing::MakeGameFolder(*disk_);
  }

  void PatchCarries(const std::string& war3, const std::string& game) {
    disk_->WriteFile(g_.tool + u"\\patch\\war3.exe", disk_->VersionedBytes(war3));
    disk_->WriteFile(g_.tool + u"\\patch\\game.dll", disk_->VersionedBytes(game));
  }
  std::map<std::u16string, std::string> Tree() const {
    return testing::Tree(*disk_, disk_->root());
  }
  Runtime& rt() { return disk_->runtime(); }
  std::vector<testing::ShownBox> Questions() const {
    std::vector<testing::ShownBox> asked;
    for (const testing::ShownBox& box : disk_->boxes()) {
      if (box.flags & kMbYesNo) asked.push_back(box);
    }
    return asked;
  }

  std::unique_ptr<testing::Disk> disk_;
  testing::GameFolder g_;
};

TEST_F(Versions, AMismatchedPatchFolderIsAskedAboutAndNoChangesNothing) {
  PatchCarries(k124, k126);
  const auto before = Tree();
  disk_->QueueAnswer(kIdNo);
  const Report report = testing::Job(g_.exe, rt());
  EXPECT_EQ(report.finding, Finding::kVersionDeclined);
  EXPECT_EQ(OutcomeOf(report), Outcome::kNothingChanged);
  EXPECT_EQ(Tree(), before) << "not even vTemp is made";
  ASSERT_EQ(disk_->boxes().size(), 1u);
  const testing::ShownBox& box = disk_->boxes()[0];
  EXPECT_EQ(box.flags, kMbYesNo | kMbIconQuestion | kMbDefButton2);
  for (const std::u16string& needle :
       {g_.tool + u"\\patch\\war3.exe", g_.tool + u"\\patch\\game.dll", FromUtf8(k124),
        FromUtf8(k126)}) {
    EXPECT_NE(LowerCase(box.prompt).find(LowerCase(needle)), std::u16string::npos)
        << ToUtf8(box.prompt);
  }
}

TEST_F(Versions, AMismatchAnsweredYesRunsTheJob) {
  PatchCarries(k124, k126);
  disk_->QueueAnswer(kIdYes);
  EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"game.dll")), disk_->VersionedBytes(k126));
}

TEST_F(Versions, MatchingOrMissingVersionsAskNothing) {
  for (const auto& [war3, game] : std::vector<std::pair<std::string, std::string>>{
           {k124, k124}, {"", ""}, {k124, ""}, {"", k126}}) {
    SetUp();
    PatchCarries(war3, game);
    EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone) << war3 << " / " << game;
    EXPECT_TRUE(Questions().empty()) << war3 << " / " << game;
  }
}

// Once the game holds the patch folder's files and the folder is tidy, a second run would
// change nothing: that alone is asked about.
TEST_F(Versions, AGameAlreadyPatchedAndTidyIsAskedAboutOnlyWhenNothingWouldChange) {
  PatchCarries(k124, k124);
  ASSERT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  const auto patched = Tree();
  disk_->QueueAnswer(kIdNo);
  const Report again = testing::Job(g_.exe, rt());
  EXPECT_EQ(again.finding, Finding::kVersionDeclined);
  EXPECT_EQ(Tree(), patched) << "no journal either";
  ASSERT_EQ(Questions().size(), 1u);
  EXPECT_NE(Questions()[0].prompt.find(texts::kMsgAlreadyPatched), std::u16string::npos);

  disk_->WriteFile(g_.Game(u"new.txt"), "left since");
  EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  EXPECT_EQ(Questions().size(), 1u) << "a file to tidy: the job just runs";
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\new.txt")), "left since");

  // Each version file in turn differs by a byte, its version unchanged: the job just runs.
  for (const std::u16string_view name : kVersionFileNames) {
    SCOPED_TRACE(ToUtf8(name));
    const std::u16string path = g_.Game(std::u16string(name));
    disk_->WriteFile(path, *disk_->ReadFile(path) + "!");
    EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(disk_->ReadFile(path),
              disk_->ReadFile(g_.tool + u"\\patch\\" + std::u16string(name)));
  }
}

// What the tidy leaves by rule it leaves on every run (the tool's own program, a name
// Windows would rewrite, a linked audio folder and what lies behind it), so a game holding
// only those is asked about, and a Yes moves none of them; one file the tidy would move,
// and the job just runs.
TEST_F(Versions, TheQuestionAndTheTidyAgreeOnWhatTheTidyLeaves) {
  PatchCarries(k124, k124);
  disk_->WriteFile(g_.Game(u"patcher.exe"), "this very program");
  disk_->SetProgramPath(g_.Game(u"patcher.exe"));
  disk_->WriteFile(g_.Game(u"notes.txt."), "odd");
  for (const char16_t* name : {u"Mssfast.m3d", u"Mss32.dll", u"extra.flt"}) {
    disk_->Remove(g_.Miles(name));
  }
  disk_->Remove(g_.Game(u"redist\\miles"));
  // Wine makes no links: there the link is scripts/linked-folder-test.sh's.
  if (disk_->MakeLink(g_.Game(u"redist\\miles"), disk_->root() + u"sounds")) {
    disk_->WriteFile(g_.Miles(u"Mssfast.m3d"), "m3d");
    disk_->WriteFile(g_.Miles(u"mine.txt"), "the user's own");
  }
  ASSERT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kTidyIncomplete);
  const auto outsideVTemp = [&] {
    std::map<std::u16string, std::string> files = Tree();
    std::erase_if(files, [](const auto& file) { return Contains(file.first, u"\\vTemp\\"); });
    return files;
  };
  const auto tidied = outsideVTemp();

  disk_->QueueAnswer(kIdNo);
  EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kVersionDeclined);
  ASSERT_EQ(Questions().size(), 1u);
  disk_->QueueAnswer(kIdYes);
  EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kTidyIncomplete);
  EXPECT_EQ(Questions().size(), 2u);
  EXPECT_EQ(outsideVTemp(), tidied) << "the question said nothing would change";

  disk_->WriteFile(g_.Game(u"new.txt"), "left since");
  EXPECT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kTidyIncomplete);
  EXPECT_EQ(Questions().size(), 2u) << "a file to tidy: the job just runs";
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\new.txt")), "left since");
  EXPECT_EQ(outsideVTemp(), tidied);
}

TEST_F(Versions, InfoTellsTheVersionsAndTheJobsToRestore) {
  disk_->WriteFile(g_.Game(u"War3.exe"), disk_->VersionedBytes(k126));
  disk_->WriteFile(g_.Game(u"Game.dll"), disk_->VersionedBytes(k126));
  PatchCarries(k124, "");
  Checked<GameInfo> read = ReadGameInfo(g_.exe, u"", rt());
  ASSERT_TRUE(std::holds_alternative<GameInfo>(read));
  GameInfo info = std::get<GameInfo>(read);
  EXPECT_EQ(LowerCase(info.gameFolder), LowerCase(g_.game));
  EXPECT_EQ(info.game.Whole(), rt().VersionOf(g_.Game(u"War3.exe")));
  ASSERT_TRUE(info.game.Whole());
  EXPECT_EQ(VersionText(*info.game.Whole()), FromUtf8(k126));
  ASSERT_TRUE(info.patch.war3);
  EXPECT_EQ(VersionText(*info.patch.war3), FromUtf8(k124));
  EXPECT_FALSE(info.patch.game);
  EXPECT_EQ(info.restorable, 0);
  // Two versions in one folder are no version of the folder: each file is named with its own.
  PatchCarries(k124, k126);
  const GameInfo mixed = std::get<GameInfo>(ReadGameInfo(g_.exe, u"", rt()));
  EXPECT_FALSE(mixed.patch.Whole());
  EXPECT_TRUE(Contains(GameInfoText(mixed), u"game.dll " + FromUtf8(k126)))
      << ToUtf8(GameInfoText(mixed));
  PatchCarries(k124, "");
  EXPECT_TRUE(info.installs.empty()) << "the registry is read only without a path";

  ASSERT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  disk_->WriteFile(g_.Game(u"new.txt"), "left since");
  ASSERT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  read = ReadGameInfo(g_.exe, u"", rt());
  info = std::get<GameInfo>(read);
  EXPECT_EQ(info.restorable, 2);
  EXPECT_FALSE(info.newestRestorable.empty());
  EXPECT_TRUE(info.unfinished.empty());
  const std::u16string text = GameInfoText(info);
  EXPECT_NE(text.find(texts::kInfoRestorable + std::u16string(u"2")), std::u16string::npos)
      << ToUtf8(text);

  const auto before = Tree();
  EXPECT_TRUE(std::holds_alternative<GameInfo>(ReadGameInfo(g_.exe, u"", rt())));
  EXPECT_EQ(Tree(), before) << "a look changes nothing";
  EXPECT_TRUE(std::holds_alternative<Report>(ReadGameInfo(g_.game + u"no\\war3.exe", u"", rt())));
}

// What restores one after another would undo, counted as they would take the journals: a
// damaged one stops them, so a job before it is not counted, and where they stop is named.
TEST_F(Versions, InfoCountsWhatRestoresWouldUndoBeforeTheyStop) {
  for (const char16_t* left : {u"a.txt", u"b.txt", u"c.txt"}) {
    disk_->WriteFile(g_.Game(left), "left since");
    ASSERT_EQ(testing::Job(g_.exe, rt()).finding, Finding::kDone);
  }
  const std::u16string damaged = g_.Game(u"vTemp\\torvane-journal-0002.txt");
  disk_->WriteFile(damaged, *disk_->ReadFile(damaged) + "not a journal line\n");
  const GameInfo info = std::get<GameInfo>(ReadGameInfo(g_.exe, u"", rt()));
  EXPECT_EQ(info.restorable, 1);
  ASSERT_TRUE(info.restoreStop);
  EXPECT_EQ(LowerCase(info.restoreStop->path), LowerCase(damaged));
  EXPECT_GT(info.restoreStop->line.number, 0);
  const std::u16string text = GameInfoText(info);
  EXPECT_TRUE(Contains(text, texts::kInfoRestoreStops + (u"\r\n" + info.restoreStop->path)))
      << ToUtf8(text);

  // Restores go exactly that far.
  disk_->QueueAnswer(kIdYes);
  EXPECT_EQ(testing::Restore(g_.exe, rt()).finding, Finding::kRestored);
  EXPECT_EQ(testing::Restore(g_.exe, rt()).finding, Finding::kJournalDamaged);
}

}  // namespace
}  // namespace torvane
