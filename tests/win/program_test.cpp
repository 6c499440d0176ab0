// Torvane.exe itself, started as a user starts it: its window appears, its path field
// becomes a drop target once the first picture is up (the program initialises OLE only
// then), and Alt+Down opens the browse dialog (its DLLs load at that first call).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "tests/win/registered_game.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

// A program's path as Windows sees it (the build passes the Unix one under Wine).
std::wstring WindowsPath(const char* built) {
  std::u16string path = FromUtf8(built);
  if (!path.empty() && path[0] == u'/') path = u"Z:" + path;
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return std::wstring(path.begin(), path.end());
}

std::wstring ProgramPath() { return WindowsPath(TORVANE_EXE); }

PROCESS_INFORMATION Start(const std::wstring& exe, const std::wstring& arguments = L"") {
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcessW: " << ::GetLastError();
  }
  return process;
}

// Waits for the process to end, ending it after a while; its exit code.
DWORD Finish(PROCESS_INFORMATION& process) {
  if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
    ADD_FAILURE() << "the program did not end";
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

struct Search {
  DWORD process;
  const wchar_t* className;  // null: any
  HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != search->process || !::IsWindowVisible(window)) return TRUE;
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (search->className && wcscmp(name, search->className) != 0) return TRUE;
  search->window = window;
  return FALSE;
}

// The first visible top-level window of the process (of the class, when given).
HWND WaitForWindow(DWORD process, const wchar_t* className) {
  Search search{process, className, nullptr};
  testing::PumpUntil([&] {
    ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.window != nullptr;
  });
  return search.window;
}

TEST(Program, StartsWithDropsAndBrowseDialogWorking) {
  PROCESS_INFORMATION process = Start(ProgramPath());
  const HWND window = WaitForWindow(process.dwProcessId, nullptr);
  EXPECT_NE(window, nullptr);
  if (window) {
    const HWND field = testing::FindDescendant(window, L"Edit");
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(testing::PumpUntil(
        [&] { return ::GetPropW(field, L"OleDropTargetInterface") != nullptr; }));

    constexpr LPARAM kAltContext = 1 << 29;
    ::PostMessageW(field, WM_SYSKEYDOWN, VK_DOWN, kAltContext);
    const HWND dialog = WaitForWindow(process.dwProcessId, L"#32770");
    EXPECT_NE(dialog, nullptr);
    if (dialog) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(testing::PumpUntil([&] { return !::IsWindow(dialog); }));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  Finish(process);
}

// The release unpacked into the game folder, as many users do: the window's job and the
// command line's job each leave both programs where they are.
TEST(Program, UnpackedIntoTheGameFolderBothProgramsStay) {
  const testing::TempFolder game(u"torvane-unpacked");
  for (const char16_t* name :
       {u"War3.exe", u"Game.dll", u"Storm.dll", u"War3Patch.mpq", u"War3.mpq", u"readme.txt"}) {
    testing::WriteFile(game.path() + name, "old");
  }
  testing::MakeFolder(game.path() + u"patch");
  for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"}) {
    testing::WriteFile(game.path() + u"patch\\" + name, "new");
  }
  const std::u16string window = game.path() + u"Torvane.exe";
  const std::u16string cli = game.path() + u"torvane-cli.exe";
  ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), win::W(window), FALSE));
  ASSERT_TRUE(::CopyFileW(WindowsPath(TORVANE_CLI_EXE).c_str(), win::W(cli), FALSE));
  const std::u16string exe = game.path() + u"War3.exe";

  PROCESS_INFORMATION process = Start(std::wstring(window.begin(), window.end()),
                                      L"\"" + std::wstring(exe.begin(), exe.end()) + L"\"");
  const HWND form = WaitForWindow(process.dwProcessId, nullptr);
  ASSERT_NE(form, nullptr);
  ::PostMessageW(testing::FindDescendant(form, L"Button"), BM_CLICK, 0, 0);
  const HWND done = WaitForWindow(process.dwProcessId, L"#32770");
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(testing::WindowText(::GetDlgItem(done, 0xFFFF)), u"清理完成！补丁完成");
  ::PostMessageW(done, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(testing::PumpUntil([&] { return !::IsWindow(done); }));
  ::PostMessageW(form, WM_CLOSE, 0, 0);
  Finish(process);
  EXPECT_EQ(testing::ReadFile(game.path() + u"game.dll"), "new");
  EXPECT_EQ(testing::ReadFile(game.path() + u"vTemp\\readme.txt"), "old");
  EXPECT_TRUE(testing::FileExists(window));
  EXPECT_TRUE(testing::FileExists(cli));

  testing::WriteFile(game.path() + u"notes.txt", "new since");
  PROCESS_INFORMATION command =
      Start(std::wstring(cli.begin(), cli.end()),
            L"patch --no-pause \"" + std::wstring(exe.begin(), exe.end()) + L"\"");
  EXPECT_EQ(Finish(command), 0u);
  EXPECT_EQ(testing::ReadFile(game.path() + u"vTemp\\notes.txt"), "new since");
  EXPECT_TRUE(testing::FileExists(window));
  EXPECT_TRUE(testing::FileExists(cli));
}

// The path field of a freshly started window once its first picture is up (the field is
// a drop target from then on).
std::u16string FieldAfterFirstPaint(const std::wstring& arguments = L"") {
  PROCESS_INFORMATION process = Start(ProgramPath(), arguments);
  const HWND window = WaitForWindow(process.dwProcessId, nullptr);
  std::u16string text = u"(no window)";
  if (window) {
    const HWND field = testing::FindDescendant(window, L"Edit");
    EXPECT_TRUE(testing::PumpUntil(
        [&] { return ::GetPropW(field, L"OleDropTargetInterface") != nullptr; }));
    // Sent, not GetWindowTextW: that reads another process's field without asking it.
    const auto fieldText = [field] {
      wchar_t buffer[MAX_PATH] = {};
      ::SendMessageW(field, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
      return win::U(buffer);
    };
    // The registered game is looked up on a thread of the window's after it: give it a
    // moment to come.
    testing::PumpUntil([&] { return !fieldText().empty(); }, nullptr, std::chrono::seconds(1));
    // Whatever was posted after that: a path given must not be replaced by it.
    testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(300));
    text = fieldText();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  Finish(process);
  return text;
}

TEST(Program, AnEmptyFieldGetsTheRegisteredGameAndAGivenPathStays) {
  const testing::TempFolder game(u"torvane-registered");
  testing::WriteFile(game.path() + u"War3.exe", "old");
  const testing::RegisteredGame registered(game.path());
  EXPECT_EQ(LowerCase(FieldAfterFirstPaint()), LowerCase(game.path() + u"war3.exe"));
  EXPECT_EQ(FieldAfterFirstPaint(L"\"D:\\Games\\war3.exe\""), u"D:\\Games\\war3.exe");
}

TEST(Program, WithoutARegisteredGameTheFieldStaysEmpty) {
  testing::RegisteredGame::RemoveAll();
  EXPECT_EQ(FieldAfterFirstPaint(), u"");
  const testing::TempFolder game(u"torvane-registered-gone");
  const testing::RegisteredGame registered(game.path() + u"gone");
  EXPECT_EQ(FieldAfterFirstPaint(), u"") << "a registered folder without war3.exe";
}

}  // namespace
}  // namespace torvane
