// The versions the game and the patch folder carry, read from war3.exe and game.dll, and
// the questions they raise before a job touches anything: a patch folder assembled from
// two versions (a game made of it does not start), and a game that is already exactly
// what the job would make of it. Files without a version resource raise no question.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "job/game_path.h"
#include "job/job_host.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

// "1.24.4.6387".
std::u16string VersionText(const FileVersion& version);

// The versions of war3.exe and game.dll in one folder.
struct FolderVersions {
  std::optional<FileVersion> war3;
  std::optional<FileVersion> game;
  // The folder's one version: both files carry it. Nothing when either has none or they
  // differ.
  std::optional<FileVersion> Whole() const;
  bool Mismatched() const { return war3 && game && *war3 != *game; }
};
// `folder` with or without its trailing backslash.
FolderVersions VersionsIn(Runtime& rt, const std::u16string& folder);

// The question to ask before a job whose replacements are `sources` (in the order of
// kVersionFileNames); nothing when the job just goes on.
std::optional<Report> VersionQuestion(Runtime& rt, const GamePath& g,
                                      const std::array<std::u16string, 4>& sources);

// Asks it; the report that stops the job when the answer is No.
std::optional<Report> AskAboutVersions(Runtime& rt, const GamePath& g,
                                       const std::array<std::u16string, 4>& sources, JobHost& host);

}  // namespace torvane
