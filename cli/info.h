// torvane-cli info: what the game and the patch folder are, read without changing
// anything, as words or as one JSON object (fields in the README).
#pragma once

#include "cli/exit_code.h"
#include "cli/options.h"
#include "cli/reporter.h"
#include "runtime/runtime.h"

namespace torvane::cli {

// Exit 0 when the information was read, 1 when the path was refused (its reason printed).
ExitCode RunInfo(const Options& options, Runtime& rt, Reporter& out);

}  // namespace torvane::cli
