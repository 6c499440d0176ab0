// Carries out the tidy's plan (tidy_plan.h): every file it moves goes into the vTemp
// folder beside it. Nothing is deleted; what could not be moved, or was left by rule and
// must be told, is reported so the caller can tell the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job_observer.h"
#include "job/journal.h"
#include "job/report.h"
#include "job/tidy_plan.h"
#include "runtime/runtime.h"

namespace torvane {

struct TidyReport {
  std::vector<Shortfall> notMoved;
  std::vector<Shortfall> notListed;  // folders not entered (unreadable, or links)
  bool complete() const { return notMoved.empty() && notListed.empty(); }
};

// `path` is the path of war3.exe: its folder is planned and tidied (nothing when it names
// another file). Every move is announced in `journal` before it is made.
TidyReport ClearRedundantFiles(std::u16string_view path, Runtime& rt, Journal& journal,
                               JobObserver* observer = nullptr);

}  // namespace torvane
