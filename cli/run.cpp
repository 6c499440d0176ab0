#include "cli/run.h"

#include <exception>
#include <optional>

#include "cli/cli_host.h"
#include "cli/dry_run.h"
#include "cli/info.h"
#include "cli/options.h"
#include "job/patch_job.h"
#include "job/restore.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane::cli {
namespace {

ExitCode CodeOf(const Report& report) {
  switch (OutcomeOf(report)) {
    case Outcome::kDone:
      return kExitDone;
    case Outcome::kPartial:
      return kExitPartial;
    case Outcome::kNothingChanged:
      break;
  }
  return kExitRefused;
}

// A restore marks its job restored, so each round finds an older one; this only bounds a
// journal that would somehow keep offering the same job.
constexpr int kMaxRounds = 100000;

// Every journaled job, newest first, until none is left. Stops at the first restore
// that falls short: repeating it would only fall short again.
ExitCode RestoreAll(const Options& o, Runtime& rt, CliHost& host) {
  for (int round = 0; round < kMaxRounds; ++round) {
    const Report report = RunRestore(o.gamePath, rt, host);
    host.Print(report);
    if (report.finding == Finding::kRestored) continue;
    if (round > 0 && report.finding == Finding::kNothingToRestore && !report.changedBefore) {
      return kExitDone;
    }
    // After some jobs were restored, a refusal leaves the folder changed.
    return round > 0 ? kExitPartial : CodeOf(report);
  }
  return kExitPartial;
}

// The command over the command line's layers.
ExitCode Run(const Options& o, Runtime& real, Reporter& out) {
  out.SetSubject(o.gamePath);
  if (o.command == Command::kInfo) return RunInfo(o, real, out);
  CliHost host(out, o.force);
  std::optional<DryRunRuntime> dry;
  if (o.dryRun) {
    out.Message(texts::kCliDryRunHead, false, false);
    dry.emplace(real, [&out](std::u16string_view step, const std::u16string& path,
                             const std::u16string& detail) { out.Would(step, path, detail); });
  }
  Runtime& rt = dry ? static_cast<Runtime&>(*dry) : real;
  if (o.command == Command::kRestore && o.all) return RestoreAll(o, rt, host);
  Report report;
  if (o.command == Command::kPatch) {
    JobRequest request(o.gamePath);
    request.pauses = !o.noPause;
    if (!o.patchDir.empty()) {
      const Result<std::u16string> full = real.FullPath(o.patchDir);
      request.patchFolder = full.value_or(o.patchDir);
    }
    report = RunPatchJob(request, rt, host);
  } else {
    report = RunRestore(o.gamePath, rt, host);
  }
  host.Print(report);
  return CodeOf(report);
}

// Whether errors found before the options are understood are to be told as JSON.
bool WantsJson(const std::vector<std::u16string>& args) {
  for (const std::u16string& arg : args) {
    if (arg == u"--") return false;
    if (arg == u"--json") return true;
  }
  return false;
}

void PrintHelp(const Reporter::Sink& sink) {
  const std::u16string_view help = texts::kCliHelp;
  for (size_t start = 0, end; start < help.size(); start = end + 1) {
    end = help.find(u'\n', start);
    if (end == std::u16string_view::npos) end = help.size();
    sink(std::u16string(help.substr(start, end - start)));
  }
}

ExitCode Guarded(const std::vector<std::u16string>& args, Runtime& rt, const Reporter::Sink& sink) {
  const Result<Options> options = ParseArguments(args);
  if (!options.ok()) {
    Reporter out(sink, WantsJson(args), false);
    out.UsageError(options.error().description);
    out.Exit(kExitUsage);
    return kExitUsage;
  }
  const Options& o = options.value();
  if (o.command == Command::kHelp) {
    PrintHelp(sink);
    return kExitDone;
  }
  Reporter out(sink, o.json, o.quiet);
  const ExitCode code = Run(o, rt, out);
  out.Exit(code);
  return code;
}

}  // namespace

ExitCode RunProgram(const std::vector<std::u16string>& args, Runtime& rt,
                    const Reporter::Sink& sink) {
  std::u16string failure;
  try {
    return Guarded(args, rt, sink);
  } catch (const std::exception& e) {
    failure = FromUtf8(e.what());
  } catch (...) {
    failure = u"?";
  }
  Reporter out(sink, WantsJson(args), false);
  out.InternalError(failure);
  out.Exit(kExitInternal);
  return kExitInternal;
}

}  // namespace torvane::cli
