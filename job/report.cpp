#include "job/report.h"

namespace torvane {

Why WhyOf(const Error& error) {
  switch (error.kind) {
    case ErrorKind::kLink:
      return Why::kLinkedFolder;
    case ErrorKind::kReadBackDiffers:
      return Why::kMovedCopyDiffers;
    case ErrorKind::kSwapped:
      return Why::kJournalSwapped;
    default:
      return Why::kError;
  }
}

Outcome OutcomeOf(const Report& report) {
  switch (report.finding) {
    case Finding::kDone:
    case Finding::kRestored:
      return Outcome::kDone;
    case Finding::kSetRolledBack:
      // Undone whole, the folder is as it was; else some of it stayed changed.
      if (report.problems.empty()) break;
      return Outcome::kPartial;
    case Finding::kSetNotCommitted:
    case Finding::kTidyIncomplete:
    case Finding::kRestoredPartly:
      return Outcome::kPartial;
    default:
      break;
  }
  return report.changedBefore ? Outcome::kPartial : Outcome::kNothingChanged;
}

}  // namespace torvane
