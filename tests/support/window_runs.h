// The job and the restore as the window runs them: everything the engine tells, asks and
// reports is presented as the window's message boxes through the runtime, so a test sees
// the boxes a user would (the in-memory runtime records them and answers from its queue).
#pragma once

#include <string>

#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane::testing {

Report Job(const std::u16string& gamePath, Runtime& rt);
Report Restore(const std::u16string& gamePath, Runtime& rt);

}  // namespace torvane::testing
