// The checks a job makes before it touches anything: no program may be using the game
// (one running from the game folder, or one holding a version file open), and the tool
// must be allowed to write the game folder and rename the version files, and its drive
// must have room for the staged replacements. Each check that fails stops the job with a
// report; where rights are missing and the tool is not
// elevated, the user is offered to start it again as administrator with the same path.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "job/game_path.h"
#include "job/job_host.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

// Why the job may not go on; nothing when it may. `gamePath` is the field's text as
// typed, handed to an elevated instance; `files` are the game files derived from it.
std::optional<Report> PreflightRefusal(std::u16string_view gamePath, const GameFiles& files,
                                       Runtime& rt, JobHost& host);

// The room the replacements' staged copies take beside the originals (each one not
// already in place, plus a margin for the journal's lines), when the game folder's drive
// offers this user less; nothing when it offers enough or cannot say how much it offers.
// A disk that fills anyway while the copies are made is still rolled back.
std::optional<Report> SpaceRefusal(const GameFiles& files,
                                   const std::array<std::u16string, 4>& sources, Runtime& rt);

}  // namespace torvane
