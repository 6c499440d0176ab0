// The runtime a job, a restore and a recovery work through. On-access virus scanners, the
// search indexer, backup and sync tools open a file that was just written or renamed for a
// fraction of a second, often without sharing delete; renaming or deleting it meanwhile
// fails. Such a failure is tried again with growing pauses, up to one bound per operation,
// before it is returned and the work's own failure path takes over. Only what may pass is
// tried again: a sharing or lock violation, and "access denied" on a change to a file that
// this user may rename and that is not read-only where that denies the change (both are
// permanent, and the preflight finds them first). The pauses go through the inner runtime's Sleep,
// and the observer learns which file the work waits for.
#pragma once

#include <algorithm>
#include <cstdint>

#include "job/job_observer.h"
#include "runtime/forwarding_runtime.h"

namespace torvane {

// How long one operation may be held up in all.
inline constexpr std::uint32_t kHeldUpBoundMs = 10000;

// The pause before retry `n` (1 for the first): short at first, as most holds last a
// fraction of a second, twice as long each time up to a second, the last one cut so that
// the pauses add up to the bound; 0 once the bound is spent.
constexpr std::uint32_t PauseBeforeRetry(int n) {
  constexpr std::uint32_t kFirstMs = 50;
  constexpr std::uint32_t kLongestMs = 1000;
  std::uint32_t spent = 0;
  std::uint32_t pause = kFirstMs;
  for (int retry = 1; retry <= n; ++retry) {
    const std::uint32_t now = std::min(pause, kHeldUpBoundMs - spent);
    if (retry == n) return now;
    spent += now;
    pause = std::min(pause * 2, kLongestMs);
  }
  return 0;
}

// How many times one operation is tried again at most.
constexpr int RetriesWithinTheBound() {
  int n = 0;
  while (PauseBeforeRetry(n + 1) > 0) ++n;
  return n;
}

// Listing and attributes need no open file, so nobody holds them up. The lock is not tried
// again either: its only holder is another job or restore, which is refused at once.
class PatientRuntime : public ForwardingRuntime {
 public:
  PatientRuntime(Runtime& inner, JobObserver& observer)
      : ForwardingRuntime(inner), observer_(observer) {}

  Status Delete(const std::u16string& path) override;
  Status FileCopy(const std::u16string& source, const std::u16string& destination) override;
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override;
  Status MkDir(const std::u16string& path) override;
  Status Rename(const std::u16string& from, const std::u16string& to) override;
  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override;
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override;
  Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) override;
  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override;
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override;
  Result<FileDigest> Digest(const std::u16string& path) override;
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override;
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override;
  Status RmDir(const std::u16string& path) override;

 private:
  // What an operation does to its file: a read-only attribute stops a write or a delete,
  // never a rename or a change of attributes.
  enum class Access { kRead, kChange, kWriteOrDelete };

  // `call` until it succeeds, fails for good, or the bound is spent; `path` is the file it
  // reads or changes.
  template <class Call>
  auto Patiently(Access access, const std::u16string& path, Call call);
  // The same once `call` has given `result`.
  template <class Outcome, class Call>
  Outcome Again(Access access, const std::u16string& path, Outcome result, Call call);
  bool MayPass(Access access, const Error& error, const std::u16string& path);

  JobObserver& observer_;
};

}  // namespace torvane
