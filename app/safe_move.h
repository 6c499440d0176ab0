// Moving a file into a quarantine folder without ever losing or overwriting one.
#pragma once

#include <string>
#include <string_view>

#include "runtime/runtime.h"

namespace torvane {

// The name Windows Explorer gives the n-th copy: "war3patch (2).mpq", "readme (3)".
// n == 1 is the name itself.
std::u16string CopyName(std::u16string_view name, int n);

// Makes sure `folder` (no trailing backslash) exists as a folder.
Status EnsureFolder(Runtime& rt, const std::u16string& folder);

// Moves the file `path` into `folder` (no trailing backslash) under its own name, or
// under the next free copy name when that is taken; returns where it arrived. A rename
// within the volume where possible; across volumes a copy that never replaces, and the
// source deleted only after the copy is in place. On failure the file stays where it was.
Result<std::u16string> MoveIntoFolder(Runtime& rt, const std::u16string& path,
                                      const std::u16string& folder);

}  // namespace torvane
