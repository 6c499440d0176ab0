// Undoing jobs and what users type, on a whole game folder: natively on the in-memory
// file system and, unchanged, on real folders under Windows (Wine).
#include <gtest/gtest.h>

#include "job/patch_job.h"
#include "job/restore.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/disk.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

class Restore : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    // Kept by an earlier tool, so this job's original lands under a "(2)" name.
    disk_->WriteFile(g_.Game(u"vTemp\\game.dll"), "kept earlier");
    disk_->WriteFile(g_.Game(u"hidden.cfg"), "h", kAttrHidden);
    disk_->WriteFile(g_.Game(u"system.bin"), "s", kAttrSystem | kAttrHidden);
    disk_->WriteFile(g_.Game(u"locked.ini"), "r", kAttrReadOnly);
  }
  void Job(const std::u16string& text) { testing::Job(text, disk_->runtime()); }
  void Undo() {
    disk_->QueueAnswer(kIdYes);
    testing::Restore(g_.exe, disk_->runtime());
  }
  const std::u16string& LastBox() { return disk_->boxes().back().prompt; }
  std::string Read(const std::u16string& path) {
    return disk_->ReadFile(path).value_or("<missing>");
  }

  std::map<std::u16string, std::string> Tree(const std::u16string& folder) {
    return testing::Tree(*disk_, folder, true);
  }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
};

TEST_F(Restore, TwoJobsUndoneNewestFirstGiveBackTheStartingTree) {
  auto start = Tree(g_.game);
  Job(g_.exe);
  ASSERT_EQ(LastBox(), texts::kMsgDone);
  EXPECT_EQ(Read(g_.Game(u"vTemp\\Game (2).dll")), "old Game.dll");
  disk_->WriteFile(g_.Game(u"notes.txt"), "written between the jobs");
  const auto betweenJobs = Tree(g_.game);
  Job(g_.exe);
  ASSERT_EQ(LastBox(), texts::kMsgDone);

  Undo();
  EXPECT_EQ(Tree(g_.game), betweenJobs) << ToUtf8(LastBox());
  Undo();
  start[g_.Game(u"notes.txt")] = "written between the jobs [0]";
  EXPECT_EQ(Tree(g_.game), start) << ToUtf8(LastBox());
  Undo();
  EXPECT_EQ(LastBox(), texts::kMsgNothingToRestore);
}

TEST_F(Restore, NeverOverwritesANameTakenSinceAndSaysWhichTwoStay) {
  Job(g_.exe);
  disk_->WriteFile(g_.Game(u"readme.txt"), "the user's new readme");
  Undo();
  EXPECT_EQ(Read(g_.Game(u"readme.txt")), "the user's new readme");
  EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
  EXPECT_TRUE(Contains(LastBox(), u"readme.txt" + std::u16string(texts::kMsgNameTaken)));
  // Everything else went back, the version set as a whole.
  EXPECT_EQ(Read(g_.Game(u"Game.dll")), "old Game.dll");
  EXPECT_EQ(Read(g_.Game(u"msvcn80.dll")), "old msvcn80.dll");
  EXPECT_EQ(Read(g_.Game(u"locked.ini")), "r");
}

// Changed is told by the bytes: a file of the replacement's very size is the user's too.
TEST_F(Restore, ASetReplacedSinceByTheUserStaysWholeAndNew) {
  std::string sameSize = g_.patch[u"storm.dll"];
  sameSize[0] = 'X';
  for (const std::string& users : {std::string("the user's own storm.dll"), sameSize}) {
    SCOPED_TRACE(users);
    SetUp();
    Job(g_.exe);
    disk_->WriteFile(g_.Game(u"storm.dll"), users);
    Undo();
    EXPECT_EQ(Read(g_.Game(u"storm.dll")), users);
    EXPECT_EQ(Read(g_.Game(u"game.dll")), g_.patch[u"game.dll"]);
    EXPECT_EQ(Read(g_.Game(u"vTemp\\Storm.dll")), "old Storm.dll");
    EXPECT_TRUE(Contains(LastBox(), texts::kMsgChangedSince));
    EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");  // the tidy is undone
  }
}

// A journal another installation wrote, copied along with its vTemp or tidied in from a
// copied folder, is never acted on: a finished one is passed over, an unfinished one stops
// the job before anything is touched, with a box that names it.
TEST_F(Restore, AJournalOfAnotherInstallationIsNeverActedOn) {
  const GameFolder other = MakeGameFolder(*disk_, u"Other");
  Job(other.exe);
  const auto otherAfterJob = Tree(other.game);
  const std::string finished = Read(other.Game(u"vTemp\\torvane-journal-0001.txt"));
  ASSERT_EQ(finished.substr(finished.size() - 9), "end\tdone\n");
  const std::u16string copied = g_.Game(u"vTemp\\torvane-journal-0001.txt");

  // Cut short there, as if the other job had been killed.
  disk_->WriteFile(copied, finished.substr(0, finished.size() - 9));
  const auto before = Tree(g_.game);
  size_t boxes = disk_->boxes().size();
  Job(g_.exe);
  ASSERT_EQ(disk_->boxes().size(), boxes + 1);
  EXPECT_EQ(LastBox().rfind(texts::kMsgForeignJournal, 0), 0u) << ToUtf8(LastBox());
  EXPECT_TRUE(Contains(LowerCase(LastBox()), LowerCase(copied)));
  EXPECT_EQ(Tree(g_.game), before);

  disk_->WriteFile(copied, finished);
  boxes = disk_->boxes().size();
  Job(g_.exe);
  ASSERT_EQ(disk_->boxes().size(), boxes + 1);  // no recovery box: nothing of this folder's
  EXPECT_EQ(LastBox(), texts::kMsgDone);
  Undo();
  EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");
  Undo();
  EXPECT_EQ(LastBox(), texts::kMsgNothingToRestore);
  EXPECT_EQ(Tree(other.game), otherAfterJob);
}

TEST_F(Restore, PathsAsUsersPasteThemNameTheGameFolder) {
  for (const std::u16string& text :
       {u"  \"" + g_.exe + u"\"  ", g_.exe + u".", g_.Game(u"War3.exe\\..\\war3.exe"),
        g_.Game(u"maps\\..\\war3.exe")}) {
    SCOPED_TRACE(ToUtf8(text));
    Job(text);
    EXPECT_EQ(LastBox(), texts::kMsgDone);
    EXPECT_EQ(Read(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
    EXPECT_EQ(Read(g_.Game(u"game.dll")), g_.patch[u"game.dll"]);
    Undo();
    EXPECT_EQ(Read(g_.Game(u"readme.txt")), "old readme.txt");
  }
  // Resolved to the folder above the game: no war3.exe is named, nothing is touched.
  Job(g_.Game(u"war3.exe\\.."));
  EXPECT_EQ(LastBox(), texts::kMsgNoPath);
}

}  // namespace
}  // namespace torvane::testing
