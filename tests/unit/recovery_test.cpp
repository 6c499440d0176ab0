// What a recovery tells after a job was cut short, and what it leaves: the version set put
// back when it was caught half-changed, kept when it was whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "job/patch_job.h"
#include "job/restore.h"
#include "resources/texts.h"
#include "runtime/sha256.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/hooked_host.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }
  // Runs a job (or a restore) that "dies" `after` operations into `stage`.
  void DieIn(JobStage stage, int after, bool restore = false) {
    HookedHost host;
    host.answer = true;
    host.onStage = [&](JobStage now) {
      if (now == stage) fs_->DieAt(fs_->calls() + after);
    };
    (void)(restore ? RunRestore(g_.exe, *fs_, host) : RunPatchJob(JobRequest(g_.exe), *fs_, host));
    fs_->Revive();
  }
  int FreshFiles() {
    int fresh = 0;
    for (const auto& [name, content] : g_.patch) fresh += Read(name) == content;
    return fresh;
  }
  // The recovery's box of the next job, which then runs whole.
  std::u16string RecoveryBox() {
    const size_t before = fs_->boxes().size();
    EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
    EXPECT_EQ(fs_->boxes().size(), before + 2);
    EXPECT_EQ(fs_->boxes().back().prompt, texts::kMsgDone);
    return fs_->boxes().size() == before + 2 ? fs_->boxes()[before].prompt : u"";
  }
  std::string Read(const std::u16string& name) { return fs_->Content(g_.Game(name)).value_or(""); }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
  FakeRuntime* fs_ = nullptr;
};

TEST_F(Recovery, ASetCaughtHalfSwappedGoesBackAsAWhole) {
  // Cut at the first operation after which some replacements are in and some are not.
  for (int after = 1; FreshFiles() == 0 && after < 100; ++after) {
    SetUp();
    DieIn(JobStage::kSwapping, after);
  }
  ASSERT_GT(FreshFiles(), 0);
  ASSERT_LT(FreshFiles(), 4);

  const std::u16string box = RecoveryBox();
  EXPECT_TRUE(Contains(box, texts::kMsgRecoveredSetBack)) << ToUtf8(box);
  EXPECT_FALSE(Contains(box, texts::kMsgRecoveredSetKept));
  EXPECT_TRUE(Contains(box, texts::kMsgRecoveredNothingLost));
  for (const auto& [name, content] : g_.patch) EXPECT_EQ(Read(name), content);
}

TEST_F(Recovery, ASetThatWasWholeIsKept) {
  DieIn(JobStage::kTidying, 3);
  EXPECT_EQ(Read(u"war3.exe"), g_.patch[u"war3.exe"]);

  const std::u16string box = RecoveryBox();
  EXPECT_TRUE(Contains(box, texts::kMsgRecoveredSetKept)) << ToUtf8(box);
  EXPECT_FALSE(Contains(box, texts::kMsgRecoveredSetBack));
  EXPECT_TRUE(Contains(box, texts::kMsgRecoveredMoves));
}

// What a recovery puts back is the job or restore that was cut short, also when a recovery
// of it was cut short in turn, right after it wrote its section line.
TEST_F(Recovery, ASetHalfChangedGoesBackEvenAfterARecoveryOfItWasCutShort) {
  for (const bool restoring : {false, true}) {
    SCOPED_TRACE(restoring ? "a restore" : "a job");
    // Cut at the first operation after which the set is mixed, old and new.
    for (int after = 1; (FreshFiles() % 4 == 0) && after < 200; ++after) {
      SetUp();
      if (restoring) {
        ASSERT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
        DieIn(JobStage::kRestoring, after, true);
      } else {
        DieIn(JobStage::kSwapping, after);
      }
    }
    ASSERT_NE(FreshFiles() % 4, 0);
    const std::u16string path = g_.Game(u"vTemp\\torvane-journal-0001.txt");
    std::string journal = *fs_->Content(path);
    if (!journal.ends_with('\n')) journal += "\t<torn>\n";
    fs_->AddFile(path, journal + "section\trecovery\tt\t" + ToUtf8(LowerCase(g_.exe)) + "\n");

    std::optional<int> recovered;
    HookedHost host;
    host.onTell = [&](const Report&) {
      if (!recovered) recovered = FreshFiles();
    };
    (void)RunPatchJob(JobRequest(g_.exe), *fs_, host);
    EXPECT_EQ(recovered, restoring ? 4 : 0) << "the set as it was before the section cut short";
  }
}

