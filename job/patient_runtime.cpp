#include "job/patient_runtime.h"

namespace torvane {

template <class Call>
auto PatientRuntime::Patiently(Access access, const std::u16string& path, Call call) {
  return Again(access, path, call(), call);
}

template <class Outcome, class Call>
Outcome PatientRuntime::Again(Access access, const std::u16string& path, Outcome result,
                              Call call) {
  bool waited = false;
  for (int retry = 1;
       retry <= RetriesWithinTheBound() && !result.ok() && MayPass(access, result.error(), path);
       ++retry) {
    if (!waited) observer_.OnWaiting(path);
    waited = true;
    inner().Sleep(PauseBeforeRetry(retry));
    result = call();
  }
  if (waited) observer_.OnWaiting({});
  return result;
}

// A read fails for a scanner only by a sharing violation; "access denied" on a read is a
// missing right. A change is also denied while another program has the file in a state
// that passes (about to be deleted), but never passes on a file this user may not rename,
// nor for a write or a delete on a read-only file.
bool PatientRuntime::MayPass(Access access, const Error& error, const std::u16string& path) {
  if (error.kind == ErrorKind::kInUse) return true;
  if (error.kind != ErrorKind::kAccessDenied || access == Access::kRead) return false;
  const Result<std::uint32_t> attributes = inner().GetAttr(path);
  if (!attributes.ok() || (attributes.value() & kAttrFolder) != 0) return true;
  if (access == Access::kWriteOrDelete && (attributes.value() & kAttrReadOnly) != 0) return false;
  return !inner().ProbeRename(path).Is(ErrorKind::kAccessDenied);
}

Status PatientRuntime::Delete(const std::u16string& path) {
  return Patiently(Access::kWriteOrDelete, path, [&] { return inner().Delete(path); });
}

Status PatientRuntime::FileCopy(const std::u16string& source, const std::u16string& destination) {
  return Patiently(Access::kWriteOrDelete, destination,
                   [&] { return inner().FileCopy(source, destination); });
}

Status PatientRuntime::SetAttr(const std::u16string& path, std::uint32_t attributes) {
  return Patiently(Access::kChange, path, [&] { return inner().SetAttr(path, attributes); });
}

Status PatientRuntime::MkDir(const std::u16string& path) {
  return Patiently(Access::kChange, path, [&] { return inner().MkDir(path); });
}

Status PatientRuntime::Rename(const std::u16string& from, const std::u16string& to) {
  return Patiently(Access::kChange, from, [&] { return inner().Rename(from, to); });
}

Status PatientRuntime::RenameWrittenThrough(const std::u16string& from, const std::u16string& to) {
  return Patiently(Access::kChange, from, [&] { return inner().RenameWrittenThrough(from, to); });
}

Result<bool> PatientRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  return Patiently(Access::kRead, a, [&] { return inner().SameContent(a, b); });
}

Result<bool> PatientRuntime::IsPrefix(const std::u16string& part, const std::u16string& whole) {
  return Patiently(Access::kRead, part, [&] { return inner().IsPrefix(part, whole); });
}

Result<std::unique_ptr<AppendFile>> PatientRuntime::OpenForAppend(const std::u16string& path,
                                                                  OpenMode mode) {
  return Patiently(Access::kWriteOrDelete, path, [&] { return inner().OpenForAppend(path, mode); });
}

Result<FileRead> PatientRuntime::ReadWholeFileAndFacts(const std::u16string& path,
                                                       std::uint64_t maxBytes) {
  return Patiently(Access::kRead, path,
                   [&] { return inner().ReadWholeFileAndFacts(path, maxBytes); });
}

Result<FileDigest> PatientRuntime::Digest(const std::u16string& path) {
  return Patiently(Access::kRead, path, [&] { return inner().Digest(path); });
}

// A copy that fails is removed again, so the next attempt starts from nothing.
Result<CheckedCopy> PatientRuntime::CopyAndDigest(const std::u16string& source,
                                                  const std::u16string& destination) {
  return Patiently(Access::kWriteOrDelete, destination,
                   [&] { return inner().CopyAndDigest(source, destination); });
}

// The copies go to the inner runtime together; one held up is then tried again alone.
std::vector<Result<CheckedCopy>> PatientRuntime::CopyAndDigestAll(
    const std::vector<CopyOrder>& copies) {
  std::vector<Result<CheckedCopy>> copied = inner().CopyAndDigestAll(copies);
  for (std::size_t i = 0; i < copies.size(); ++i) {
    const CopyOrder& copy = copies[i];
    copied[i] = Again(Access::kWriteOrDelete, copy.destination, std::move(copied[i]),
                      [&] { return inner().CopyAndDigest(copy.source, copy.destination); });
  }
  return copied;
}

Status PatientRuntime::RmDir(const std::u16string& path) {
  return Patiently(Access::kChange, path, [&] { return inner().RmDir(path); });
}

}  // namespace torvane
