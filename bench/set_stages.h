// Where the patch job's time goes: the job run in the benchmark's own process over a
// runtime that clocks every operation it is asked for, split by the stages the job
// announces. Windows only (the real runtime underneath).
#pragma once

#include <map>
#include <string>

namespace torvane::bench {

struct JobTimes {
  double whole = 0;  // RunPatchJob from its call to its return
  // Seconds from each stage's announcement to the next one's (or the return), by the
  // stage's name in the order stages come.
  std::map<std::string, double> stages;
  // Seconds spent inside each runtime operation, by the operation's name, whatever the
  // stage; "journal append" is the journal's own writes and flushes.
  std::map<std::string, double> operations;
  std::map<std::string, int> calls;  // of each operation
};

// Runs the job without pauses on `game`'s war3.exe with the replacements in `patch`.
JobTimes TimeJobInProcess(const std::u16string& game, const std::u16string& patch);

}  // namespace torvane::bench
