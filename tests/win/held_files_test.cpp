// torvane-cli.exe on real files while another process, as an on-access virus scanner
// does, opens each new, renamed or written file of the game folder for reading without
// sharing delete for half a second: the job and the restore wait for it, name what they
// wait for, and complete; nothing is lost.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "tests/support/disk.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/win/cli_child.h"

namespace torvane::testing {
namespace {

using UniqueHandle = win::Unique<HANDLE, win::detail::CloseKernel>;

constexpr DWORD kHoldMs = 500;

// The scanner process, watching `folder` from construction until Stop.
class Scanner {
 public:
  explicit Scanner(const std::u16string& folder) {
    const std::u16string tag = Decimal(::GetCurrentProcessId());
    const std::u16string readyName = u"torvane-scanner-ready-" + tag;
    const std::u16string stopName = u"torvane-scanner-stop-" + tag;
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, win::W(readyName)));
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, win::W(stopName)));
    const std::u16string exe = WineName(TORVANE_SCANNER_EXE);
    std::u16string commandLine = QuoteArgument(exe);
    for (const std::u16string& arg :
         {WithoutTrailingBackslash(folder), Decimal(kHoldMs), readyName, stopName}) {
      commandLine.append(u" ").append(QuoteArgument(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(win::W(exe), const_cast<wchar_t*>(win::W(commandLine)), nullptr, nullptr,
                          FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
      return;
    }
    process_.reset(process.hProcess);
    ::CloseHandle(process.hThread);
    const HANDLE either[] = {ready_.get(), process_.get()};
    watching_ = ::WaitForMultipleObjects(2, either, FALSE, 10000) == WAIT_OBJECT_0;
  }
  ~Scanner() { (void)Stop(); }

  bool watching() const { return watching_; }
  // How many files it held in all; -1 when it failed.
  int Stop() {
    if (!process_) return -1;
    ::SetEvent(stop_.get());
    ::WaitForSingleObject(process_.get(), 10000);
    DWORD code = ~0u;
    ::GetExitCodeProcess(process_.get(), &code);
    process_.reset();
    return static_cast<int>(code);
  }

 private:
  UniqueHandle ready_, stop_, process_;
  bool watching_ = false;
};

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(HeldFiles, TheJobAndTheRestoreWaitForAScannerAndLoseNothing) {
  auto disk = MakeDisk();
  const GameFolder g = MakeGameFolder(*disk);
  disk->WriteFile(g.Game(u"存档 说明.txt"), "中文");
  disk->WriteFile(g.Game(u"locked.ini"), "r", kAttrReadOnly);
  const std::u16string exe = g.tool + u"\\torvane-cli.exe";
  ASSERT_TRUE(::CopyFileW(win::W(WineName(TORVANE_CLI_EXE)), win::W(exe), FALSE));
  auto start = Tree(*disk, g.game, true);

  Scanner scanner(g.game);
  ASSERT_TRUE(scanner.watching());
  const ChildRun patched = RunChild(exe, {u"patch", g.exe, u"--no-pause", u"--json"});
  EXPECT_EQ(patched.exitCode, 0u) << patched.output;
  for (const auto& [name, content] : g.patch) EXPECT_EQ(disk->ReadFile(g.Game(name)), content);
  const ChildRun restored = RunChild(exe, {u"restore", g.exe, u"--json"});
  EXPECT_EQ(restored.exitCode, 0u) << restored.output;
  const int held = scanner.Stop();

  auto after = Tree(*disk, g.game, true);
  after.erase(g.Game(u"vTemp\\"));
  EXPECT_EQ(after, start);
  // The scanner was in the way, and the runs said so.
  EXPECT_GT(held, 0);
  const size_t waits = Count(patched.output + restored.output, "{\"step\":\"waiting\"");
  EXPECT_GT(waits, 0u) << patched.output << restored.output;
  std::printf("  the scanner held %d files; the job and the restore waited %zu times\n", held,
              waits);
}

}  // namespace
}  // namespace torvane::testing
