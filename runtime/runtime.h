// The file-system, message-box and timing operations that the job, the tidy and
// the path picker call. One implementation talks to Windows (win_runtime.h); the tests
// have an in-memory one with fault injection. Strings are UTF-16 throughout.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/result.h"
#include "runtime/text.h"

namespace torvane {

// File attribute bits, numerically the platform's.
enum Attr : std::uint32_t {
  kAttrNormal = 0,
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrFolder = 16,
  kAttrArchive = 32,
  kAttrReparsePoint = 1024,  // a junction or symbolic link
};

// Listing masks of List: which entries a listing admits.
enum DirMask : std::uint32_t {
  kDirOrdinary = 0,      // ordinary files; read-only and archive count, hidden/system do not
  kDirAllFiles = 15,     // every file, hidden and system included; no folders
  kDirWithFolders = 16,  // ordinary files and folders
  kDirEverything = 31,   // every file and folder, hidden and system ones included
};

// Message-box flags and answers, numerically the platform's.
enum MsgBoxFlag : std::uint32_t {
  kMbOk = 0,
  kMbYesNo = 4,
  kMbIconStop = 16,
  kMbIconQuestion = 32,
  kMbIconExclamation = 48,
  kMbIconInformation = 64,
  kMbDefButton2 = 256,
};
inline constexpr int kIdYes = 6;

// The platform's number for an action the user cancelled (an elevation prompt declined).
inline constexpr std::uint32_t kErrorCancelled = 1223;

// One entry of a listing: the bare name with the attributes and size it was listed with.
struct DirEntry {
  std::u16string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

// A file's size and SHA-256 (lower-case hexadecimal).
struct FileDigest {
  std::uint64_t size = 0;
  std::string sha256;
  bool operator==(const FileDigest&) const = default;
};

// What CopyAndDigest read: the size and SHA-256 of the bytes read from the source, and
// whether the copy, read back once written, holds exactly them.
struct CheckedCopy {
  FileDigest read;
  bool readBackSame = false;
};

// One copy of several made together (CopyAndDigestAll).
struct CopyOrder {
  std::u16string source;
  std::u16string destination;
};

struct FileFacts;

// A file open for appending. Each Append is on the disk (flushed) before it returns, so
// a crash or a power cut leaves every earlier Append readable.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  virtual Status Append(std::string_view bytes) = 0;
  // The facts of the file open, as they stand.
  virtual Result<FileFacts> Facts() = 0;
};

enum class OpenMode { kCreateNew, kExisting };

// An exclusive hold on a lock file; released when destroyed.
class HeldLock {
 public:
  virtual ~HeldLock() = default;
};

// A process as the preflight sees it.
struct RunningProgram {
  std::uint32_t pid = 0;
  std::u16string path;  // its executable; may be empty when only the name is known
  std::u16string name;  // the executable's file name
};

// What makes two paths name the same file or folder (volume and file number), whatever
// their spelling: short names, another drive letter, case.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t fileHigh = 0;
  std::uint64_t fileLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What tells one file from another (by identity, FileIdentity) and how it stands now: its
// size, and how many names (hard links) it has, in any folder.
struct FileFacts {
  FileIdentity identity;
  std::uint64_t size = 0;
  std::uint32_t links = 1;
  bool operator==(const FileFacts&) const = default;
};

// A file's bytes and the facts of the file they were read from.
struct FileRead {
  std::string bytes;
  FileFacts facts;
};

// A folder held by HoldFolder until this goes.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;
  // Those of what was opened: a link shows kAttrReparsePoint.
  virtual std::uint32_t attributes() const = 0;
};

// A file's version from its version resource (the fixed part: four numbers).
struct FileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint16_t build = 0;
  std::uint16_t revision = 0;
  bool operator==(const FileVersion&) const = default;
};

// A game installation named in the registry: where it was found ("HKCU 32", "HKLM 64"...)
// and the folder as stored there.
struct RegisteredInstall {
  std::u16string where;
  std::u16string folder;
  bool operator==(const RegisteredInstall&) const = default;
};

class Runtime {
 public:
  virtual ~Runtime() = default;

