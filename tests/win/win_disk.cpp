// The scenarios' disk under Windows: a fresh temporary folder of real files, removed
// again afterwards; the real runtime, with boxes recorded instead of shown and pauses
// skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <map>

#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/support/disk.h"
#include "tests/win/temp_files.h"

namespace torvane::testing {
namespace {

using win::U;
using win::W;

class RecordingRuntime : public WinRuntime {
 public:
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override {
    boxes.push_back({prompt, flags, title});
    if (answers.empty()) return 1;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Sleep(std::uint32_t) override {}
  Result<std::u16string> AppPath() override { return toolFolder; }
  Result<std::u16string> ProgramPath() override {
    return programPath.empty() ? WinRuntime::ProgramPath() : Result<std::u16string>(programPath);
  }

  std::vector<ShownBox> boxes;
  std::deque<int> answers;
  std::u16string toolFolder;
  std::u16string programPath;
};

// The path as given, trailing dots and spaces of its names included.
std::u16string Exact(const std::u16string& path) {
  return path.rfind(u"\\\\?\\", 0) == 0 ? path : u"\\\\?\\" + path;
}

std::u16string NewTempFolder() {
  static int counter = 0;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::u16string folder =
      U(temp) + u"torvane-" + Decimal(::GetCurrentProcessId()) + u"-" + Decimal(++counter);
  RemoveTree(folder);
  ::CreateDirectoryW(W(folder), nullptr);
  return folder + u"\\";
}

class WinDisk : public Disk {
 public:
  WinDisk() : root_(NewTempFolder()) {}
  ~WinDisk() override {
    open_.clear();
    RemoveTree(root_);
  }

  Runtime& runtime() override { return rt_; }
  const std::vector<ShownBox>& boxes() const override { return rt_.boxes; }
  void QueueAnswer(int answer) override { rt_.answers.push_back(answer); }
  std::u16string root() const override { return root_; }
  void SetToolFolder(const std::u16string& folder) override { rt_.toolFolder = folder; }
  void SetProgramPath(const std::u16string& path) override { rt_.programPath = path; }

  void MakeFolder(const std::u16string& path) override {
    const std::u16string parent = FolderOf(path);
    if (parent.size() > root_.size()) MakeFolder(parent.substr(0, parent.size() - 1));
    ::CreateDirectoryW(W(Exact(path)), nullptr);
  }

  void WriteFile(const std::u16string& path, const std::string& bytes,
                 std::uint32_t attributes) override {
    MakeFolder(FolderOf(path).substr(0, FolderOf(path).size() - 1));
    ::SetFileAttributesW(W(Exact(path)), FILE_ATTRIBUTE_NORMAL);
    win::UniqueFile file(::CreateFileW(W(Exact(path)), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    file.reset();
    if (attributes != 0) ::SetFileAttributesW(W(Exact(path)), attributes);
  }

  void Remove(const std::u16string& path) override {
    ::SetFileAttributesW(W(Exact(path)), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(W(Exact(path)))) ::RemoveDirectoryW(W(Exact(path)));
  }

  std::optional<std::string> ReadFile(const std::u16string& path) const override {
    win::UniqueFile file(::CreateFileW(W(Exact(path)), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    if (!file) return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
      content.append(buffer, got);
    }
    return content;
  }

  std::optional<std::uint32_t> Attributes(const std::u16string& path) const override {
    const DWORD attributes = ::GetFileAttributesW(W(Exact(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }

  std::vector<std::u16string> List(const std::u16string& folder) const override {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    win::UniqueFind find(::FindFirstFileW(W(Exact(WithTrailingBackslash(folder) + u"*")), &found));
    if (!find) return names;
    do {
      const std::u16string name = U(found.cFileName);
      if (name != u"." && name != u"..") names.push_back(name);
    } while (::FindNextFileW(find.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
  }

  bool MakeLink(const std::u16string& link, const std::u16string& target) override {
    MakeFolder(target);
    ::CreateSymbolicLinkW(W(link), W(target), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD attributes = ::GetFileAttributesW(W(link));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  }

  // Stand-ins the build links with windres resources (tests/win/versioned).
  std::string VersionedBytes(const std::string& version) const override {
    const std::string name = version.empty()            ? "none"
                             : version == "1.24.4.6387" ? "1_24"
                             : version == "1.26.0.6401" ? "1_26"
                                                        : "";
    if (name.empty()) ADD_FAILURE() << "no stand-in of version " << version;
    std::u16string path = FromUtf8(TORVANE_STAND_INS "/torvane_stand_in_" + name + ".dll");
    if (!path.empty() && path[0] == u'/') path = u"Z:" + path;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    const std::optional<std::string> bytes = ReadFile(path);
    if (!bytes) ADD_FAILURE() << "missing stand-in " << ToUtf8(path);
    return bytes.value_or("");
  }

  void HoldOpen(const std::u16string& path) override {
    open_[path] = win::UniqueFile(
        ::CreateFileW(W(Exact(path)), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  }
  void Release(const std::u16string& path) override { open_.erase(path); }

 private:
  std::u16string root_;
  RecordingRuntime rt_;
  std::map<std::u16string, win::UniqueFile> open_;
};

}  // namespace

std::unique_ptr<Disk> MakeDisk() { return std::make_unique<WinDisk>(); }

}  // namespace torvane::testing
