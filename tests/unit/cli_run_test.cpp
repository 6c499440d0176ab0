// The command line's layers over the in-memory file system: exit codes, --patch-dir,
// --no-pause, restore --all, and --dry-run leaving every byte where it was.
#include <gtest/gtest.h>

#include "cli/dry_run.h"
#include "cli/run.h"
#include "job/patch_job.h"
#include "job/report_text.h"
#include "resources/texts.h"
#include "runtime/forwarding_runtime.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"

namespace torvane::cli {
namespace {

using testing::FakeRuntime;

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = testing::MakeDisk();
    g_ = testing::MakeGameFolder(*disk_);
    disk_->WriteFile(g_.Game(u"hidden.cfg"), "h", kAttrHidden);
    disk_->WriteFile(g_.Game(u"locked.ini"), "r", kAttrReadOnly);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }

  ExitCode Run(std::vector<std::u16string> args) { return RunOn(*fs_, std::move(args)); }
  ExitCode RunOn(Runtime& rt, std::vector<std::u16string> args) {
    lines_.clear();
    return RunProgram(args, rt, [this](const std::u16string& line) { lines_.push_back(line); });
  }
  std::map<std::u16string, std::string> Tree(bool skipJournals = false) {
    return testing::Tree(*disk_, disk_->root(), skipJournals);
  }
  bool Printed(const std::u16string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
  }
  std::string Lines() const {
    std::string all;
    for (const std::u16string& line : lines_) all += ToUtf8(line) + "\n";
    return all;
  }

  std::unique_ptr<testing::Disk> disk_;
  testing::GameFolder g_;
  FakeRuntime* fs_ = nullptr;
  std::vector<std::u16string> lines_;
};

TEST_F(Cli, PatchPrintsTheStagesAndTheOutcomeAndPausesUnlessTold) {
  EXPECT_EQ(Run({u"patch", g_.exe}), kExitDone) << Lines();
  EXPECT_TRUE(Printed(texts::kCliStageTidying)) << Lines();
  EXPECT_EQ(lines_.back(), texts::kMsgDone);
  EXPECT_EQ(fs_->sleptMs(), 4000u);
  EXPECT_TRUE(fs_->boxes().empty()) << "no box is ever shown";
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"war3.exe")), g_.patch[u"war3.exe"]);

  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--quiet"}), kExitDone);
  EXPECT_EQ(fs_->sleptMs(), 4000u);
  EXPECT_TRUE(lines_.empty()) << Lines();
}

TEST_F(Cli, RefusalsBeforeAnythingIsTouchedExitWithOne) {
  const auto start = Tree();
  EXPECT_EQ(Run({u"patch", g_.game + u"nothing\\war3.exe"}), kExitRefused);
  EXPECT_EQ(Run({u"patch", g_.exe, u"--patch-dir", disk_->root() + u"empty"}), kExitRefused);
  EXPECT_NE(Lines().find("patch\\war3patch.mpq"), std::string::npos) << Lines();
  EXPECT_EQ(Run({u"patch", u"--dry-run", g_.exe, u"--patch-dir", disk_->root() + u"empty"}),
            kExitRefused);
  EXPECT_EQ(Run({u"restore", g_.exe}), kExitRefused);
  EXPECT_EQ(lines_.back(), texts::kMsgNothingToRestore);
  EXPECT_EQ(Run({u"restore", u"--all", g_.exe}), kExitRefused);
  fs_->SetFreeSpace(u"c:", 0);
  EXPECT_EQ(Run({u"patch", g_.exe}), kExitRefused);
  EXPECT_EQ(lines_.end()[-3],
            u"磁盘空间不足：打补丁需要在 C:\\ 上有 2 MB 可用空间，现在只有 0 MB。"
            u"请先腾出空间，然后再试一次。")
      << Lines();
  EXPECT_EQ(Tree(), start);
}

