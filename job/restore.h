// Putting a game folder back as it was before the last job, from that job's journal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "job/game_path.h"
#include "job/job_host.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

// What restores, one after another, would undo in a game folder, looked at without acting:
// how many jobs, when the newest of them ran, and what would stop them before the oldest
// (a journal that cannot be read, or one naming what it may not); `restore --all` stops
// there too.
struct RestoreOutlook {
  int jobs = 0;
  std::u16string newest;
  std::optional<Report> stop;
};
RestoreOutlook LookAtRestores(Runtime& rt, const GamePath& g);

// Asks the user through `host` (Yes/No, with a one-line summary) and restores the newest
// job of the game folder of `gamePath` that is not yet restored.
Report RunRestore(std::u16string_view gamePath, Runtime& rt, JobHost& host);

}  // namespace torvane
