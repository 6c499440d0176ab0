// The preflight's runtime operations on the real system: file identity across spellings,
// write and rename probes (no trace left; a read-only file may still be renamed, one held
// without delete sharing may not), and the process list naming a program by its file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/temp_files.h"

namespace torvane {
namespace {

using win::W;

class WinPreflightOps : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = win::U(temp) + u"torvane-preflight-" +
              FromUtf8(std::to_string(::GetCurrentProcessId())) + u"\\";
    testing::RemoveTree(folder_);
    ::CreateDirectoryW(W(folder_), nullptr);
    ::CreateDirectoryW(W(folder_ + u"sub"), nullptr);
    Write(folder_ + u"game.dll");
  }
  void TearDown() override { testing::RemoveTree(folder_); }

  static void Write(const std::u16string& path) {
    win::UniqueFile file(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), "x", 1, &written, nullptr);
  }

  size_t EntriesIn(const std::u16string& folder) {
    size_t count = 0;
    WIN32_FIND_DATAW found{};
    win::UniqueFind find(::FindFirstFileW(W(folder + u"*"), &found));
    if (!find) return 0;
    do ++count;
    while (::FindNextFileW(find.get(), &found));
    return count;
  }

  WinRuntime rt_;
  std::u16string folder_;
};

TEST_F(WinPreflightOps, IdentityIsTheSameForEverySpellingOfOneFileOrFolder) {
  const Result<FileIdentity> file = rt_.IdentityOf(folder_ + u"game.dll");
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(rt_.IdentityOf(folder_ + u"sub\\..\\GAME.DLL").value(), file.value());
  Write(folder_ + u"storm.dll");
  EXPECT_NE(rt_.IdentityOf(folder_ + u"storm.dll").value(), file.value());
  const Result<FileIdentity> folder = rt_.IdentityOf(folder_);
  ASSERT_TRUE(folder.ok());
  EXPECT_EQ(rt_.IdentityOf(folder_ + u"sub\\..").value(), folder.value());
  EXPECT_TRUE(rt_.IdentityOf(folder_ + u"missing.dll").Is(ErrorKind::kNotFound));
}

TEST_F(WinPreflightOps, ProbesLeaveNothingBehindAndTellALockedFileFromAReadOnlyOne) {
  const size_t before = EntriesIn(folder_);
  EXPECT_TRUE(rt_.ProbeWrite(folder_).ok());
  EXPECT_TRUE(rt_.ProbeWrite(folder_ + u"sub").ok());
  EXPECT_EQ(EntriesIn(folder_), before);
  EXPECT_TRUE(rt_.ProbeWrite(folder_ + u"missing").Is(ErrorKind::kNotFound));

  EXPECT_TRUE(rt_.ProbeRename(folder_ + u"game.dll").ok());
  ::SetFileAttributesW(W(folder_ + u"game.dll"), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(rt_.ProbeRename(folder_ + u"game.dll").ok());  // renaming it is allowed
  ::SetFileAttributesW(W(folder_ + u"game.dll"), FILE_ATTRIBUTE_NORMAL);
  {
    const win::UniqueFile held(::CreateFileW(W(folder_ + u"game.dll"), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(rt_.ProbeRename(folder_ + u"game.dll").Is(ErrorKind::kInUse));
  }
  EXPECT_TRUE(rt_.ProbeRename(folder_ + u"missing.dll").Is(ErrorKind::kNotFound));
}

TEST_F(WinPreflightOps, ProcessListNamesOtherProgramsByTheirFilesButNotThisOne) {
  const Result<std::vector<RunningProgram>> programs = rt_.RunningPrograms();
  ASSERT_TRUE(programs.ok());
  const Result<std::u16string> self = rt_.ProgramFile();
  ASSERT_TRUE(self.ok());
  bool named = false;
  for (const RunningProgram& p : programs.value()) {
    EXPECT_NE(p.pid, ::GetCurrentProcessId());
    if (!p.path.empty()) named = named || NameOf(p.path) == p.name;
  }
  EXPECT_TRUE(named);  // Wine's own services at least
  EXPECT_TRUE(rt_.ProgramsUsing({folder_ + u"game.dll"}).ok());
  (void)rt_.IsElevated();
}

}  // namespace
}  // namespace torvane
