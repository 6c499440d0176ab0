#include "window/frm_main.h"

#include <shellapi.h>

#include "forms/twips.h"
#include "job/game_info.h"
#include "job/game_layout.h"
#include "job/game_path.h"
#include "job/patch_job.h"
#include "job/report_text.h"
#include "job/restore.h"
#include "job/stage_words.h"
#include "resources/texts.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "window/box_host.h"
#include "window/ui_thread_runtime.h"

namespace torvane {
namespace {

// The designer's layout, in twips of the client area.
constexpr float kClientWidth = 6105;
constexpr float kClientHeight = 1380;
constexpr forms::TwipsRect kLabelRect{330, 300, 1080, 180};
constexpr float kBrowserLeft = 1440;
constexpr float kBrowserTop = 240;
constexpr forms::TwipsRect kButtonRect{300, 690, 5535, 375};

// The picker's stored extent in HIMETRIC: 4365 × 300 twips.
constexpr std::int32_t kBrowserExtentX = 7699;
constexpr std::int32_t kBrowserExtentY = 529;

// Child ids from 100 on: 1 and 2 are what the dialog manager sends for Enter and Esc.
constexpr int kCommand1Id = 100;

// The window's font, which its twips layout is drawn for; the picker's stored font too.
forms::FontDesc WindowFont() { return {texts::kSimSunFace, 9, FW_NORMAL, GB2312_CHARSET}; }
// Posted by the worker as its last act.
constexpr UINT kJobEndedMessage = WM_APP + 0x41;
// Posted once the registered game has been looked up.
constexpr UINT kRegisteredInstallMessage = WM_APP + 0x42;
// The progress on the button is redrawn at most this often.
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressIntervalMs = 50;

// The war3.exe of the first game the registry names that is there; empty for none.
std::u16string RegisteredWar3Exe(Runtime& rt) {
  for (const RegisteredInstall& install : rt.RegisteredInstalls()) {
    const std::u16string exe = WithTrailingBackslash(install.folder) + std::u16string(kWar3Exe);
    const Result<std::uint32_t> attributes = rt.GetAttr(exe);
    if (attributes.ok() && (attributes.value() & kAttrFolder) == 0) return exe;
  }
  return {};
}

// "正在清理多余文件… 120 / 3000" while files are counted, the stage alone otherwise; the
// file another program holds while the job waits for it.
std::u16string ProgressCaption(const JobProgress::Snapshot& progress) {
  if (!progress.waitingFor.empty()) return WaitingText(NameOf(progress.waitingFor));
  std::u16string caption(WordsOf(progress.stage).button);
  if (progress.total == 0) return caption;
  return caption + u" " + Decimal(progress.done) + u" / " + Decimal(progress.total);
}

void AddSystemMenuCommands(HWND window) {
  const HMENU menu = ::GetSystemMenu(window, FALSE);
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, FrmMain::kRestoreCommand, win::W(texts::kMenuRestore));
  ::AppendMenuW(menu, MF_STRING, FrmMain::kOpenVTempCommand, win::W(texts::kMenuOpenVTemp));
  ::AppendMenuW(menu, MF_STRING, FrmMain::kVersionInfoCommand, win::W(texts::kMenuVersionInfo));
}

// The host's own size entry of a stored instance, in twips.
float ExtentTwips(const forms::PropertyBag& settings, std::u16string_view key,
                  std::int32_t fallback) {
  return forms::HimetricToTwips(
      forms::ToInt32(settings.ReadProperty(key, fallback)).value_or(fallback));
}

// On this thread, a drive without its disk answers with nothing, never with the system's
// box.
void WithoutNoDiskBoxes() {
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
}

// The box of "版本信息…": the game in `gamePath`, or why it cannot be looked at.
void ShowGameInfo(std::u16string_view gamePath, Runtime& rt, HWND) {
  const Checked<GameInfo> read = ReadGameInfo(gamePath, u"", rt);
  if (const Report* refused = std::get_if<Report>(&read)) {
    BoxHost(rt, nullptr).Present(*refused);
    return;
  }
  (void)forms::Show(rt, BoxOf({GameInfoText(std::get<GameInfo>(read)), Tone::kInformation}));
}

// The game's vTemp in the file manager, or a box that says why not.
void OpenVTemp(std::u16string_view gamePath, Runtime& rt, HWND window) {
  const Checked<GamePath> checked = ResolveGamePath(gamePath, rt);
  if (const Report* refused = std::get_if<Report>(&checked)) {
    BoxHost(rt, nullptr).Present(*refused);
    return;
  }
  const std::u16string& folder = std::get<GamePath>(checked).vTemp;
  const Result<std::uint32_t> attributes = rt.GetAttr(folder);
  if (!attributes.ok() || (attributes.value() & kAttrFolder) == 0) {
    (void)forms::Show(rt, BoxOf({texts::kMsgNoVTemp + (kCrLf + folder), Tone::kInformation}));
    return;
  }
  // The shell may hand the folder to an extension through COM.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = window;
  info.lpVerb = L"open";
  info.lpFile = win::W(folder);
  info.nShow = SW_SHOWNORMAL;
  const bool opened = ::ShellExecuteExW(&info) != FALSE;
  const Error why = LastError();
  if (SUCCEEDED(com)) ::CoUninitialize();
  if (opened) return;
  (void)forms::Show(rt, BoxOf({texts::kMsgCannotOpenFolder + folder + kCrLf +
                                   texts::kMsgErrorPrefix + why.description,
                               Tone::kStop}));
}

}  // namespace

