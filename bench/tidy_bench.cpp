// Prints how the tidy-up scales, as ratios measured in one run (the machines here are
// shared, so absolute times mean little):
//   - tidying 100, 1,000 and 10,000 small files against a bare rename loop over as many;
//   - the tidy of 1,000 files watched by the window's progress against the tidy unwatched;
//   - restoring a 5,000-file tidy from its journal against the tidy itself;
//   - replacing the version set (staged, checked, swapped) against deleting the originals
//     and copying the replacements over them;
//   - moving one 1 GiB file into vTemp against moving one small file.
// Run under Wine with `make bench`.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "job/safe_move.h"
#include "job/tidy.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/temp_files.h"
#include "window/job_progress.h"

namespace torvane {
namespace {

using bench::Median;
using bench::Seconds;
using bench::Write;

using testing::RemoveTree;
using win::W;

constexpr int kRepeats = 3;
constexpr LONGLONG kLargeBytes = 1LL << 30;

// A folder of `count` small files (names not on any keep-list) beside a war3.exe.
std::u16string MakeFolder(const std::u16string& base, const std::u16string& name, int count) {
  const std::u16string folder = base + name;
  RemoveTree(folder);
  ::CreateDirectoryW(W(folder), nullptr);
  Write(folder + u"\\war3.exe", "small file");
  for (int i = 0; i < count; ++i) Write(folder + u"\\file" + Decimal(i) + u".txt", "small file");
  return folder;
}

struct TidyTimes {
  double tidy = 0;
  double restore = 0;
};

// The tidy with its journal, as the job runs it, then the restore of what it moved.
TidyTimes TimeTidy(const std::u16string& base, int count, JobObserver* observer = nullptr) {
  const std::u16string folder = MakeFolder(base, u"tidy", count);
  ::CreateDirectoryW(W(folder + u"\\vTemp"), nullptr);
  const std::u16string journalPath = folder + u"\\vTemp\\journal.txt";
  WinRuntime rt;
  const std::u16string path = LowerCase(folder) + u"\\war3.exe";
  TidyTimes times;
  {
    const std::unique_ptr<Journal> journal = std::move(Journal::Create(rt, journalPath).value());
    SkipOnFailure(journal->BeginSection(SectionKind::kJob, path, std::nullopt));
    TidyReport report;
    times.tidy = Seconds([&] { report = ClearRedundantFiles(path, rt, *journal, observer); });
    if (!report.complete()) std::printf("  (tidy reported failures)\n");
  }
  JournalDoc doc = ReadJournal(rt, journalPath).value();
  const std::unique_ptr<Journal> journal = std::move(Journal::Reopen(rt, journalPath, doc).value());
  UndoReport undone;
  times.restore = Seconds([&] { undone = Undo(rt, *journal, doc.InEffect(), doc.steps); });
  if (!undone.complete()) std::printf("  (restore reported problems)\n");
  return times;
}

double TimeBareRenames(const std::u16string& base, int count) {
  const std::u16string folder = MakeFolder(base, u"bare", count);
  ::CreateDirectoryW(W(folder + u"\\vTemp"), nullptr);
  return Seconds([&] {
    for (int i = 0; i < count; ++i) {
      const std::u16string name = u"\\file" + Decimal(i) + u".txt";
      ::MoveFileExW(W(folder + name), W(folder + u"\\vTemp" + name), 0);
    }
  });
}

double TimeMoveOne(const std::u16string& base, LONGLONG bytes) {
  const std::u16string folder = MakeFolder(base, u"one", 0);
  const std::u16string file = folder + u"\\payload.bin";
  {
    win::UniqueFile f(::CreateFileW(W(file), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = bytes;
    ::SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(f.get());
  }
  WinRuntime rt;
  SkipOnFailure(EnsureFolder(rt, folder + u"\\vTemp"));
  return Seconds([&] { SkipOnFailure(SafeMove(rt, file, folder + u"\\vTemp\\payload.bin")); });
}

// Files of the sizes a real 1.24e set has, in megabytes.
constexpr std::pair<const char16_t*, int> kSetFiles[] = {
    {u"game.dll", 8}, {u"storm.dll", 1}, {u"war3.exe", 1}, {u"war3patch.mpq", 32}};

void WriteSized(const std::u16string& path, int megabytes, char fill) {
  win::UniqueFile file(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string chunk(1 << 20, fill);
  for (int i = 0; i < megabytes; ++i) {
    DWORD written = 0;
    ::WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
  }
}

// A game folder with the old set and a patch folder with the new one.
std::u16string MakeSetFolder(const std::u16string& base) {
  const std::u16string folder = MakeFolder(base, u"set", 0);
  ::CreateDirectoryW(W(folder + u"\\vTemp"), nullptr);
  ::CreateDirectoryW(W(folder + u"\\patch"), nullptr);
  for (const auto& [name, megabytes] : kSetFiles) {
    WriteSized(folder + u"\\" + name, megabytes, 'o');
    WriteSized(folder + u"\\patch\\" + name, megabytes, 'n');
  }
  return folder;
}

double TimeVersionSet(const std::u16string& base) {
  const std::u16string folder = MakeSetFolder(base);
  WinRuntime rt;
  const std::unique_ptr<Journal> journal =
      std::move(Journal::Create(rt, folder + u"\\vTemp\\journal.txt").value());
  const GameFiles files = GameFilesOf(LowerCase(folder) + u"\\war3.exe");
  std::array<std::u16string, 4> sources;
  for (size_t i = 0; i < sources.size(); ++i) {
    sources[i] = folder + u"\\patch\\" + std::u16string(kVersionFileNames[i]);
  }
  VersionSet set(rt, *journal, files, sources, folder + u"\\vTemp");
  return Seconds([&] {
    if (set.Stage() || set.Swap()) std::printf("  (the set reported a failure)\n");
  });
}

// The order the set replaced: originals taken away, then the copies made over them.
double TimePlainCopies(const std::u16string& base) {
  const std::u16string folder = MakeSetFolder(base);
  return Seconds([&] {
    for (const auto& [name, megabytes] : kSetFiles) {
      ::MoveFileExW(W(folder + u"\\" + name), W(folder + u"\\vTemp\\" + name), 0);
      ::CopyFileW(W(folder + u"\\patch\\" + name), W(folder + u"\\" + name), FALSE);
    }
  });
}

double Best(const std::function<double()>& measure, int repeats = kRepeats) {
  std::vector<double> runs;
  for (int i = 0; i < repeats; ++i) runs.push_back(measure());
  return Median(runs);
}

}  // namespace
}  // namespace torvane

int main() {
  using namespace torvane;
  const std::u16string base = bench::TempPath(u"torvane-bench-");

  std::printf(
      "tidy (ClearRedundantFiles) vs a bare MoveFileExW loop, median of %d runs (one at 10,000)\n",
      kRepeats);
  std::printf("%8s %12s %12s %8s %14s\n", "files", "tidy ms", "bare ms", "ratio", "tidy us/file");
  for (int count : {100, 1000, 10000}) {
    // Laying out 10,000 files under Wine takes minutes: that size is measured once.
    const int repeats = count >= 10000 ? 1 : kRepeats;
    const double tidy = Best([&] { return TimeTidy(base, count).tidy; }, repeats);
    const double bare = Best([&] { return TimeBareRenames(base, count); }, repeats);
    std::printf("%8d %12.1f %12.1f %8.2f %14.1f\n", count, tidy * 1e3, bare * 1e3, tidy / bare,
                tidy * 1e6 / count);
  }

  std::vector<double> watched, unwatched;
  for (int i = 0; i < kRepeats; ++i) {  // alternating, as the shared machine drifts
    JobProgress progress;
    watched.push_back(TimeTidy(base, 1000, &progress).tidy);
    unwatched.push_back(TimeTidy(base, 1000).tidy);
  }
  std::printf(
      "\ntidy of 1,000 files with the window's progress %.1f ms, without %.1f ms, ratio %.2f\n",
      Median(watched) * 1e3, Median(unwatched) * 1e3, Median(watched) / Median(unwatched));

  std::vector<double> tidies, restores;
  for (int i = 0; i < kRepeats; ++i) {
    const TidyTimes t = TimeTidy(base, 5000);
    tidies.push_back(t.tidy);
    restores.push_back(t.restore);
  }
  std::printf("\nrestore of a 5,000-file tidy %.1f ms, the tidy %.1f ms, ratio %.2f\n",
              Median(restores) * 1e3, Median(tidies) * 1e3, Median(restores) / Median(tidies));

  const double staged = Best([&] { return TimeVersionSet(base); });
  const double plain = Best([&] { return TimePlainCopies(base); });
  std::printf(
      "version set of 42 MB: staged, checked and swapped %.1f ms, taken away and "
      "copied over %.1f ms, ratio %.2f\n",
      staged * 1e3, plain * 1e3, staged / plain);

  const double small = Best([&] { return TimeMoveOne(base, 10); });
  const double large = Best([&] { return TimeMoveOne(base, kLargeBytes); });
  std::printf("\nmove into vTemp: 1 GiB file %.3f ms, 10-byte file %.3f ms, ratio %.2f\n",
              large * 1e3, small * 1e3, large / small);

  for (const char16_t* name : {u"tidy", u"bare", u"one", u"set"}) RemoveTree(base + name);
  return 0;
}
