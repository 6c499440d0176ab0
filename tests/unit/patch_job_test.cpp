#include "job/patch_job.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "job/game_path.h"
#include "job/patient_runtime.h"
#include "job/report_text.h"
#include "resources/texts.h"
#include "runtime/forwarding_runtime.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/hooked_host.h"
#include "tests/support/unfaithful_copies.h"
#include "tests/support/window_runs.h"

namespace torvane {
namespace {

using testing::FakeRuntime;
using testing::Op;

TEST(GameFilesOf, AreTheGameFolderPlusTheirNames) {
  const GameFiles paths = GameFilesOf(u"c:\\war3.exe 备份\\war3.exe");
  EXPECT_EQ(paths.msvcn80, u"c:\\war3.exe 备份\\msvcn80.dll");
  EXPECT_EQ(paths.versionFiles[0], u"c:\\war3.exe 备份\\game.dll");
  EXPECT_EQ(paths.versionFiles[2], u"c:\\war3.exe 备份\\war3.exe");
  EXPECT_EQ(paths.versionFiles[3], u"c:\\war3.exe 备份\\war3patch.mpq");
}

TEST(MyPath, HasExactlyOneTrailingBackslash) {
  FakeRuntime fs;
  fs.SetAppPath(u"e:\\");
  EXPECT_EQ(MyPath(fs).value(), u"e:\\");
  fs.SetAppPath(u"e:\\tools\\torvane");
  EXPECT_EQ(MyPath(fs).value(), u"e:\\tools\\torvane\\");
  fs.Inject({Op::kAppPath, {}, u"", ErrorKind::kOther, 1});
  EXPECT_FALSE(MyPath(fs).ok());
}

class PatchJob : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = testing::MakeDisk();
    g_ = testing::MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }
  std::unique_ptr<testing::Disk> disk_;
  testing::GameFolder g_;
  FakeRuntime* fs_ = nullptr;
};

TEST_F(PatchJob, SourcesComeFromTheDriveRootToo) {
  fs_->SetAppPath(u"e:\\");
  for (const auto& [name, content] : g_.patch)
    fs_->AddFile(u"e:\\patch\\" + name, content + " root");
  Job(g_.exe, *fs_);
  EXPECT_EQ(fs_->Content(g_.Game(u"game.dll")), g_.patch[u"game.dll"] + " root");
}

TEST_F(PatchJob, PausesFourSecondsOnTheFullPathAndOneWhenStopped) {
  Job(g_.exe, *fs_);
  EXPECT_EQ(fs_->sleptMs(), 4000u);

  FakeRuntime stopped;
  stopped.AddFile(u"c:\\g\\war3.exe", "x");
  stopped.AddFile(u"c:\\g\\war3.mpq", "x");
  stopped.AddFile(u"c:\\g\\msvcn80.dll", "x");
  stopped.HoldOpen(u"c:\\g\\msvcn80.dll");
  for (const auto& [name, content] : g_.patch)
    stopped.AddFile(u"c:\\tool\\patch\\" + name, content);
  Job(u"c:\\g\\war3.exe", stopped);
  // Held for good, msvcn80.dll is waited for up to the bound, then the one pause.
  EXPECT_EQ(stopped.sleptMs(), kHeldUpBoundMs + 1000u);
  EXPECT_EQ(stopped.boxes().back().prompt, texts::kMsgProbeFailed);
}

