// What a recovery tells after a job was cut short, and what it leaves: the version set put
// back when it was caught half-changed, kept when it was whole.
#include <gtest/gtest.h>

#include "job/patch_job.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/game_folder.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

// Runs a job that "dies" `after` operations into `stage`.
class DyingHost : public JobHost {
 public:
  DyingHost(FakeRuntime& fs, JobStage stage, int after) : fs_(fs), stage_(stage), after_(after) {}
  void OnStage(JobStage stage) override {
    if (stage == stage_) fs_.DieAt(fs_.calls() + after_);
  }
  void OnFiles(std::size_t, std::size_t) override {}
  void Tell(const Report&) override {}
  bool Ask(const Report&) override { return false; }

 private:
  FakeRuntime& fs_;
  JobStage stage_;
  int after_;
};

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    fs_ = static_cast<FakeRuntime*>(&disk_->runtime());
  }
  void DieIn(JobStage stage, int after) {
    DyingHost host(*fs_, stage, after);
    (void)RunPatchJob(JobRequest(g_.exe), *fs_, host);
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

}  // namespace
}  // namespace torvane::testing