TEST_F(Cli, PatchDirHoldsTheFourReplacementsDirectly) {
  const std::u16string master = disk_->root() + u"master";
  for (const auto& [name, content] : g_.patch)
    disk_->WriteFile(master + u"\\" + name, content + " m");
  EXPECT_EQ(Run({u"patch", g_.exe, u"--patch-dir", master + u"\\"}), kExitDone) << Lines();
  for (const auto& [name, content] : g_.patch) {
    EXPECT_EQ(disk_->ReadFile(g_.Game(name)), content + " m") << ToUtf8(name);
  }
}

TEST_F(Cli, TidyFallingShortExitsWithTwoAndNamesTheFile) {
  fs_->Inject({testing::Op::kRename, std::nullopt, u"readme.txt", ErrorKind::kInUse, -1});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--json"}), kExitPartial);
  EXPECT_NE(lines_.back().find(u"\"code\":2"), std::u16string::npos) << Lines();
  EXPECT_NE(Lines().find("readme.txt"), std::string::npos);
}

// Errors are what --quiet keeps: a refusal and a job done in part are printed, a job done
// or nothing to restore is not.
TEST_F(Cli, QuietKeepsRefusalsAndShortfallsOnly) {
  EXPECT_EQ(Run({u"patch", g_.game + u"nothing\\war3.exe", u"--quiet"}), kExitRefused);
  ASSERT_FALSE(lines_.empty());
  EXPECT_EQ(lines_.front(), texts::kMsgFolderMissing + LowerCase(g_.game) + u"nothing\\");
  EXPECT_EQ(Run({u"restore", g_.exe, u"--quiet"}), kExitRefused);
  EXPECT_TRUE(lines_.empty()) << Lines();
  fs_->Inject({testing::Op::kRename, std::nullopt, u"readme.txt", ErrorKind::kInUse, -1});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--quiet", u"--no-pause", u"--json"}), kExitPartial);
  ASSERT_FALSE(lines_.empty());
  EXPECT_EQ(lines_.front().rfind(u"{\"step\":\"message\"", 0), 0u) << Lines();
  EXPECT_NE(lines_.front().find(u"\"result\":\"error\""), std::u16string::npos) << Lines();
  EXPECT_NE(lines_.front().find(texts::kMsgTidyIncomplete), std::u16string::npos) << Lines();
}

// A file another program holds for a moment: the stage line names it and the run goes on,
// for people and for tools.
TEST_F(Cli, AFileHeldForAMomentIsNamedAndWaitedFor) {
  fs_->Inject({testing::Op::kRename, std::nullopt, u"game.dll.torvane-new", ErrorKind::kInUse, 3});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitDone) << Lines();
  const auto waiting = std::find_if(lines_.begin(), lines_.end(), [](const std::u16string& line) {
    return line.starts_with(texts::kStageWaiting);
  });
  ASSERT_NE(waiting, lines_.end()) << Lines();
  EXPECT_EQ(*waiting, WaitingText(LowerCase(g_.Game(u"game.dll.torvane-new"))));

  fs_->Inject({testing::Op::kRename, std::nullopt, u"vTemp\\readme.txt", ErrorKind::kInUse, 2});
  EXPECT_EQ(Run({u"restore", g_.exe, u"--json"}), kExitDone) << Lines();
  EXPECT_NE(Lines().find("{\"step\":\"waiting\""), std::string::npos) << Lines();
  EXPECT_NE(Lines().find("vTemp\\\\readme.txt\""), std::string::npos) << Lines();
}

TEST_F(Cli, RestoreAllUndoesEveryJobNewestFirst) {
  const auto start = Tree(true);
  ASSERT_EQ(Run({u"patch", g_.exe}), kExitDone);
  disk_->WriteFile(g_.Game(u"between.txt"), "b");
  ASSERT_EQ(Run({u"patch", g_.exe}), kExitDone);
  EXPECT_EQ(Run({u"restore", u"--all", g_.exe}), kExitDone) << Lines();
  EXPECT_TRUE(Printed(texts::kCliAnsweredYes));
  disk_->Remove(g_.Game(u"between.txt"));
  auto after = Tree(true);
  after.erase(g_.Game(u"vTemp\\"));
  EXPECT_EQ(after, start);
}

