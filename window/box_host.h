// How the window presents a job: what the engine tells and its final report as message
// boxes (owned by the window when the runtime's boxes are), its questions as Yes/No boxes,
// its progress handed on to the window's observer. A box's buttons, icon and title are
// chosen here, from the tone of the engine's words; the engine knows nothing of boxes.
// Portable: the boxes go through the runtime, so the native tests see exactly the boxes a
// user sees.
#pragma once

#include "forms/box_request.h"
#include "job/job_host.h"
#include "job/report_text.h"
#include "runtime/runtime.h"

namespace torvane {

// Whether a box asks (Yes and No) or tells (OK).
enum class Asking { kNo, kYes };

// The box that says `words`: an error's icon and title for a warning or a stop, a question
// defaulting to No, the information icon otherwise.
forms::BoxRequest BoxOf(const Words& words, Asking asking = Asking::kNo);

class BoxHost : public JobHost {
 public:
  // `progress` may be null.
  BoxHost(Runtime& rt, JobObserver* progress) : rt_(rt), progress_(progress) {}

  void OnStage(JobStage stage) override;
  void OnFiles(std::size_t done, std::size_t total) override;
  void OnWaiting(const std::u16string& path) override;
  void Tell(const Report& report) override { Present(report); }
  bool Ask(const Report& question) override;
  // The box that says how the work ended, where there is anything left to say.
  void Present(const Report& report);

 private:
  Runtime& rt_;
  JobObserver* progress_;
};

}  // namespace torvane
