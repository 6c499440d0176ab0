// FrmMain, the program's only window: the caption label, the path picker War3Browser
// (created from the settings the window stores for it) and the button Command1, which
// runs the one-click job on the picker's path. Fixed layout; nothing is saved on close.
//
// The job, and the restore of the window's system menu, run on a worker thread so that
// the window keeps answering, and so do the menu's looks at the game (its vTemp, its
// version): their boxes still come up on the window's thread, owned by the window. While one runs,
// the button shows how far it is, the path cannot be changed, no second one starts and the window
// does not close.
#pragma once

#include <windows.h>

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "controls/filebrowser/file_browser.h"
#include "forms/command_button.h"
#include "forms/control_site.h"
#include "forms/form.h"
#include "forms/label.h"
#include "forms/property_bag.h"
#include "job/job_host.h"
#include "job/report.h"
#include "runtime/win_runtime.h"
#include "window/job_progress.h"
#include "window/taskbar_progress.h"

namespace torvane {

// The one argument of `commandLine` after the program's own name, the path to fill in;
// nothing for no argument, an empty one, or more than one.
std::optional<std::u16string> PathFromCommandLine(const wchar_t* commandLine);

class FrmMain : public forms::Form {
 public:
  // The commands added to the window's system menu.
  static constexpr UINT kRestoreCommand = 0x0110;
  static constexpr UINT kOpenVTempCommand = 0x0120;
  static constexpr UINT kVersionInfoCommand = 0x0130;

  FrmMain();
  ~FrmMain() override;

  // Creates the window and its controls, hidden and centred on the screen; Show opens it
  // with the focus in the path field.
  bool Create();

  // The settings stored in the window for its picker.
  static forms::PropertyBag War3BrowserSettings();

  bool JobRunning() const { return worker_.joinable(); }
  // A menu command is looking at the game (its vTemp, its version) on its own thread.
  bool LookingAside() const { return *lookingUp_; }

  // After the first picture: an empty path field gets the war3.exe of the game the
  // registry names (when it is there), and the browse dialog starts in its folder while
  // the field is empty. A path already in the field stays. The registry and the file are
  // looked at on a thread of their own: a value may name a network drive that takes the
  // system's whole timeout to answer, and the window must not wait for it.
  void OfferRegisteredInstall();

 private:
  // Declared before the controls: the picker keeps a reference to it.
  WinRuntime runtime_;
  forms::Extender War3BrowserExtender_;

 public:
  // The window's controls, in tab order.
  FileBrowser War3Browser;
  forms::Label Label;
  forms::CommandButton Command1;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  using Job = Report (*)(std::u16string_view gamePath, Runtime& rt, JobHost& host);
  // A menu command that only looks at the game; its boxes go through `rt`.
  using Look = void (*)(std::u16string_view gamePath, Runtime& rt, HWND window);

  void Command1_Click();
  void mnuRestore_Click();
  void mnuOpenVTemp_Click();
  void mnuVersionInfo_Click();
  void Form_QueryClose();
  void RegisteredInstallFound();

  void StartJob(Job job);
  void LookAside(Look look);
  void JobEnded();
  void EnterJobState();
  void LeaveJobState();
  void EnableJobControls(bool enabled);
  void ShowProgress();

  std::thread worker_;
  // Set while a look at the game runs; shared with its thread, which is never waited for.
  std::shared_ptr<std::atomic<bool>> lookingUp_ = std::make_shared<std::atomic<bool>>(false);
  // The registered game's war3.exe, empty for none; set by a thread that is never waited
  // for, so that it holds nothing of the window.
  std::future<std::u16string> registered_;
  JobProgress progress_;
  std::optional<JobProgress::Snapshot> shown_;
  TaskbarProgress taskbar_;
  bool pickerWasLocked_ = false;
  HWND focusBeforeJob_ = nullptr;
  bool closeWhenDone_ = false;
  bool closeNoticeOpen_ = false;
};

}  // namespace torvane
