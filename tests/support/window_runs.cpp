#include "tests/support/window_runs.h"

#include "job/patch_job.h"
#include "job/restore.h"
#include "window/box_host.h"

namespace torvane::testing {

Report Job(const std::u16string& gamePath, Runtime& rt) {
  BoxHost host(rt, nullptr);
  Report report = RunPatchJob(JobRequest(gamePath), rt, host);
  host.Present(report);
  return report;
}

Report Restore(const std::u16string& gamePath, Runtime& rt) {
  BoxHost host(rt, nullptr);
  Report report = RunRestore(gamePath, rt, host);
  host.Present(report);
  return report;
}

}  // namespace torvane::testing