TEST_F(Cli, DryRunTouchesNothingAndNamesEveryMoveTheRealRunMakes) {
  disk_->WriteFile(g_.Game(u"vTemp\\readme.txt"), "kept by an earlier run");
  const auto start = Tree();
  EXPECT_EQ(Run({u"patch", u"--dry-run", g_.exe}), kExitDone) << Lines();
  EXPECT_EQ(Tree(), start);
  EXPECT_EQ(fs_->sleptMs(), 0u);
  EXPECT_EQ(lines_.back(), texts::kMsgDone);
  const std::vector<std::u16string> dryLines = lines_;

  ASSERT_EQ(Run({u"patch", g_.exe}), kExitDone);
  // The taken name in vTemp sends the tidied file to the same free name both times.
  const std::u16string moved = u"would move " + LowerCase(g_.Game(u"readme.txt")) + u" -> ";
  const auto line = std::find_if(dryLines.begin(), dryLines.end(),
                                 [&](const std::u16string& l) { return l.rfind(moved, 0) == 0; });
  ASSERT_NE(line, dryLines.end());
  EXPECT_EQ(disk_->ReadFile(line->substr(moved.size())), "old readme.txt");
  for (const char16_t* name : {u"msvcn80.dll", u"war3.exe.bak", u"locked.ini", u"hidden.cfg"}) {
    const std::u16string from = LowerCase(g_.Game(name));
    EXPECT_TRUE(std::any_of(dryLines.begin(), dryLines.end(), [&](const std::u16string& l) {
      return l.rfind(u"would move " + from + u" -> ", 0) == 0;
    })) << ToUtf8(name);
  }
}

TEST_F(Cli, DryRunOfARestoreNamesTheFilesPutBackAndLeavesTheJobToRestore) {
  ASSERT_EQ(Run({u"patch", g_.exe}), kExitDone);
  disk_->WriteFile(g_.Game(u"between.txt"), "b");
  ASSERT_EQ(Run({u"patch", g_.exe}), kExitDone);
  const auto patched = Tree();
  EXPECT_EQ(Run({u"restore", u"--all", u"--dry-run", g_.exe}), kExitDone) << Lines();
  EXPECT_EQ(Tree(), patched);
  const std::u16string game = LowerCase(g_.game);
  for (const char16_t* name : {u"readme.txt", u"between.txt"}) {
    EXPECT_TRUE(Printed(u"would move " + game + u"vTemp\\" + name + u" -> " + game + name))
        << Lines();
  }
  EXPECT_EQ(Run({u"restore", u"--dry-run", u"--json", g_.exe}), kExitDone);
  EXPECT_NE(lines_.back().find(u"\"code\":0"), std::u16string::npos);
}

constexpr std::uint64_t kAnySize = ~std::uint64_t{0};

