// torvane-cli.exe: the job and the restore for scripts, over the same code as the window.
#include <windows.h>

#include <vector>

#include "cli/console.h"
#include "cli/run.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

int wmain(int argc, wchar_t** argv) {
  // A script must never wait on a "no disk in drive" box.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(torvane::win::U(argv[i]));
  torvane::WinRuntime rt;
  return torvane::cli::RunProgram(args, rt, torvane::cli::WriteLine);
}
