// The main window as a user meets it: its size and every control's place at the DPI of
// the run (96, or 120 in the second run), its texts and the picker's font, the focus and
// the tab order, the fixed centred frame.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "forms/dpi.h"
#include "resources/texts.h"
#include "runtime/command_line.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "tests/win/ui_support.h"
#include "window/frm_main.h"
#include "window/ui_thread_runtime.h"

namespace torvane {
namespace {

using forms::PixelRect;
using testing::ExpectedDpi;
using testing::RectIn;

struct Layout {
  SIZE client;
  PixelRect label, picker, button;
  PixelRect field, browse;  // inside the picker
};

// The designer's twips at 15 and at 12 twips per pixel, each value rounded on its own.
// The browse picture is 240 twips at either: its 20-pixel image at 120.
Layout ExpectedLayout(int dpi) {
  if (dpi == 120) {
    return {{509, 115},        {28, 25, 90, 15}, {120, 20, 364, 25},
            {25, 58, 461, 31}, {4, 4, 334, 16},  {344, 1, 20, 20}};
  }
  return {{407, 92},         {22, 20, 72, 12}, {96, 16, 291, 20},
          {20, 46, 369, 25}, {3, 3, 267, 13},  {275, 1, 16, 16}};
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create());
    window_.Show();
    testing::Pump(window_.hwnd());
    form_ = window_.hwnd();
    picker_ = window_.War3Browser.hwnd();
    field_ = testing::FindDescendant(picker_, L"Edit");
    browse_ = testing::FindDescendant(picker_, L"Torvane.Image");
    ASSERT_TRUE(field_ && browse_);
  }

  FrmMain window_;
  HWND form_ = nullptr, picker_ = nullptr, field_ = nullptr, browse_ = nullptr;
};

TEST_F(MainWindow, RunsAtTheDpiOfItsScreen) { EXPECT_EQ(forms::DpiOf(form_), ExpectedDpi()); }

TEST_F(MainWindow, ClientAreaAndEveryControlMatchTheDesignerTable) {
  const Layout expected = ExpectedLayout(forms::DpiOf(form_));
  RECT client{};
  ::GetClientRect(form_, &client);
  EXPECT_EQ(client.right, expected.client.cx);
  EXPECT_EQ(client.bottom, expected.client.cy);
  EXPECT_EQ(RectIn(window_.Label.hwnd(), form_), expected.label);
  EXPECT_EQ(RectIn(picker_, form_), expected.picker);
  EXPECT_EQ(RectIn(window_.Command1.hwnd(), form_), expected.button);
  EXPECT_EQ(RectIn(field_, picker_), expected.field);
  EXPECT_EQ(RectIn(browse_, picker_), expected.browse);
  // The picker's extent in twips, as the host keeps it.
  EXPECT_EQ(window_.War3Browser.Width(), 4365);
  EXPECT_EQ(window_.War3Browser.Height(), 300);
}

TEST_F(MainWindow, TextsAreTheProgramsOwn) {
  EXPECT_EQ(window_.Caption(), texts::kMainCaption);
  EXPECT_EQ(window_.Caption(), u"魔兽争霸III 1.24e （一键清理 + Torvane）");
  EXPECT_EQ(window_.Label.Caption(), u"魔兽主程序：");
  EXPECT_EQ(window_.Command1.Caption(), u"一键清理多余文件 + 一键打1.24e补丁");
  EXPECT_EQ(window_.War3Browser.Text(), u"");
}

