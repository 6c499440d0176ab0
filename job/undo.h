// Reversing what a job did, step by step and newest first. A name in the game folder that
// is taken by a file this tool did not write is never overwritten.
#pragma once

#include <vector>

#include "job/job_observer.h"
#include "job/journal.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

struct UndoReport {
  int returned = 0;                 // files put back under their own names
  int removed = 0;                  // replacements and temporary copies this tool wrote, removed
  std::vector<Shortfall> problems;  // what stayed where, and why
  bool complete() const { return problems.empty(); }
  void Add(const UndoReport& part);
};

// Reverses `inEffect` (in journal order; undone newest first), journaling each reversal.
// `history` holds every step the journal knows of, whatever its outcome: where the
// replacements came from, which proves them this tool's own.
UndoReport Undo(Runtime& rt, Journal& journal, const std::vector<Step>& inEffect,
                const std::vector<Step>& history, JobObserver* observer = nullptr);

}  // namespace torvane
