// Torvane.exe itself, started as a user starts it: its window appears, and its path field
// becomes a drop target once the first picture is up (the program initialises OLE only
// then).
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
  HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != search->process || !::IsWindowVisible(window)) return TRUE;
  search->window = window;
  return FALSE;
}

TEST(Program, FieldBecomesADropTargetAfterTheWindowShows) {
  std::wstring exe = ProgramPath();
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
      << ::GetLastError();
  Search search{process.dwProcessId, nullptr};
  EXPECT_TRUE(testing::PumpUntil([&] {
    ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.window != nullptr;
  }));
  if (search.window) {
    const HWND field = testing::FindDescendant(search.window, L"Edit");
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(testing::PumpUntil(
        [&] { return ::GetPropW(field, L"OleDropTargetInterface") != nullptr; }));
    ::PostMessageW(search.window, WM_CLOSE, 0, 0);
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
