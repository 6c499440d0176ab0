// Runs a parsed command line over a runtime and says how it ended, as an exit code.
#pragma once

#include "cli/options.h"
#include "cli/reporter.h"
#include "runtime/runtime.h"

namespace torvane::cli {

enum ExitCode {
  kExitDone = 0,
  kExitRefused = 1,  // stopped before anything was touched
  kExitPartial = 2,  // done in part; what was not is printed, nothing is lost
  kExitUsage = 3,
  kExitInternal = 4,
};

// `rt` is the real runtime; the command line's own layers go on top of it. A relative
// --patch-dir is taken from the current folder. The exit is reported last.
ExitCode RunCommand(const Options& options, Runtime& rt, Reporter& out);

}  // namespace torvane::cli
