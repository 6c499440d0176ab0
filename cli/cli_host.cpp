#include "cli/cli_host.h"

#include "job/report_text.h"
#include "resources/texts.h"

namespace torvane::cli {
namespace {

bool IsError(const Message& message) {
  const std::uint32_t icon =
      message.flags & (kMbIconStop | kMbIconExclamation | kMbIconInformation);
  return icon == kMbIconStop || icon == kMbIconExclamation;
}

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
  const std::optional<Message> message = MessageOf(question, Front::kCommandLine);
  if (!message) return false;
  if (const std::u16string_view name = VersionQuestionName(question.finding); !name.empty()) {
    out_.Question(message->prompt, name, force_);
    return force_;
  }
  if (question.finding == Finding::kRestoreQuestion) {
    out_.Message(message->prompt, false, true);
    return true;
  }
  out_.Message(message->prompt, IsError(*message), false);
  out_.Message(texts::kCliRunAsAdministrator, true, false);
  return false;
}

void CliHost::Print(const Report& report) {
  if (const std::optional<Message> message = MessageOf(report, Front::kCommandLine)) {
    out_.Message(message->prompt, IsError(*message), false);
  }
}

}  // namespace torvane::cli
