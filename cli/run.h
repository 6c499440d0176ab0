// Runs a parsed command line over a runtime and says how it ended, as an exit code.
#pragma once

#include <string>
#include <vector>

#include "cli/exit_code.h"
#include "cli/reporter.h"
#include "runtime/runtime.h"

namespace torvane::cli {

// The whole program on the arguments after its name: the help, a usage error, or the
// command over `rt` (the real runtime; the command line's own layers go on top of it),
// each line of output to `sink`. A relative --patch-dir is taken from the current folder.
// Nothing is thrown: whatever escapes the command is an internal error.
ExitCode RunProgram(const std::vector<std::u16string>& args, Runtime& rt,
                    const Reporter::Sink& sink);

}  // namespace torvane::cli
