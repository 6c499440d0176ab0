// The whole program as a user drives it: the path typed into the field, Tab to the
// button and Space, the message box read and answered, the game folder looked at
// afterwards. The tool's patch folder lies beside this test program, as it lies beside
// Torvane.exe.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "job/game_path.h"
#include "job/report_text.h"
#include "resources/texts.h"
#include "runtime/command_line.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "tests/win/ui_support.h"
#include "window/frm_main.h"

namespace torvane {
namespace {

// The tool's folder as the job sees it: this test program's own.
Result<std::u16string> ToolFolder() {
  WinRuntime rt;
  return MyPath(rt);
}

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

// The box shows the system's icon of its kind.
bool ShowsIcon(const testing::SeenBox& box, LPCWSTR which) {
  return box.icon && box.icon == ::LoadIconW(nullptr, which);
}

// Files of a small game installation, each with content of its own.
const std::map<std::u16string, std::string>& GameFiles() {
  static const std::map<std::u16string, std::string> files{
      {u"War3.exe", "old war3"},
      {u"Game.dll", "old game"},
      {u"Storm.dll", "old storm"},
      {u"War3Patch.mpq", "old patch"},
      {u"msvcn80.dll", "old msvcn80"},
      {u"War3.mpq", "data"},
      {u"Frozen Throne.exe", "tft"},
      {u"readme.txt", "redundant"},
      {u"cheat.dll", "redundant too"},
      {u"redist\\miles\\Mssfast.m3d", "miles"},
      {u"redist\\miles\\extra.flt", "extra"},
  };
  return files;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create());
    const Result<std::u16string> tool = ToolFolder();
    ASSERT_TRUE(tool.ok());
    patch_ = tool.value() + u"patch\\";
    testing::RemoveTree(patch_);
    testing::MakeFolder(patch_);
    for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"}) {
      WriteFile(patch_ + name, "new " + ToUtf8(name));
    }
    testing::MakeFolder(game_);
    testing::MakeFolder(game_ + u"redist");
    testing::MakeFolder(game_ + u"redist\\miles");
    for (const auto& [name, content] : GameFiles()) WriteFile(game_ + name, content);

    window_.Show();
    testing::Pump(window_.hwnd());
    field_ = testing::FindDescendant(window_.War3Browser.hwnd(), L"Edit");
    ASSERT_EQ(::GetFocus(), field_);
  }

  void TearDown() override { testing::RemoveTree(patch_); }

  void TypePath(const std::u16string& path) {
    testing::TypeText(path);
    ASSERT_TRUE(
        testing::PumpUntil([&] { return window_.War3Browser.Text() == path; }, window_.hwnd()))
        << ToUtf8(window_.War3Browser.Text());
  }

  // Tab to the button and press Space.
  void StartTheJob() {
    for (int i = 0; i < 3 && ::GetFocus() != window_.Command1.hwnd(); ++i) {
      testing::PressKey(VK_TAB);
      testing::PumpUntil([&] { return ::GetFocus() == window_.Command1.hwnd(); }, window_.hwnd(),
                         std::chrono::seconds(2));
    }
    ASSERT_EQ(::GetFocus(), window_.Command1.hwnd());
    testing::PressKey(VK_SPACE);
  }

  // Presses the button; returns once the job has shown its box and ended.
  void PressTheButton() {
    const size_t before = answerer_.boxes().size();
    StartTheJob();
    ASSERT_TRUE(
        PumpUntil([&] { return answerer_.boxes().size() > before && !window_.JobRunning(); }));
  }

  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    return testing::PumpUntil(done, window_.hwnd(), limit);
  }

  // Every file below the game folder, name to content.
  std::map<std::u16string, std::string> Snapshot() const {
    std::map<std::u16string, std::string> files;
    SnapshotInto(game_, u"", files);
    return files;
  }
  static void SnapshotInto(const std::u16string& folder, const std::u16string& relative,
                           std::map<std::u16string, std::string>& files) {
    WIN32_FIND_DATAW found{};
    win::UniqueFind find(::FindFirstFileW(win::W(folder + relative + u"*"), &found));
    if (!find) return;
    do {
      const std::u16string name = win::U(found.cFileName);
      if (name == u"." || name == u"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        SnapshotInto(folder, relative + name + u"\\", files);
      } else {
        files[relative + name] = ReadFile(folder + relative + name);
      }
    } while (::FindNextFileW(find.get(), &found));
  }

  void ExpectOneBox(const std::u16string& text, const std::u16string& title, LPCWSTR icon) {
    ASSERT_EQ(answerer_.boxes().size(), 1u);
    const testing::SeenBox& box = answerer_.boxes().front();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, title);
    EXPECT_TRUE(ShowsIcon(box, icon));
    EXPECT_EQ(box.owner, window_.hwnd());  // modal to the window
  }

  void ExpectGameFolderUntouched() {
    for (const auto& [name, content] : GameFiles()) {
      EXPECT_EQ(ReadFile(game_ + name), content) << ToUtf8(name);
    }
    EXPECT_FALSE(FileExists(game_ + u"vTemp"));
    EXPECT_EQ(::GetFileAttributesW(win::W(game_ + u"vTemp")), INVALID_FILE_ATTRIBUTES);
  }

  void ExpectPatchedAndTidied() {
    EXPECT_EQ(ReadFile(game_ + u"game.dll"), "new game.dll");
    EXPECT_EQ(ReadFile(game_ + u"war3patch.mpq"), "new war3patch.mpq");
    EXPECT_EQ(ReadFile(game_ + u"vTemp\\Game.dll"), "old game");
    EXPECT_EQ(ReadFile(game_ + u"vTemp\\readme.txt"), "redundant");
    EXPECT_FALSE(FileExists(game_ + u"readme.txt"));
  }

  testing::TempFolder temp_{u"torvane-e2e"};
  const std::u16string game_ = temp_.path() + u"魔兽争霸III\\";
  std::u16string patch_;
  FrmMain window_;
  HWND field_ = nullptr;
  testing::BoxAnswerer answerer_;
};

