// The command line as typed: a command, the path of war3.exe and options.
#pragma once

#include <string>
#include <vector>

#include "runtime/result.h"

namespace torvane::cli {

enum class Command { kHelp, kPatch, kRestore, kInfo };

struct Options {
  Command command = Command::kHelp;
  std::u16string gamePath;  // as typed; the job checks and resolves it (info: may be empty)
  std::u16string patchDir;  // empty: the patch folder beside the program
  bool all = false;
  bool dryRun = false;
  bool json = false;
  bool quiet = false;
  bool noPause = false;
  bool force = false;  // patch: go on past a version question
};

// The arguments after the program's name. Options may come before or after the command;
// "--" ends them (for a path that starts with "-"). A failure's description says what is
// wrong, in the words of the help text.
Result<Options> ParseArguments(const std::vector<std::u16string>& args);

}  // namespace torvane::cli
