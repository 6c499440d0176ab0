#include "window/box_host.h"

#include "job/report_text.h"

namespace torvane {

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
  const std::optional<Message> box = MessageOf(question, Front::kWindow);
  return box && rt_.MsgBox(box->prompt, box->flags, box->title) == kIdYes;
}

void BoxHost::Present(const Report& report) {
  if (const std::optional<Message> box = MessageOf(report, Front::kWindow)) {
    (void)rt_.MsgBox(box->prompt, box->flags, box->title);
  }
}

}  // namespace torvane
