// The job and the restore run once to count their file-system operations, then again
// with each operation in turn failing (every kind of failure), again with the program
// "dying" at each operation and started anew, and again with the power cut there.
// Whatever happens, no content is lost, the version set is whole (old or new, never mixed
// or missing), the final message says success exactly when everything was done, and
// restoring brings the folder back to its exact starting state.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <utility>

#include "cli/run.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "job/patient_runtime.h"
#include "job/restore.h"
#include "job/tidy.h"
#include "resources/texts.h"
#include "runtime/sha256.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/hooked_host.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

constexpr ErrorKind kKinds[] = {ErrorKind::kAccessDenied, ErrorKind::kInUse, ErrorKind::kDiskFull,
                                ErrorKind::kNotFound};
constexpr const char16_t* kSet[] = {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"};

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

// Every file and folder below the game folder, by the name it has on disk, with its
// content and attributes; the journals are the tool's own and left out.
std::map<std::u16string, std::string> Tree(FakeRuntime& fs, const std::u16string& folder) {
  std::map<std::u16string, std::string> tree;
  for (const std::u16string& name : fs.Children(folder)) {
    const std::u16string path = folder + name;
    if (name.rfind(u"torvane-journal-", 0) == 0) continue;
    const std::uint32_t attributes = *fs.Attributes(path);
    if (attributes & kAttrFolder) {
      tree[path + u"\\"] = "folder";
      tree.merge(Tree(fs, path + u"\\"));
    } else {
      tree[path] =
          *fs.Content(path) + " attr " +
          std::to_string(attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive));
    }
  }
  return tree;
}

std::multiset<std::string> Contents(Arranged& a) {
  std::multiset<std::string> contents;
  for (const auto& [path, content] : a.fs().FilesBelow(a.g.game)) contents.insert(content);
  return contents;
}

bool Tidy(Arranged& a) {
  for (const auto& [folder, keep] :
       {std::pair{a.g.game, GameKeepList()}, std::pair{a.g.Miles(u""), MilesKeepList()}}) {
    for (const std::u16string& name : a.fs().Children(folder)) {
      const bool isFolder = (*a.fs().Attributes(folder + name) & kAttrFolder) != 0;
      if (!isFolder && !IsKept(keep, LowerCase(name))) return false;
    }
  }
  return true;
}

// 1 when the set is new, 0 when old; a mixed or incomplete set fails the test.
int SetState(Arranged& a) {
  int fresh = 0, old = 0;
  for (const char16_t* name : kSet) {
    const std::optional<std::string> content = a.fs().Content(a.g.Game(name));
    if (content == a.g.patch[name]) ++fresh;
    if (content && content->rfind("old ", 0) == 0) ++old;
  }
  EXPECT_TRUE(fresh == 4 || old == 4) << fresh << " new, " << old << " old";
  return fresh == 4;
}

void CheckNothingLost(Arranged& a, const std::multiset<std::string>& before) {
  const std::multiset<std::string> after = Contents(a);
  for (const std::string& content : before) {
    EXPECT_TRUE(after.count(content) > 0) << "lost: " << content;
  }
  EXPECT_EQ(a.fs().Content(a.g.Game(u"vTemp\\readme.txt")), "kept readme");
  EXPECT_EQ(a.fs().Content(a.g.Game(u"vTemp\\game.dll")), "kept game.dll");
  SetState(a);
}

// The success box exactly when everything was done.
void CheckHonest(Arranged& a) {
  ASSERT_FALSE(a.fs().boxes().empty());
  const bool saidDone = a.fs().boxes().back().prompt == texts::kMsgDone;
  EXPECT_EQ(saidDone, SetState(a) == 1 && Tidy(a)) << ToUtf8(a.fs().boxes().back().prompt);
}

// Restores, newest job first, until nothing is left to restore.
void RestoreAll(Arranged& a) {
  for (int i = 0; i < 6; ++i) {
    a.fs().QueueAnswer(kIdYes);
    testing::Restore(a.g.exe, a.fs());
    if (a.fs().boxes().back().prompt == texts::kMsgNothingToRestore) return;
  }
  ADD_FAILURE() << "restore does not come to an end";
}

// A replacement this tool wrote that a restore could not prove to be its own copy (its
// source in the patch folder looked gone) is kept in vTemp rather than deleted.
bool KeptReplacement(Arranged& a, const std::u16string& path, const std::string& what) {
  if (!Contains(path, u"\\vTemp\\") || !LowerCase(path).ends_with(u".torvane-old")) return false;
  for (const auto& [name, content] : a.g.patch) {
    if (what.rfind(content + " attr", 0) == 0) return true;
  }
  return false;
}

