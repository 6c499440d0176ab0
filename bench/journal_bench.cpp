// Reading a journal back: a recovery or a restore parses the whole of it, so its cost must
// grow with its length and no faster. Journals of a tidy of 12,500 to 100,000 files; the
// time per step line is printed beside each, and the ratio of the largest to the smallest
// (8 when the reading is linear). Then the largest journal there may be, its outcomes for
// ordinary step ids against ids chosen to collide (about 1 when the lookup is linear).
#include <chrono>
#include <cstdio>
#include <string>

#include "job/journal.h"

namespace {

// A finished job's journal: one move per file, recorded 256 to a write as the tidy does.
std::string TidyJournal(int files) {
  std::string text =
      "Torvane journal 1\nsection\tjob\t2026-12-07 10:00:00\tc:\\games\\war3\\war3.exe\n";
  for (int first = 1; first <= files; first += 256) {
    const int last = std::min(files, first + 255);
    for (int id = first; id <= last; ++id) {
      const std::string name = "file" + std::to_string(id) + ".txt";
      text += "step\t" + std::to_string(id) + "\tmove\tc:\\games\\war3\\" + name +
              "\tc:\\games\\war3\\vTemp\\" + name + "\tsize=10\tattr=0x20\tclear-attr\n";
    }
    for (int id = first; id <= last; ++id) text += "done\t" + std::to_string(id) + "\n";
  }
  return text + "end\tdone\n";
}

// A journal of nearly 64 MiB, the most one may hold: `stepCount` moves whose ids are
// `spacing` apart, then outcome lines for them, round and round, to fill it. Ids a multiple
// of a hash table's bucket count apart all fall in one bucket of it.
std::string OutcomeJournal(int stepCount, int spacing) {
  std::string text =
      "Torvane journal 1\nsection\tjob\t2026-12-07 10:00:00\tc:\\games\\war3\\war3.exe\n";
  for (int k = 1; k <= stepCount; ++k) {
    const std::string name = "file" + std::to_string(k) + ".txt";
    text += "step\t" + std::to_string(k * spacing) + "\tmove\tc:\\games\\war3\\" + name +
            "\tc:\\games\\war3\\vTemp\\" + name + "\tsize=10\tattr=0x20\n";
  }
  constexpr std::size_t kFull = (64u << 20) - 64;
  for (int k = 1; text.size() < kFull; k = k % stepCount + 1) {
    text += "done\t" + std::to_string(k * spacing) + "\n";
  }
  return text + "end\tdone\n";
}

double Seconds(const std::string& text, std::size_t& steps) {
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    steps = torvane::ParseJournal(text).InEffect().size();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  std::printf("reading a journal back (parse and the changes in effect), best of 5\n");
  std::printf("%8s %10s %10s %12s\n", "files", "MiB", "ms", "ns/step");
  double smallest = 0, largest = 0;
  for (int files : {12500, 25000, 50000, 100000}) {
    const std::string text = TidyJournal(files);
    std::size_t steps = 0;
    const double s = Seconds(text, steps);
    if (steps != static_cast<std::size_t>(files)) std::printf("  (read %zu steps)\n", steps);
    std::printf("%8d %10.1f %10.1f %12.0f\n", files, text.size() / 1048576.0, s * 1e3,
                s * 1e9 / files);
    if (files == 12500) smallest = s;
    largest = s;
  }
  std::printf("100,000 files against 12,500: %.1f times the time for 8 times the lines\n",
              largest / smallest);

  // Outcomes are found by their step's id whatever ids a journal chose: ids that would all
  // share one bucket of a hash table cost what ordinary ones do.
  constexpr int kSteps = 7000, kBucketCount = 131071;
  std::size_t steps = 0;
  const double ordinary = Seconds(OutcomeJournal(kSteps, 1), steps);
  const double colliding = Seconds(OutcomeJournal(kSteps, kBucketCount), steps);
  std::printf(
      "a 64 MiB journal of outcomes: ordinary ids %.0f ms, colliding ids %.0f ms: %.2f "
      "times\n",
      ordinary * 1e3, colliding * 1e3, colliding / ordinary);
  return 0;
}
