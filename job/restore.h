// Putting a game folder back as it was before the last job, from that job's journal.
#pragma once

#include <string_view>

#include "job/job_host.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

// Asks the user through `host` (Yes/No, with a one-line summary) and restores the newest
// job of the game folder of `pickerText` that is not yet restored.
Report RunRestore(std::u16string_view pickerText, Runtime& rt, JobHost& host);

}  // namespace torvane
