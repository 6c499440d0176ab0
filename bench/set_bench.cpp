// Prints what the job costs over the least it can do: `torvane-cli.exe patch --no-pause`
// against the yardstick program beside this one, durable (its copies flushed, the set's
// renames written through) and plain (copies and moves only), all started as fresh
// processes, on a game folder holding the four version files at their real sizes,
// alone and with 2,000 files to tidy, as ratios (the machines here are shared, so
// absolute times mean little); the staging alone, the job's checked and flushed copy
// against CopyFileW and a flush; the hash's throughput with each engine, and what hashing
// the set alone costs against the yardstick. Run under Wine with `make bench`.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/set_stages.h"
#include "job/game_path.h"
#include "runtime/sha256.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/cli_child.h"
#include "tests/win/temp_files.h"

namespace torvane {
namespace {

using bench::Median;
using bench::Seconds;
using bench::Write;
using bench::WriteThrough;
using testing::RemoveTree;
using win::W;

constexpr int kRounds = 5;
// The piece the checked copy hashes at a time.
constexpr std::size_t kHashedPiece = 256 << 10;

// The version files in kVersionFileNames' order at their real sizes: 8.5, 0.3, 0.5, 36 MiB.
constexpr std::size_t kSizes[] = {17 << 19, 5 << 16, 1 << 19, 36 << 20};

// Bytes that no two files share, so that nothing is found already in place.
std::string Filler(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return bytes;
}

// Median seconds to hash `count` times `piece`, as one stream.
double HashSeconds(Sha256Engine engine, const std::string& piece, std::size_t count) {
  std::vector<double> seconds;
  for (int round = 0; round < kRounds; ++round) {
    seconds.push_back(Seconds([&] {
      Sha256 sha(engine);
      for (std::size_t i = 0; i < count; ++i) sha.Update(piece);
      (void)sha.FinalHex();
    }));
  }
  return Median(seconds);
}

struct Folders {
  std::u16string game;
  std::u16string patch;
  std::u16string cli;
};

// A game folder (older version files, msvcn80.dll, `count` files to tidy) and a tool
// folder beside it holding the command line and its patch folder.
Folders Lay(const std::u16string& base, int count) {
  RemoveTree(base);
  ::CreateDirectoryW(W(base), nullptr);
  Folders f{base + u"\\game", base + u"\\tool\\patch", base + u"\\tool\\torvane-cli.exe"};
  ::CreateDirectoryW(W(f.game), nullptr);
  ::CreateDirectoryW(W(base + u"\\tool"), nullptr);
  ::CreateDirectoryW(W(f.patch), nullptr);
  for (std::size_t i = 0; i < kVersionFileNames.size(); ++i) {
    const std::u16string name(kVersionFileNames[i]);
    WriteThrough(f.game + u"\\" + name, Filler(kSizes[i] + 4096, static_cast<std::uint32_t>(i)));
    WriteThrough(f.patch + u"\\" + name, Filler(kSizes[i], static_cast<std::uint32_t>(i + 10)));
  }
  Write(f.game + u"\\war3.mpq", "data");
  Write(f.game + u"\\msvcn80.dll", "old runtime");
  for (int i = 0; i < count; ++i) Write(f.game + u"\\file" + Decimal(i) + u".txt", "small file");
  ::CopyFileW(W(testing::WineName(TORVANE_CLI_EXE)), W(f.cli), FALSE);
  return f;
}

double TimeCli(const std::u16string& base, int count) {
  const Folders f = Lay(base, count);
  testing::ChildRun run;
  const double seconds = Seconds([&] {
    run = testing::RunChild(f.cli, {u"patch", f.game + u"\\war3.exe", u"--no-pause"});
  });
  if (run.exitCode != 0) std::printf("  (torvane-cli exited with %lu)\n", run.exitCode);
  return seconds;
}

double TimeYardstick(const std::u16string& base, int count, bool durable) {
  const Folders f = Lay(base, count);
  std::vector<std::u16string> arguments{f.game, f.patch};
  if (durable) arguments.push_back(u"durable");
  testing::ChildRun run;
  const double seconds = Seconds(
      [&] { run = testing::RunChild(testing::WineName(TORVANE_YARDSTICK_EXE), arguments); });
  if (run.exitCode != 0) std::printf("  (the yardstick exited with %lu)\n", run.exitCode);
  return seconds;
}

// Median seconds of the job, the durable yardstick and the plain one, each a fresh process,
// their order turning from round to round so that none always follows the same one.
struct Medians {
  double cli = 0;
  double durable = 0;
  double plain = 0;
};

Medians TimeAll(const std::u16string& base, int count) {
  const std::function<double()> runs[] = {
      [&] { return TimeCli(base, count); },
      [&] { return TimeYardstick(base, count, true); },
      [&] { return TimeYardstick(base, count, false); },
  };
  constexpr std::size_t kRuns = std::size(runs);
  for (const auto& run : runs) (void)run();  // the programs' own files into the cache
  std::vector<double> seconds[kRuns];
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t i = 0; i < kRuns; ++i) {
      const std::size_t which = (static_cast<std::size_t>(round) + i) % kRuns;
      seconds[which].push_back(runs[which]());
    }
  }
  return {Median(seconds[0]), Median(seconds[1]), Median(seconds[2])};
}

