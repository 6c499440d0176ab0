// The command line's output: lines for people, or one JSON object per line for tools
// (fields step, path, result, error, and where they apply to, text, code, question,
// answer, file). --quiet keeps the errors only. Lines go to a sink without their line break.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "job/job_observer.h"

namespace torvane::cli {

// The text as a JSON string, quotes included. Control characters and unpaired surrogates
// are escaped, so the line stays valid JSON and valid UTF-8 whatever a file is called.
std::u16string JsonString(std::u16string_view text);

class Reporter {
 public:
  using Sink = std::function<void(const std::u16string& line)>;
  // Further fields of a JSON line: each name with its value as JSON text.
  using Fields = std::vector<std::pair<std::u16string_view, std::u16string>>;
  Reporter(Sink sink, bool json, bool quiet);

  // The war3.exe path the lines are about.
  void SetSubject(std::u16string path) { subject_ = std::move(path); }
  void Stage(JobStage stage);
  void Files(std::size_t done, std::size_t total);
  // The file another program holds while the work waits for it; nothing when the wait is
  // over (the stage goes on, or fails with the platform's error).
  void Waiting(const std::u16string& file);
  // A message box's text. Errors are shown even when quiet.
  void Message(const std::u16string& text, bool error, bool question);
  // A question the command line answered itself: `name` says which for tools, `yes` how.
  void Question(const std::u16string& text, std::u16string_view name, bool yes);
  // A change a dry run would make: `step` names it ("move", "copy", ...), `detail` is
  // where it goes or what it sets.
  void Would(std::u16string_view step, const std::u16string& path, const std::u16string& detail);
  void UsageError(const std::u16string& text);
  void InternalError(const std::u16string& text);
  // One JSON line of its own fields (nothing without --json).
  void Record(std::u16string_view step, std::u16string_view result, const Fields& fields);
  // How the run ended; a JSON line only (the messages already said it in words).
  void Exit(int code);

 private:
  void Json(std::u16string_view step, std::u16string_view result, const std::u16string& error,
            const Fields& extra = {});
  void Lines(const std::u16string& text);

  Sink sink_;
  bool json_;
  bool quiet_;
  std::u16string subject_;
};

}  // namespace torvane::cli
