// An in-memory file system behind the runtime interface, for the native tests: folders,
// files with attributes and contents, listing in creation order, drive letters, files
// held open, faults injected into any chosen operation, and power cuts. Pauses cost no
// time and message boxes are recorded and answered from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "tests/support/disk.h"

namespace torvane::testing {

enum class Op {
  kList,
  kDelete,
  kFileCopy,
  kSetAttr,
  kGetAttr,
  kMkDir,
  kRename,
  kSameContent,
  kIsPrefix,
  kAppPath,
  kAppend,
  kOpenForAppend,
  kReadWholeFile,
  kDigest,
  kRmDir,
  kLock,
  kFullPath,
  kRunningPrograms,
  kProgramsUsing,
  kIdentityOf,
  kProbeWrite,
  kProbeRename,
  kRestartElevated,
  kVersionOf,
  kFreeSpace,
  kHoldFolder,
  kFlush,  // the flush that ends CopyAndDigest
};

struct Fault {
  std::optional<Op> op;               // any operation when unset
  std::optional<std::uint64_t> call;  // only the call with this number (from 0)
  std::u16string pathContains;        // only calls whose path holds this (any case)
  ErrorKind kind = ErrorKind::kAccessDenied;
  // How often it fires; -1 for ever. A fault at one call that fires more than once then
  // follows that operation on that path: its retries meet it, as they meet a file that
  // another program holds for a while.
  int times = 1;
};

// The platform's error for a kind, with its number and its Chinese description.
Error MakeError(ErrorKind kind);

class FakeRuntime : public Runtime {
 public:
  FakeRuntime();

  void AddFolder(const std::u16string& path);
  void AddFile(const std::u16string& path, const std::string& content,
               std::uint32_t attributes = kAttrArchive);
  void SetAppPath(std::u16string path) { appPath_ = std::move(path); }
  void Erase(const std::u16string& path);
  void HoldOpen(const std::u16string& path);          // as if opened without sharing
  void MarkReparsePoint(const std::u16string& path);  // a junction or a symbolic link
  void Release(const std::u16string& path);
  void Inject(Fault fault) { faults_.push_back(std::move(fault)); }
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  // The program "dies" at call number `call`: that call and every later one does nothing
  // and fails, an append of it leaves half its bytes, and no box is shown any more.
  void DieAt(std::uint64_t call) { deathCall_ = call; }
  void Revive();
  bool dead() const { return deathCall_ && calls_ > *deathCall_; }
  // The power goes off at call number `call` (or after the last call, if fewer come): the
  // program dies there as with DieAt, and once revived every file holds only the bytes of
  // its last flush (nothing, for a file
  // never flushed); names stay as the calls before the cut left them (creations, renames
  // and deletions, in order), and a lock file stays behind. What flushes: each journal
  // Append, and CopyAndDigest before it returns; FileCopy does not.
  void CutPowerAt(std::uint64_t call) {
    DieAt(call);
    powerCut_ = true;
  }
  // The destinations of the renames written through, in order.
  const std::vector<std::u16string>& writtenThrough() const { return writtenThrough_; }
  void SetProgramPath(std::u16string path) { programPath_ = std::move(path); }

  // Processes of the session, and those holding a file open (the Restart Manager's view).
  void AddProgram(const RunningProgram& program) { programs_.push_back(program); }
  void AddFileUser(const RunningProgram& program, const std::u16string& file) {
    fileUsers_.push_back({program, file});
  }
  // `alias` (a folder) names the same files as `target`, as a second drive letter would.
  void AddAlias(const std::u16string& alias, const std::u16string& target) {
    aliases_.push_back({alias, target});
  }
  void SetElevated(bool elevated) { elevated_ = elevated; }
  // What the registry names as the game's install folders.
  void SetRegisteredInstalls(std::vector<RegisteredInstall> installs) {
    installs_ = std::move(installs);
  }
  // What FreeSpace answers for a drive ("c:"); without it, more than any test needs.
  void SetFreeSpace(const std::u16string& drive, std::uint64_t bytes) {
    freeSpace_[Key(drive)] = bytes;
  }
  // The arguments of every restart as administrator, in order.
  const std::vector<std::u16string>& restarts() const { return restarts_; }
  // `path` (a file) has `links` names in all, the others elsewhere.
  void SetLinks(const std::u16string& path, std::uint32_t links);
  // Runs before each box is answered: what changes while the user reads a question.
  void OnBox(std::function<void()> action) { onBox_ = std::move(action); }
  // Whether a folder is held (HoldFolder).
  bool Held(const std::u16string& path) const;

