// Running torvane-cli.exe as a child process, as a script would, for the Windows tests
// and the benchmark.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace torvane::testing {

struct ChildRun {
  DWORD exitCode = 0;
  std::string output;  // standard output and error, as written
  bool killed = false;
};

// Runs `exe` with `args`, each quoted as the C runtime splits a command line, and
// collects its output through a pipe. With `killAfterMs` the child is ended by
// TerminateProcess that long after its start, unless it ended first.
ChildRun RunChild(const std::u16string& exe, const std::vector<std::u16string>& args,
                  std::optional<DWORD> killAfterMs = std::nullopt);

// One argument as CommandLineToArgvW and the C runtime read it back.
std::u16string QuoteArgument(const std::u16string& arg);

// The Windows name Wine gives a Unix path ("/work/x" -> "Z:\work\x").
std::u16string WineName(const char* unixPath);

}  // namespace torvane::testing
