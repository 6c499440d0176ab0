// A copy-on-write layer over a runtime for --dry-run: every change is kept in memory and
// announced instead of made, and every read is answered from those changes first and the
// real disk otherwise (listings merged), so the job runs its whole course, decisions
// included, without touching a byte, a name or an attribute. Pauses are skipped.
// Folders can be made and removed but not renamed: the job and the restore never do it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/forwarding_runtime.h"

namespace torvane::cli {

class DryRunRuntime : public ForwardingRuntime {
 public:
  // Told of each change: its kind ("move", "rename", "copy", "replace", "delete",
  // "create-folder", "remove-folder", "set-attributes", "write"), the path, and where it
  // goes or what it sets.
  using Announce = std::function<void(std::u16string_view step, const std::u16string& path,
                                      const std::u16string& detail)>;
  DryRunRuntime(Runtime& inner, Announce announce);

  Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) override;
  Status Delete(const std::u16string& path) override;
  Status FileCopy(const std::u16string& source, const std::u16string& destination) override;
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override;
  Result<std::uint32_t> GetAttr(const std::u16string& path) override;
  Status MkDir(const std::u16string& path) override;
  Status Rename(const std::u16string& from, const std::u16string& to) override;
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override;
  Result<bool> IsPrefix(const std::u16string& part, const std::u16string& whole) override;
  void Sleep(std::uint32_t) override {}
  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override;
  Result<std::string> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) override;
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override;
  // The real folder is held; one the layer made is only looked at.
  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override;
  Result<FileDigest> Digest(const std::u16string& path) override;
  // The copy made in the dry run's picture of the folder, never forwarded: exact, and with
  // nothing to flush.
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override;
  // One after the other, each through the CopyAndDigest above: never the real disk's.
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override {
    return Runtime::CopyAndDigestAll(copies);
  }
  Status RmDir(const std::u16string& path) override;
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override;
  // Announced as a rename or a move: how far it reaches the disk is the real run's.
  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override {
    return Rename(from, to);
  }
  Result<FileIdentity> IdentityOf(const std::u16string& path) override;
  // Nothing is written, so nothing is probed; rights are the real run's to find.
  Status ProbeWrite(const std::u16string&) override { return Status(); }
  Status RestartElevated(const std::u16string& argument) override;

 private:
  // What the layer holds for one path: a file or folder as it would be, or its absence.
  struct Entry {
    bool exists = false;
    bool folder = false;
    std::uint32_t attributes = 0;
    std::u16string path;    // as the caller spelled it
    std::u16string origin;  // the real file or folder whose bytes it has; empty: `bytes`
    std::shared_ptr<std::string> bytes;
  };
  // Where a path's truth lies.
  struct Found {
    const Entry* entry = nullptr;  // in the layer (absent entries included)
    bool gone = false;             // below a folder the layer removed or made
    bool Real() const { return entry == nullptr && !gone; }
  };

  Found Find(const std::u16string& path) const;
  Result<std::uint32_t> Attributes(const std::u16string& path);
  // The entry a real or layered file becomes once it is changed.
  Result<Entry> Materialise(const std::u16string& path);
  Status NeedsParent(const std::u16string& path);
  void Put(Entry entry);
  void Remove(const std::u16string& path);

  Announce announce_;
  std::map<std::u16string, Entry> layer_;  // keyed by lower-cased path, no trailing backslash
};

}  // namespace torvane::cli
