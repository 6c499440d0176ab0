#include "cli/cli_runtime.h"

#include "job/game_path.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane::cli {

CliRuntime::CliRuntime(Runtime& inner, Reporter& out, bool noPause, std::u16string patchDir)
    : ForwardingRuntime(inner), out_(out), noPause_(noPause), patchDir_(std::move(patchDir)) {
  while (patchDir_.size() > 3 && patchDir_.back() == u'\\') patchDir_.pop_back();
}

int CliRuntime::MsgBox(const std::u16string& prompt, std::uint32_t flags, const std::u16string&) {
  const bool question = (flags & kMbYesNo) == kMbYesNo;
  const std::uint32_t icon = flags & (kMbIconStop | kMbIconExclamation | kMbIconInformation);
  const bool error = icon == kMbIconStop || icon == kMbIconExclamation;
  lastMessage_ = prompt;
  out_.Message(prompt, error, question);
  constexpr int kIdOk = 1;
  return question ? kIdYes : kIdOk;
}

Status CliRuntime::RestartElevated(const std::u16string&) {
  constexpr std::uint32_t kCancelled = 1223;
  return Error{ErrorKind::kAccessDenied, kCancelled, texts::kCliRunAsAdministrator};
}

void CliRuntime::Sleep(std::uint32_t milliseconds) {
  if (!noPause_) inner().Sleep(milliseconds);
}

Result<std::u16string> CliRuntime::AppPath() {
  return patchDir_.empty() ? inner().AppPath() : Result<std::u16string>(patchDir_);
}

std::u16string CliRuntime::Source(const std::u16string& path) const {
  if (patchDir_.empty()) return path;
  const std::u16string folder = WithTrailingBackslash(patchDir_);
  const std::u16string patch = LowerCase(folder).append(u"patch\\");
  const std::u16string lower = LowerCase(path);
  if (!lower.starts_with(patch)) return path;
  const std::u16string_view name = std::u16string_view(lower).substr(patch.size());
  for (std::u16string_view known : kVersionFileNames) {
    if (name == known) return folder + path.substr(patch.size());
  }
  return path;
}

Result<std::uint32_t> CliRuntime::GetAttr(const std::u16string& path) {
  return inner().GetAttr(Source(path));
}
Status CliRuntime::FileCopy(const std::u16string& source, const std::u16string& destination,
                            CopyMode mode) {
  return inner().FileCopy(Source(source), destination, mode);
}
Result<bool> CliRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  return inner().SameContent(Source(a), Source(b));
}
Result<FileDigest> CliRuntime::Digest(const std::u16string& path) {
  return inner().Digest(Source(path));
}
Result<std::string> CliRuntime::ReadWholeFile(const std::u16string& path) {
  return inner().ReadWholeFile(Source(path));
}

}  // namespace torvane::cli
