#include "app/restore.h"

namespace torvane {

JobOutcome RunRestore(std::u16string_view pickerText, Runtime& rt, JobObserver* observer) {
  (void)pickerText;
  (void)rt;
  (void)observer;
  return JobOutcome::kRefused;
}

}  // namespace torvane
