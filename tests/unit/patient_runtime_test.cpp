#include "job/patient_runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_runtime.h"

namespace torvane {
namespace {

using testing::FakeRuntime;
using testing::Fault;
using testing::Op;

constexpr char16_t kFile[] = u"c:\\g\\game.dll";

class Waits : public JobObserver {
 public:
  void OnStage(JobStage) override {}
  void OnFiles(std::size_t, std::size_t) override {}
  void OnWaiting(const std::u16string& path) override { told.push_back(path); }
  std::vector<std::u16string> told;
};

std::uint32_t PausesBefore(int retries) {
  std::uint32_t ms = 0;
  for (int n = 1; n <= retries; ++n) ms += PauseBeforeRetry(n);
  return ms;
}

class Patient : public ::testing::Test {
 protected:
  Patient() { fs_.AddFile(kFile, "bytes"); }

  void HoldFor(int attempts, ErrorKind kind = ErrorKind::kInUse, Op op = Op::kRename) {
    fs_.Inject({op, std::nullopt, kFile, kind, attempts});
  }

  FakeRuntime fs_;
  Waits waits_;
  PatientRuntime rt_{fs_, waits_};
};

TEST(PatientPauses, GrowFromAFractionOfASecondAndAddUpToTheBound) {
  const int retries = RetriesWithinTheBound();
  EXPECT_LE(PauseBeforeRetry(1), 100u);
  for (int n = 2; n <= retries; ++n) {
    EXPECT_LE(PauseBeforeRetry(n), 1000u) << n;
    if (n < retries) {
      EXPECT_GE(PauseBeforeRetry(n), PauseBeforeRetry(n - 1)) << n;
    }
  }
  EXPECT_EQ(PausesBefore(retries), kHeldUpBoundMs);
  EXPECT_EQ(PauseBeforeRetry(0), 0u);
}

// A file held for a while: the operation goes through once it is let go, after as many
// pauses as it took, and the observer hears which file it waits for, then that it is over.
// Held past the bound: the platform's failure, after exactly the bound.
TEST_F(Patient, WaitsOutAHoldUpToTheBoundAndSaysWhichFile) {
  const int retries = RetriesWithinTheBound();
  HoldFor(3);
  EXPECT_TRUE(rt_.Rename(kFile, u"c:\\g\\moved.dll").ok());
  EXPECT_EQ(fs_.sleptMs(), PausesBefore(3));
  EXPECT_EQ(waits_.told, (std::vector<std::u16string>{kFile, u""}));

  const std::u16string moved = u"c:\\g\\moved.dll";
  fs_.Inject({Op::kDigest, std::nullopt, moved, ErrorKind::kInUse, retries});
  EXPECT_TRUE(rt_.Digest(moved).ok());

  fs_.Inject({Op::kDelete, std::nullopt, moved, ErrorKind::kInUse, retries + 1});
  const std::uint64_t slept = fs_.sleptMs();
  EXPECT_TRUE(rt_.Delete(moved).Is(ErrorKind::kInUse));
  EXPECT_EQ(fs_.sleptMs() - slept, kHeldUpBoundMs);
  EXPECT_TRUE(fs_.Exists(moved));
  EXPECT_EQ(waits_.told, (std::vector<std::u16string>{kFile, u"", moved, u"", moved, u""}));
}

// "Access denied" passes on a change to a plain file (a file about to go, a scanner of
// another make), and on a rename of a read-only one; but not on a delete of a read-only
// file, a file this user may not rename, or a read: those fail at once, without a wait.
// Nor does any other failure wait.
TEST_F(Patient, FailsAtOnceWhatCannotPass) {
  HoldFor(2, ErrorKind::kAccessDenied, Op::kSetAttr);
  EXPECT_TRUE(rt_.SetAttr(kFile, kAttrReadOnly).ok());
  HoldFor(2, ErrorKind::kAccessDenied, Op::kRename);
  EXPECT_TRUE(rt_.Rename(kFile, u"c:\\g\\renamed.dll").ok());
  EXPECT_EQ(fs_.sleptMs(), 2 * PausesBefore(2));

  struct Case {
    const char* what;
    std::uint32_t attributes;
    Fault probe;
    Fault fault;
  };
  const Case cases[] = {
      {"read-only",
       kAttrReadOnly,
       {},
       {Op::kDelete, std::nullopt, kFile, ErrorKind::kAccessDenied, -1}},
      {"no right",
       kAttrArchive,
       {Op::kProbeRename, std::nullopt, kFile, ErrorKind::kAccessDenied, -1},
       {Op::kRename, std::nullopt, kFile, ErrorKind::kAccessDenied, -1}},
      {"a read",
       kAttrArchive,
       {},
       {Op::kDigest, std::nullopt, kFile, ErrorKind::kAccessDenied, -1}},
      {"disk full", kAttrArchive, {}, {Op::kRename, std::nullopt, kFile, ErrorKind::kDiskFull, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRuntime fs;
    fs.AddFile(kFile, "bytes", c.attributes);
    if (c.probe.op) fs.Inject(c.probe);
    fs.Inject(c.fault);
    Waits waits;
    PatientRuntime rt(fs, waits);
    const Status failed = *c.fault.op == Op::kDelete   ? rt.Delete(kFile)
                          : *c.fault.op == Op::kDigest ? rt.Digest(kFile).status()
                                                       : rt.Rename(kFile, u"c:\\g\\x");
    EXPECT_TRUE(failed.Is(c.fault.kind));
    EXPECT_EQ(fs.sleptMs(), 0u);
    EXPECT_TRUE(waits.told.empty());
  }
}

}  // namespace
}  // namespace torvane