  // The entries that match `pattern` (wildcards * and ?) and that `mask` admits, in the
  // platform's order, read in one pass. A pattern ending in "\" lists that folder. A
  // folder or name that is not there lists nothing; any other failure is an error.
  virtual Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) = 0;

  virtual Status Delete(const std::u16string& path) = 0;
  // Never replaces: fails with kAlreadyExists when the destination is taken.
  virtual Status FileCopy(const std::u16string& source, const std::u16string& destination) = 0;
  // Refused (kAccessDenied) on a file with more than one name: its attributes are those of
  // every name it has, in any folder.
  virtual Status SetAttr(const std::u16string& path, std::uint32_t attributes) = 0;
  // Attributes of a file or folder, whatever they are (hidden and system included).
  virtual Result<std::uint32_t> GetAttr(const std::u16string& path) = 0;
  virtual Status MkDir(const std::u16string& path) = 0;
  // Renames within one volume, never replacing: fails with kAlreadyExists when the
  // destination is taken and kNotSameDevice across volumes.
  virtual Status Rename(const std::u16string& from, const std::u16string& to) = 0;
  // True when both files hold the same bytes.
  virtual Result<bool> SameContent(const std::u16string& a, const std::u16string& b) = 0;
  // True when the bytes of `part` are the first bytes of `whole` (all of them, or fewer).
  virtual Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) = 0;

  // The running program's folder: no trailing backslash except at a drive root.
  virtual Result<std::u16string> AppPath() = 0;

  // A modal box; returns the button pressed.
  virtual int MsgBox(const std::u16string& prompt, std::uint32_t flags,
                     const std::u16string& title) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // --- The journal and what it relies on ---
  // Opens a file to append to; other programs may read it. A new file is created only
  // where the name is free (never over an existing file or a link); an existing one is
  // opened only when it is a plain file, not a link.
  virtual Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                            OpenMode mode) = 0;
  // The whole file; fails with kTooLarge, without reading it, when it holds more than
  // `maxBytes`.
  virtual Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) = 0;
  virtual Result<FileDigest> Digest(const std::u16string& path) = 0;
  // Copies `source` to `destination`, which must not exist yet, reads the copy back, and
  // flushes it to the disk (on its own handle, after its last write) before it returns:
  // it stages a replacement that will take a game file's name, and a name must never
  // reach the disk before the bytes under it. A copy that fails, or whose check or flush
  // cannot be made, is removed again. A runtime that can hashes the bytes as they go by
  // and compares each piece of the copy with the bytes still in hand, reading the source
  // once.
  virtual Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                            const std::u16string& destination) = 0;
  // Removes an empty folder; fails when it holds anything.
  virtual Status RmDir(const std::u16string& path) = 0;
  // Local time as "YYYY-MM-DD hh:mm:ss", for people reading the journal.
  virtual std::u16string Now() = 0;
  // Holds `path` (a file) exclusively until the lock is released: a second holder, in this
  // process or another, fails with kInUse. The file is removed when the lock goes, and a
  // process that ends, however it ends, lets go of it.
  virtual Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) = 0;

  // --- What a power cut may not take back ---
  // As Rename, but returns only once the rename is on the disk (written through): a move
  // of the version set, which the journal must never get ahead of. An operation of its
  // own rather than a flag on Rename: each written-through rename waits for the disk,
  // and the tidy's thousands of moves must not (a lost one only leaves a file where it
  // was, where a recovery's lookup finds it); they keep calling Rename, with no choice to
  // get wrong at each call.
  virtual Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) = 0;

  // --- Paths as the platform resolves them ---
  // The absolute form: ".", "..", "/" and trailing dots and spaces resolved as Windows does.
  virtual Result<std::u16string> FullPath(const std::u16string& path) = 0;
  // The Windows folder, without a trailing backslash.
  virtual Result<std::u16string> WindowsFolder() = 0;
  // The running program's own file.
  virtual Result<std::u16string> ProgramPath() = 0;

  // --- Before a job: who else has the game open, and whether the tool may change it.
  // Every process of the session but this one whose executable can be named.
  virtual Result<std::vector<RunningProgram>> RunningPrograms() = 0;
  // The processes that hold any of `files` open, as the system's Restart Manager sees
  // them; an empty list where it is not available.
  virtual Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) = 0;
  virtual Result<FileIdentity> IdentityOf(const std::u16string& path) = 0;
  // Creates a file in `folder` and deletes it again.
  virtual Status ProbeWrite(const std::u16string& folder) = 0;
  // Opens `file` as a rename needs it (delete access, every kind of sharing) and closes it.
  virtual Status ProbeRename(const std::u16string& file) = 0;
  // The bytes this user may still write on the volume that holds `folder` (quotas
  // counted).
  virtual Result<std::uint64_t> FreeSpace(const std::u16string& folder) = 0;
  // True when the program runs with an administrator's full rights.
  virtual bool IsElevated() = 0;
  // Starts the running program again as administrator, with `argument` as its one
  // argument. Fails with the platform's "cancelled" error when the user declines.
  virtual Status RestartElevated(const std::u16string& argument) = 0;

  // --- What the game is: read only, nothing depends on either being there.
  // The file's version; nothing for a file without a version resource, or one that cannot
  // be read.
  virtual std::optional<FileVersion> VersionOf(const std::u16string& path) = 0;
  // The game's install folders the registry names, for the current user first, then the
  // machine, each in its 32- and 64-bit view; each folder once.
  virtual std::vector<RegisteredInstall> RegisteredInstalls() = 0;

  // --- What a journal may not turn elsewhere: held folders, the file read, its names ---
  // Holds `path` as itself (a junction or symbolic link is opened, never followed) and
  // without delete sharing: nobody can rename, remove or replace it while it is held.
  virtual Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) = 0;
  // The whole file as ReadWholeFile gives it, with the facts of the very file read.
  virtual Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                                 std::uint64_t maxBytes) = 0;

  // --- Several copies at once: the version set's replacements ---
  // Each copy made as CopyAndDigest makes it, checked, flushed (or removed again), and
  // independent of the others: one failing stops none of them. A runtime may make them at
  // the same time, so that one copy's reading, hashing and flushing overlap another's.
  // Returns once every copy has ended, one result per copy, in order. By default one after
  // the other, each through this runtime's CopyAndDigest.
  virtual std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) {
    std::vector<Result<CheckedCopy>> copied;
    for (const CopyOrder& copy : copies) {
      copied.push_back(CopyAndDigest(copy.source, copy.destination));
    }
    return copied;
  }
};

