// The runtime operations over the wide Win32 API. Paths longer than the classic limit
// are passed in their extended-length form, so they work rather than half-fail.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "runtime/win_error.h"

namespace torvane {

class WinRuntime : public Runtime {
 public:
  // Message boxes are owned by this window (none: the desktop).
  void SetOwner(HWND owner) { owner_ = owner; }

  Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) override;
  Status Delete(const std::u16string& path) override;
  Status FileCopy(const std::u16string& source, const std::u16string& destination) override;
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override;
  Result<std::uint32_t> GetAttr(const std::u16string& path) override;
  Status MkDir(const std::u16string& path) override;
  Status Rename(const std::u16string& from, const std::u16string& to) override;
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override;
  Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) override;
  Result<std::u16string> AppPath() override;
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override;
  void Sleep(std::uint32_t milliseconds) override;

  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override;
  Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) override;
  Result<FileDigest> Digest(const std::u16string& path) override;
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override;
  Status RmDir(const std::u16string& path) override;
  std::u16string Now() override;
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override;

  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override;

  Result<std::u16string> FullPath(const std::u16string& path) override;
  Result<std::u16string> WindowsFolder() override;
  Result<std::u16string> ProgramPath() override;

  // In win_runtime_preflight.cpp.
  Result<std::vector<RunningProgram>> RunningPrograms() override;
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override;
  Result<FileIdentity> IdentityOf(const std::u16string& path) override;
  Status ProbeWrite(const std::u16string& folder) override;
  Status ProbeRename(const std::u16string& file) override;
  Result<std::uint64_t> FreeSpace(const std::u16string& folder) override;
  bool IsElevated() override;
  Status RestartElevated(const std::u16string& argument) override;

  // In win_runtime_game.cpp.
  std::optional<FileVersion> VersionOf(const std::u16string& path) override;
  std::vector<RegisteredInstall> RegisteredInstalls() override;

  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override;
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override;
  // Every copy on a thread of its own, all at once.
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override;

 private:
  HWND owner_ = nullptr;
};

// Flags of every file the runtime opens: whatever answers behind a path (a named pipe, a
// server) may learn who the user is, never act as the user.
inline constexpr DWORD kNoImpersonation = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

// The form of a path that the wide file functions accept at any length: "\\?\C:\..." or
// "\\?\UNC\server\share\..." when the path is long, the path itself otherwise.
std::u16string ExtendedPath(const std::u16string& path);

}  // namespace torvane