TEST_F(EndToEnd, EmptyPathAsksForThePathAndTouchesNothing) {
  PressTheButton();
  ExpectOneBox(u"请先设置魔兽主程序路径！", u"错误提示", IDI_HAND);
  ExpectGameFolderUntouched();
}

TEST_F(EndToEnd, PathWithoutTheGamesNameAsksForThePathAndTouchesNothing) {
  TypePath(game_ + u"war3.ex");
  PressTheButton();
  ExpectOneBox(u"请先设置魔兽主程序路径！", u"错误提示", IDI_HAND);
  ExpectGameFolderUntouched();
}

TEST_F(EndToEnd, WholeJobOnAGameFolder) {
  const std::u16string typed = game_ + u"WAR3.exe";  // any mix of cases
  TypePath(typed);
  PressTheButton();
  ExpectOneBox(u"清理完成！补丁完成", u"提示", IDI_ASTERISK);

  EXPECT_EQ(ReadFile(game_ + u"game.dll"), "new game.dll");
  EXPECT_EQ(ReadFile(game_ + u"storm.dll"), "new storm.dll");
  EXPECT_EQ(ReadFile(game_ + u"war3.exe"), "new war3.exe");
  EXPECT_EQ(ReadFile(game_ + u"war3patch.mpq"), "new war3patch.mpq");
  EXPECT_FALSE(FileExists(game_ + u"msvcn80.dll"));
  // The originals and the redundant files wait in vTemp; kept files stay.
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\Game.dll"), "old game");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\msvcn80.dll"), "old msvcn80");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\readme.txt"), "redundant");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\cheat.dll"), "redundant too");
  EXPECT_EQ(ReadFile(game_ + u"War3.mpq"), "data");
  EXPECT_EQ(ReadFile(game_ + u"Frozen Throne.exe"), "tft");
  EXPECT_EQ(ReadFile(game_ + u"redist\\miles\\Mssfast.m3d"), "miles");
  EXPECT_EQ(ReadFile(game_ + u"redist\\miles\\vTemp\\extra.flt"), "extra");
  EXPECT_EQ(window_.War3Browser.Text(), typed);
}