  bool Exists(const std::u16string& path) const;
  std::optional<std::string> Content(const std::u16string& path) const;
  std::optional<std::uint32_t> Attributes(const std::u16string& path) const;
  // Names directly in a folder, files and folders, in listing order.
  std::vector<std::u16string> Children(const std::u16string& folder) const;
  // Every file below a folder: full path (as created) to content.
  std::map<std::u16string, std::string> FilesBelow(const std::u16string& folder) const;

  std::uint64_t calls() const { return calls_; }
  // The operation of each call so far, by call number.
  const std::vector<Op>& history() const { return history_; }
  std::uint64_t sleptMs() const { return sleptMs_; }
  const std::vector<ShownBox>& boxes() const { return boxes_; }

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
  void Sleep(std::uint32_t milliseconds) override { sleptMs_ += milliseconds; }
  Result<std::vector<RunningProgram>> RunningPrograms() override;
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override;
  Result<FileIdentity> IdentityOf(const std::u16string& path) override;
  Status ProbeWrite(const std::u16string& folder) override;
  Status ProbeRename(const std::u16string& file) override;
  Result<std::uint64_t> FreeSpace(const std::u16string& folder) override;
  bool IsElevated() override { return elevated_; }
  Status RestartElevated(const std::u16string& argument) override;
  // A file's version is in its bytes, so it travels with copies and moves: content that
  // starts with the line VersionedContent makes (a fault on kVersionOf reads as none).
  std::optional<FileVersion> VersionOf(const std::u16string& path) override;
  std::vector<RegisteredInstall> RegisteredInstalls() override { return installs_; }
  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override;
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override;

  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override;
  Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) override;
  Result<FileDigest> Digest(const std::u16string& path) override;
  // A copy, its source read again and the copy read back (three calls, each of which can
  // fail), then flushed.
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override;
  Status RmDir(const std::u16string& path) override;
  std::u16string Now() override { return u"2026-12-07 10:00:00"; }
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override;
  // Lets go of a lock file as the system does when its holder is gone.
  void ReleaseLock(const std::u16string& path);

  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override;

  Result<std::u16string> FullPath(const std::u16string& path) override;
  Result<std::u16string> WindowsFolder() override { return std::u16string(u"c:\\windows"); }
  Result<std::u16string> ProgramPath() override;

  // For the append file: one append to an existing file, torn in half at death.
  Status AppendTo(const std::u16string& path, std::string_view bytes);
  Result<FileFacts> FactsOf(const std::u16string& path) const;
  // For a hold: lets go of the folder.
  void LetGo(const std::u16string& path);

 private:
  struct Node {
    std::u16string path;  // as created, without a trailing backslash ("c:" for the root)
    bool folder = false;
    std::uint32_t attributes = 0;
    std::string content;
    std::uint64_t order = 0;
    bool heldOpen = false;
    std::string flushed;  // what a power cut leaves of `content`
    std::uint32_t links = 1;
    int holds = 0;  // HoldFolder's on a folder
  };

  static std::u16string Key(std::u16string_view path);
  // The key of `path` with every alias replaced by what it names.
  std::u16string Unaliased(const std::u16string& path) const;
  const Node* Find(std::u16string_view path) const;
  Node* Find(std::u16string_view path);
  bool FolderExists(std::u16string_view path) const;
  std::optional<Error> Begin(Op op, std::u16string_view path, std::u16string_view other = {});
  void Put(Node node);

  std::map<std::u16string, Node> nodes_;
  std::uint64_t nextOrder_ = 0;
  std::set<std::u16string> locks_;  // lock files held, by key
  std::u16string appPath_ = u"c:\\tool";
  std::vector<Fault> faults_;
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  std::uint64_t calls_ = 0;
  std::vector<Op> history_;
  std::uint64_t sleptMs_ = 0;
  std::optional<std::uint64_t> deathCall_;
  bool powerCut_ = false;  // the death was a power cut
  std::vector<std::u16string> writtenThrough_;
  std::u16string programPath_;  // empty: Torvane.exe in the app path
  std::vector<RunningProgram> programs_;
  std::vector<std::pair<RunningProgram, std::u16string>> fileUsers_;
  std::vector<std::pair<std::u16string, std::u16string>> aliases_;
  bool elevated_ = false;
  std::vector<std::u16string> restarts_;
  std::vector<RegisteredInstall> installs_;
  std::map<std::u16string, std::uint64_t> freeSpace_;
  std::function<void()> onBox_;
};

// The content of a stand-in file carrying `version` ("1.24.4.6387").
std::string VersionedContent(std::string_view version, std::string_view body = "stand-in");

}  // namespace torvane::testing
