// A runtime that hands every operation to another one: the base of runtimes that change
// only a few operations (boxes shown on another thread, pauses skipped, a dry run), so
// that forwarding is written once and a new operation is forwarded everywhere at once.
#pragma once

#include "runtime/runtime.h"

namespace torvane {

class ForwardingRuntime : public Runtime {
 public:
  explicit ForwardingRuntime(Runtime& inner) : inner_(inner) {}

  Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) override {
    return inner_.List(pattern, mask);
  }
  Status Delete(const std::u16string& path) override { return inner_.Delete(path); }
  Status FileCopy(const std::u16string& source, const std::u16string& destination) override {
    return inner_.FileCopy(source, destination);
  }
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override {
    return inner_.SetAttr(path, attributes);
  }
  Result<std::uint32_t> GetAttr(const std::u16string& path) override {
    return inner_.GetAttr(path);
  }
  Status MkDir(const std::u16string& path) override { return inner_.MkDir(path); }
  Status Rename(const std::u16string& from, const std::u16string& to) override {
    return inner_.Rename(from, to);
  }
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override {
    return inner_.SameContent(a, b);
  }
  Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) override {
    return inner_.IsPrefix(part, whole);
  }
  Result<std::u16string> AppPath() override { return inner_.AppPath(); }
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override {
    return inner_.MsgBox(prompt, flags, title);
  }
  void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }

  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override {
    return inner_.OpenForAppend(path, mode);
  }
  Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) override {
    return inner_.ReadWholeFile(path, maxBytes);
  }
  Result<FileDigest> Digest(const std::u16string& path) override { return inner_.Digest(path); }
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override {
    return inner_.CopyAndDigest(source, destination);
  }
  Status RmDir(const std::u16string& path) override { return inner_.RmDir(path); }
  std::u16string Now() override { return inner_.Now(); }
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override {
    return inner_.Lock(path);
  }

  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override {
    return inner_.RenameWrittenThrough(from, to);
  }

  Result<std::u16string> FullPath(const std::u16string& path) override {
    return inner_.FullPath(path);
  }
  Result<std::u16string> WindowsFolder() override { return inner_.WindowsFolder(); }
  Result<std::u16string> ProgramPath() override { return inner_.ProgramPath(); }

  Result<std::vector<RunningProgram>> RunningPrograms() override {
    return inner_.RunningPrograms();
  }
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override {
    return inner_.ProgramsUsing(files);
  }
  Result<FileIdentity> IdentityOf(const std::u16string& path) override {
    return inner_.IdentityOf(path);
  }
  Status ProbeWrite(const std::u16string& folder) override { return inner_.ProbeWrite(folder); }
  Status ProbeRename(const std::u16string& file) override { return inner_.ProbeRename(file); }
  Result<std::uint64_t> FreeSpace(const std::u16string& folder) override {
    return inner_.FreeSpace(folder);
  }
  bool IsElevated() override { return inner_.IsElevated(); }
  Status RestartElevated(const std::u16string& argument) override {
    return inner_.RestartElevated(argument);
  }
  std::optional<FileVersion> VersionOf(const std::u16string& path) override {
    return inner_.VersionOf(path);
  }
  std::vector<RegisteredInstall> RegisteredInstalls() override {
    return inner_.RegisteredInstalls();
  }
  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override {
    return inner_.HoldFolder(path);
  }
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override {
    return inner_.ReadWholeFileAndFacts(path, maxBytes);
  }
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override {
    return inner_.CopyAndDigestAll(copies);
  }

 protected:
  Runtime& inner() { return inner_; }

 private:
  Runtime& inner_;
};

}  // namespace torvane