// A look at msvcn80.dll that fails is no proof that it is gone: not before the job, where
// a game that still has it is not asked about as already patched, and not after setting it
// aside, where the job stops before the set.
TEST_F(PatchJob, Msvcn80ThatCannotBeLookedAtIsNotTakenForGone) {
  for (const char16_t* name : {u"war3.exe", u"game.dll"}) {
    fs_->AddFile(g_.tool + u"\\patch\\" + name, testing::VersionedContent("1.24.4.6387"));
  }
  Job(g_.exe, *fs_);
  fs_->AddFile(g_.Game(u"msvcn80.dll"), "installed again");
  fs_->Inject({Op::kGetAttr, {}, u"msvcn80.dll", ErrorKind::kAccessDenied, 1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  EXPECT_EQ(fs_->Content(g_.Game(u"vTemp\\msvcn80 (2).dll")), "installed again");
  for (const testing::ShownBox& box : fs_->boxes()) EXPECT_EQ(box.flags & kMbYesNo, 0u);

  SetUp();
  testing::HookedHost host;
  host.onStage = [&](JobStage stage) {
    if (stage == JobStage::kSettingAside) {
      fs_->Inject({Op::kGetAttr, {}, u"msvcn80.dll", ErrorKind::kAccessDenied, -1});
    }
  };
  EXPECT_EQ(RunPatchJob(JobRequest(g_.exe), *fs_, host).finding, Finding::kProbeFailed);
  EXPECT_EQ(fs_->Content(g_.Game(u"msvcn80.dll")), "old msvcn80.dll");
  EXPECT_EQ(fs_->Content(g_.Game(u"Game.dll")), "old Game.dll");
}

// Another program takes the staged name of storm.dll just before the copy, with an empty
// file so far: the copy fails, and the rollback undoes only what the job did.
TEST_F(PatchJob, ARollbackUndoesOnlyTheStepsThatHappened) {
  class Raced : public ForwardingRuntime {
   public:
    explicit Raced(FakeRuntime& fs) : ForwardingRuntime(fs), fs_(fs) {}
    std::vector<Result<CheckedCopy>> CopyAndDigestAll(
        const std::vector<CopyOrder>& copies) override {
      for (const CopyOrder& copy : copies) {
        if (copy.destination.ends_with(u"storm.dll.torvane-new")) fs_.AddFile(copy.destination, "");
      }
      return ForwardingRuntime::CopyAndDigestAll(copies);
    }

   private:
    FakeRuntime& fs_;
  };
  Raced raced(*fs_);
  EXPECT_EQ(OutcomeOf(testing::Job(g_.exe, raced)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->Content(g_.Game(u"storm.dll.torvane-new")), "") << "the other program's";
  EXPECT_EQ(fs_->boxes().back().prompt.rfind(texts::kMsgSetUnchanged, 0), 0u);
}

TEST_F(PatchJob, WithoutMsvcn80TheJobGoesOn) {
  fs_->Erase(g_.Game(u"msvcn80.dll"));
  Job(g_.exe, *fs_);
  EXPECT_EQ(fs_->boxes().back().prompt, texts::kMsgDone);
}

TEST_F(PatchJob, FailedCopyLeavesTheWholeSetAsItWasAndSaysSo) {
  fs_->Inject({Op::kFileCopy, {}, u"storm.dll", ErrorKind::kDiskFull, 1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  for (const char16_t* name : {u"Game.dll", u"Storm.dll", u"msvcn80.dll", u"readme.txt"}) {
    EXPECT_EQ(fs_->Content(g_.Game(name)), "old " + ToUtf8(name)) << ToUtf8(name);
  }
  EXPECT_EQ(fs_->Children(g_.Game(u"vTemp")).size(), 1u);  // the journal alone
  const testing::ShownBox& box = fs_->boxes().back();
  EXPECT_EQ(box.flags, 48u);
  EXPECT_EQ(box.title, texts::kTitleError);
  EXPECT_EQ(box.prompt.rfind(texts::kMsgSetUnchanged, 0), 0u) << ToUtf8(box.prompt);
  EXPECT_TRUE(Contains(box.prompt, u"storm.dll"));
  EXPECT_TRUE(Contains(box.prompt, u"磁盘空间不足。")) << ToUtf8(box.prompt);
  EXPECT_EQ(fs_->sleptMs(), 1000u);  // no pause while the set is changing hands
}

// A staged replacement that reads back otherwise stops the set before any original moves,
// and the box names the file and the tool's reason, where a system message would stand.
TEST_F(PatchJob, AStagedCopyThatReadsBackOtherwiseLeavesTheSetAsItWas) {
  testing::UnfaithfulCopies unfaithful(*fs_, u"storm.dll.torvane-new");
  EXPECT_EQ(OutcomeOf(Job(g_.exe, unfaithful)), Outcome::kNothingChanged);
  for (const char16_t* name : {u"Game.dll", u"Storm.dll", u"msvcn80.dll", u"readme.txt"}) {
    EXPECT_EQ(fs_->Content(g_.Game(name)), "old " + ToUtf8(name)) << ToUtf8(name);
  }
  const testing::ShownBox& box = fs_->boxes().back();
  EXPECT_EQ(box.flags, 48u);
  EXPECT_EQ(box.prompt.rfind(texts::kMsgSetUnchanged, 0), 0u) << ToUtf8(box.prompt);
  EXPECT_TRUE(Contains(box.prompt, LowerCase(g_.Game(u"storm.dll")) + u"  " +
                                       texts::kMsgErrorPrefix + texts::kMsgCopyDiffers))
      << ToUtf8(box.prompt);
}

// Once staging starts, msvcn80.dll can no longer be renamed back into place: the undo
// falls short, and the box opens by saying so and what to do.
TEST_F(PatchJob, AnUndoThatFallsShortSaysSoFirstAndWhatToDo) {
  fs_->Inject({Op::kFileCopy, {}, u"storm.dll", ErrorKind::kDiskFull, 1});
  testing::HookedHost host;
  host.onStage = [&](JobStage stage) {
    if (stage == JobStage::kStaging) {
      fs_->Inject({Op::kRename, {}, u"vTemp\\msvcn80", ErrorKind::kAccessDenied, -1});
    }
  };
  const Report report = RunPatchJob(JobRequest(g_.exe), *fs_, host);
  EXPECT_EQ(OutcomeOf(report), Outcome::kPartial);
  for (const Front front : {Front::kWindow, Front::kCommandLine}) {
    const std::optional<Words> box = WordsOf(report, front);
    ASSERT_TRUE(box);
    const std::u16string& prompt = box->text;
    EXPECT_EQ(prompt.rfind(texts::kMsgSetNotUndone, 0), 0u) << ToUtf8(prompt);
    EXPECT_FALSE(Contains(prompt, texts::kMsgSetUnchanged));
    EXPECT_TRUE(Contains(prompt, texts::kMsgRollbackIncomplete));
    EXPECT_TRUE(Contains(prompt, u"vTemp\\msvcn80.dll"));
    EXPECT_EQ(box->tone, Tone::kWarning);
    // Said once; the way back is the one the user has where the words are read.
    EXPECT_EQ(prompt.find(u"删除"), prompt.rfind(u"删除")) << ToUtf8(prompt);
    EXPECT_EQ(Contains(prompt, texts::kMenuRestore), front == Front::kWindow);
    EXPECT_EQ(Contains(prompt, u"torvane-cli restore"), front == Front::kCommandLine);
  }
  EXPECT_EQ(fs_->Content(g_.Game(u"vTemp\\msvcn80.dll")), "old msvcn80.dll") << "kept, not lost";
}

TEST_F(PatchJob, OriginalThatCannotBeSetAsideIsNeitherReplacedNorLost) {
  fs_->HoldOpen(g_.Game(u"war3patch.mpq"));
  Job(g_.exe, *fs_);
  EXPECT_EQ(fs_->Content(g_.Game(u"war3patch.mpq")), "old War3Patch.mpq");
  const testing::ShownBox& box = fs_->boxes().back();
  EXPECT_TRUE(Contains(box.prompt, u"war3patch.mpq"));
  EXPECT_EQ(box.flags, 48u);
}

// The swap's moves are announced in one write and made in turn: once one fails, nothing
// more of the set moves but to put it back, and every move announced has its outcome.
TEST_F(PatchJob, ASwapThatFailsMovesNothingAfterTheMoveThatFailed) {
  class Moves : public ForwardingRuntime {
   public:
    using ForwardingRuntime::ForwardingRuntime;
    Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override {
      moved.push_back(LowerCase(NameOf(from)));
      return ForwardingRuntime::RenameWrittenThrough(from, to);
    }
    std::vector<std::u16string> moved;
  };
  fs_->HoldOpen(g_.Game(u"Storm.dll"));
  Moves moves(*fs_);
  EXPECT_EQ(OutcomeOf(testing::Job(g_.exe, moves)), Outcome::kNothingChanged);
  for (const std::u16string name :
       {u"war3.exe", u"war3.exe.torvane-new", u"war3patch.mpq", u"war3patch.mpq.torvane-new"}) {
    EXPECT_EQ(std::count(moves.moved.begin(), moves.moved.end(), name), 0) << ToUtf8(name);
  }
  const std::string text = *fs_->Content(g_.Game(u"vTemp\\torvane-journal-0001.txt"));
  const JournalDoc journal = ParseJournal(text);
  for (const Step& step : journal.steps) {
    EXPECT_NE(step.state, StepState::kPending) << ToUtf8(step.from);
  }
}

TEST(Unquoted, TakesOffWhatCopyAsPathAndChatsAdd) {
  EXPECT_EQ(Unquoted(u"  \"D:\\Warcraft III\\war3.exe\"\r\n"), u"D:\\Warcraft III\\war3.exe");
  EXPECT_EQ(Unquoted(u"\u3000D:\\w\\war3.exe\t"), u"D:\\w\\war3.exe");
  EXPECT_EQ(Unquoted(u"\"\"D:\\w\\war3.exe\"\""), u"\"D:\\w\\war3.exe\"");  // one pair only
  EXPECT_EQ(Unquoted(u"\"D:\\w\\war3.exe"), u"\"D:\\w\\war3.exe");          // unbalanced: as typed
}

// Paths resolved as Windows resolves them where the in-memory disk refuses: a share's path
// as typed, and a drive-relative one against the current folder c:\g\ of its drive.
class WindowsPaths : public ForwardingRuntime {
 public:
  using ForwardingRuntime::ForwardingRuntime;
  Result<std::u16string> FullPath(const std::u16string& path) override {
    if (path.rfind(u"\\\\", 0) == 0) return path;
    if (path.size() >= 3 && path[1] == u':' && path[2] != u'\\' && path[2] != u'/') {
      return ForwardingRuntime::FullPath(path.substr(0, 2) + u"\\g\\" + path.substr(2));
    }
    return ForwardingRuntime::FullPath(path);
  }
};

// Folders a job must never tidy, refused before anything is touched. A share's root is a
// drive root; a folder on a share is not.
TEST(GameFolder, RootsTheWindowsFolderAndALinkedVTempAreRefused) {
  struct Case {
    std::u16string exe;
    const char16_t* prompt;
  };
  for (const Case& c :
       {Case{u"c:\\war3.exe", texts::kMsgDriveRoot},
        Case{u"c:\\Windows\\war3.exe", texts::kMsgWindowsFolder},
        Case{u"c:\\g\\war3.exe", texts::kMsgLinkedVTemp},
        Case{u"c:\\a\\war3.exe\\..\\..\\war3.exe", texts::kMsgDriveRoot},
        Case{u"war3.exe", texts::kMsgNotFullPath}, Case{u"c:war3.exe", texts::kMsgNotFullPath},
        Case{u"\\\\server\\share\\war3.exe", texts::kMsgDriveRoot},
        Case{u"\\\\server\\share\\games\\war3.exe", texts::kMsgFolderMissing}}) {
    SCOPED_TRACE(ToUtf8(c.exe));
    FakeRuntime fs;
    for (const char16_t* folder : {u"c:\\", u"c:\\windows\\", u"c:\\g\\", u"c:\\a\\"}) {
      for (const char16_t* name : {u"war3.exe", u"war3.mpq", u"game.dll", u"notes.txt"}) {
        fs.AddFile(std::u16string(folder) + name, "x");
      }
    }
    fs.AddFolder(u"c:\\g\\vTemp");
    fs.MarkReparsePoint(u"c:\\g\\vTemp");
    for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"}) {
      fs.AddFile(u"c:\\tool\\patch\\" + std::u16string(name), "new");
    }
    const auto before = fs.FilesBelow(u"c:\\");
    WindowsPaths windows(fs);
    EXPECT_EQ(OutcomeOf(testing::Job(c.exe, windows)), Outcome::kNothingChanged);
    ASSERT_EQ(fs.boxes().size(), 1u);
    EXPECT_EQ(fs.boxes()[0].prompt.rfind(c.prompt, 0), 0u) << ToUtf8(fs.boxes()[0].prompt);
    EXPECT_EQ(fs.FilesBelow(u"c:\\"), before);
  }
}

TEST_F(PatchJob, ReplacementsGetLowerCaseNames) {
  Job(u"C:\\T\\WAR3\\WAR3.EXE", *fs_);
  const std::vector<std::u16string> names = fs_->Children(g_.game);
  for (const std::u16string_view name : kVersionFileNames) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << ToUtf8(name);
  }
}

}  // namespace
}  // namespace torvane
