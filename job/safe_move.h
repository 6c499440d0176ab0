// Moving a file without ever losing or overwriting one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/runtime.h"

namespace torvane {

// The name Windows Explorer gives the n-th copy: "war3patch (2).mpq", "readme (3)".
// n == 1 is the name itself.
std::u16string CopyName(std::u16string_view name, int n);

// The first of `name`, "name (2)", "name (3)", ... that `isFree` accepts, or the error that
// ended the search. The copy numbers stop at a bound rather than looping.
Result<std::u16string> FirstFreeName(
    std::u16string_view name,
    const std::function<Result<bool>(const std::u16string& candidate)>& isFree);

// Makes sure `folder` (no trailing backslash) exists as a folder.
Status EnsureFolder(Runtime& rt, const std::u16string& folder);

// The first free name of that kind in `folder` (no trailing backslash), as a full path.
Result<std::u16string> FreePathIn(Runtime& rt, const std::u16string& folder,
                                  std::u16string_view name);

// Whether a move must be on the disk when it returns (a move of the version set, see
// Runtime::RenameWrittenThrough) or may still be in the system's cache.
enum class Durability { kCached, kOnDisk };

// Moves a file to a free name: a rename within the volume; across volumes a copy that
// never replaces, checked and on the disk before the source is deleted. On failure the
// file stays where it was and nothing is left at `to`.
Status SafeMove(Runtime& rt, const std::u16string& from, const std::u16string& to,
                Durability durability = Durability::kCached);

}  // namespace torvane
