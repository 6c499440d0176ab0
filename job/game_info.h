// A look before the job, changing nothing: the game folder, the versions of the game and
// of the patch folder, the jobs a restore could undo, an unfinished journal waiting to be
// settled, and the installs the registry names. The window shows it in one box, the
// command line prints it (info) or writes it as one JSON object.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "job/report.h"
#include "job/versions.h"
#include "runtime/runtime.h"

namespace torvane {

struct GameInfo {
  std::u16string gameFolder;  // with its trailing backslash; empty when no path was given
  FolderVersions game;
  std::u16string patchFolder;  // with its trailing backslash; empty when it cannot be named
  FolderVersions patch;
  int restorable = 0;                      // jobs restores could still undo, one after another
  std::u16string newestRestorable;         // when the newest of them ran
  std::optional<Report> restoreStop;       // what would stop restores before the oldest job
  std::vector<std::u16string> unfinished;  // journals a job or restore would settle first
  std::vector<std::u16string> unreadable;  // journals that could not be read
  std::vector<RegisteredInstall> installs;
};

// `gamePath` is the path of war3.exe as given, or empty for none: then the game part
// stays empty and the registry's installs are looked up. A path that is given is checked
// as a job checks it; the report says why it is refused.
Checked<GameInfo> ReadGameInfo(std::u16string_view gamePath, const std::u16string& patchFolder,
                               Runtime& rt);

}  // namespace torvane
