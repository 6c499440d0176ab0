// The command line's side of a job: stages, progress and messages become output lines;
// the restore's question is answered Yes (the command itself was the answer), the offer to
// start as administrator No (a console program does not elevate itself), a version
// question Yes only with --force.
#pragma once

#include "cli/reporter.h"
#include "job/job_host.h"

namespace torvane::cli {

class CliHost : public JobHost {
 public:
  explicit CliHost(Reporter& out, bool force = false) : out_(out), force_(force) {}

  void OnStage(JobStage stage) override { out_.Stage(stage); }
  void OnFiles(std::size_t done, std::size_t total) override { out_.Files(done, total); }
  void OnWaiting(const std::u16string& path) override { out_.Waiting(path); }
  void Tell(const Report& report) override { Print(report); }
  bool Ask(const Report& question) override;
  // The words of a report, as the window's box would show them.
  void Print(const Report& report);

 private:
  Reporter& out_;
  bool force_;
};

}  // namespace torvane::cli