// Copies the four replacements in beside the originals, one way or the other; the copies
// are removed again.
double StageSeconds(const Folders& f, bool checked) {
  WinRuntime rt;
  const double seconds = Seconds([&] {
    for (const std::u16string_view name : kVersionFileNames) {
      const std::u16string from = f.patch + u"\\" + std::u16string(name);
      const std::u16string to = f.game + u"\\" + std::u16string(name) + u".staged";
      if (checked) {
        SkipOnFailure(rt.CopyAndDigest(from, to).status());
      } else if (::CopyFileW(W(from), W(to), TRUE)) {
        ::FlushFileBuffers(win::UniqueFile(::CreateFileW(W(to), GENERIC_WRITE, 0, nullptr,
                                                         OPEN_EXISTING, 0, nullptr))
                               .get());
      }
    }
  });
  for (const std::u16string_view name : kVersionFileNames) {
    ::DeleteFileW(W(f.game + u"\\" + std::u16string(name) + u".staged"));
  }
  return seconds;
}

// The staging alone, in this process: the job's checked copy (hashed, read back, flushed
// as it grows and once whole) against CopyFileW and a flush of each copy, as the durable
// yardstick stages.
void PrintStaging(const std::u16string& base) {
  const Folders f = Lay(base, 0);
  std::vector<double> checked, plain;
  (void)StageSeconds(f, true);  // the sources into the cache
  for (int round = 0; round < kRounds; ++round) {
    if (round % 2 == 0) plain.push_back(StageSeconds(f, false));
    checked.push_back(StageSeconds(f, true));
    if (round % 2 == 1) plain.push_back(StageSeconds(f, false));
  }
  std::printf(
      "staging the four, flushed: checked copy %.1f ms, CopyFileW and a flush %.1f ms, "
      "%.2f x\n",
      Median(checked) * 1e3, Median(plain) * 1e3, Median(checked) / Median(plain));
}

// Seconds for a program to start and end at once: torvane-cli.exe asked for its help, the
// yardstick given no arguments.
double StartSeconds(bool cli) {
  const std::u16string exe = testing::WineName(cli ? TORVANE_CLI_EXE : TORVANE_YARDSTICK_EXE);
  const std::vector<std::u16string> arguments =
      cli ? std::vector<std::u16string>{u"--help"} : std::vector<std::u16string>{};
  return Seconds([&] { (void)testing::RunChild(exe, arguments); });
}