// Every way a run can end, and the exit code the README's table gives it: from what the
// report says happened, never from the words printed.
TEST_F(Cli, EachOutcomeExitsWithItsCode) {
  const auto start = Tree();
  // 1: nothing changed.
  EXPECT_EQ(Run({u"restore", g_.exe}), kExitRefused);
  EXPECT_EQ(Run({u"patch", g_.Game(u"War3.exe.bak")}), kExitRefused);
  fs_->HoldOpen(g_.Game(u"msvcn80.dll"));
  fs_->Inject({testing::Op::kProbeRename, {}, u"msvcn80", ErrorKind::kInUse, 1});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitRefused) << "msvcn80.dll stayed";
  EXPECT_EQ(lines_.back(), texts::kMsgProbeFailed) << Lines();
  fs_->Release(g_.Game(u"msvcn80.dll"));
  fs_->Inject({testing::Op::kFileCopy, {}, u"storm.dll", ErrorKind::kDiskFull, 1});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitRefused) << "the set put back whole";
  {
    const auto held = fs_->Lock(g_.Game(u"vTemp\\torvane.lock"));
    EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitRefused);
    EXPECT_TRUE(Printed(texts::kMsgAnotherJob)) << Lines();
  }
  fs_->Inject({testing::Op::kProbeWrite, {}, u"", ErrorKind::kAccessDenied, 1});
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitRefused) << "no rights, not elevated";
  EXPECT_TRUE(Printed(texts::kCliRunAsAdministrator)) << Lines();
  auto after = Tree(true);
  after.erase(g_.Game(u"vTemp\\"));  // the journals' folder
  EXPECT_EQ(after, start);

  // 0: done; 2: done in part.
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitDone);
  disk_->WriteFile(g_.Game(u"readme.txt"), "taken since");
  EXPECT_EQ(Run({u"restore", g_.exe}), kExitPartial) << "a name taken since";
  fs_->HoldOpen(g_.Game(u"readme.txt"));
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}), kExitPartial) << "a file held open";
  fs_->Release(g_.Game(u"readme.txt"));

  // 3: usage; 4: whatever escapes the command.
  EXPECT_EQ(Run({u"patch"}), kExitUsage);
  EXPECT_EQ(Run({u"fix", g_.exe}), kExitUsage);
  class Broken : public ForwardingRuntime {
   public:
    using ForwardingRuntime::ForwardingRuntime;
    Result<std::u16string> FullPath(const std::u16string&) override { throw std::bad_alloc(); }
  } broken(*fs_);
  EXPECT_EQ(RunOn(broken, {u"patch", g_.exe, u"--json"}), kExitInternal);
  EXPECT_NE(lines_.back().find(u"\"code\":4"), std::u16string::npos) << Lines();
}

// The layer itself, where the job's runs above do not reach.
class DryLayer : public ::testing::Test {
 protected:
  DryLayer()
      : dry_(fs_, [this](std::u16string_view step, const std::u16string& path,
                         const std::u16string& detail) {
          said_.push_back(std::u16string(step) + u" " + path + u" " + detail);
        }) {
    fs_.AddFolder(u"c:\\g");
    fs_.AddFile(u"c:\\g\\a.txt", "a");
    fs_.AddFile(u"c:\\g\\ro.txt", "r", kAttrReadOnly);
    fs_.AddFile(u"c:\\g\\h.txt", "h", kAttrHidden);
  }
  std::vector<std::u16string> List(const std::u16string& pattern, std::uint32_t mask) {
    std::vector<std::u16string> names;
    const Result<std::vector<DirEntry>> listed = dry_.List(pattern, mask);
    for (const DirEntry& entry : listed.value()) names.push_back(entry.name);
    return names;
  }
  FakeRuntime fs_;
  std::vector<std::u16string> said_;
  DryRunRuntime dry_;
};

TEST_F(DryLayer, ListingsMergeTheLayerWithTheDisk) {
  ASSERT_TRUE(dry_.MkDir(u"c:\\g\\vTemp").ok());
  ASSERT_TRUE(dry_.Rename(u"c:\\g\\a.txt", u"c:\\g\\vTemp\\a.txt").ok());
  ASSERT_TRUE(dry_.SetAttr(u"c:\\g\\h.txt", kAttrNormal).ok());
  EXPECT_EQ(List(u"c:\\g\\*.*", kDirOrdinary), (std::vector<std::u16string>{u"ro.txt", u"h.txt"}));
  EXPECT_EQ(List(u"c:\\g\\", kDirWithFolders),
            (std::vector<std::u16string>{u"ro.txt", u"h.txt", u"vTemp"}));
  EXPECT_EQ(List(u"c:\\g\\vtemp\\*", kDirAllFiles), std::vector<std::u16string>{u"a.txt"});
  EXPECT_EQ(dry_.ReadWholeFile(u"c:\\g\\vTemp\\a.txt", kAnySize).value(), "a");
  EXPECT_TRUE(dry_.GetAttr(u"c:\\g\\a.txt").Is(ErrorKind::kNotFound));
  EXPECT_TRUE(dry_.GetAttr(u"c:\\g\\vTemp\\other").Is(ErrorKind::kNotFound));
  EXPECT_EQ(said_.front(), u"create-folder c:\\g\\vTemp ");
  EXPECT_EQ(said_[1], u"move c:\\g\\a.txt c:\\g\\vTemp\\a.txt");
  EXPECT_EQ(fs_.Children(u"c:\\g"), (std::vector<std::u16string>{u"a.txt", u"ro.txt", u"h.txt"}));
}

