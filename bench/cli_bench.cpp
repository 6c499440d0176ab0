// Prints what the command line costs over the job it runs: `torvane-cli.exe patch
// --no-pause` as a child process against RunPatchJob called in this process with its
// pauses skipped, on game folders of 1,000 and 10,000 redundant files, as a ratio (the
// machines here are shared, so absolute times mean little). Run under Wine with
// `make bench`.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "job/game_path.h"
#include "job/patch_job.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/cli_child.h"
#include "tests/win/temp_files.h"

namespace torvane {
namespace {

using bench::Seconds;
using bench::Write;

using testing::RemoveTree;
using win::W;

// The window's job without the window: boxes answered silently, pauses skipped.
// Answers nothing and shows nothing: the in-process job runs as the command line runs it.
class QuietHost : public JobHost {
 public:
  void OnStage(JobStage) override {}
  void OnFiles(std::size_t, std::size_t) override {}
  void Tell(const Report&) override {}
  bool Ask(const Report&) override { return false; }
};

// A game folder of `count` redundant files, and a tool folder beside it holding the
// command line and its patch folder. Returns the path of war3.exe.
std::u16string Lay(const std::u16string& base, int count) {
  RemoveTree(base);
  ::CreateDirectoryW(W(base), nullptr);
  const std::u16string game = base + u"\\game\\";
  ::CreateDirectoryW(W(game), nullptr);
  for (const char16_t* name :
       {u"War3.exe", u"Game.dll", u"Storm.dll", u"War3Patch.mpq", u"War3.mpq", u"msvcn80.dll"}) {
    Write(game + name, "old");
  }
  for (int i = 0; i < count; ++i) Write(game + u"file" + Decimal(i) + u".txt", "small file");
  const std::u16string tool = base + u"\\tool";
  ::CreateDirectoryW(W(tool), nullptr);
  ::CreateDirectoryW(W(tool + u"\\patch"), nullptr);
  for (std::u16string_view name : kVersionFileNames) {
    Write(tool + u"\\patch\\" + std::u16string(name), "1.24e");
  }
  ::CopyFileW(W(testing::WineName(TORVANE_CLI_EXE)), W(tool + u"\\torvane-cli.exe"), FALSE);
  return game + u"War3.exe";
}

double TimeInProcess(const std::u16string& base, int count) {
  const std::u16string exe = Lay(base, count);
  WinRuntime rt;
  QuietHost host;
  JobRequest request(exe);
  request.patchFolder = base + u"\\tool\\patch";
  request.pauses = false;
  Report report;
  const double seconds = Seconds([&] { report = RunPatchJob(request, rt, host); });
  if (report.finding != Finding::kDone) std::printf("  (the in-process job did not complete)\n");
  return seconds;
}

double TimeCli(const std::u16string& base, int count) {
  const std::u16string exe = Lay(base, count);
  testing::ChildRun run;
  const double seconds = Seconds([&] {
    run = testing::RunChild(base + u"\\tool\\torvane-cli.exe", {u"patch", exe, u"--no-pause"});
  });
  if (run.exitCode != 0) std::printf("  (torvane-cli exited with %lu)\n", run.exitCode);
  return seconds;
}

}  // namespace
}  // namespace torvane

int main() {
  using namespace torvane;
  const std::u16string base = bench::TempPath(u"torvane-cli-bench");

  std::printf("torvane-cli.exe patch --no-pause vs RunPatchJob in-process without pauses\n");
  std::printf("(each size run in both orders, as the shared machine drifts)\n");
  std::printf("%8s %6s %12s %12s %8s\n", "files", "runs", "cli ms", "job ms", "ratio");
  for (int count : {1000, 10000}) {
    // Each run needs a fresh folder; at 10,000 files laying it out dominates.
    const int repeats = count >= 10000 ? 2 : 4;
    double cli = 0, job = 0;
    for (int i = 0; i < repeats; ++i) {
      if (i % 2 == 0) job += TimeInProcess(base, count);
      cli += TimeCli(base, count);
      if (i % 2 == 1) job += TimeInProcess(base, count);
    }
    std::printf("%8d %6d %12.1f %12.1f %8.2f\n", count, repeats, cli * 1e3 / repeats,
                job * 1e3 / repeats, cli / job);
  }
  const std::u16string cliExe = testing::WineName(TORVANE_CLI_EXE);
  const double start = Seconds([&] { (void)testing::RunChild(cliExe, {u"--help"}); });
  std::printf("\nstarting torvane-cli.exe and printing its help: %.1f ms\n", start * 1e3);
  RemoveTree(base);
  return 0;
}
