// Runs the whole job once to count its file-system operations, then again with each
// operation in turn failing, for every kind of failure. Whatever fails, no file is lost,
// the game is never left without a version file, nothing kept earlier is overwritten,
// and the final message says success exactly when the job fully succeeded.
#include <gtest/gtest.h>

#include <set>

#include "app/patch_job.h"
#include "app/quarantine.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"

namespace torvane::testing {
namespace {

struct Arranged {
  std::unique_ptr<Disk> disk;
  GameFolder g;
  FakeRuntime& fs() { return static_cast<FakeRuntime&>(disk->runtime()); }
};

Arranged Arrange() {
  Arranged a{MakeDisk(), {}};
  a.g = MakeGameFolder(*a.disk);
  // What an earlier run kept, so collisions are part of every sweep.
  a.disk->WriteFile(a.g.Game(u"vTemp\\readme.txt"), "kept readme");
  a.disk->WriteFile(a.g.Game(u"vTemp\\game.dll"), "kept game.dll");
  a.disk->WriteFile(a.g.Game(u"hidden.cfg"), "hidden cfg", kAttrHidden | kAttrReadOnly);
  return a;
}

bool Complete(Arranged& a) {
  for (const auto& [name, content] : a.g.patch) {
    if (a.fs().Content(a.g.Game(name)) != content) return false;
  }
  for (const auto& [folder, keep] :
       {std::pair{a.g.game, GameKeepList()}, std::pair{a.g.Miles(u""), MilesKeepList()}}) {
    for (const std::u16string& name : a.fs().Children(folder)) {
      const bool isFolder = (*a.fs().Attributes(folder + name) & kAttrFolder) != 0;
      if (!isFolder && !IsKept(keep, LowerCase(name))) return false;
    }
  }
  return true;
}

void Check(Arranged& a, const std::multiset<std::string>& before, const std::string& label) {
  SCOPED_TRACE(label);
  std::multiset<std::string> after;
  for (const auto& [path, content] : a.fs().FilesBelow(a.g.game)) after.insert(content);
  for (const std::string& content : before) {
    EXPECT_TRUE(after.count(content) > 0) << "lost: " << content;
  }
  for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"}) {
    EXPECT_TRUE(a.fs().Content(a.g.Game(name))) << "missing: " << ToUtf8(name);
  }
  EXPECT_EQ(a.fs().Content(a.g.Game(u"vTemp\\readme.txt")), "kept readme");
  EXPECT_EQ(a.fs().Content(a.g.Game(u"vTemp\\game.dll")), "kept game.dll");
  ASSERT_FALSE(a.fs().boxes().empty());
  const bool saidDone = a.fs().boxes().back().prompt == texts::kMsgDone;
  EXPECT_EQ(saidDone, Complete(a)) << ToUtf8(a.fs().boxes().back().prompt);
}

std::multiset<std::string> Contents(Arranged& a) {
  std::multiset<std::string> contents;
  for (const auto& [path, content] : a.fs().FilesBelow(a.g.game)) contents.insert(content);
  return contents;
}

TEST(FaultSweep, NoSingleFailureLosesAFileOrIsReportedAsSuccess) {
  Arranged clean = Arrange();
  const std::uint64_t start = clean.fs().calls();
  RunPatchJob(clean.g.exe, clean.fs());
  const std::uint64_t operations = clean.fs().calls() - start;
  ASSERT_EQ(clean.fs().boxes().back().prompt, texts::kMsgDone);
  ASSERT_TRUE(Complete(clean));
  ASSERT_GT(operations, 40u);

  int failuresSeen = 0;
  for (ErrorKind kind :
       {ErrorKind::kAccessDenied, ErrorKind::kInUse, ErrorKind::kDiskFull, ErrorKind::kNotFound}) {
    for (std::uint64_t k = 0; k < operations; ++k) {
      Arranged a = Arrange();
      const std::multiset<std::string> before = Contents(a);
      a.fs().Inject({std::nullopt, a.fs().calls() + k, u"", kind, 1});
      RunPatchJob(a.g.exe, a.fs());
      Check(a, before,
            "operation " + std::to_string(k) + ", kind " + std::to_string(static_cast<int>(kind)));
      failuresSeen += a.fs().boxes().back().prompt != texts::kMsgDone;
    }
  }
  // Most single failures must show up in the outcome; a sweep that never fails tests nothing.
  EXPECT_GT(failuresSeen, static_cast<int>(operations));
}

}  // namespace
}  // namespace torvane::testing