// Where the job's time goes, against the durable yardstick's whole run measured in turn
// with it: the job in this process, stage by stage and operation by operation (medians of
// each, so the parts need not add up to the whole), and the start of each program alone.
void PrintBreakdown(const std::u16string& base) {
  std::vector<double> whole, yardstick, cliStart, yardstickStart;
  std::map<std::string, std::vector<double>> stages, operations;
  std::map<std::string, int> calls;
  for (int round = 0; round <= kRounds; ++round) {
    const bool warmUp = round == 0;
    if (round % 2 == 1) yardstick.push_back(TimeYardstick(base, 0, true));
    const Folders f = Lay(base, 0);
    const bench::JobTimes times = bench::TimeJobInProcess(f.game, f.patch);
    if (round % 2 == 0) yardstick.push_back(TimeYardstick(base, 0, true));
    cliStart.push_back(StartSeconds(true));
    yardstickStart.push_back(StartSeconds(false));
    if (warmUp) {
      yardstick.clear();
      cliStart.clear();
      yardstickStart.clear();
      continue;
    }
    whole.push_back(times.whole);
    for (const auto& [name, seconds] : times.stages) stages[name].push_back(seconds);
    for (const auto& [name, seconds] : times.operations) operations[name].push_back(seconds);
    calls = times.calls;
  }
  const double y = Median(yardstick);
  auto line = [&](const std::string& what, double seconds, int count = 0) {
    std::printf("  %-36s %7.1f ms %6.2f x", what.c_str(), seconds * 1e3, seconds / y);
    std::printf(count > 0 ? " %5d calls\n" : "\n", count);
  };
  std::printf("where the job's time goes (median of %d, x the durable yardstick's run)\n", kRounds);
  line("durable yardstick, whole run", y);
  line("yardstick, start and exit only", Median(yardstickStart));
  line("torvane-cli, start and exit only", Median(cliStart));
  line("job in this process, whole", Median(whole));
  for (auto& [name, seconds] : stages) {
    seconds.resize(whole.size());  // a stage a round did not reach counts as none
    line("stage " + name, Median(seconds));
  }
  for (auto& [name, seconds] : operations) {
    seconds.resize(whole.size());
    line("in " + name, Median(seconds), calls[name]);
  }
}

// SHA-256 of 32 MiB in the pieces the copy hashes, with each engine, in GB/s.
void PrintShaThroughput() {
  const std::string piece = Filler(kHashedPiece, 99);
  for (const Sha256Engine engine : {Sha256Engine::kPortable, BestSha256Engine()}) {
    const double seconds = HashSeconds(engine, piece, (32 << 20) / kHashedPiece);
    std::printf("SHA-256, %s: %.2f GB/s\n",
                engine == Sha256Engine::kCpu ? "the CPU's SHA instructions" : "portable",
                (32.0 * (1 << 20)) / seconds / 1e9);
  }
}

// The least the job's checks cost: hashing the four replacements once, from memory, with
// the best engine, as a share of the yardstick's whole run.
void PrintHashFloor(double yardstickSeconds) {
  std::size_t total = 0;
  for (const std::size_t size : kSizes) total += size;
  const std::string piece = Filler(kHashedPiece, 98);
  const double seconds = HashSeconds(BestSha256Engine(), piece, total / kHashedPiece);
  std::printf("hashing the four replacements alone: %.1f ms, %.2f x the yardstick's whole run\n",
              seconds * 1e3, seconds / yardstickSeconds);
}

}  // namespace
}  // namespace torvane

// With "quick": the four files alone and where the job's time goes, for a change of the
// job's own; the full run also times the tidy, the staging alone and the hash.
int main(int argc, char** argv) {
  using namespace torvane;
  const bool quick = argc == 2 && std::string(argv[1]) == "quick";
  const std::u16string base = bench::TempPath(u"torvane-set-bench");
  std::printf("\ntorvane-cli.exe patch --no-pause vs the durable yardstick (copies flushed,\n");
  std::printf("the set's renames written through; target <= 1.25) and the plain one (copies\n");
  std::printf("and moves only), fresh processes, four version files at real sizes;\n");
  std::printf("median of %d, in turn\n", kRounds);
  std::printf("%6s %9s %11s %9s %12s %10s\n", "+files", "cli ms", "durable ms", "plain ms",
              "vs durable", "vs plain");
  double setYardstick = 0;
  for (int count : {0, 2000}) {
    if (quick && count > 0) break;
    const Medians m = TimeAll(base, count);
    std::printf("%6d %9.1f %11.1f %9.1f %12.2f %10.2f\n", count, m.cli * 1e3, m.durable * 1e3,
                m.plain * 1e3, m.cli / m.durable, m.cli / m.plain);
    if (count == 0) setYardstick = m.plain;
  }
  if (!quick) PrintStaging(base);
  PrintBreakdown(base);
  RemoveTree(base);
  if (quick) return 0;
  PrintShaThroughput();
  PrintHashFloor(setYardstick);
  return 0;
}