// Watches the window from another thread, as Windows does when it decides whether a
// program is "not responding": how long WM_NULL takes, and what the button says.
class Watcher {
 public:
  Watcher(HWND window, HWND button) : thread_([=, this] { Watch(window, button); }) {}
  ~Watcher() {
    stop_ = true;
    thread_.join();
  }
  // The window's thread must go on pumping until the watcher has stopped.
  void RequestStop() { stop_ = true; }
  bool stopped() const { return stopped_; }
  std::chrono::milliseconds worst() const { return worst_; }
  int unanswered() const { return unanswered_; }
  const std::vector<std::u16string>& captions() const { return captions_; }

 private:
  void Watch(HWND window, HWND button) {
    while (!stop_) {
      const auto start = std::chrono::steady_clock::now();
      DWORD_PTR result = 0;
      if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) ++unanswered_;
      worst_ = std::max(worst_, std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start));
      wchar_t text[128] = {};
      ::SendMessageTimeoutW(button, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            5000, &result);
      if (captions_.empty() || captions_.back() != win::U(text)) captions_.push_back(win::U(text));
      ::Sleep(10);
    }
    stopped_ = true;
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> stopped_{false};
  std::chrono::milliseconds worst_{0};
  int unanswered_ = 0;
  std::vector<std::u16string> captions_;
  std::thread thread_;
};

// Thousands of files by default; TORVANE_JOB_FILES=10000 for the figure on a big folder.
int ReplayCount() {
  wchar_t value[16] = {};
  if (::GetEnvironmentVariableW(L"TORVANE_JOB_FILES", value, 16) == 0) return 3000;
  return _wtoi(value);
}

