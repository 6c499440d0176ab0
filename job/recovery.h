// Before a job or a restore touches a game folder: an earlier job or restore that was cut
// short (a crash, a power cut, the program ended) is made whole first. A version set
// caught half-swapped goes back to the old set; moves that happened stay and are recorded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/job_host.h"
#include "job/journal.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

struct RecoveryOutcome {
  bool changed = false;        // interrupted work was found and settled
  std::optional<Report> stop;  // a journal that cannot be read: nothing was changed
};

// Settles every unfinished journal that the game folder's vTemp holds and tells the user,
// through `host`, in one message what was found and done. An unfinished journal that
// cannot be read, that belongs to another folder or that names anything outside this one
// stops the work before anything is changed; so does a vTemp that cannot be listed.
// `reach` says which roots are links and what the tool may read besides (confinement.h).
RecoveryOutcome RecoverInterrupted(Runtime& rt, const GamePath& g, const Reach& reach,
                                   JobHost& host);

// Looks at the folder for every step of `doc` that has no recorded outcome, records what
// it finds, and puts back what a half-made step disturbed. `doc` is updated to match;
// returns what could not be settled.
std::vector<Shortfall> SettlePending(Runtime& rt, Journal& journal, JournalDoc& doc);

}  // namespace torvane
