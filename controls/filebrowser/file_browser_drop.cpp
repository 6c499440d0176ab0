// Files dropped onto the field, and the keyboard shortcut of the browse action.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/rules.h"
#include "resources/texts.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

namespace torvane {
namespace {

FORMATETC FileListFormat() {
  return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool OffersFileList(IDataObject* data) {
  FORMATETC format = FileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

// The first full path of the list; the rest of the list is never looked at.
Result<std::u16string> FirstName(HDROP list) {
  // An empty list has no first name; nor has one the system cannot read.
  if (::DragQueryFileW(list, 0xFFFFFFFF, nullptr, 0) == 0) {
    return ErrorFromCode(ERROR_INVALID_DATA);
  }
  const UINT length = ::DragQueryFileW(list, 0, nullptr, 0);
  std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
  const UINT copied = ::DragQueryFileW(list, 0, name.data(), length + 1);
  return win::U(name.c_str(), copied);
}

Result<std::u16string> FirstDroppedName(IDataObject* data) {
  FORMATETC format = FileListFormat();
  win::StgMedium medium;
  const HRESULT got = data->GetData(&format, medium.put());
  if (FAILED(got)) return ErrorFromHresult(got);
  if (medium.get().tymed != TYMED_HGLOBAL) return ErrorFromHresult(DV_E_TYMED);
  return FirstName(static_cast<HDROP>(medium.get().hGlobal));
}

}  // namespace

// The effect is decided first: a step that fails later leaves it as it is.
void FileBrowser::txtFolder_OLEDragDrop(IDataObject* data, DWORD& effect) {
  effect = filebrowser::DropEffectFor(effect);
  if (!OffersFileList(data)) {
    effect = DROPEFFECT_NONE;
    return;
  }
  TakeDroppedName(FirstDroppedName(data));
}

// The shell's drop message carries a file list only and hears of no effect; the field
// takes it exactly as it takes an OLE drop.
void FileBrowser::txtFolder_DropFiles(HDROP files) { TakeDroppedName(FirstName(files)); }

// An ordinary file is one that lists with the ordinary mask; a path ending in "\", such
// as a dropped drive root, lists that folder and counts when it holds one. A file that
// does not list so is still a file when it is hidden or system.
Result<filebrowser::Dropped> FileBrowser::WhatStandsAt(const std::u16string& path) {
  const Result<std::vector<DirEntry>> listed = runtime_.List(path, kDirOrdinary);
  if (!listed.ok()) return listed.error();
  if (!listed.value().empty()) return filebrowser::Dropped::kOrdinaryFile;
  return IsFile(runtime_.GetAttr(path)) ? filebrowser::Dropped::kHiddenFile
                                        : filebrowser::Dropped::kNoFile;
}

// Any step that fails shows the error box and ends the drop: what it had not yet done
// stays undone.
void FileBrowser::TakeDroppedName(const Result<std::u16string>& dropped) {
  auto showError = [this](const Error& error) {
    runtime_.MsgBox(texts::kMsgErrorPrefix + error.description, kMbOk, texts::kTitleError);
  };
  if (!dropped.ok()) return showError(dropped.error());
  const Result<filebrowser::Dropped> what = WhatStandsAt(dropped.value());
  if (!what.ok()) return showError(what.error());

  const filebrowser::DropOutcome outcome = filebrowser::DecideDrop(
      dropped.value(), what.value(), FileDialogType(), m_Filter,
      [this](const forms::BoxRequest& box) { return forms::Show(runtime_, box); });
  // Written directly: Change is raised, no property change is reported.
  if (outcome.newText) txtFolder.SetText(*outcome.newText);
}

// Reached from the field too: the surface previews its constituents' keys. The key is
// never swallowed; the field handles it as usual afterwards.
void FileBrowser::UserControl_KeyDown(int keyCode, int shift) {
  if (filebrowser::IsBrowseShortcut(keyCode, shift)) cmdBrowse_Click();
}

}  // namespace torvane