void CheckStartingState(Arranged& a, const std::map<std::u16string, std::string>& start) {
  RestoreAll(a);
  std::map<std::u16string, std::string> now = Tree(a.fs(), a.g.game);
  std::erase_if(now,
                [&](const auto& entry) { return KeptReplacement(a, entry.first, entry.second); });
  if (now != start) {
    for (const auto& [path, what] : now) {
      if (!start.count(path)) ADD_FAILURE() << "extra: " << ToUtf8(path) << " " << what;
    }
    for (const auto& [path, what] : start) {
      if (!now.count(path) || now.at(path) != what) {
        ADD_FAILURE() << "differs: " << ToUtf8(path) << " " << what << " now "
                      << (now.count(path) ? now.at(path) : "missing");
      }
    }
  }
}

// How many operations a clean run of `work` makes on a freshly arranged folder.
template <class Work>
std::uint64_t CountOperations(Work work) {
  Arranged a = Arrange();
  const std::uint64_t start = a.fs().calls();
  work(a);
  return a.fs().calls() - start;
}

void Job(Arranged& a) { testing::Job(a.g.exe, a.fs()); }

void JobThenRestore(Arranged& a) {
  Job(a);
  a.fs().QueueAnswer(kIdYes);
  testing::Restore(a.g.exe, a.fs());
}

class Transaction : public ::testing::Test {
 protected:
  void TearDown() override {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
    std::printf("  %d cases in %.2f s\n", cases_, s);
  }
  std::chrono::steady_clock::time_point t0_ = std::chrono::steady_clock::now();
  int cases_ = 0;
};

TEST_F(Transaction, ASingleFailureInTheJobLosesNothingAndIsTold) {
  const std::uint64_t operations = CountOperations(Job);
  ASSERT_GT(operations, 40u);
  int failuresShown = 0;
  for (ErrorKind kind : kKinds) {
    for (std::uint64_t k = 0; k < operations; ++k, ++cases_) {
      SCOPED_TRACE("operation " + std::to_string(k) + ", kind " +
                   std::to_string(static_cast<int>(kind)));
      Arranged a = Arrange();
      const auto start = Tree(a.fs(), a.g.game);
      const auto before = Contents(a);
      a.fs().Inject({std::nullopt, a.fs().calls() + k, u"", kind, 1});
      Job(a);
      CheckNothingLost(a, before);
      CheckHonest(a);
      failuresShown += a.fs().boxes().back().prompt != texts::kMsgDone;
      CheckStartingState(a, start);
    }
  }
  // Most single failures must show in the outcome; a sweep that never fails tests nothing.
  EXPECT_GT(failuresShown, static_cast<int>(operations));
}

TEST_F(Transaction, ASingleFailureInTheRestoreLosesNothingAndARetryFinishesIt) {
  const std::uint64_t jobOps = CountOperations(Job);
  const std::uint64_t restoreOps = CountOperations(JobThenRestore) - jobOps;
  ASSERT_GT(restoreOps, 20u);
  for (ErrorKind kind : kKinds) {
    for (std::uint64_t k = 0; k < restoreOps; ++k, ++cases_) {
      SCOPED_TRACE("restore operation " + std::to_string(k) + ", kind " +
                   std::to_string(static_cast<int>(kind)));
      Arranged a = Arrange();
      const auto start = Tree(a.fs(), a.g.game);
      const auto before = Contents(a);
      Job(a);
      a.fs().Inject({std::nullopt, a.fs().calls() + k, u"", kind, 1});
      a.fs().QueueAnswer(kIdYes);
      testing::Restore(a.g.exe, a.fs());
      CheckNothingLost(a, before);
      CheckStartingState(a, start);
    }
  }
}

// The job and its restore, the program "dying" at operation `n` of them.
void DieInJobThenRestore(Arranged& a, std::uint64_t n) {
  a.fs().DieAt(a.fs().calls() + n);
  JobThenRestore(a);
  a.fs().Revive();
}