// A look at the folder that fails says nothing about what is there. A step whose outcome
// could not be looked up stays to be looked up again, and a restore whose look at vTemp
// fails does not say that there is nothing to restore.
TEST_F(Recovery, ALookThatFailsIsNotTakenForAFileThatIsNotThere) {
  // Cut in the tidy right after readme.txt was moved, before its outcome was written.
  for (int after = 1; !fs_->Exists(g_.Game(u"vTemp\\readme.txt")) && after < 100; ++after) {
    SetUp();
    DieIn(JobStage::kTidying, after);
  }
  ASSERT_TRUE(fs_->Exists(g_.Game(u"vTemp\\readme.txt")));
  fs_->Inject({Op::kGetAttr, {}, u"vTemp\\readme.txt", ErrorKind::kAccessDenied, 1});
  fs_->QueueAnswer(kIdYes);  // the recovery's box
  fs_->QueueAnswer(kIdYes);  // the restore's question
  Restore(g_.exe, *fs_);
  EXPECT_EQ(Read(u"readme.txt"), "old readme.txt");

  SetUp();
  ASSERT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  // The game folder's check looks at vTemp first, then the restore.
  fs_->Inject({Op::kGetAttr, {}, u"vTemp", ErrorKind::kAccessDenied, 2});
  fs_->QueueAnswer(kIdYes);
  EXPECT_EQ(Restore(g_.exe, *fs_).finding, Finding::kRestored);
  EXPECT_EQ(Read(u"readme.txt"), "old readme.txt");
}

// A move announced and never made has no message of the system's to record: its failed
// line carries none, and the journal reads on for the restore that follows.
TEST_F(Recovery, AStepFoundNotMadeIsRecordedFailedWithoutWords) {
  const std::u16string path = g_.Game(u"vTemp\\torvane-journal-0001.txt");
  // Cut in the tidy after its moves were announced, before readme.txt moved.
  const auto announced = [&] {
    return fs_->Content(path).value_or("").find("readme.txt") != std::string::npos;
  };
  for (int after = 1; !announced() && after < 100; ++after) {
    SetUp();
    DieIn(JobStage::kTidying, after);
  }
  ASSERT_EQ(Read(u"readme.txt"), "old readme.txt");
  const std::size_t cut = fs_->Content(path)->size();
  RecoveryBox();
  std::istringstream recovery(fs_->Content(path)->substr(cut));
  int failed = 0;
  for (std::string line; std::getline(recovery, line);) {
    if (!line.starts_with("failed\t")) continue;
    ++failed;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 1) << line;
  }
  EXPECT_GT(failed, 0);
  for (const char* restored : {"the job that ran whole", "the job cut short"}) {
    fs_->QueueAnswer(kIdYes);
    EXPECT_EQ(Restore(g_.exe, *fs_).finding, Finding::kRestored) << restored;
  }
  EXPECT_EQ(Read(u"war3.exe"), "old War3.exe");
}

