// torvane-cli.exe: the job and the restore for scripts, over the same code as the window.
#include <windows.h>

#include <exception>
#include <vector>

#include "cli/console.h"
#include "cli/options.h"
#include "cli/reporter.h"
#include "cli/run.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

namespace {

using namespace torvane;

// Whether errors found before the options are understood are to be told as JSON.
bool WantsJson(const std::vector<std::u16string>& args) {
  for (const std::u16string& arg : args) {
    if (arg == u"--") return false;
    if (arg == u"--json") return true;
  }
  return false;
}

void PrintHelp() {
  const std::u16string_view help = texts::kCliHelp;
  for (size_t start = 0, end; start < help.size(); start = end + 1) {
    end = help.find(u'\n', start);
    if (end == std::u16string_view::npos) end = help.size();
    cli::WriteLine(std::u16string(help.substr(start, end - start)));
  }
}

cli::ExitCode Run(const std::vector<std::u16string>& args) {
  const Result<cli::Options> options = cli::ParseArguments(args);
  if (!options.ok()) {
    cli::Reporter out(cli::WriteLine, WantsJson(args), false);
    out.UsageError(options.error().description);
    out.Exit(cli::kExitUsage);
    return cli::kExitUsage;
  }
  const cli::Options& o = options.value();
  if (o.command == cli::Command::kHelp) {
    PrintHelp();
    return cli::kExitDone;
  }
  cli::Reporter out(cli::WriteLine, o.json, o.quiet);
  WinRuntime rt;
  return cli::RunCommand(o, rt, out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // A script must never wait on a "no disk in drive" box.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(win::U(argv[i]));
  std::u16string failure;
  try {
    return Run(args);
  } catch (const std::exception& e) {
    failure = FromUtf8(e.what());
  } catch (...) {
    failure = u"?";
  }
  cli::Reporter out(cli::WriteLine, WantsJson(args), false);
  out.InternalError(failure);
  out.Exit(cli::kExitInternal);
  return cli::kExitInternal;
}
