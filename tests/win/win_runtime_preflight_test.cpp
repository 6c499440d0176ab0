// The preflight's runtime operations on the real system: file identity across spellings,
// write and rename probes (no trace left; a read-only file may still be renamed, one held
// without delete sharing may not), and the process list naming a program by its file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "job/preflight.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/temp_files.h"
#include "window/box_host.h"

namespace torvane {
namespace {

using win::W;

size_t EntriesIn(const std::u16string& folder) {
  size_t count = 0;
  WIN32_FIND_DATAW found{};
  win::UniqueFind find(::FindFirstFileW(W(folder + u"*"), &found));
  if (!find) return 0;
  do ++count;
  while (::FindNextFileW(find.get(), &found));
  return count;
}

class WinPreflightOps : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = win::U(temp) + u"torvane-preflight-" + Decimal(::GetCurrentProcessId()) + u"\\";
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
  const Result<std::u16string> self = rt_.ProgramPath();
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

// A game folder this user may not write, as Program Files is to a user who is not an
// administrator: scripts/readonly-game-test.sh lays one out as another user and names its
// war3.exe in TORVANE_READONLY_GAME. Without it there is nothing to test.
TEST(WinPreflight, AGameFolderThisUserMayNotWriteIsRefusedBeforeAnythingIsTouched) {
  wchar_t exe[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"TORVANE_READONLY_GAME", exe, MAX_PATH) == 0) {
    GTEST_SKIP() << "TORVANE_READONLY_GAME is not set";
  }
  class Recording : public WinRuntime {
   public:
    int MsgBox(const std::u16string& prompt, std::uint32_t flags, const std::u16string&) override {
      prompts.push_back(prompt);
      this->flags.push_back(flags);
      return 7;  // No: nothing is restarted
    }
    std::vector<std::u16string> prompts;
    std::vector<std::uint32_t> flags;
  } rt;
  const std::u16string typed = win::U(exe);
  const std::u16string folder = FolderOf(typed);
  const size_t entries = EntriesIn(folder);

  EXPECT_TRUE(rt.ProbeWrite(folder).Is(ErrorKind::kAccessDenied));
  BoxHost host(rt, nullptr);
  const std::optional<Report> refused =
      PreflightRefusal(typed, GameFilesOf(LowerCase(typed)), rt, host);
  ASSERT_TRUE(refused);
  host.Present(*refused);
  ASSERT_EQ(rt.prompts.size(), 1u);
  const std::u16string& prompt = rt.prompts.front();
  std::printf("elevated: %d\n%s\n", rt.IsElevated() ? 1 : 0, ToUtf8(prompt).c_str());
  EXPECT_TRUE(Contains(LowerCase(prompt), LowerCase(folder))) << ToUtf8(prompt);
  EXPECT_TRUE(Contains(prompt, texts::kMsgNothingChanged));
  if (rt.IsElevated()) {
    EXPECT_EQ(rt.flags.front(), kMbOk | kMbIconStop);
  } else {
    EXPECT_EQ(rt.flags.front(), kMbYesNo | kMbIconExclamation);
  }
  EXPECT_EQ(EntriesIn(folder), entries);
}

}  // namespace
}  // namespace torvane