// --- Questions every caller asks the same way ---
// True when both paths name one file or folder, whatever their spelling.
inline Result<bool> SameFile(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<FileIdentity> x = rt.IdentityOf(a);
  if (!x.ok()) return x.error();
  const Result<FileIdentity> y = rt.IdentityOf(b);
  if (!y.ok()) return y.error();
  return x.value() == y.value();
}

// Whether two folders are one: the same text, case and a trailing backslash aside, with no
// look at the disk; else the same identity (another drive letter, a share, a short name).
// The error is the first identity that could not be read (kNotFound: nothing there).
inline Result<bool> SameFolder(Runtime& rt, std::u16string_view a, std::u16string_view b) {
  const std::u16string x = WithoutTrailingBackslash(a), y = WithoutTrailingBackslash(b);
  if (LowerCase(x) == LowerCase(y)) return true;
  return SameFile(rt, x, y);
}

// Both files could be read and hold the same bytes.
inline bool SameBytes(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<bool> same = rt.SameContent(a, b);
  return same.ok() && same.value();
}

// Whether a file or folder is there: true, false, or the error that kept it from being known.
inline Result<bool> Exists(Runtime& rt, const std::u16string& path) {
  const Result<std::uint32_t> attributes = rt.GetAttr(path);
  if (attributes.ok()) return true;
  if (attributes.Is(ErrorKind::kNotFound)) return false;
  return attributes.error();
}

// A file (not a folder) whose attributes could be read.
inline bool IsFile(const Result<std::uint32_t>& attributes) {
  return attributes.ok() && (attributes.value() & kAttrFolder) == 0;
}

// A folder whose attributes could be read.
inline bool IsFolder(const Result<std::uint32_t>& attributes) {
  return attributes.ok() && (attributes.value() & kAttrFolder) != 0;
}

// Whether a listing with `mask` (DirMask) shows an entry of `attributes` (kAttrFolder set
// for a folder): hidden, system and folder entries only where the mask names them.
inline bool Admits(std::uint32_t mask, std::uint32_t attributes) {
  return ((attributes & (kAttrHidden | kAttrSystem | kAttrFolder)) & ~mask) == 0;
}

}  // namespace torvane
