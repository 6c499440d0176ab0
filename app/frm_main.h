// FrmMain, the program's only window: the caption label, the path picker War3Browser
// (created from the settings the window stores for it) and the button Command1, which
// runs the one-click job on the picker's path. Fixed layout; nothing is saved on close.
#pragma once

#include <windows.h>

#include <string>

#include "controls/filebrowser/file_browser.h"
#include "forms/command_button.h"
#include "forms/control_site.h"
#include "forms/form.h"
#include "forms/label.h"
#include "forms/property_bag.h"
#include "runtime/win_runtime.h"

namespace torvane {

class FrmMain : public forms::Form {
 public:
  FrmMain();
  ~FrmMain() override;

  // Creates the window and its controls, hidden and centred on the screen; Show opens it
  // with the focus in the path field.
  bool Create();

  // The tool's own folder with exactly one trailing backslash.
  Result<std::u16string> MyPath();

  // The settings stored in the window for its picker.
  static forms::PropertyBag War3BrowserSettings();

 private:
  // Declared before the controls: the picker keeps a reference to it.
  WinRuntime runtime_;
  forms::Extender War3BrowserExtender_;

 public:
  // The window's controls, in tab order.
  FileBrowser War3Browser;
  forms::Label Label;
  forms::CommandButton Command1;

 private:
  void Command1_Click();
};

}  // namespace torvane
