// Reversing what a job did, step by step and newest first, and settling the steps a
// crash left announced but unconfirmed. A name in the game folder that is taken by a
// file this tool did not write is never overwritten.
#pragma once

#include <string>
#include <vector>

#include "job/job_observer.h"
#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

struct UndoReport {
  int returned = 0;  // files put back under their own names
  int removed = 0;   // replacements and temporary copies this tool wrote, removed
  std::vector<std::u16string> problems;  // one line each: what stayed where, and why
  bool complete() const { return problems.empty(); }
};

// Reverses `inEffect` (in journal order; undone newest first), journaling each reversal.
UndoReport Undo(Runtime& rt, Journal& journal, const std::vector<Step>& inEffect,
                JobObserver* observer = nullptr);

struct Settled {
  int happened = 0;     // steps found made
  int notHappened = 0;  // steps found not made (a half-made copy removed)
  std::vector<std::u16string> problems;
};

// Looks at the folder for every step of `doc` that has no recorded outcome, records what
// it finds, and puts back what a half-made step disturbed. `doc` is updated to match.
Settled SettlePending(Runtime& rt, Journal& journal, JournalDoc& doc);

}  // namespace torvane
