// Before a job or a restore touches a game folder: an earlier job or restore that was cut
// short (a crash, a power cut, the program ended) is made whole first. A version set
// caught half-swapped goes back to the old set; moves that happened stay and are recorded.
#pragma once

#include <string>

#include "job/job_observer.h"
#include "runtime/runtime.h"

namespace torvane {

// Settles every unfinished journal that the game folder's vTemp holds for that folder, and
// tells the user in one box what was found and done. False, after a box, when a journal
// cannot be read: nothing is changed. `gameFolder` ends in a backslash.
bool RecoverInterrupted(Runtime& rt, const std::u16string& gameFolder, JobObserver* observer);

}  // namespace torvane
