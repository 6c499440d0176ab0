// The scenarios' disk in the native tests: the in-memory file system.
#include <algorithm>

#include "tests/support/disk.h"
#include "tests/support/fake_runtime.h"

namespace torvane::testing {
namespace {

class FakeDisk : public Disk {
 public:
  FakeDisk() { fs_.AddFolder(u"c:\\t"); }

  Runtime& runtime() override { return fs_; }
  const std::vector<ShownBox>& boxes() const override { return fs_.boxes(); }
  void QueueAnswer(int answer) override { fs_.QueueAnswer(answer); }
  std::u16string root() const override { return u"c:\\t\\"; }
  void SetToolFolder(const std::u16string& folder) override { fs_.SetAppPath(folder); }
  void SetProgramPath(const std::u16string& path) override { fs_.SetProgramPath(path); }
  void MakeFolder(const std::u16string& path) override { fs_.AddFolder(path); }
  void WriteFile(const std::u16string& path, const std::string& bytes,
                 std::uint32_t attributes) override {
    fs_.AddFile(path, bytes, attributes | kAttrArchive);
  }
  void Remove(const std::u16string& path) override { fs_.Erase(path); }
  std::optional<std::string> ReadFile(const std::u16string& path) const override {
    return fs_.Content(path);
  }
  std::optional<std::uint32_t> Attributes(const std::u16string& path) const override {
    const auto attributes = fs_.Attributes(path);
    if (!attributes) return std::nullopt;
    return *attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem);
  }
  std::vector<std::u16string> List(const std::u16string& folder) const override {
    std::vector<std::u16string> names = fs_.Children(folder);
    std::sort(names.begin(), names.end());
    return names;
  }
  // A folder marked as a link, known by the target's identity; what is written through
  // it stays in it (the in-memory disk does not follow links).
  bool MakeLink(const std::u16string& link, const std::u16string& target) override {
    fs_.AddFolder(link);
    fs_.MarkReparsePoint(link);
    fs_.AddAlias(link, target);
    return true;
  }
  std::string VersionedBytes(const std::string& version) const override {
    return version.empty() ? "a program without a version" : VersionedContent(version);
  }
  void HoldOpen(const std::u16string& path) override { fs_.HoldOpen(path); }
  void Release(const std::u16string& path) override { fs_.Release(path); }

 private:
  FakeRuntime fs_;
};

}  // namespace

std::unique_ptr<Disk> MakeDisk() { return std::make_unique<FakeDisk>(); }

}  // namespace torvane::testing
