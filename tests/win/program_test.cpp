// Torvane.exe itself, started as a user starts it: its window appears, its path field
// becomes a drop target once the first picture is up (the program initialises OLE only
// then), and Alt+Down opens the browse dialog (its DLLs load at that first call).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/text.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

// The program's path as Windows sees it (the build passes the Unix one under Wine).
std::wstring ProgramPath() {
  std::u16string path = FromUtf8(TORVANE_EXE);
  if (!path.empty() && path[0] == u'/') path = u"Z:" + path;
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return std::wstring(path.begin(), path.end());
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
  std::wstring exe = ProgramPath();
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
      << ::GetLastError();
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
  if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
    ADD_FAILURE() << "the program did not end when its window was closed";
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace torvane
