#include "job/report.h"

namespace torvane {

Outcome OutcomeOf(const Report& report) {
  switch (report.finding) {
    case Finding::kDone:
    case Finding::kRestored:
      return Outcome::kDone;
    case Finding::kProbeFailed:
    case Finding::kSetRolledBack:
    case Finding::kSetNotCommitted:
    case Finding::kTidyIncomplete:
    case Finding::kRestoredPartly:
      return Outcome::kPartial;
    default:
      return report.changedBefore ? Outcome::kPartial : Outcome::kNothingChanged;
  }
}

}  // namespace torvane
