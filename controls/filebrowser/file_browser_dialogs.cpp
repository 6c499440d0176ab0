// The browse action and its three dialogs. The wide dialog and shell functions are used
// throughout, so a path with characters outside the ANSI code page comes back intact;
// buffer sizes are counted in UTF-16 units.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <array>

#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/rules.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane {
namespace {

using win::W;

constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                       // 0x1004
constexpr DWORD kSaveFlags = OFN_CREATEPROMPT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x2006
static_assert(kOpenFlags == 0x1004 && kSaveFlags == 0x2006);

// The file buffers hold 254 spaces; with the string's terminator that is the 255 units the
// dialog is told it may write, its own NUL included.
constexpr std::size_t kFileBufferSpaces = 254;
constexpr DWORD kFileBufferUnits = kFileBufferSpaces + 1;

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The buffer without the spaces around it. The dialog writes the path and its NUL over the
// front of the spaces, so what stays is the path followed by one NUL.
std::u16string TrimSpaces(const std::u16string& buffer) {
  const std::size_t first = buffer.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  const std::size_t last = buffer.find_last_not_of(u' ');
  return buffer.substr(first, last - first + 1);
}

// Shows the dialog with a converted copy of `filter`; the filter itself is left as it was.
// The converted text ends in NUL and its terminator closes the dialog's list.
std::u16string ShowFileDialog(FileDialogFunction show, DWORD flags, HWND owner,
                              const std::u16string& filter, const std::u16string& title,
                              const std::u16string& initDir) {
  const std::u16string dialogFilter = filebrowser::FilterDialogForm(filter);
  std::u16string file(kFileBufferSpaces, u' ');
  std::u16string fileTitle(kFileBufferSpaces, u' ');

  OPENFILENAMEW record{};
  record.lStructSize = sizeof(record);
  record.hwndOwner = owner;
  record.hInstance = ::GetModuleHandleW(nullptr);
  record.lpstrFilter = W(dialogFilter);
  record.nFilterIndex = 0;
  record.lpstrFile = reinterpret_cast<wchar_t*>(file.data());
  record.nMaxFile = kFileBufferUnits;
  record.lpstrFileTitle = reinterpret_cast<wchar_t*>(fileTitle.data());
  record.nMaxFileTitle = kFileBufferUnits;
  record.lpstrInitialDir = initDir.empty() ? nullptr : W(initDir);
  record.lpstrTitle = W(title);
  record.Flags = flags;
  if (!show(&record)) return {};  // cancelled, or a failure such as a too small buffer
  return TrimSpaces(file);
}

}  // namespace

std::u16string FileBrowser::GetPath(const std::u16string& strFullPath) {
  return FolderOf(strFullPath);
}

std::u16string FileBrowser::ShowSaveDialog(const std::u16string& filter,
                                           const std::u16string& title,
                                           const std::u16string& initDir) {
  return ShowFileDialog(&::GetSaveFileNameW, kSaveFlags, hwnd(), filter, title, initDir);
}

std::u16string FileBrowser::ShowOpenDialog(const std::u16string& filter,
                                           const std::u16string& title,
                                           const std::u16string& initDir) {
  return ShowFileDialog(&::GetOpenFileNameW, kOpenFlags, hwnd(), filter, title, initDir);
}

// The title is only read: with wide strings there is no code-page round trip to write
// back. The item list is freed as soon as its path has been read.
std::u16string FileBrowser::ShowFolderDialog(HWND owner, std::u16string& title) {
  BROWSEINFOW record{};
  record.hwndOwner = owner;
  record.pidlRoot = nullptr;
  record.lpszTitle = W(title);
  record.ulFlags = BIF_RETURNONLYFSDIRS;
  win::UniqueCoTaskMem chosen(::SHBrowseForFolderW(&record));
  if (!chosen) return {};

  std::array<wchar_t, MAX_PATH> path{};
  // A failure leaves the buffer empty, which reads as no choice.
  ::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path.data());
  chosen.reset();
  const auto end = std::find(path.begin(), path.end(), L'\0');  // the whole buffer without one
  return win::U(path.data(), static_cast<std::size_t>(end - path.begin()));
}

// A dialog that fails or is cancelled chooses nothing: the click has then changed only
// m_InitDir and the focus.
void FileBrowser::cmdBrowse_Click() {
  m_InitDir = GetPath(txtFolder.Text());
  if (txtFolder.Text().empty()) m_InitDir = startFolderWhenEmpty_;
  txtFolder.SetFocus();

  std::u16string choice;
  switch (m_FileDialogType) {
    case filebrowser::kFileDialogOpen:
      choice = ShowOpenDialog(m_Filter, m_Title, m_InitDir);
      break;
    case filebrowser::kFileDialogSave:
      // The ending is looked up in the dialog form of the filter, as the dialog was given it.
      choice = ShowSaveDialog(m_Filter, m_Title, m_InitDir);
      choice = filebrowser::ApplyExpectedEnding(choice, filebrowser::FilterDialogForm(m_Filter));
      break;
    case filebrowser::kFileDialogFolder:
      choice = ShowFolderDialog(txtFolder.hwnd(), m_Title);
      break;
    default:  // stored as it was given; opens nothing
      break;
  }
  if (choice.empty()) return;

  // The field keeps what comes before the file dialog's NUL; setting it raises Change.
  txtFolder.SetText(choice);
  m_InitDir = GetPath(choice);
}

}  // namespace torvane
