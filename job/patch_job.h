// The one-click job behind the main window's button: check the path, replace the game's
// version files from the tool's "patch" folder (keeping every original in "vTemp"),
// tidy the game folder, and tell the user honestly how it went.
#pragma once

#include <string>
#include <string_view>

#include "job/job_observer.h"
#include "runtime/runtime.h"

namespace torvane {

// Runs the whole job on the text of the path field. Every outcome ends in one modal
// box through rt.MsgBox; nothing is thrown.
JobOutcome RunPatchJob(std::u16string_view pickerText, Runtime& rt,
                       JobObserver* observer = nullptr);

// The game folder's quarantine ("...\vTemp", no trailing backslash) for the text of the
// path field; a failure when the text names no usable game path.
Result<std::u16string> QuarantineFolderOf(std::u16string_view pickerText, Runtime& rt);

}  // namespace torvane
