// A runtime that notes every path any call names, in front of the disk's own, and keeps
// those that lie outside the folders a test allows: what a planted journal must never make
// the tool touch, open, look up or even resolve.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/forwarding_runtime.h"
#include "runtime/text.h"

namespace torvane::testing {

class CallWatch : public ForwardingRuntime {
 public:
  // `allowed`: folders (with trailing backslashes) whose contents any call may name.
  CallWatch(Runtime& inner, std::vector<std::u16string> allowed)
      : ForwardingRuntime(inner), allowed_(std::move(allowed)) {}

  // Every path named outside the allowed folders, in the order named.
  const std::vector<std::u16string>& outside() const { return outside_; }
  std::string OutsideText() const {
    std::string text;
    for (const std::u16string& path : outside_) text += ToUtf8(path) + "\n";
    return text;
  }

  Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) override {
    return Note({&pattern}), ForwardingRuntime::List(pattern, mask);
  }
  Status Delete(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::Delete(path);
  }
  Status FileCopy(const std::u16string& source, const std::u16string& destination) override {
    return Note({&source, &destination}), ForwardingRuntime::FileCopy(source, destination);
  }
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override {
    return Note({&path}), ForwardingRuntime::SetAttr(path, attributes);
  }
  Result<std::uint32_t> GetAttr(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::GetAttr(path);
  }
  Status MkDir(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::MkDir(path);
  }
  Status Rename(const std::u16string& from, const std::u16string& to) override {
    return Note({&from, &to}), ForwardingRuntime::Rename(from, to);
  }
  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override {
    return Note({&from, &to}), ForwardingRuntime::RenameWrittenThrough(from, to);
  }
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override {
    return Note({&a, &b}), ForwardingRuntime::SameContent(a, b);
  }
  Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) override {
    return Note({&part, &whole}), ForwardingRuntime::IsPrefix(part, whole);
  }
  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override {
    return Note({&path}), ForwardingRuntime::OpenForAppend(path, mode);
  }
  Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) override {
    return Note({&path}), ForwardingRuntime::ReadWholeFile(path, maxBytes);
  }
  Result<FileDigest> Digest(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::Digest(path);
  }
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override {
    return Note({&source, &destination}), ForwardingRuntime::CopyAndDigest(source, destination);
  }
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override {
    for (const CopyOrder& copy : copies) Note({&copy.source, &copy.destination});
    return ForwardingRuntime::CopyAndDigestAll(copies);
  }
  Status RmDir(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::RmDir(path);
  }
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::Lock(path);
  }
  Result<std::u16string> FullPath(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::FullPath(path);
  }
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override {
    for (const std::u16string& file : files) Note({&file});
    return ForwardingRuntime::ProgramsUsing(files);
  }
  Result<FileIdentity> IdentityOf(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::IdentityOf(path);
  }
  Status ProbeWrite(const std::u16string& folder) override {
    return Note({&folder}), ForwardingRuntime::ProbeWrite(folder);
  }
  Status ProbeRename(const std::u16string& file) override {
    return Note({&file}), ForwardingRuntime::ProbeRename(file);
  }
  std::optional<FileVersion> VersionOf(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::VersionOf(path);
  }
  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override {
    return Note({&path}), ForwardingRuntime::HoldFolder(path);
  }
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override {
    return Note({&path}), ForwardingRuntime::ReadWholeFileAndFacts(path, maxBytes);
  }

 private:
  // Inside: below an allowed folder (or that folder itself), with no ".." or "/" on the way.
  bool Inside(const std::u16string& path) const {
    const std::u16string lower = LowerCase(WithTrailingBackslash(path));
    if (Contains(lower, u"\\..\\") || Contains(lower, u"/")) return false;
    for (const std::u16string& folder : allowed_) {
      if (lower.starts_with(LowerCase(folder))) return true;
    }
    return false;
  }
  void Note(std::initializer_list<const std::u16string*> paths) {
    for (const std::u16string* path : paths) {
      if (!Inside(*path)) outside_.push_back(*path);
    }
  }

  std::vector<std::u16string> allowed_;
  std::vector<std::u16string> outside_;
};

}  // namespace torvane::testing
