#include "window/box_host.h"

#include "resources/texts.h"

namespace torvane {
namespace {

std::uint32_t IconOf(Tone tone) {
  switch (tone) {
    case Tone::kWarning:
      return kMbIconExclamation;
    case Tone::kStop:
      return kMbIconStop;
    case Tone::kQuestion:
      return kMbIconQuestion;
    case Tone::kInformation:
      break;
  }
  return kMbIconInformation;
}

}  // namespace

forms::BoxRequest BoxOf(const Words& words, Asking asking) {
  std::uint32_t flags = (asking == Asking::kYes ? kMbYesNo : kMbOk) | IconOf(words.tone);
  // A Yes the user did not mean must not be one keystroke away: No is the default.
  if (words.tone == Tone::kQuestion) flags |= kMbDefButton2;
  return {words.text, flags, IsError(words.tone) ? texts::kTitleError : texts::kTitleInfo};
}

void BoxHost::OnStage(JobStage stage) {
  if (progress_) progress_->OnStage(stage);
}

void BoxHost::OnFiles(std::size_t done, std::size_t total) {
  if (progress_) progress_->OnFiles(done, total);
}

void BoxHost::OnWaiting(const std::u16string& path) {
  if (progress_) progress_->OnWaiting(path);
}

bool BoxHost::Ask(const Report& question) {
  const std::optional<Words> words = WordsOf(question, Front::kWindow);
  return words && forms::Show(rt_, BoxOf(*words, Asking::kYes)) == kIdYes;
}

void BoxHost::Present(const Report& report) {
  if (const std::optional<Words> words = WordsOf(report, Front::kWindow)) {
    (void)forms::Show(rt_, BoxOf(*words));
  }
}

}  // namespace torvane
