// The one-click job behind the main window's button: check the path, replace the game's
// version files from the tool's patch folder (keeping every original in vTemp),
// tidy the game folder, and report honestly how it went.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "job/job_host.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

struct JobRequest {
  explicit JobRequest(std::u16string gamePath) : gamePath(std::move(gamePath)) {}

  std::u16string gamePath;     // the path of war3.exe as the user gave it
  std::u16string patchFolder;  // the four replacements; empty: "patch" beside the program
  bool pauses = true;          // the one-second pauses between the stages
};

// The folder the replacements are taken from: `given`, or "patch" beside the program when
// it is empty; with its trailing backslash.
Result<std::u16string> PatchFolderOf(Runtime& rt, const std::u16string& given);

// Runs the whole job. Nothing is thrown; the report says how it ended.
Report RunPatchJob(const JobRequest& request, Runtime& rt, JobHost& host);

}  // namespace torvane