TEST_F(Recovery, AJournalThatCannotBeReadStopsTheJobAndChangesNothing) {
  disk_->WriteFile(
      g_.Game(u"vTemp\\torvane-journal-0001.txt"),
      "Torvane journal 1\nsection\tjob\tt\t" + ToUtf8(LowerCase(g_.exe)) + "\nstep\t1\tshred\tx\n");
  const auto before = fs_->FilesBelow(g_.game);
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  ASSERT_EQ(fs_->boxes().size(), 1u);
  EXPECT_EQ(fs_->boxes()[0].prompt.rfind(texts::kMsgJournalUnreadable, 0), 0u);
  EXPECT_TRUE(Contains(fs_->boxes()[0].prompt, u"torvane-journal-0001.txt"));
  EXPECT_EQ(fs_->boxes()[0].flags, kMbOk | kMbIconStop);
  EXPECT_EQ(fs_->FilesBelow(g_.game), before);
}

TEST_F(Recovery, AnotherJobOnTheFolderStopsAJobAndARestoreBeforeAnything) {
  ASSERT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  const auto held = fs_->Lock(g_.Game(u"vTemp\\torvane.lock"));
  ASSERT_TRUE(held.ok());
  const auto before = fs_->FilesBelow(g_.game);
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->boxes().back().prompt, texts::kMsgAnotherJob);
  fs_->QueueAnswer(kIdYes);
  EXPECT_EQ(OutcomeOf(Restore(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->boxes().back().prompt, texts::kMsgAnotherJob);
  EXPECT_EQ(fs_->FilesBelow(g_.game), before);
}

TEST_F(Recovery, AVTempThatCannotBeListedOrAJournalTooLargeStopsTheJob) {
  ASSERT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  const auto before = fs_->FilesBelow(g_.game);
  fs_->Inject({Op::kList, {}, u"torvane-journal-*", ErrorKind::kInUse, 1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->boxes().back().prompt.rfind(texts::kMsgJournalUnreadable, 0), 0u);
  EXPECT_EQ(fs_->FilesBelow(g_.game), before) << "no second header in journal 0001";

  disk_->WriteFile(g_.Game(u"vTemp\\torvane-journal-0002.txt"), std::string((64 << 20) + 1, 'x'));
  const auto withHuge = fs_->FilesBelow(g_.game);
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_TRUE(Contains(fs_->boxes().back().prompt, u"torvane-journal-0002.txt"));
  EXPECT_EQ(fs_->FilesBelow(g_.game), withHuge);
}

// The set is never touched without its beginning on record, and a set whose commit could
// not be recorded is kept as whole by the next recovery.
TEST_F(Recovery, MarksThatCannotBeWrittenStopTheJob) {
  // The operation numbers at which the stages begin, in a job that runs whole.
  std::map<JobStage, std::uint64_t> at;
  HookedHost clock;
  clock.onStage = [&](JobStage stage) { at[stage] = fs_->calls(); };
  (void)RunPatchJob(JobRequest(g_.exe), *fs_, clock);
  const std::uint64_t setBegin = at[JobStage::kSettingAside] - 1;
  const std::uint64_t setCommit = at[JobStage::kTidying] - 1;

  SetUp();
  fs_->Inject({Op::kAppend, fs_->calls() + setBegin, u"", ErrorKind::kDiskFull, 1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->boxes().back().prompt.rfind(texts::kMsgSetUnchanged, 0), 0u);
  EXPECT_EQ(Read(u"msvcn80.dll"), "old msvcn80.dll");
  EXPECT_EQ(FreshFiles(), 0);

  SetUp();
  fs_->Inject({Op::kAppend, fs_->calls() + setCommit, u"", ErrorKind::kDiskFull, 1});
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kPartial);
  EXPECT_EQ(fs_->boxes().back().prompt.rfind(texts::kMsgSetNotCommitted, 0), 0u);
  EXPECT_EQ(FreshFiles(), 4);
  EXPECT_EQ(Read(u"readme.txt"), "old readme.txt") << "no tidy without a journal";
  const std::u16string box = RecoveryBox();
  EXPECT_TRUE(Contains(box, texts::kMsgRecoveredSetKept)) << ToUtf8(box);
  EXPECT_EQ(FreshFiles(), 4);
}

// What changes while a question is open is found once the roots are held: a vTemp made a
// link while the job asks about versions stops the job before anything is made in it.
TEST_F(Recovery, AVTempMadeALinkWhileTheJobAsksStopsIt) {
  disk_->WriteFile(g_.tool + u"\\patch\\war3.exe", VersionedContent("1.24.4.6387"));
  disk_->WriteFile(g_.tool + u"\\patch\\game.dll", VersionedContent("1.26.0.6401"));
  const std::u16string vTemp = g_.Game(u"vTemp");
  fs_->OnBox([&] {
    if (!fs_->Exists(vTemp)) disk_->MakeLink(vTemp, disk_->root() + u"elsewhere");
  });
  fs_->QueueAnswer(kIdYes);
  EXPECT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kNothingChanged);
  EXPECT_EQ(fs_->boxes().back().prompt.rfind(texts::kMsgLinkedVTemp, 0), 0u)
      << ToUtf8(fs_->boxes().back().prompt);
  EXPECT_TRUE(fs_->Children(vTemp).empty()) << "no lock, no journal, no file";
  EXPECT_EQ(Read(u"readme.txt"), "old readme.txt");
}

// While a restore asks, its roots cannot be renamed or replaced, and its journal, swapped
// for another file or given a second name elsewhere, gets none of its lines.
TEST_F(Recovery, NothingSwappedWhileTheRestoreAsksIsWrittenThrough) {
  ASSERT_EQ(OutcomeOf(Job(g_.exe, *fs_)), Outcome::kDone);
  const std::u16string journal = g_.Game(u"vTemp\\torvane-journal-0001.txt");
  const std::string text = *fs_->Content(journal);
  for (const bool swap : {true, false}) {
    SCOPED_TRACE(swap ? "swapped" : "a second name");
    fs_->OnBox([&] {
      if ((fs_->boxes().back().flags & kMbYesNo) == 0) return;  // the question only
      for (const char16_t* root : {u"vTemp", u"redist", u"redist\\miles\\vTemp"}) {
        EXPECT_TRUE(fs_->Rename(g_.Game(root), g_.Game(u"moved")).Is(ErrorKind::kInUse));
      }
      if (swap) {
        fs_->Erase(journal);
        fs_->AddFile(journal, text);
      } else {
        fs_->SetLinks(journal, 2);
      }
    });
    fs_->QueueAnswer(kIdYes);
    EXPECT_EQ(OutcomeOf(Restore(g_.exe, *fs_)), Outcome::kNothingChanged);
    EXPECT_TRUE(Contains(fs_->boxes().back().prompt, texts::kMsgJournalSwapped))
        << ToUtf8(fs_->boxes().back().prompt);
    EXPECT_EQ(fs_->Content(journal), text);
    EXPECT_FALSE(fs_->Held(g_.Game(u"vTemp"))) << "let go at the end";
    fs_->SetLinks(journal, 1);
  }
}

// Settling a move cut short sets attributes back only on the file that was moved: one of
// another size that has taken its name since keeps its own.
TEST_F(Recovery, SettlingAMoveSetsAttributesOnlyOnTheFileMoved) {
  const std::string game = ToUtf8(LowerCase(g_.game));
  disk_->WriteFile(g_.Game(u"a.txt"), "taken since");
  disk_->WriteFile(g_.Game(u"vTemp\\a.txt"), "aaaaa");
  disk_->WriteFile(g_.Game(u"b.txt"), "bbbbb");
  std::string text = "Torvane journal 1\nsection\tjob\tt\t" + game + "war3.exe\n";
  for (const char* name : {"a.txt", "b.txt"}) {
    text += std::string("step\t") + (name[0] == 'a' ? "1" : "2") + "\tmove\t" + game + name + "\t" +
            game + "vTemp\\" + name + "\tsize=5\tattr=0x23\tclear-attr\n";
  }
  disk_->WriteFile(g_.Game(u"vTemp\\torvane-journal-0001.txt"), text);
  HookedHost declining;
  (void)RunRestore(g_.exe, *fs_, declining);
  EXPECT_EQ(fs_->Attributes(g_.Game(u"a.txt")), kAttrArchive) << "not the file moved";
  EXPECT_EQ(fs_->Attributes(g_.Game(u"b.txt")), 0x23u) << "the file that never left";
}

// A move without an outcome is settled by what its two ends hold now, one row of Settle's
// table each: recorded as made or not, a copy left by a move across volumes deleted only
// with proof, and attributes set back only on the file moved. m.txt moved (5 bytes,
// "aaaaa") into vTemp, clearing attributes 0x23.
TEST_F(Recovery, AMoveWithoutAnOutcomeIsSettledByWhatItsTwoEndsHold) {
  const std::string moved = "aaaaa";
  struct Row {
    const char* what;
    std::optional<std::string> source, destination;
    bool recordedDigest;  // the move recorded the bytes' SHA-256
    bool retaken;         // a later move put a file under the source's name
    bool made;
    std::uint32_t sourceAttributes;  // afterwards
    bool destinationStays;
  };
  const Row rows[] = {
      {"neither end", {}, {}, false, false, false, 0, false},
      {"destination only", {}, moved, false, false, true, 0, true},
      {"source only, the file moved", moved, {}, false, false, false, 0x23, false},
      {"source only, another file", "other bytes", {}, false, false, false, kAttrArchive, false},
      {"both alike, the twin proven", moved, moved, true, false, false, 0x23, false},
      {"both alike, no digest to prove it", moved, moved, false, false, false, 0x23, true},
      {"both different, the source's name retaken", "taken", moved, false, true, true, kAttrArchive,
       true},
      {"both different, never made", moved, "other", false, false, false, 0x23, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    const std::string game = ToUtf8(LowerCase(g_.game));
    if (row.source) disk_->WriteFile(g_.Game(u"m.txt"), *row.source);
    if (row.destination) disk_->WriteFile(g_.Game(u"vTemp\\m.txt"), *row.destination);
    std::string text = "Torvane journal 1\nsection\tjob\tt\t" + game + "war3.exe\nstep\t1\tmove\t" +
                       game + "m.txt\t" + game + "vTemp\\m.txt\tsize=5\tattr=0x23\tclear-attr";
    if (row.recordedDigest) text += "\tsha256=" + Sha256Hex(moved);
    text += "\n";
    if (row.retaken) {
      text += "step\t2\tmove\t" + game + "n.txt\t" + game + "m.txt\tsize=5\tattr=0x20\ndone\t2\n";
    }
    const std::u16string journal = g_.Game(u"vTemp\\torvane-journal-0001.txt");
    disk_->WriteFile(journal, text);
    std::vector<Shortfall> problems;
    HookedHost declining;
    declining.onTell = [&](const Report& told) {
      for (const torvane::Recovery& r : told.recovered) problems = r.problems;
    };
    (void)RunRestore(g_.exe, *fs_, declining);
    const std::string after = *disk_->ReadFile(journal);
    const std::string outcome = row.made ? "\ndone\t1\n" : "\nfailed\t1";
    EXPECT_NE(after.find(outcome), std::string::npos) << after;
    EXPECT_EQ(disk_->ReadFile(g_.Game(u"m.txt")), row.source);
    EXPECT_EQ(fs_->Attributes(g_.Game(u"m.txt")).value_or(0), row.sourceAttributes);
    EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\m.txt")).has_value(), row.destinationStays);
    const bool gone = !row.source && !row.destination;
    ASSERT_EQ(problems.size(), gone ? 1u : 0u);
    if (gone) {
      EXPECT_EQ(problems.front().why, Why::kGoneSince);
    }
  }
}

}  // namespace
}  // namespace torvane::testing
