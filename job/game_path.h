// From the text of the path field to the game folder the job may act on. Everything here
// is decided before anything is touched; a refusal says why.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/game_layout.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

// The tool's own folder with exactly one trailing backslash ("e:\" stays "e:\").
Result<std::u16string> MyPath(Runtime& rt);

// The five game files beside war3.exe, as the game folder plus their names.
struct GameFiles {
  std::u16string msvcn80;
  std::array<std::u16string, 4> versionFiles;  // game.dll, storm.dll, war3.exe, war3patch.mpq
};
GameFiles GameFilesOf(std::u16string_view workingPath);

// The tool's own programs, which users often keep in the game folder: the running one and
// those the release puts beside it. Never in the way, never tidied.
inline constexpr std::u16string_view kToolPrograms[] = {u"Torvane.exe", u"torvane-cli.exe"};
std::vector<std::u16string> ToolPrograms(Runtime& rt);

// A path as users paste it: surrounding whitespace and one pair of surrounding double
// quotes removed ("copy as path" adds them).
std::u16string Unquoted(std::u16string_view text);

struct GamePath {
  std::u16string working;                // resolved and lower-cased; names war3.exe
  GameFiles files;                       // the five files derived from it
  std::u16string folder;                 // the game folder, with its trailing backslash
  std::u16string vTemp;                  // VTempIn(folder)
  std::optional<FileIdentity> identity;  // the game folder's, whatever its spelling (once checked)
};

// One job or restore at a time per game folder, whatever its spelling: the lock file in
// its vTemp (which must exist), held until the work's end. A second one is refused.
Checked<std::unique_ptr<HeldLock>> LockGameFolder(Runtime& rt, const GamePath& g);

// Resolves the path the way Windows does and derives the game folder's paths from it: it
// must name war3.exe itself. The folder is not looked at.
Checked<GamePath> ResolveGamePath(std::u16string_view gamePath, Runtime& rt);

// ResolveGamePath, then checks that the path names a game folder: not a
// drive root, not the Windows folder, holding War3.mpq, with a usable vTemp.
Checked<GamePath> CheckGamePath(std::u16string_view gamePath, Runtime& rt);

}  // namespace torvane