TEST_F(DryLayer, FailsWhereTheRealCallWould) {
  EXPECT_TRUE(dry_.Delete(u"c:\\g\\ro.txt").Is(ErrorKind::kAccessDenied));
  EXPECT_TRUE(dry_.Rename(u"c:\\g\\a.txt", u"c:\\g\\ro.txt").Is(ErrorKind::kAlreadyExists));
  EXPECT_TRUE(dry_.Rename(u"c:\\g\\a.txt", u"c:\\nowhere\\a.txt").Is(ErrorKind::kNotFound));
  EXPECT_TRUE(dry_.FileCopy(u"c:\\g\\a.txt", u"c:\\g\\h.txt").Is(ErrorKind::kAlreadyExists));
  EXPECT_TRUE(dry_.MkDir(u"c:\\g").Is(ErrorKind::kAlreadyExists));
  EXPECT_TRUE(dry_.RmDir(u"c:\\g").Is(ErrorKind::kOther)) << "not empty";
  EXPECT_TRUE(said_.empty());
}

TEST_F(DryLayer, RemovingAFolderLooksInsideIt) {
  ASSERT_TRUE(dry_.MkDir(u"c:\\g\\made").ok());
  ASSERT_TRUE(dry_.Rename(u"c:\\g\\a.txt", u"c:\\g\\made\\a.txt").ok());
  EXPECT_EQ(dry_.RmDir(u"c:\\g\\made").error().code, 145u) << "not empty";
  ASSERT_TRUE(dry_.Rename(u"c:\\g\\made\\a.txt", u"c:\\g\\a.txt").ok());
  ASSERT_TRUE(dry_.RmDir(u"c:\\g\\made").ok());
  EXPECT_EQ(List(u"c:\\g\\", kDirEverything),
            (std::vector<std::u16string>{u"ro.txt", u"h.txt", u"a.txt"}));
  EXPECT_TRUE(dry_.GetAttr(u"c:\\g\\made").Is(ErrorKind::kNotFound));
  EXPECT_EQ(fs_.Children(u"c:\\g"), (std::vector<std::u16string>{u"a.txt", u"ro.txt", u"h.txt"}));
}

TEST_F(DryLayer, CopiesAndAppendsAreReadBackAndDigested) {
  ASSERT_TRUE(dry_.FileCopy(u"c:\\g\\a.txt", u"c:\\g\\b.txt").ok());
  EXPECT_TRUE(dry_.SameContent(u"c:\\g\\a.txt", u"c:\\g\\b.txt").value());
  auto file = dry_.OpenForAppend(u"c:\\g\\j.txt", OpenMode::kCreateNew);
  ASSERT_TRUE(file.ok());
  ASSERT_TRUE(file.value()->Append("line\n").ok());
  ASSERT_TRUE(
      dry_.OpenForAppend(u"c:\\g\\J.TXT", OpenMode::kExisting).value()->Append("more\n").ok());
  EXPECT_EQ(dry_.ReadWholeFile(u"c:\\g\\j.txt", kAnySize).value(), "line\nmore\n");
  EXPECT_EQ(dry_.Digest(u"c:\\g\\j.txt").value().size, 10u);
  EXPECT_FALSE(dry_.SameContent(u"c:\\g\\a.txt", u"c:\\g\\j.txt").value());
  ASSERT_TRUE(dry_.Delete(u"c:\\g\\b.txt").ok());
  ASSERT_TRUE(dry_.Delete(u"c:\\g\\j.txt").ok());
  EXPECT_FALSE(fs_.Exists(u"c:\\g\\j.txt"));
  EXPECT_EQ(said_,
            (std::vector<std::u16string>{u"copy c:\\g\\a.txt c:\\g\\b.txt", u"write c:\\g\\j.txt ",
                                         u"delete c:\\g\\b.txt ", u"delete c:\\g\\j.txt "}));
}

}  // namespace
}  // namespace torvane::cli
