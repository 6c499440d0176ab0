// Which changes are on the disk when the call returns: the version set's moves, and the
// moves that put its originals back, are written through; the tidy's are not. A move to
// another drive deletes its source only once the copy is flushed.
#include <gtest/gtest.h>

#include <set>

#include "job/safe_move.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

class Durability : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }
  // The names (lower case, below the game folder) that renames written through reached,
  // from the `from`-th on.
  std::multiset<std::u16string> WrittenThrough(std::size_t from = 0) const {
    std::multiset<std::u16string> names;
    for (std::size_t i = from; i < fs_->writtenThrough().size(); ++i) {
      names.insert(LowerCase(fs_->writtenThrough()[i].substr(g_.game.size())));
    }
    return names;
  }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
  FakeRuntime* fs_ = nullptr;
};

const std::multiset<std::u16string> kOriginalsKept = {u"vtemp\\msvcn80.dll", u"vtemp\\game.dll",
                                                      u"vtemp\\storm.dll", u"vtemp\\war3.exe",
                                                      u"vtemp\\war3patch.mpq"};
const std::multiset<std::u16string> kPlaced = {u"game.dll", u"storm.dll", u"war3.exe",
                                               u"war3patch.mpq"};

TEST_F(Durability, TheSetsMovesAreWrittenThroughAndTheTidysAreNot) {
  Job(g_.exe, *fs_);
  std::multiset<std::u16string> swapped = kOriginalsKept;
  swapped.insert(kPlaced.begin(), kPlaced.end());
  EXPECT_EQ(WrittenThrough(), swapped);
  ASSERT_TRUE(fs_->Exists(g_.Game(u"vTemp\\readme.txt")));  // tidied, and not among them

  const std::size_t jobs = fs_->writtenThrough().size();
  fs_->QueueAnswer(kIdYes);
  Restore(g_.exe, *fs_);
  std::multiset<std::u16string> restored = {u"msvcn80.dll"};
  for (const std::u16string& name : kPlaced) {
    restored.insert(name);  // the original back
    restored.insert(name + u".torvane-old");
  }
  EXPECT_EQ(WrittenThrough(jobs), restored);
  EXPECT_EQ(fs_->Content(g_.Game(u"readme.txt")), "old readme.txt");
}

TEST_F(Durability, ASetRolledBackPutsItsOriginalsBackWrittenThrough) {
  fs_->Inject({Op::kRename, {}, u"war3patch.mpq.torvane-new", ErrorKind::kAccessDenied, -1});
  Job(g_.exe, *fs_);
  std::multiset<std::u16string> expected = kOriginalsKept;
  expected.insert({u"game.dll", u"storm.dll", u"war3.exe"});  // placed, then rolled back
  expected.insert({u"msvcn80.dll", u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"});
  EXPECT_EQ(WrittenThrough(), expected);
  EXPECT_EQ(fs_->Content(g_.Game(u"war3.exe")), "old War3.exe");
}

TEST_F(Durability, AMoveToAnotherDriveKeepsTheFileThroughAPowerCutAfterItsSourceWent) {
  fs_->AddFile(u"d:\\x\\big.bin", "the user's bytes");
  fs_->AddFolder(u"c:\\q");
  fs_->CutPowerAt(fs_->calls() + 1000);  // once the move is over, whatever it took
  ASSERT_TRUE(SafeMove(*fs_, u"d:\\x\\big.bin", u"c:\\q\\big.bin").ok());
  fs_->Revive();
  EXPECT_FALSE(fs_->Exists(u"d:\\x\\big.bin"));
  EXPECT_EQ(fs_->Content(u"c:\\q\\big.bin"), "the user's bytes");
}

}  // namespace
}  // namespace torvane::testing
