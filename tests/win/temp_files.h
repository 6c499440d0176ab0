// Cleaning up the real folders the Windows tests make.
#pragma once

#include <string>

namespace torvane::testing {

// Removes a folder and everything below it, read-only files included; links are removed,
// never followed. A trailing backslash is allowed.
void RemoveTree(const std::u16string& folder);

}  // namespace torvane::testing
