#include "cli/cli_host.h"

#include "job/report_text.h"
#include "resources/texts.h"

namespace torvane::cli {
namespace {

// The name a JSON line gives a version question; empty for other questions.
std::u16string_view VersionQuestionName(Finding finding) {
  switch (finding) {
    case Finding::kVersionMismatch:
      return u"version-mismatch";
    case Finding::kAlreadyPatched:
      return u"already-patched";
    default:
      return {};
  }
}

}  // namespace

bool CliHost::Ask(const Report& question) {
  const std::optional<Words> words = WordsOf(question, Front::kCommandLine);
  if (!words) return false;
  if (const std::u16string_view name = VersionQuestionName(question.finding); !name.empty()) {
    out_.Question(words->text, name, force_);
    return force_;
  }
  if (question.finding == Finding::kRestoreQuestion) {
    out_.Message(words->text, false, true);
    return true;
  }
  out_.Message(words->text, IsError(words->tone), false);
  out_.Message(texts::kCliRunAsAdministrator, true, false);
  return false;
}

void CliHost::Print(const Report& report) {
  if (const std::optional<Words> words = WordsOf(report, Front::kCommandLine)) {
    out_.Message(words->text, IsError(words->tone), false);
  }
}

}  // namespace torvane::cli