TEST_F(EndToEnd, WindowAnswersAndShowsProgressThroughoutAJobOnThousandsOfFiles) {
  const int kReplays = ReplayCount();
  for (int i = 0; i < kReplays; ++i) {
    WriteFile(game_ + u"replay" + Decimal(i) + u".w3g", "r");
  }
  TypePath(game_ + u"war3.exe");
  const HWND form = window_.hwnd();
  const HWND button = window_.Command1.hwnd();
  const HWND picker = window_.War3Browser.hwnd();
  const HMENU menu = ::GetSystemMenu(form, FALSE);

  Watcher watcher(form, button);
  const auto start = std::chrono::steady_clock::now();
  StartTheJob();
  ASSERT_TRUE(PumpUntil([&] { return window_.JobRunning(); }));
  // While it runs: nothing starts a second job, and the path cannot change.
  EXPECT_FALSE(::IsWindowEnabled(button));
  EXPECT_FALSE(::IsWindowEnabled(picker));
  EXPECT_TRUE(window_.War3Browser.Locked());
  EXPECT_TRUE(::GetMenuState(menu, FrmMain::kRestoreCommand, MF_BYCOMMAND) & MF_GRAYED);
  ::SendMessageW(button, BM_CLICK, 0, 0);
  ::SendMessageW(form, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  ::SendMessageW(form, WM_SYSCOMMAND, FrmMain::kRestoreCommand, 0);
  testing::TypeText(u"x");

  ASSERT_TRUE(PumpUntil([&] { return !window_.JobRunning(); }, std::chrono::seconds(300)));
  const auto took = std::chrono::steady_clock::now() - start;
  watcher.RequestStop();
  ASSERT_TRUE(PumpUntil([&] { return watcher.stopped(); }));

  const auto seconds = std::chrono::duration_cast<std::chrono::milliseconds>(took).count() / 1000.0;
  std::printf("job on %d files: %.1f s; worst WM_NULL answer %lld ms (%d unanswered)\n", kReplays,
              seconds, static_cast<long long>(watcher.worst().count()), watcher.unanswered());
  for (const std::u16string& caption : watcher.captions()) {
    std::printf("  button: %s\n", ToUtf8(caption).c_str());
  }
  EXPECT_LE(watcher.worst().count(), 250);
  EXPECT_EQ(watcher.unanswered(), 0);
  // The button told how far the job was, then got its own caption back.
  const std::vector<std::u16string>& captions = watcher.captions();
  ASSERT_GE(captions.size(), 3u);
  EXPECT_EQ(captions.front(), texts::kButtonCaption);
  EXPECT_EQ(captions.back(), texts::kButtonCaption);
  EXPECT_TRUE(std::any_of(captions.begin(), captions.end(), [](const std::u16string& c) {
    return c.starts_with(texts::kStageTidying);
  }));

  ExpectOneBox(u"清理完成！补丁完成", u"提示", IDI_ASTERISK);
  ExpectPatchedAndTidied();
  EXPECT_TRUE(FileExists(game_ + u"vTemp\\replay" + Decimal(kReplays - 1) + u".w3g"));
  EXPECT_EQ(window_.War3Browser.Text(), game_ + u"war3.exe");
  EXPECT_TRUE(::IsWindowEnabled(button) && ::IsWindowEnabled(picker));
  EXPECT_FALSE(window_.War3Browser.Locked());
  EXPECT_FALSE(::GetMenuState(menu, FrmMain::kRestoreCommand, MF_BYCOMMAND) & MF_GRAYED);
}

// Another program holds a file the tidy moves, for reading without sharing delete: the
// button names the file while the job waits, and the job goes on once it is let go.
TEST_F(EndToEnd, TheButtonNamesAFileAnotherProgramHoldsUntilItIsLetGo) {
  TypePath(game_ + u"war3.exe");
  win::UniqueFile held(::CreateFileW(win::W(game_ + u"readme.txt"), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  StartTheJob();
  EXPECT_TRUE(PumpUntil([&] { return window_.Command1.Caption() == WaitingText(u"readme.txt"); },
                        std::chrono::seconds(8)))
      << ToUtf8(window_.Command1.Caption());
  held.reset();
  ASSERT_TRUE(PumpUntil([&] { return !answerer_.boxes().empty() && !window_.JobRunning(); }));
  ExpectOneBox(u"清理完成！补丁完成", u"提示", IDI_ASTERISK);
  ExpectPatchedAndTidied();
}

TEST_F(EndToEnd, ClosingDuringTheJobSaysSoWaitsAndClosesWhenItEnds) {
  TypePath(game_ + u"war3.exe");
  const HWND form = window_.hwnd();
  StartTheJob();
  ASSERT_TRUE(PumpUntil([&] { return window_.JobRunning(); }));
  ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !answerer_.boxes().empty(); }));
  EXPECT_TRUE(::IsWindow(form));
  EXPECT_TRUE(window_.JobRunning());
  ::PostMessageW(form, WM_CLOSE, 0, 0);  // Alt+F4, or the X, once more

  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(form); }));
  // The notice for each close that came while no notice was up, then the job's own box.
  const std::vector<testing::SeenBox>& boxes = answerer_.boxes();
  ASSERT_GE(boxes.size(), 2u);
  for (size_t i = 0; i + 1 < boxes.size(); ++i) EXPECT_EQ(boxes[i].text, texts::kMsgJobRunning);
  EXPECT_EQ(boxes.back().text, u"清理完成！补丁完成");
  for (const testing::SeenBox& box : boxes) EXPECT_EQ(box.owner, form);
  ExpectPatchedAndTidied();
}

TEST_F(EndToEnd, DuringTheJobThePathFieldTakesNeitherTypingNorTheBrowseShortcut) {
  const std::u16string path = game_ + u"war3.exe";
  TypePath(path);
  ASSERT_EQ(::GetFocus(), field_);
  ::SendMessageW(window_.hwnd(), WM_COMMAND, MAKEWPARAM(100, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window_.Command1.hwnd()));
  ASSERT_TRUE(window_.JobRunning());
  testing::TypeText(u"x");
  ::keybd_event(VK_MENU, 0, 0, 0);
  testing::PressKey(VK_DOWN);
  ::keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([&] { return !window_.JobRunning(); }));
  ASSERT_EQ(answerer_.boxes().size(), 1u) << ToUtf8(answerer_.boxes().back().title);
  EXPECT_EQ(answerer_.boxes()[0].text, u"清理完成！补丁完成");
  EXPECT_EQ(window_.War3Browser.Text(), path);
  EXPECT_EQ(::GetFocus(), field_);  // back where it was
}