// The operations of the recovery that the next job runs first, after `probe` died: from its
// first to the one that tells what it found (the job itself runs on after them).
std::pair<std::uint64_t, std::uint64_t> RecoveryOperations(Arranged& probe) {
  std::optional<std::uint64_t> begin, end;
  HookedHost clock;
  clock.onStage = [&](JobStage stage) {
    if (stage == JobStage::kRecovering && !begin) begin = probe.fs().calls();
  };
  clock.onTell = [&](const Report&) { end = probe.fs().calls(); };
  (void)RunPatchJob(JobRequest(probe.g.exe), probe.fs(), clock);
  return {begin.value_or(0), end.value_or(0)};
}

TEST_F(Transaction, DyingAnywhereIsRecoveredThenAJobAndARestoreComplete) {
  const std::uint64_t operations = CountOperations(JobThenRestore);
  for (std::uint64_t n = 0; n < operations; ++n, ++cases_) {
    SCOPED_TRACE("dies at operation " + std::to_string(n));
    Arranged a = Arrange();
    const auto start = Tree(a.fs(), a.g.game);
    const auto before = Contents(a);
    DieInJobThenRestore(a, n);
    const size_t boxesBefore = a.fs().boxes().size();
    // Started anew: recovery first, then a whole job.
    Job(a);
    CheckNothingLost(a, before);
    CheckHonest(a);
    EXPECT_EQ(a.fs().boxes().back().prompt, texts::kMsgDone);
    EXPECT_LE(a.fs().boxes().size() - boxesBefore, 2u);  // recovery's box, if any, and the job's
    CheckStartingState(a, start);
  }
}

// A job or a restore cut short, then the recovery that makes it whole cut short too, at
// each of its operations: the run after that still loses nothing and ends with the set
// whole, and everything can be put back.
TEST_F(Transaction, DyingWhileRecoveringIsRecoveredInTurn) {
  const std::uint64_t operations = CountOperations(JobThenRestore);
  // Every few operations of the first run: each stage is cut somewhere.
  for (std::uint64_t n = 0; n < operations; n += 7) {
    Arranged probe = Arrange();
    DieInJobThenRestore(probe, n);
    const auto [begin, end] = RecoveryOperations(probe);
    for (std::uint64_t m = begin; m < end; ++m, ++cases_) {
      SCOPED_TRACE("dies at operation " + std::to_string(n) + ", then at " + std::to_string(m) +
                   " while recovering");
      Arranged a = Arrange();
      const auto start = Tree(a.fs(), a.g.game);
      const auto before = Contents(a);
      DieInJobThenRestore(a, n);
      a.fs().DieAt(m);  // m counts from the arranged folder, as in the probe
      Job(a);
      a.fs().Revive();
      Job(a);
      CheckNothingLost(a, before);
      CheckHonest(a);
      EXPECT_EQ(a.fs().boxes().back().prompt, texts::kMsgDone);
      CheckStartingState(a, start);
    }
  }
}

// --- Another program holding a file for a while ---

// Whether the work tries `op` again after a failure of `kind` on an ordinary file: every
// change after both kinds, a read only after a sharing violation.
bool Retried(Op op, ErrorKind kind) {
  switch (op) {
    case Op::kDelete:
    case Op::kFileCopy:
    case Op::kSetAttr:
    case Op::kMkDir:
    case Op::kRename:
    case Op::kOpenForAppend:
    case Op::kRmDir:
      return true;
    case Op::kSameContent:
    case Op::kIsPrefix:
    case Op::kReadWholeFile:
    case Op::kDigest:
      return kind == ErrorKind::kInUse;
    default:
      return false;
  }
}

// The operation of each call a clean run of `work` makes on a freshly arranged folder.
template <class Work>
std::vector<Op> OperationsOf(Work work) {
  Arranged a = Arrange();
  work(a);
  return a.fs().history();
}

// The operation at call `call` fails `times` times in a row, then goes through.
void HoldAt(Arranged& a, std::uint64_t call, ErrorKind kind, int times) {
  a.fs().Inject({std::nullopt, call, u"", kind, times});
}

TEST_F(Transaction, AFileHeldWithinTheBoundInTheJobOrTheRestoreChangesNothingOfTheOutcome) {
  const std::vector<Op> operations = OperationsOf(JobThenRestore);
  for (ErrorKind kind : {ErrorKind::kInUse, ErrorKind::kAccessDenied}) {
    for (std::uint64_t k = 0; k < operations.size(); ++k) {
      if (!Retried(operations[k], kind)) continue;
      ++cases_;
      SCOPED_TRACE("operation " + std::to_string(k) + ", kind " +
                   std::to_string(static_cast<int>(kind)));
      Arranged a = Arrange();
      const auto start = Tree(a.fs(), a.g.game);
      const auto before = Contents(a);
      HoldAt(a, k, kind, RetriesWithinTheBound());
      Job(a);
      EXPECT_EQ(a.fs().boxes().back().prompt, texts::kMsgDone);
      a.fs().QueueAnswer(kIdYes);
      testing::Restore(a.g.exe, a.fs());
      EXPECT_TRUE(a.fs().boxes().back().prompt.starts_with(texts::kMsgRestored))
          << ToUtf8(a.fs().boxes().back().prompt);
      CheckNothingLost(a, before);
      CheckStartingState(a, start);
    }
  }
}

