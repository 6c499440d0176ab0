// The one-click job behind the main window's button: check the path, replace the game's
// version files from the tool's "patch" folder (keeping every original in "vTemp"),
// tidy the game folder, and tell the user honestly how it went.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/job_observer.h"
#include "runtime/runtime.h"

namespace torvane {

// The tool's own folder with exactly one trailing backslash ("e:\" stays "e:\").
Result<std::u16string> MyPath(Runtime& rt);

// The five game files named after the working path: every "war3.exe" in it replaced.
struct GamePaths {
  std::u16string msvcn80;
  std::array<std::u16string, 4> versionFiles;  // game.dll, storm.dll, war3.exe, war3patch.mpq
};
GamePaths DeriveGamePaths(std::u16string_view workingPath);

// The replacement file names under "patch\", in the order of GamePaths::versionFiles.
inline constexpr std::array<std::u16string_view, 4> kVersionFileNames = {
    u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"};

// Runs the whole job on the text of the path field. Every outcome ends in one modal
// box through rt.MsgBox; nothing is thrown.
JobOutcome RunPatchJob(std::u16string_view pickerText, Runtime& rt,
                       JobObserver* observer = nullptr);

// The game folder's quarantine ("...\vTemp", no trailing backslash) for the text of the
// path field; a failure when the text names no usable game path.
Result<std::u16string> QuarantineFolderOf(std::u16string_view pickerText, Runtime& rt);

}  // namespace torvane