FrmMain::FrmMain()
    : Form(WindowFont()),
      War3BrowserExtender_(*this),
      War3Browser(*this, runtime_),
      Label(*this),
      Command1(*this) {}

FrmMain::~FrmMain() {
  if (!worker_.joinable()) return;
  // The window goes first: a box the job still asks for then fails at once instead of
  // waiting for a thread that waits here.
  if (hwnd()) ::DestroyWindow(hwnd());
  worker_.join();
}

namespace {

// Whether anything follows the program's own name (up to its closing quote, or to its
// first space or tab, as CommandLineToArgvW reads it). A start without one does not load
// the shell to split the line.
bool HasArguments(std::wstring_view line) {
  const size_t end = line.starts_with(L'"') ? line.find(L'"', 1) : line.find_first_of(L" \t");
  return end != std::wstring_view::npos &&
         line.find_first_not_of(L" \t", end + 1) != std::wstring_view::npos;
}

}  // namespace

std::optional<std::u16string> PathFromCommandLine(const wchar_t* commandLine) {
  if (!HasArguments(commandLine)) return std::nullopt;
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(commandLine, &count);
  const win::UniqueLocal owner(arguments);
  if (arguments == nullptr || count != 2 || arguments[1][0] == L'\0') return std::nullopt;
  return win::U(arguments[1]);
}

forms::PropertyBag FrmMain::War3BrowserSettings() {
  forms::PropertyBag bag;
  bag.Set(u"_extentx", kBrowserExtentX);
  bag.Set(u"_extenty", kBrowserExtentY);
  bag.Set(u"font", forms::Font::Create(WindowFont()));
  bag.Set(u"filter", std::u16string(texts::kWar3Filter));
  return bag;
}

bool FrmMain::Create() {
  if (!Form::Create(texts::kMainCaption, kClientWidth, kClientHeight)) return false;
  runtime_.SetOwner(hwnd());

  const forms::PropertyBag settings = War3BrowserSettings();
  if (!War3Browser.Create(War3BrowserExtender_)) return false;
  War3Browser.ReadProperties(settings);
  SkipOnFailure(War3Browser.Move(kBrowserLeft, kBrowserTop,
                                 ExtentTwips(settings, u"_extentx", kBrowserExtentX),
                                 ExtentTwips(settings, u"_extenty", kBrowserExtentY)));

  if (!Label.Create(kLabelRect, texts::kLabelCaption)) return false;
  if (!Command1.Create(kButtonRect, texts::kButtonCaption, kCommand1Id)) return false;
  Command1.onClick = [this] { Command1_Click(); };
  AddSystemMenuCommands(hwnd());
  return true;
}

void FrmMain::Command1_Click() {
  StartJob([](std::u16string_view text, Runtime& rt, JobHost& host) {
    return RunPatchJob(JobRequest(std::u16string(text)), rt, host);
  });
}

void FrmMain::mnuRestore_Click() { StartJob(&RunRestore); }

void FrmMain::mnuOpenVTemp_Click() { LookAside(&OpenVTemp); }

void FrmMain::mnuVersionInfo_Click() { LookAside(&ShowGameInfo); }

// On a thread of its own: the game may sit on a network drive slow to answer, and the
// window must not wait for it. The boxes still come up on the window's thread, owned by
// the window. One look at a time.
void FrmMain::LookAside(Look look) {
  if (lookingUp_->exchange(true)) return;
  try {
    std::thread([look, text = War3Browser.Text(), window = hwnd(), busy = lookingUp_] {
      WithoutNoDiskBoxes();
      try {
        WinRuntime files;
        files.SetOwner(window);
        UiThreadRuntime rt(files, window, [] {});
        look(text, rt, window);
      } catch (...) {
        // Out of memory, the only thing that throws here: there is nothing to show.
      }
      *busy = false;
    }).detach();
  } catch (...) {
    *lookingUp_ = false;  // no thread started: the next look may try again
    throw;
  }
}

void FrmMain::OfferRegisteredInstall() {
  std::promise<std::u16string> found;
  registered_ = found.get_future();
  std::thread([found = std::move(found), window = hwnd()]() mutable {
    WithoutNoDiskBoxes();
    std::u16string exe;
    try {
      WinRuntime rt;
      exe = RegisteredWar3Exe(rt);
    } catch (...) {
      // Out of memory, the only thing that throws here: there is simply nothing to offer.
    }
    found.set_value(std::move(exe));
    ::PostMessageW(window, kRegisteredInstallMessage, 0, 0);
  }).detach();
}