TEST_F(Transaction, AFileHeldPastTheBoundTakesTheFailurePathAndLosesNothing) {
  const std::vector<Op> operations = OperationsOf(Job);
  int failuresShown = 0;
  for (std::uint64_t k = 0; k < operations.size(); ++k) {
    if (!Retried(operations[k], ErrorKind::kInUse)) continue;
    ++cases_;
    SCOPED_TRACE("operation " + std::to_string(k));
    Arranged a = Arrange();
    const auto start = Tree(a.fs(), a.g.game);
    const auto before = Contents(a);
    HoldAt(a, k, ErrorKind::kInUse, RetriesWithinTheBound() + 1);
    Job(a);
    CheckNothingLost(a, before);
    CheckHonest(a);
    failuresShown += a.fs().boxes().back().prompt != texts::kMsgDone;
    CheckStartingState(a, start);
  }
  EXPECT_GT(failuresShown, 0);
}

// A job cut short at every few operations, then each operation of the recovery that
// makes it whole held up within the bound: the recovery and the job after it complete.
TEST_F(Transaction, AFileHeldWithinTheBoundWhileRecoveringIsWaitedOut) {
  const std::uint64_t operations = CountOperations(Job);
  for (std::uint64_t n = 0; n < operations; n += 11) {
    Arranged probe = Arrange();
    DieInJobThenRestore(probe, n);
    const auto [begin, end] = RecoveryOperations(probe);
    for (std::uint64_t m = begin; m < end; ++m) {
      if (!Retried(probe.fs().history()[m], ErrorKind::kInUse)) continue;
      ++cases_;
      SCOPED_TRACE("dies at operation " + std::to_string(n) + ", held at " + std::to_string(m));
      Arranged a = Arrange();
      const auto start = Tree(a.fs(), a.g.game);
      const auto before = Contents(a);
      DieInJobThenRestore(a, n);
      HoldAt(a, m, ErrorKind::kInUse, RetriesWithinTheBound());
      Job(a);
      EXPECT_EQ(a.fs().boxes().back().prompt, texts::kMsgDone);
      CheckNothingLost(a, before);
      CheckStartingState(a, start);
    }
  }
}

// ---- Power cuts (FakeRuntime::CutPowerAt): the program stops at an operation and every
// file keeps only what was flushed. Started anew, the recovery leaves the version set whole
// (all old, or all new with each file holding the bytes of the SHA-256 recorded when it
// was placed) and nothing of the user's lost, and restore --all gives back the starting
// tree. (The rule: job/journal.h, 13.)

// The runtime the work runs on over the in-memory disk: the one place where layers that
// change how operations are made (retries) go, so that every power-cut sweep runs with them.
Runtime& Under(Arranged& a) { return a.fs(); }

std::map<std::u16string, std::string> SetContents(Arranged& a) {
  std::map<std::u16string, std::string> set;
  for (const char16_t* name : kSet) set[name] = a.fs().Content(a.g.Game(name)).value_or("(none)");
  return set;
}

// The SHA-256 that the latest placement of each replacement recorded, by lower-case path.
std::map<std::u16string, std::string> RecordedPlacements(Arranged& a) {
  std::map<std::u16string, std::string> recorded;
  const Result<std::vector<std::u16string>> journals = ListJournals(a.fs(), a.g.Game(u"vTemp"));
  for (const std::u16string& path : journals.value_or(std::vector<std::u16string>{})) {
    const Result<JournalDoc> doc = ReadJournal(a.fs(), path);
    if (!doc.ok()) ADD_FAILURE() << "unreadable: " << ToUtf8(path);
    for (const Step& s : doc.ok() ? doc.value().steps : std::vector<Step>{}) {
      if (s.placesReplacement && s.state != StepState::kFailed) {
        recorded[LowerCase(s.to)] = s.sha256;
      }
    }
  }
  return recorded;
}

