#include "tests/win/picker_host.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>

#include "runtime/win_handles.h"
#include "tests/win/ui_support.h"

namespace torvane::testing {
namespace {

using win::U;
using win::W;

// Room for the picker at its designer size, in twips.
constexpr float kFormWidth = 4500;
constexpr float kFormHeight = 600;
constexpr forms::TwipsRect kPickerRect{240, 150, 4035, 300};

constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

DialogDriver* activeDriver = nullptr;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK KeepActiveDialog(HWND window, LPARAM out) {
  if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
  }
  return TRUE;
}

// The visible, enabled dialogs of this thread (a dialog under a nested box is disabled).
std::vector<HWND> ActiveDialogsOfThisThread() {
  std::vector<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), &KeepActiveDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<std::u16string> ComboItems(HWND combo) {
  std::vector<std::u16string> items;
  const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    items.push_back(U(text.c_str()));
  }
  return items;
}

std::vector<std::u16string> StaticTexts(HWND dialog) {
  std::vector<std::u16string> texts;
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(c).c_str(), L"Static") == 0) texts.push_back(WindowText(c));
  }
  return texts;
}

SeenDialog Describe(HWND dialog) {
  SeenDialog seen;
  seen.title = WindowText(dialog);
  const HWND types = ::GetDlgItem(dialog, cmb1);
  seen.items = types ? ComboItems(types) : StaticTexts(dialog);
  if (const HWND text = ::GetDlgItem(dialog, kMessageTextId)) seen.text = WindowText(text);
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const LONG_PTR style = ::GetWindowLongPtrW(c, GWL_STYLE);
    if (_wcsicmp(ClassOf(c).c_str(), L"Button") == 0 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      seen.defaultButton = ::GetDlgCtrlID(c);
    }
  }
  if (types) {
    wchar_t folder[MAX_PATH] = {};
    ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    seen.folder = U(folder);
  }
  return seen;
}

constexpr int kSelectionTries = 40;  // two seconds of ticks

// The text of the folder tree's selected item; a drive shows more than its name ("C:"), so
// callers look for the name inside it.
std::u16string SelectedTreeItemText(HWND dialog) {
  const HWND tree = FindDescendant(dialog, WC_TREEVIEWW);
  if (!tree) return {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetSelection(tree);
  wchar_t text[MAX_PATH] = {};
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !TreeView_GetItem(tree, &item)) return {};
  return U(text);
}

// The last name of a path: "War3" of "C:\Games\War3"; a drive root is its drive, "C:".
std::u16string LastName(const std::u16string& path) {
  std::u16string trimmed = path;
  if (!trimmed.empty() && trimmed.back() == u'\\') trimmed.pop_back();
  return trimmed.substr(trimmed.rfind(u'\\') + 1);
}

void PostButton(HWND dialog, int button) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

// The window's pixels as the screen shows them, as a bottom-up 24-bit BMP.
void SaveBitmap(HWND window, const std::u16string& path) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r{};
  ::GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  bi.bmiHeader.biSizeImage = stride * static_cast<DWORD>(height);
  void* bits = nullptr;
  win::WindowDc screen(nullptr);
  win::UniqueDc memory(::CreateCompatibleDC(screen.get()));
  win::UniqueBitmap dib(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib) return;
  {
    win::SelectedObject select(memory.get(), dib.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    ::GdiFlush();
  }
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(bi.bmiHeader);
  file.bfSize = file.bfOffBits + bi.bmiHeader.biSizeImage;
  std::string content(reinterpret_cast<const char*>(&file), sizeof(file));
  content.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  content.append(static_cast<const char*>(bits), bi.bmiHeader.biSizeImage);
  WriteFile(path, content);
}

}  // namespace

int RecordingRuntime::MsgBox(const std::u16string& prompt, std::uint32_t flags,
                             const std::u16string& title) {
  requests.push_back({prompt, flags, title});
  return WinRuntime::MsgBox(prompt, flags, title);
}

