// From the text of the path field to the game folder the job may act on. Everything here
// is decided before anything is touched; a refusal tells the user why in one box.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/patch_job.h"
#include "runtime/runtime.h"

namespace torvane {

// A path as users paste it: surrounding whitespace and one pair of surrounding double
// quotes removed ("copy as path" adds them).
std::u16string Unquoted(std::u16string_view text);

struct GamePath {
  std::u16string working;     // resolved and lower-cased; names war3.exe
  GamePaths paths;            // the five files derived from it
  std::u16string folder;      // the game folder, with its trailing backslash
  std::u16string quarantine;  // folder + "vTemp"
};

// Resolves the path the way Windows does and checks that it names a game folder: not a
// drive root, not the Windows folder, holding War3.mpq, with a usable vTemp.
std::optional<GamePath> CheckGamePath(std::u16string_view pickerText, Runtime& rt);

}  // namespace torvane