TEST_F(MainWindow, PickerIsCreatedFromItsStoredSettings) {
  FileBrowser& picker = window_.War3Browser;
  const forms::FontDesc font = picker.Font()->desc();
  EXPECT_EQ(font.name, u"宋体");
  EXPECT_EQ(font.size, 9);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(font.charset, 134);
  EXPECT_FALSE(font.italic || font.underline || font.strikethrough);
  EXPECT_EQ(picker.Filter(), u"war3.exe | war3.exe");
  // Everything else at its default.
  EXPECT_EQ(picker.FileDialogType(), 0);
  EXPECT_EQ(picker.InitDir(), u"");
  EXPECT_EQ(picker.Title(), u"打开文件");
  EXPECT_TRUE(picker.Enabled());
  EXPECT_FALSE(picker.Locked());
  EXPECT_EQ(picker.ForeColor(), 0x80000008u);

  // The field draws with what was asked for, at the window's DPI (the face read back
  // from the font object is the requested one, whatever the system substitutes).
  LOGFONTW lf{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(field_, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  EXPECT_EQ(win::U(lf.lfFaceName), u"宋体");
  EXPECT_EQ(lf.lfHeight, forms::FontHeightForDpi(9, forms::DpiOf(form_)));
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfCharSet, 134);
}

TEST_F(MainWindow, FocusStartsInThePathFieldAndTabSkipsTheLabel) {
  EXPECT_EQ(::GetFocus(), field_);
  EXPECT_EQ(::GetWindowLongPtrW(window_.Label.hwnd(), GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(::GetWindowLongPtrW(browse_, GWL_STYLE) & WS_TABSTOP, 0);

  testing::PressKey(VK_TAB);
  EXPECT_TRUE(testing::PumpUntil([&] { return ::GetFocus() == window_.Command1.hwnd(); }, form_));
  testing::PressKey(VK_TAB);
  EXPECT_TRUE(testing::PumpUntil([&] { return ::GetFocus() == field_; }, form_));
  testing::PressKey(VK_TAB, /*shift=*/true);
  EXPECT_TRUE(testing::PumpUntil([&] { return ::GetFocus() == window_.Command1.hwnd(); }, form_));
}

TEST_F(MainWindow, FocusComesBackToTheFieldAfterTheWindowWasInactive) {
  ::SendMessageW(form_, WM_ACTIVATE, WA_INACTIVE, 0);
  ::SetFocus(nullptr);
  ::SendMessageW(form_, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), field_);
}

TEST_F(MainWindow, FixedFrameCentredOnTheScreen) {
  const LONG_PTR style = ::GetWindowLongPtrW(form_, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_CAPTION, 0);

  RECT frame{};
  ::GetWindowRect(form_, &frame);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(form_, MONITOR_DEFAULTTOPRIMARY), &mi);
  EXPECT_NEAR((frame.left + frame.right) / 2, (mi.rcWork.left + mi.rcWork.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (mi.rcWork.top + mi.rcWork.bottom) / 2, 1);
}

TEST_F(MainWindow, SystemMenuCarriesTheRestoreVTempAndVersionInfoCommands) {
  const HMENU menu = ::GetSystemMenu(form_, FALSE);
  wchar_t text[64] = {};
  ::GetMenuStringW(menu, FrmMain::kRestoreCommand, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(win::U(text), u"还原上次的修改…");
  ::GetMenuStringW(menu, FrmMain::kOpenVTempCommand, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(win::U(text), u"打开 vTemp 文件夹");
  ::GetMenuStringW(menu, FrmMain::kVersionInfoCommand, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(win::U(text), u"版本信息…");
  EXPECT_FALSE(::GetMenuState(menu, FrmMain::kRestoreCommand, MF_BYCOMMAND) & MF_GRAYED);
}

struct CaptionSearch {
  std::u16string part;  // lower case
  HWND found = nullptr;
};

BOOL CALLBACK KeepWindowWithCaption(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<CaptionSearch*>(param);
  if (!::IsWindowVisible(window)) return TRUE;
  if (!Contains(LowerCase(testing::WindowText(window)), search->part)) return TRUE;
  search->found = window;
  return FALSE;
}

// The open top-level window whose caption names `folder`, in any process.
HWND FileManagerShowing(const std::u16string& folder) {
  CaptionSearch search{LowerCase(NameOf(folder))};
  ::EnumWindows(&KeepWindowWithCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MainWindow, OpenVTempSaysWhatIsMissingOrOpensTheFolder) {
  testing::TempFolder temp(u"torvane-vtemp");
  const std::u16string game = temp.path() + u"魔兽争霸III";
  testing::MakeFolder(game);
  testing::BoxAnswerer answerer;
  // The folder is looked at on a thread of its own; the window answers meanwhile.
  auto open = [&](std::size_t boxes) {
    ::SendMessageW(form_, WM_SYSCOMMAND, FrmMain::kOpenVTempCommand, 0);
    return testing::PumpUntil(
        [&] { return answerer.boxes().size() == boxes && !window_.LookingAside(); }, form_,
        std::chrono::seconds(10));
  };

  ASSERT_TRUE(open(1));  // no path yet: the button's own box
  window_.War3Browser.SetText(game + u"\\War3.exe.bak");
  ASSERT_TRUE(open(2));  // another file: its folder's vTemp is not the game's to open
  window_.War3Browser.SetText(game + u"\\War3.exe");
  ASSERT_TRUE(open(3));  // a game folder without a vTemp yet
  for (std::size_t i : {0u, 1u}) {
    EXPECT_EQ(answerer.boxes()[i].text, u"请先设置魔兽主程序路径！");
    EXPECT_EQ(answerer.boxes()[i].title, u"错误提示");
    EXPECT_EQ(answerer.boxes()[i].owner, form_);
  }
  EXPECT_EQ(answerer.boxes()[2].text,
            texts::kMsgNoVTemp + (u"\r\n" + LowerCase(game) + u"\\vTemp"));
  EXPECT_EQ(answerer.boxes()[2].title, u"提示");

  testing::MakeFolder(game + u"\\vTemp");
  ::SendMessageW(form_, WM_SYSCOMMAND, FrmMain::kOpenVTempCommand, 0);
  HWND manager = nullptr;
  EXPECT_TRUE(testing::PumpUntil(
      [&] { return (manager = FileManagerShowing(game + u"\\vTemp")) != nullptr; }, form_,
      std::chrono::seconds(15)));
  EXPECT_EQ(answerer.boxes().size(), 3u);
  if (manager) ::PostMessageW(manager, WM_CLOSE, 0, 0);
}

TEST_F(MainWindow, VersionInfoShowsOneBoxAboutTheGameInTheField) {
  testing::TempFolder temp(u"torvane-info");
  const std::u16string game = temp.path() + u"魔兽争霸III\\";
  testing::MakeFolder(game);
  testing::WriteFile(game + u"War3.exe", "stand-in");
  testing::WriteFile(game + u"War3.mpq", "stand-in");
  testing::BoxAnswerer answerer;
  // The game is read on a thread of its own; the window answers meanwhile.
  const auto look = [&](std::size_t boxes) {
    ::SendMessageW(form_, WM_SYSCOMMAND, FrmMain::kVersionInfoCommand, 0);
    return testing::PumpUntil(
        [&] { return answerer.boxes().size() == boxes && !window_.LookingAside(); }, form_,
        std::chrono::seconds(10));
  };
  window_.War3Browser.SetText(game + u"War3.exe");
  ASSERT_TRUE(look(1));
  window_.War3Browser.SetText(game + u"nothing\\War3.exe");
  ASSERT_TRUE(look(2));
  const testing::SeenBox& info = answerer.boxes()[0];
  EXPECT_EQ(info.title, u"提示");
  EXPECT_EQ(info.owner, form_);
  for (const std::u16string& line :
       {texts::kInfoGameFolder + LowerCase(game), std::u16string(texts::kInfoGameVersion),
        std::u16string(texts::kInfoPatchVersion), texts::kInfoRestorable + std::u16string(u"0")}) {
    EXPECT_NE(info.text.find(line), std::u16string::npos) << ToUtf8(info.text);
  }
  EXPECT_EQ(answerer.boxes()[1].title, u"错误提示") << "a path that is refused says why";
  EXPECT_FALSE(testing::FileExists(game + u"vTemp")) << "a look changes nothing";
}

TEST_F(MainWindow, TheBrowseDialogStartsInTheInstalledGameWhileTheFieldIsEmpty) {
  testing::TempFolder temp(u"torvane-start");
  window_.War3Browser.SetStartFolderWhenEmpty(temp.path());
  constexpr LPARAM kAltContext = 1 << 29;
  {
    testing::BoxAnswerer cancel(IDCANCEL);
    ::SendMessageW(field_, WM_SYSKEYDOWN, VK_DOWN, kAltContext);
  }
  EXPECT_EQ(window_.War3Browser.InitDir(), temp.path());
  window_.War3Browser.SetText(u"D:\\Games\\war3.exe");
  {
    testing::BoxAnswerer cancel(IDCANCEL);
    ::SendMessageW(field_, WM_SYSKEYDOWN, VK_DOWN, kAltContext);
  }
  EXPECT_EQ(window_.War3Browser.InitDir(), u"D:\\Games\\") << "a path in the field wins";
}

TEST_F(MainWindow, RestoreRunsLikeTheJobAndLeavesTheWindowReady) {
  testing::BoxAnswerer answerer;
  ::SendMessageW(form_, WM_SYSCOMMAND, FrmMain::kRestoreCommand, 0);
  EXPECT_TRUE(testing::PumpUntil([&] { return !window_.JobRunning(); }, form_));
  for (const testing::SeenBox& box : answerer.boxes()) EXPECT_EQ(box.owner, form_);
  EXPECT_TRUE(::IsWindowEnabled(window_.Command1.hwnd()));
  EXPECT_EQ(window_.Command1.Caption(), texts::kButtonCaption);
  EXPECT_FALSE(window_.War3Browser.Locked());
}

// Records on which thread each operation ran.
class ThreadRecordingRuntime : public WinRuntime {
 public:
  int MsgBox(const std::u16string&, std::uint32_t, const std::u16string&) override {
    boxThread = ::GetCurrentThreadId();
    return kIdYes;
  }
  Status RestartElevated(const std::u16string& argument) override {
    restartThread = ::GetCurrentThreadId();
    restartArgument = argument;
    return Status();
  }
  void Sleep(std::uint32_t) override { sleepThread = ::GetCurrentThreadId(); }

  DWORD boxThread = 0, restartThread = 0, sleepThread = 0;
  std::u16string restartArgument;
};

TEST_F(MainWindow, AWorkersBoxesAndRestartRunOnTheWindowsThreadAndPausesOnTheWorker) {
  ThreadRecordingRuntime inner;
  DWORD afterRestartThread = 0;
  UiThreadRuntime rt(inner, form_, [&] { afterRestartThread = ::GetCurrentThreadId(); });
  std::atomic<bool> done{false};
  int answer = 0;
  Status restarted = Error{};
  DWORD worker = 0;
  std::thread thread([&] {
    worker = ::GetCurrentThreadId();
    answer = rt.MsgBox(u"prompt", kMbYesNo, u"title");
    restarted = rt.RestartElevated(u"d:\\war3\\war3.exe");
    rt.Sleep(1);
    done = true;
  });
  EXPECT_TRUE(testing::PumpUntil([&] { return done.load(); }, form_));
  thread.join();

  const DWORD window = ::GetCurrentThreadId();
  EXPECT_EQ(answer, kIdYes);
  EXPECT_EQ(inner.boxThread, window);
  EXPECT_TRUE(restarted.ok());
  EXPECT_EQ(inner.restartThread, window);
  EXPECT_EQ(inner.restartArgument, u"d:\\war3\\war3.exe");
  EXPECT_EQ(afterRestartThread, window);
  EXPECT_EQ(inner.sleepThread, worker);
}

TEST(UiThreadRuntime, ABoxForAWindowThatIsGoneIsNotShownAndAnswersNothing) {
  ThreadRecordingRuntime inner;
  const HWND gone =
      ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  bool restartedAfter = false;
  UiThreadRuntime rt(inner, gone, [&] { restartedAfter = true; });
  int answer = -1;
  Status restarted;
  std::thread([&] {
    answer = rt.MsgBox(u"prompt", kMbYesNo, u"title");
    restarted = rt.RestartElevated(u"x");
  }).join();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(inner.boxThread, 0u);
  EXPECT_FALSE(restarted.ok());
  EXPECT_FALSE(restartedAfter);
}

TEST(PathFromCommandLine, TakesExactlyOneArgumentAsTyped) {
  for (const std::u16string path :
       {u"C:\\Program Files\\Warcraft III\\war3.exe", u"D:\\魔兽 争霸\\", u"e:\\a\"b"}) {
    const std::u16string line = u"Torvane.exe " + QuoteArgument(path);
    EXPECT_EQ(PathFromCommandLine(win::W(line)), path) << ToUtf8(line);
  }
  EXPECT_EQ(PathFromCommandLine(L"Torvane.exe d:\\war3\\war3.exe"), u"d:\\war3\\war3.exe");
  EXPECT_FALSE(PathFromCommandLine(L"Torvane.exe"));
  EXPECT_FALSE(PathFromCommandLine(L"Torvane.exe \t "));
  EXPECT_FALSE(PathFromCommandLine(L"\"C:\\My Tools\\Torvane.exe\" "));
  EXPECT_EQ(PathFromCommandLine(L"\"C:\\My Tools\\Torvane.exe\" d:\\war3.exe"), u"d:\\war3.exe");
  EXPECT_FALSE(PathFromCommandLine(L"Torvane.exe \"\""));
  EXPECT_FALSE(PathFromCommandLine(L"Torvane.exe c:\\war3.exe --extra"));
}

}  // namespace
}  // namespace torvane