PickerHost::PickerHost() {
  if (!form_.Create(u"Picker", kFormWidth, kFormHeight)) return;
  runtime_.SetOwner(form_.hwnd());
  // Counted from the start: creating and showing the picker must raise none.
  picker_.Change = [this] { ++changes_; };
  if (!picker_.Create(site_)) return;
  picker_.InitProperties();
  SkipOnFailure(
      picker_.Move(kPickerRect.left, kPickerRect.top, kPickerRect.width, kPickerRect.height));
  form_.Show();
  Pump(form_.hwnd());
  field_ = FindDescendant(picker_.hwnd(), L"Edit");
  browse_ = FindDescendant(picker_.hwnd(), L"Torvane.Image");
}

void PickerHost::ClickBrowse() {
  const LPARAM inside = MAKELPARAM(4, 4);
  ::SendMessageW(browse_, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  ::SendMessageW(browse_, WM_LBUTTONUP, 0, inside);
}

void PickerHost::StartWith(const std::u16string& text) {
  picker_.SetText(text);
  changes_ = 0;
}

DialogDriver::DialogDriver(std::vector<Action> actions, Action otherwise)
    : previous_(activeDriver), actions_(std::move(actions)), otherwise_(std::move(otherwise)) {
  if (!otherwise_) otherwise_ = Press(IDCANCEL);
  activeDriver = this;
  timer_ = ::SetTimer(nullptr, 0, 50, &DialogDriver::OnTimer);
}

DialogDriver::~DialogDriver() {
  ::KillTimer(nullptr, timer_);
  activeDriver = previous_;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  DialogDriver* self = activeDriver;
  if (!self) return;
  // A dialog that was closed, or disabled under a box of its own, is new once it is back.
  std::erase_if(self->handled_, [](HWND w) {
    return !::IsWindow(w) || !::IsWindowVisible(w) || !::IsWindowEnabled(w);
  });
  for (HWND dialog : ActiveDialogsOfThisThread()) {
    if (std::find(self->handled_.begin(), self->handled_.end(), dialog) != self->handled_.end()) {
      continue;
    }
    self->handled_.push_back(dialog);
    self->seen_.push_back(Describe(dialog));
    const std::size_t next = self->seen_.size() - 1;
    Action& action = next < self->actions_.size() ? self->actions_[next] : self->otherwise_;
    if (!action(dialog)) {
      self->handled_.pop_back();
      self->seen_.pop_back();
    }
    return;  // one dialog per tick: a nested box shows up on a later one
  }
}

DialogDriver::Action ChooseFile(const std::u16string& path) {
  return [path](HWND dialog) {
    HWND name = ::GetDlgItem(dialog, cmb13);
    if (!name) name = ::GetDlgItem(dialog, edt1);
    ::SetWindowTextW(name, W(path));
    PostButton(dialog, IDOK);
    return true;
  };
}

// The folder tree fills in while the dialog is already up, and a selection asked for
// too early is lost: the item the tree selects is checked before OK is pressed.
DialogDriver::Action ChooseFolder(const std::u16string& path) {
  return [path, tries = 0](HWND dialog) mutable {
    ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(W(path)));
    const bool selected = SelectedTreeItemText(dialog).find(LastName(path)) != std::u16string::npos;
    if (!selected && ++tries < kSelectionTries) {
      return false;
    }
    PostButton(dialog, IDOK);
    return true;
  };
}

DialogDriver::Action Press(int button) {
  return [button](HWND dialog) {
    PostButton(dialog, button);
    return true;
  };
}

DialogDriver::Action Screenshot(const std::u16string& name, DialogDriver::Action then) {
  return [name, then, taken = false](HWND dialog) mutable {
    wchar_t folder[MAX_PATH] = {};
    if (!taken && ::GetEnvironmentVariableW(L"TORVANE_SHOTS", folder, MAX_PATH) > 0) {
      SaveBitmap(dialog, U(folder) + u"\\" + name + u".bmp");
    }
    taken = true;
    return then(dialog);
  };
}

}  // namespace torvane::testing
