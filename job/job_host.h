// What the engine needs from the front end that runs it: somewhere to show what it learns
// on the way and someone to answer its questions. The window answers with message boxes,
// the command line with output lines and its options.
#pragma once

#include "job/job_observer.h"
#include "job/report.h"

namespace torvane {

class JobHost : public JobObserver {
 public:
  // Something the user learns before the work goes on (interrupted work made whole).
  virtual void Tell(const Report& report) = 0;
  // A Yes/No question (the restore's, the offer to start as administrator): true for Yes.
  virtual bool Ask(const Report& question) = 0;
};

}  // namespace torvane
