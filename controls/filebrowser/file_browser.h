// FileBrowser, the path picker: a text field for a path with a browse picture beside it,
// framed by a thin rectangle. The host reads and sets it through the public interface
// below (in its fixed slot order), is told of changed properties through its site, and
// hears of every change of the path through `Change`.
//
// The browse action (open, save or folder dialog by FileDialogType), drops of files onto
// the field and the Alt+Down shortcut are wired to the private handlers at the end;
// their bodies live in file_browser_dialogs.cpp and file_browser_drop.cpp.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "controls/filebrowser/rules.h"
#include "forms/control_site.h"
#include "forms/image.h"
#include "forms/property_bag.h"
#include "forms/shape.h"
#include "forms/text_box.h"
#include "forms/user_control.h"
#include "runtime/runtime.h"

namespace torvane {

class FileBrowser : public forms::UserControl {
 public:
  // `host` is the form or surface that holds the instance; `runtime` serves the drop
  // handling's file test and message boxes. Both outlive the instance.
  FileBrowser(forms::Container& host, Runtime& runtime);
  ~FileBrowser() override;

  // Creates the surface and its constituents from the designer data, hidden until the
  // host shows it; then the host calls InitProperties or ReadProperties and places it.
  bool Create(forms::ControlSite& site);

  // 1. "Returns/sets the background color used to display text and graphics in an object."
  // The surface's colour. The stored "BackColor" is the field's background instead.
  std::uint32_t BackColor() const;
  void SetBackColor(std::uint32_t New_BackColor);
  // 2. "Returns/sets the foreground color used to display text and graphics in an object."
  // The field's text colour.
  std::uint32_t ForeColor() const;
  void SetForeColor(std::uint32_t New_ForeColor);
  // 3. "Returns/sets a value that determines whether an object can respond to
  // user-generated events."
  // The browse picture's state only: the field stays enabled.
  bool Enabled() const;
  void SetEnabled(bool New_Enabled);
  // 4. "Returns a Font object."
  // The field's font object itself, not a copy; set takes the given object by reference.
  std::shared_ptr<forms::Font> Font() const;
  Status SetFont(std::shared_ptr<forms::Font> New_Font);
  // 5. Repaints the field at once.
  void Refresh();
  // 6. "Determines whether a control can be edited."
  bool Locked() const;
  void SetLocked(bool New_Locked);
  // 7. "Returns/sets the number of characters selected."
  std::int32_t SelLength() const;
  Status SetSelLength(std::int32_t New_SelLength);
  // 8. "Returns/sets the starting point of text selected."
  std::int32_t SelStart() const;
  Status SetSelStart(std::int32_t New_SelStart);
  // 9. "Returns/sets the string containing the currently selected text."
  std::u16string SelText() const;
  void SetSelText(const std::u16string& New_SelText);
  // 10. "Returns/sets the text contained in the control."
  // The path in the field.
  std::u16string Text() const;
  void SetText(const std::u16string& New_Text);
  // 11. Which dialog the browse picture opens: 0 open, 1 save, 2 folder; any other value
  // is kept and opens none.
  std::int32_t FileDialogType() const;
  void SetFileDialogType(std::int32_t New_FileDialogType);
  // 12. The file types offered and accepted: "|"-separated description and pattern
  // fields. The file dialogs get a NUL-separated copy; the property keeps what was set.
  std::u16string Filter() const;
  void SetFilter(const std::u16string& New_Filter);
  // 13. The file dialogs' starting folder; every browse click replaces it first.
  std::u16string InitDir() const;
  void SetInitDir(const std::u16string& New_InitDir);
  // 14. The file dialogs' caption and the folder dialog's instruction.
  std::u16string Title() const;
  void SetTitle(const std::u16string& New_Title);
  // 15. The path up to and including its last backslash; empty when it holds none.
  std::u16string GetPath(const std::u16string& strFullPath);

  // Where the file dialogs start when the path field is empty (the host's guess, such as
  // an installed game's folder); not a stored property.
  void SetStartFolderWhenEmpty(std::u16string folder) { startFolderWhenEmpty_ = std::move(folder); }

  // Raised for every change of the path field, whatever its cause.
  std::function<void()> Change;

  // The field's registered drop target, for a test that drops without a drag.
  IDropTarget* FieldDropTargetForTesting() const { return txtFolder.DropTargetForTesting(); }

 private:
  std::u16string ShowSaveDialog(const std::u16string& filter, const std::u16string& title,
                                const std::u16string& initDir);
  std::u16string ShowOpenDialog(const std::u16string& filter, const std::u16string& title,
                                const std::u16string& initDir);
  std::u16string ShowFolderDialog(HWND owner, std::u16string& title);
  void cmdBrowse_Click();
  void txtFolder_OLEDragDrop(IDataObject* data, DWORD& effect);
  void txtFolder_DropFiles(HDROP files);
  void TakeDroppedName(const Result<std::u16string>& dropped);
  Result<filebrowser::Dropped> WhatStandsAt(const std::u16string& path);
  void UserControl_KeyDown(int keyCode, int shift) override;
  void UserControl_Paint() override;
  void UserControl_Resize() override;
  void UserControl_Show() override;
  void txtFolder_Change();
  void UserControl_ReadProperties(const forms::PropertyBag& PropBag) override;
  void UserControl_WriteProperties(forms::PropertyBag& PropBag) override;
  void UserControl_InitProperties() override;

  Status LoadFont(const forms::PropertyBag& PropBag);
  Status SaveFont(forms::PropertyBag& PropBag);

  Runtime& runtime_;
  forms::TextBox txtFolder;
  forms::Image cmdBrowse;
  forms::Shape Shape;

  std::int32_t m_FileDialogType = 0;
  std::u16string m_Filter;
  std::u16string m_InitDir;
  std::u16string m_Title;
  std::u16string startFolderWhenEmpty_;
};

}  // namespace torvane
