#include "job/proof.h"

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

Result<bool> HasTwin(Runtime& rt, const std::u16string& path, const Twin& proof) {
  if (proof.recorded.sha256.empty() || proof.twin.empty()) return false;
  const Result<bool> there = Exists(rt, proof.twin);
  if (!there.ok() || !there.value()) return there;
  const Result<bool> two = AreTwoFiles(rt, path, proof.twin);
  if (!two.ok() || !two.value()) return two;
  const Result<bool> held = Holds(rt, path, proof.recorded);
  if (!held.ok() || !held.value()) return held;
  return Holds(rt, proof.twin, proof.recorded);
}

Result<bool> IsOwnPartialCopy(Runtime& rt, const std::u16string& path,
                              const OwnPartialCopy& proof) {
  if (!LowerCase(path).ends_with(kStagedSuffix)) return false;
  const Result<bool> there = Exists(rt, proof.source);
  if (!there.ok() || !there.value()) return there;
  const Result<bool> two = AreTwoFiles(rt, path, proof.source);
  if (!two.ok() || !two.value()) return two;
  return rt.IsPrefix(path, proof.source);
}

}  // namespace

Result<bool> Proves(Runtime& rt, const Proof& proof, const std::u16string& path) {
  if (const Twin* twin = std::get_if<Twin>(&proof)) return HasTwin(rt, path, *twin);
  return IsOwnPartialCopy(rt, path, std::get<OwnPartialCopy>(proof));
}

std::uint64_t RecordedSize(const Proof& proof) {
  if (const Twin* twin = std::get_if<Twin>(&proof)) return twin->recorded.size;
  return std::get<OwnPartialCopy>(proof).size;
}

}  // namespace torvane
