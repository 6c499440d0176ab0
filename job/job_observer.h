// What a running job tells whoever watches it: the stage it is in and, while files are
// tidied or put back, how many of how many. Called on the thread that runs the job; a
// watcher on another thread must hand the figures over itself and may drop updates.
#pragma once

#include <cstddef>
#include <string>

namespace torvane {

enum class JobStage {
  kChecking,      // nothing touched yet
  kRecovering,    // an interrupted earlier job is being made whole
  kSettingAside,  // msvcn80.dll
  kStaging,       // the replacements copied in under temporary names
  kSwapping,      // originals out, replacements in
  kTidying,
  kRestoring,
  kFinishing,  // the last: the stage words (stage_words.h) are checked against it
};

class JobObserver {
 public:
  virtual ~JobObserver() = default;
  virtual void OnStage(JobStage stage) = 0;
  // `done` of `total` files handled in the current stage.
  virtual void OnFiles(std::size_t done, std::size_t total) = 0;
  // Another program holds `path` for a moment and the work waits to try again; an empty
  // path: the wait is over, one way or the other. A watcher that shows no waits need not
  // listen.
  virtual void OnWaiting(const std::u16string& path) { (void)path; }
};

}  // namespace torvane