// A stand-in for the game, started from the game folder under the game's own name.
class RunningGame {
 public:
  RunningGame(const std::u16string& stand_in, const std::u16string& as) {
    ::CopyFileW(win::W(stand_in), win::W(as), FALSE);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::u16string command = u"\"" + as + u"\"";
    started_ = ::CreateProcessW(win::W(as), const_cast<wchar_t*>(win::W(command)), nullptr, nullptr,
                                FALSE, 0, nullptr, nullptr, &si, &pi_);
    // Up once the system can name its file, as for a game the user started a while ago.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (started_ && !Named() && std::chrono::steady_clock::now() < until) ::Sleep(20);
  }
  ~RunningGame() { End(); }
  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }
  void End() {
    if (!started_) return;
    ::TerminateProcess(pi_.hProcess, 0);
    ::WaitForSingleObject(pi_.hProcess, 10000);
    ::CloseHandle(pi_.hProcess);
    ::CloseHandle(pi_.hThread);
    started_ = false;
  }

 private:
  bool Named() const {
    const auto programs = WinRuntime().RunningPrograms();
    return programs.ok() &&
           std::any_of(programs.value().begin(), programs.value().end(),
                       [&](const RunningProgram& p) { return p.pid == pid() && !p.path.empty(); });
  }

  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

TEST_F(EndToEnd, AGameRunningFromTheFolderStopsTheJobUntilItEnds) {
  RunningGame game(ToolFolder().value() + u"torvane_test_idle.exe", game_ + u"War3.exe");
  ASSERT_TRUE(game.started());
  const std::map<std::u16string, std::string> before = Snapshot();
  TypePath(game_ + u"war3.exe");
  PressTheButton();
  ASSERT_EQ(answerer_.boxes().size(), 1u);
  const testing::SeenBox& box = answerer_.boxes().front();
  EXPECT_TRUE(Contains(box.text, texts::kMsgProgramsRunning)) << ToUtf8(box.text);
  EXPECT_TRUE(Contains(LowerCase(box.text), u"war3.exe（进程 " + Decimal(game.pid()) + u"）"))
      << ToUtf8(box.text);
  EXPECT_EQ(box.title, u"错误提示");
  EXPECT_EQ(box.owner, window_.hwnd());
  EXPECT_EQ(Snapshot(), before);

  game.End();
  PressTheButton();
  ASSERT_EQ(answerer_.boxes().size(), 2u);
  EXPECT_EQ(answerer_.boxes()[1].text, u"清理完成！补丁完成");
  EXPECT_EQ(ReadFile(game_ + u"war3.exe"), "new war3.exe");
}

struct ProcessWindowSearch {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK KeepVisibleWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindowSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !::IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// Torvane.exe itself, started with `arguments`: what its path field shows once its window
// is up. The build names it by its Unix path, which Wine shows as drive Z:.
std::u16string FieldOfTheProgramStartedWith(const std::vector<std::u16string>& arguments) {
  std::u16string exe = u"Z:";
  std::u16string unixPath = FromUtf8(TORVANE_EXE);
  std::replace(unixPath.begin(), unixPath.end(), u'/', u'\\');
  exe += unixPath;
  std::u16string command = QuoteArgument(exe);
  for (const std::u16string& argument : arguments) {
    command += u' ';
    command += QuoteArgument(argument);
  }
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(win::W(exe), reinterpret_cast<wchar_t*>(command.data()), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return u"<not started>";
  }
  const win::UniqueHandle process(pi.hProcess);
  const win::UniqueHandle thread(pi.hThread);
  ProcessWindowSearch search{pi.dwProcessId};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!search.found && std::chrono::steady_clock::now() < until) {
    ::EnumWindows(&KeepVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    ::Sleep(50);
  }
  std::u16string field = u"<no window>";
  if (search.found) {
    const HWND edit = testing::FindDescendant(search.found, L"Edit");
    wchar_t text[512] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                          &result);
    field = win::U(text);
    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
  }
  return field;
}

TEST(Program, OpensWithThePathGivenAsItsOneArgument) {
  const std::u16string path = u"D:\\魔兽 争霸III\\War3.exe";
  EXPECT_EQ(FieldOfTheProgramStartedWith({path}), path);
  EXPECT_EQ(FieldOfTheProgramStartedWith({}), u"");
  EXPECT_EQ(FieldOfTheProgramStartedWith({path, u"--more"}), u"");
}

}  // namespace
}  // namespace torvane