void CheckSetWhole(Arranged& a, const std::map<std::u16string, std::string>& oldSet) {
  const std::map<std::u16string, std::string> now = SetContents(a);
  if (now == oldSet) return;
  const std::map<std::u16string, std::string> recorded = RecordedPlacements(a);
  for (const auto& [name, bytes] : now) {
    const auto placed = recorded.find(LowerCase(a.g.Game(name)));
    EXPECT_TRUE(placed != recorded.end() && placed->second == Sha256Hex(bytes))
        << ToUtf8(name) << " is neither the old file nor the bytes recorded: " << bytes;
  }
}

// Started anew: the recovery that a job or a restore makes first, and nothing more (the
// restore is declined).
void Recover(Arranged& a) {
  HookedHost declining;
  (void)RunRestore(a.g.exe, Under(a), declining);
}

class PowerCut : public Transaction {
 protected:
  // Arranges, runs `work` with the power cut at its operation `n` (and `cutAgain`, counted
  // from the start of the recovery that follows, if any), recovers, and checks.
  template <class Work>
  void Sweep(Work work, std::uint64_t n, std::optional<std::uint64_t> cutAgain = {}) {
    ++cases_;
    Arranged a = Arrange();
    const auto start = Tree(a.fs(), a.g.game);
    const auto before = Contents(a);
    const auto oldSet = SetContents(a);
    work(a, [&] { a.fs().CutPowerAt(a.fs().calls() + n); });
    a.fs().Revive();
    if (cutAgain) {
      a.fs().CutPowerAt(a.fs().calls() + *cutAgain);
      Recover(a);
      a.fs().Revive();
    }
    Recover(a);
    CheckNothingLost(a, before);
    CheckSetWhole(a, oldSet);
    const cli::ExitCode restored =
        cli::RunProgram({u"restore", u"--all", a.g.exe}, Under(a), [](const std::u16string&) {});
    EXPECT_TRUE(restored == cli::kExitDone || restored == cli::kExitRefused) << restored;
    CheckStartingState(a, start);
  }
};

// The cut comes at the job's operation `n`.
void CutJob(Arranged& a, const std::function<void()>& cut) {
  cut();
  testing::Job(a.g.exe, Under(a));
}

// A whole job, then the cut at the restore's operation `n`.
void CutRestore(Arranged& a, const std::function<void()>& cut) {
  testing::Job(a.g.exe, Under(a));
  cut();
  a.fs().QueueAnswer(kIdYes);
  testing::Restore(a.g.exe, Under(a));
}

TEST_F(PowerCut, AtAnyOperationOfTheJob) {
  const std::uint64_t operations = CountOperations(Job);
  for (std::uint64_t n = 0; n <= operations; ++n) {
    SCOPED_TRACE("power cut at job operation " + std::to_string(n));
    Sweep(CutJob, n);
  }
}

TEST_F(PowerCut, AtAnyOperationOfTheRestore) {
  const std::uint64_t restoreOps = CountOperations(JobThenRestore) - CountOperations(Job);
  for (std::uint64_t n = 0; n <= restoreOps; ++n) {
    SCOPED_TRACE("power cut at restore operation " + std::to_string(n));
    Sweep(CutRestore, n);
  }
}

// The operations of the recovery after a cut at `n` of `work`.
template <class Work>
std::uint64_t RecoveryOperations(Work work, std::uint64_t n) {
  Arranged a = Arrange();
  work(a, [&] { a.fs().CutPowerAt(a.fs().calls() + n); });
  a.fs().Revive();
  const std::uint64_t begin = a.fs().calls();
  Recover(a);
  return a.fs().calls() - begin;
}

TEST_F(PowerCut, AtAnyOperationOfTheRecoveryAfterACut) {
  const std::uint64_t jobOps = CountOperations(Job);
  const std::uint64_t restoreOps = CountOperations(JobThenRestore) - jobOps;
  // Every few operations of the job and of the restore: each stage is cut somewhere.
  for (auto [work, operations] : {std::pair{&CutJob, jobOps}, std::pair{&CutRestore, restoreOps}}) {
    for (std::uint64_t n = 0; n < operations; n += 9) {
      const std::uint64_t recovering = RecoveryOperations(work, n);
      for (std::uint64_t m = 0; m <= recovering; ++m) {
        SCOPED_TRACE("power cut at " + std::to_string(n) + ", then at " + std::to_string(m) +
                     " of the recovery");
        Sweep(work, n, m);
      }
    }
  }
}

}  // namespace
}  // namespace torvane::testing
