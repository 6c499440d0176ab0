#include "cli/run.h"

#include <optional>

#include "cli/cli_runtime.h"
#include "cli/dry_run.h"
#include "job/patch_job.h"
#include "job/restore.h"
#include "resources/texts.h"

namespace torvane::cli {
namespace {

// Prints the stages and remembers whether anything beyond the checks began: a job that
// then stops has already touched the folder (an interrupted one made whole, say).
class PrintingObserver : public JobObserver {
 public:
  explicit PrintingObserver(Reporter& out) : out_(out) {}
  void OnStage(JobStage stage) override {
    touched_ = touched_ || stage != JobStage::kChecking;
    out_.Stage(stage);
  }
  void OnFiles(std::size_t done, std::size_t total) override { out_.Files(done, total); }
  bool touched() const { return touched_; }

 private:
  Reporter& out_;
  bool touched_ = false;
};

ExitCode CodeOf(JobOutcome outcome, bool touched) {
  switch (outcome) {
    case JobOutcome::kDone:
      return kExitDone;
    case JobOutcome::kPartial:
      return kExitPartial;
    case JobOutcome::kRefused:
      break;
  }
  return touched ? kExitPartial : kExitRefused;
}

// A restore marks its job restored, so each round finds an older one; this only bounds a
// journal that would somehow keep offering the same job.
constexpr int kMaxRounds = 100000;

// Every journaled job, newest first, until none is left. Stops at the first restore
// that falls short: repeating it would only fall short again.
ExitCode RestoreAll(const Options& o, Runtime& rt, const CliRuntime& cli, Reporter& out) {
  for (int round = 0; round < kMaxRounds; ++round) {
    PrintingObserver observer(out);
    const JobOutcome outcome = RunRestore(o.gamePath, rt, &observer);
    if (outcome == JobOutcome::kDone) continue;
    const bool nothingLeft = cli.lastMessage() == texts::kMsgNothingToRestore;
    if (round > 0 && outcome == JobOutcome::kRefused && nothingLeft && !observer.touched()) {
      return kExitDone;
    }
    // After some jobs were restored, a refusal leaves the folder changed.
    return round > 0 ? kExitPartial : CodeOf(outcome, observer.touched());
  }
  return kExitPartial;
}

// The command over the command line's layers.
ExitCode Run(const Options& o, Runtime& real, Reporter& out) {
  out.SetSubject(o.gamePath);
  std::u16string patchDir;
  if (!o.patchDir.empty()) {
    const Result<std::u16string> full = real.FullPath(o.patchDir);
    patchDir = full.value_or(o.patchDir);
  }
  CliRuntime cli(real, out, o.noPause, patchDir);
  std::optional<DryRunRuntime> dry;
  if (o.dryRun) {
    out.Message(texts::kCliDryRunHead, false, false);
    dry.emplace(cli, [&out](std::u16string_view step, const std::u16string& path,
                            const std::u16string& detail) { out.Would(step, path, detail); });
  }
  Runtime& rt = dry ? static_cast<Runtime&>(*dry) : cli;
  if (o.command == Command::kRestore && o.all) return RestoreAll(o, rt, cli, out);
  PrintingObserver observer(out);
  const JobOutcome outcome = o.command == Command::kPatch ? RunPatchJob(o.gamePath, rt, &observer)
                                                          : RunRestore(o.gamePath, rt, &observer);
  return CodeOf(outcome, observer.touched());
}

}  // namespace

ExitCode RunCommand(const Options& o, Runtime& rt, Reporter& out) {
  const ExitCode code = Run(o, rt, out);
  out.Exit(code);
  return code;
}

}  // namespace torvane::cli