void FrmMain::RegisteredInstallFound() {
  if (!registered_.valid()) return;
  const std::u16string exe = registered_.get();
  if (exe.empty()) return;
  War3Browser.SetStartFolderWhenEmpty(FolderOf(exe));
  if (War3Browser.Text().empty() && !JobRunning()) War3Browser.SetText(exe);
}

// A close while a job runs would end the program in the middle of moving the user's
// files: the window says so and closes once the job is over.
void FrmMain::Form_QueryClose() {
  closeWhenDone_ = true;
  if (!closeNoticeOpen_) {
    closeNoticeOpen_ = true;
    (void)forms::Show(runtime_, BoxOf({texts::kMsgJobRunning, Tone::kInformation}));
    closeNoticeOpen_ = false;
  }
  if (!JobRunning()) ::DestroyWindow(hwnd());  // it ended while the notice was up
}

void FrmMain::StartJob(Job job) {
  if (JobRunning()) return;
  const HWND window = hwnd();
  EnterJobState();
  worker_ = std::thread([this, job, window, text = War3Browser.Text()] {
    WinRuntime files;
    files.SetOwner(window);
    UiThreadRuntime rt(files, window, [this] { closeWhenDone_ = true; });
    BoxHost host(rt, &progress_);
    try {
      host.Present(job(text, rt, host));
    } catch (...) {
      // Out of memory, the only thing that throws here: the job has stopped where it
      // was, and the window must still learn that it ended.
    }
    ::PostMessageW(window, kJobEndedMessage, 0, 0);
  });
}

void FrmMain::JobEnded() {
  if (!worker_.joinable()) return;
  worker_.join();
  LeaveJobState();
  if (closeWhenDone_ && !closeNoticeOpen_) ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

// The button disabled and showing progress, the path fixed (its text stays readable),
// the restore command greyed.
void FrmMain::EnterJobState() {
  focusBeforeJob_ = ::GetFocus();
  pickerWasLocked_ = War3Browser.Locked();
  EnableJobControls(false);
  // Keys still reach a field that has the focus inside a disabled picker (Alt+Down would
  // open the browse dialog): the focus moves to the window itself, and cannot go back
  // into the picker while it is disabled.
  const HWND focus = ::GetFocus();
  if (focus == War3Browser.hwnd() || ::IsChild(War3Browser.hwnd(), focus)) ::SetFocus(hwnd());
  progress_.OnStage(JobStage::kChecking);
  shown_.reset();
  ShowProgress();
  ::SetTimer(hwnd(), kProgressTimer, kProgressIntervalMs, nullptr);
}

void FrmMain::LeaveJobState() {
  ::KillTimer(hwnd(), kProgressTimer);
  ::SetWindowTextW(Command1.hwnd(), win::W(texts::kButtonCaption));
  taskbar_.Clear(hwnd());
  EnableJobControls(true);
  if (focusBeforeJob_ && ::IsChild(hwnd(), focusBeforeJob_)) ::SetFocus(focusBeforeJob_);
}

void FrmMain::EnableJobControls(bool enabled) {
  War3Browser.SetLocked(!enabled || pickerWasLocked_);
  ::EnableWindow(War3Browser.hwnd(), enabled);
  Command1.SetEnabled(enabled);
  ::EnableMenuItem(::GetSystemMenu(hwnd(), FALSE), kRestoreCommand,
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void FrmMain::ShowProgress() {
  const JobProgress::Snapshot now = progress_.Read();
  if (shown_ == now) return;
  shown_ = now;
  const std::u16string caption = ProgressCaption(now);
  ::SetWindowTextW(Command1.hwnd(), win::W(caption));
  if (!now.waitingFor.empty()) {
    taskbar_.ShowWaiting(hwnd(), caption);
  } else if (now.total > 0) {
    taskbar_.Show(hwnd(), now.done, now.total);
  } else {
    taskbar_.ShowBusy(hwnd());
  }
}

LRESULT FrmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case UiThreadRuntime::kSentCall:
      return UiThreadRuntime::RunSentCall(lParam);
    case kJobEndedMessage:
      JobEnded();
      return 0;
    case kRegisteredInstallMessage:
      RegisteredInstallFound();
      return 0;
    case WM_TIMER:
      if (wParam != kProgressTimer) break;
      if (JobRunning()) ShowProgress();
      return 0;
    case WM_CLOSE:
      if (!JobRunning()) break;
      Form_QueryClose();
      return 0;
    case WM_QUERYENDSESSION:
      return JobRunning() ? FALSE : TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kRestoreCommand) {
        mnuRestore_Click();
        return 0;
      }
      if ((wParam & 0xFFF0) == kOpenVTempCommand) {
        mnuOpenVTemp_Click();
        return 0;
      }
      if ((wParam & 0xFFF0) == kVersionInfoCommand) {
        mnuVersionInfo_Click();
        return 0;
      }
      break;
    default:
      break;
  }
  return Form::HandleMessage(msg, wParam, lParam);
}

}  // namespace torvane
