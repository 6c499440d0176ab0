#include "job/proof.h"

#include "job/steps.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// Two files, not two names of one: false for one file, an error when it cannot be told.
Result<bool> AreTwoFiles(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<bool> same = SameFile(rt, a, b);
  if (!same.ok()) return same.error();
  return !same.value();
}

Result<bool> Holds(Runtime& rt, const std::u16string& path, const FileDigest& recorded) {
  const Result<FileDigest> digest = rt.Digest(path);
  if (!digest.ok()) return digest.error();
  return digest.value() == recorded;
}

}  // namespace

Result<bool> HasTwin(Runtime& rt, const std::u16string& path, const FileDigest& recorded,
                     const std::u16string& twin) {
  if (recorded.sha256.empty() || twin.empty()) return false;
  const Result<bool> there = Exists(rt, twin);
  if (!there.ok() || !there.value()) return there;
  const Result<bool> two = AreTwoFiles(rt, path, twin);
  if (!two.ok() || !two.value()) return two;
  const Result<bool> held = Holds(rt, path, recorded);
  if (!held.ok() || !held.value()) return held;
  return Holds(rt, twin, recorded);
}

Result<bool> IsOwnPartialCopy(Runtime& rt, const std::u16string& path,
                              const std::u16string& source) {
  if (!LowerCase(path).ends_with(kStagedSuffix)) return false;
  const Result<bool> there = Exists(rt, source);
  if (!there.ok() || !there.value()) return there;
  const Result<bool> two = AreTwoFiles(rt, path, source);
  if (!two.ok() || !two.value()) return two;
  return rt.IsPrefix(path, source);
}

}  // namespace torvane
