// How torvane-cli ends, as its exit code.
#pragma once

namespace torvane::cli {

enum ExitCode {
  kExitDone = 0,
  kExitRefused = 1,  // nothing was changed: refused before anything was touched, or undone
  kExitPartial = 2,  // done in part; what was not is printed, nothing is lost
  kExitUsage = 3,
  kExitInternal = 4,
};

}  // namespace torvane::cli
