// A place with real or simulated files on which the job's scenarios run: the in-memory
// file system in the native tests, temporary folders on Windows (Wine) in the
// integration tests. Paths are absolute; root() ends in a backslash. Names are taken as
// they are given, trailing dots and spaces included.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace torvane::testing {

struct ShownBox {
  std::u16string prompt;
  std::uint32_t flags = 0;
  std::u16string title;
};

class Disk {
 public:
  virtual ~Disk() = default;

  // The runtime under test: real file operations, recorded boxes, no real pauses.
  virtual Runtime& runtime() = 0;
  virtual const std::vector<ShownBox>& boxes() const = 0;
  // The next box is answered with this button (6 = Yes); unanswered boxes return OK.
  virtual void QueueAnswer(int answer) = 0;

  virtual std::u16string root() const = 0;
  virtual void SetToolFolder(const std::u16string& folder) = 0;
  // Where the running program's own file is taken to be.
  virtual void SetProgramPath(const std::u16string& path) = 0;
  virtual void MakeFolder(const std::u16string& path) = 0;
  virtual void WriteFile(const std::u16string& path, const std::string& bytes,
                         std::uint32_t attributes = kAttrNormal) = 0;
  virtual std::optional<std::string> ReadFile(const std::u16string& path) const = 0;
  // A file, or an empty folder.
  virtual void Remove(const std::u16string& path) = 0;
  // Read-only, hidden and system bits only (the archive bit is not compared).
  virtual std::optional<std::uint32_t> Attributes(const std::u16string& path) const = 0;
  // Names directly in a folder, sorted.
  virtual std::vector<std::u16string> List(const std::u16string& folder) const = 0;
  // A folder `link` that leads to the folder `target`, a symbolic link on Windows; false
  // where the system cannot make one (Wine makes none: scripts/linked-folder-test.sh
  // tries links made on the Unix side).
  virtual bool MakeLink(const std::u16string& link, const std::u16string& target) = 0;
  // The bytes of a game file carrying a version resource of `version` ("1.24.4.6387" or
  // "1.26.0.6401"), or none for an empty `version`.
  virtual std::string VersionedBytes(const std::string& version) const = 0;
  // Holds the file open without sharing until Release.
  virtual void HoldOpen(const std::u16string& path) = 0;
  virtual void Release(const std::u16string& path) = 0;
};

// Each test program defines the disk its scenarios run on.
std::unique_ptr<Disk> MakeDisk();

}  // namespace torvane::testing
