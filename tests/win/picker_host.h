// What the path picker's dialog, drop and key tests share: a form hosting one picker over a
// runtime that records the message boxes it is asked for (and still shows them), the
// system dialogs of this thread driven one after another from a thread timer, and
// screenshots of a dialog while it is up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/rules.h"
#include "forms/control_site.h"
#include "forms/form.h"
#include "runtime/win_runtime.h"

namespace torvane::testing {

// The Windows runtime, recording each box request before it shows the box.
class RecordingRuntime : public WinRuntime {
 public:
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override;
  std::vector<forms::BoxRequest> requests;
};

// A shown form with one new picker placed on it and the focus in its field.
class PickerHost {
 public:
  PickerHost();
  PickerHost(const PickerHost&) = delete;
  PickerHost& operator=(const PickerHost&) = delete;

  FileBrowser& picker() { return picker_; }
  RecordingRuntime& runtime() { return runtime_; }
  HWND field() const { return field_; }
  // How often the picker raised Change.
  int changes() const { return changes_; }
  // A click on the browse picture, as the mouse makes it; returns once the action is done.
  void ClickBrowse();
  // The field's text set without counting it as a change of the test's.
  void StartWith(const std::u16string& text);

 private:
  forms::Form form_;
  RecordingRuntime runtime_;
  forms::Extender site_{form_};
  FileBrowser picker_{form_, runtime_};
  HWND field_ = nullptr;
  HWND browse_ = nullptr;
  int changes_ = 0;
};

// What a dialog showed when the driver came to it.
struct SeenDialog {
  std::u16string title;
  // The file dialogs' type list (descriptions, in order); the static texts of others.
  std::vector<std::u16string> items;
  // The folder a file dialog shows.
  std::u16string folder;
  // A message box's text and its default button.
  std::u16string text;
  int defaultButton = 0;
};

// Each dialog of this thread that becomes active while the driver lives gets the next
// action (a file dialog again after a box of its own has closed); a dialog appearing
// after the last action gets `otherwise` (none: it is cancelled), and is counted too.
// A driver made while another lives takes over until it goes.
class DialogDriver {
 public:
  // False: not done yet, try the same action again on the next tick.
  using Action = std::function<bool(HWND dialog)>;
  explicit DialogDriver(std::vector<Action> actions, Action otherwise = nullptr);
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  ~DialogDriver();

  const std::vector<SeenDialog>& seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  UINT_PTR timer_ = 0;
  DialogDriver* previous_ = nullptr;
  std::vector<Action> actions_;
  Action otherwise_;
  std::vector<HWND> handled_;
  std::vector<SeenDialog> seen_;
};

// Actions for a driver.
DialogDriver::Action ChooseFile(const std::u16string& path);  // name box, then OK
DialogDriver::Action ChooseFolder(const std::u16string& path);
DialogDriver::Action Press(int button);
// Saves the dialog's picture as `name`.bmp into the folder TORVANE_SHOTS names (if set),
// then does `then`.
DialogDriver::Action Screenshot(const std::u16string& name, DialogDriver::Action then);

}  // namespace torvane::testing
