// Standard output for the command line: a console gets UTF-16 through WriteConsoleW, so
// Chinese shows under any code page; a file or a pipe gets UTF-8 bytes.
#pragma once

#include <string>

namespace torvane::cli {

// Writes one line and its line break.
void WriteLine(const std::u16string& line);

}  // namespace torvane::cli
