// Drops onto the path field through its real OLE drop target, with data objects as a
// drag source offers them, on real files; the message boxes are shown, answered and read
// back. Then the Alt+Down shortcut, sent to the focused field.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/texts.h"
#include "runtime/win_handles.h"
#include "tests/win/picker_host.h"
#include "tests/win/ui_support.h"

namespace torvane::forms {

// Found by argument-dependent lookup from the assertions below.
bool operator==(const BoxRequest& a, const BoxRequest& b) {
  return a.prompt == b.prompt && a.flags == b.flags && a.title == b.title;
}
void PrintTo(const BoxRequest& box, std::ostream* os) {
  *os << "box(" << ::testing::PrintToString(box.prompt) << ", " << box.flags << ", "
      << ::testing::PrintToString(box.title) << ")";
}

}  // namespace torvane::forms

namespace torvane {
namespace {

using forms::BoxRequest;
using testing::DialogDriver;
using testing::PickerHost;

constexpr std::uint32_t kNotAFolderFlags = MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2;
static_assert(kNotAFolderFlags == 276);

std::u16string WrongTypePrompt(const std::u16string& filter) {
  return texts::kMsgWrongTypeHead + filter + texts::kMsgWrongTypeTail;
}

// What a drag source hands over: one format in an HGLOBAL it keeps. The receiver releases
// the medium through the object, so a reference it forgets to give back stays counted.
class SourceData final : public IDataObject {
 public:
  static win::ComPtr<IDataObject> FileList(const std::vector<std::u16string>& names) {
    std::u16string list;
    for (const auto& name : names) list.append(name).push_back(u'\0');
    list.push_back(u'\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(char16_t));
    return win::ComPtr<IDataObject>(new SourceData(CF_HDROP, bytes, S_OK));
  }
  static win::ComPtr<IDataObject> Text(const std::u16string& text) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()),
                      (text.size() + 1) * sizeof(char16_t));
    return win::ComPtr<IDataObject>(new SourceData(CF_UNICODETEXT, bytes, S_OK));
  }
  // Offers a file list, then cannot deliver it.
  static win::ComPtr<IDataObject> Unreadable() {
    return win::ComPtr<IDataObject>(new SourceData(CF_HDROP, "", E_OUTOFMEMORY));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (const HRESULT offered = QueryGetData(format); offered != S_OK) return offered;
    if (FAILED(getResult_)) return getResult_;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global_.get();
    medium->pUnkForRelease = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    const bool offered = format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) &&
                         format->dwAspect == DVASPECT_CONTENT;
    return offered ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  SourceData(CLIPFORMAT format, const std::string& bytes, HRESULT getResult)
      : format_(format), getResult_(getResult) {
    global_.reset(::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1));
    if (void* p = ::GlobalLock(global_.get())) {
      std::memcpy(p, bytes.data(), bytes.size());
      ::GlobalUnlock(global_.get());
    }
  }
  ~SourceData() = default;

  ULONG refs_ = 1;
  CLIPFORMAT format_;
  HRESULT getResult_;
  win::UniqueGlobal global_;
};

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class FieldDrops : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.field());
    ASSERT_NE(target(), nullptr) << "the field is no drop target";
  }

  FileBrowser& picker() { return host_.picker(); }
  IDropTarget* target() { return picker().FieldDropTargetForTesting(); }
  const std::vector<BoxRequest>& requests() { return host_.runtime().requests; }

  std::u16string MakeFile(const std::u16string& folder, const std::u16string& name) {
    testing::MakeFolder(temp_.path() + folder);
    const std::u16string path = temp_.path() + folder + u"\\" + name;
    testing::WriteFile(path, "x");
    return path;
  }
  std::u16string MakeFolder(const std::u16string& folder) {
    testing::MakeFolder(temp_.path() + folder);
    return temp_.path() + folder;
  }

  // Drags `data` onto the middle of the field and drops it there, as OLE does with a
  // source that allows `allowed`; returns the effect the drop reported. The effect shown
  // while hovering is kept in hoverEffect_.
  DWORD DropOnField(IDataObject* data, DWORD allowed) {
    RECT r{};
    ::GetWindowRect(host_.field(), &r);
    const POINTL at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    hoverEffect_ = allowed;
    EXPECT_EQ(target()->DragEnter(data, MK_LBUTTON, at, &hoverEffect_), S_OK);
    DWORD effect = allowed;
    EXPECT_EQ(target()->Drop(data, 0, at, &effect), S_OK);
    EXPECT_EQ(References(data), 1u) << "the drop kept a reference to the data";
    return effect;
  }
  DWORD DropFiles(const std::vector<std::u16string>& names,
                  DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK) {
    return DropOnField(SourceData::FileList(names).get(), allowed);
  }

  // The message boxes shown so far, as they appeared on the screen.
  const std::vector<testing::SeenDialog>& shown() const { return boxes_.seen(); }

  testing::TempFolder temp_{u"torvane-drop"};
  PickerHost host_;
  DWORD hoverEffect_ = 0;
  int answer_ = IDOK;  // the button every box is answered with
  DialogDriver boxes_{{}, [this](HWND box) { return testing::Press(answer_)(box); }};
};

TEST_F(FieldDrops, FilePickerTakesExistingFilesWhoseEndingTheFilterHoldsInAnyCase) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string accepted[] = {
      MakeFile(u"a", u"war3.exe"),
      MakeFile(u"b", u"Frozen Throne.exe"),
      MakeFile(u"c", u"war3"),  // its last four characters are in the filter
      MakeFile(u"u", u"WAR3.EXE"),
  };
  int changes = 0;
  for (const auto& path : accepted) {
    EXPECT_EQ(DropFiles({path}), DROPEFFECT_COPY);
    EXPECT_EQ(hoverEffect_, DROPEFFECT_COPY);
    EXPECT_EQ(picker().Text(), path);
    EXPECT_EQ(host_.changes(), ++changes);
  }
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(picker().InitDir(), u"");  // a drop leaves the starting folder alone
}

TEST_F(FieldDrops, FilePickerRefusesOtherFilesAndFoldersWithTheWrongTypeBox) {
  picker().SetFilter(texts::kWar3Filter);
  host_.StartWith(u"kept");
  const std::u16string hidden = MakeFile(u"h", u"war3.exe");
  ::SetFileAttributesW(win::W(hidden), FILE_ATTRIBUTE_HIDDEN);
  const std::u16string refused[] = {
      MakeFile(u"u", u"README.TXT"),
      MakeFolder(u"War3"),
      hidden,
  };
  const BoxRequest wrongType{WrongTypePrompt(texts::kWar3Filter), MB_ICONINFORMATION,
                             texts::kTitleInfo};
  for (const auto& path : refused) {
    EXPECT_EQ(DropFiles({path}), DROPEFFECT_COPY);
  }
  EXPECT_EQ(requests(), std::vector<BoxRequest>(3, wrongType));
  ASSERT_EQ(shown().size(), 3u);
  EXPECT_EQ(shown()[0].title, u"提示");
  EXPECT_EQ(
      shown()[0].text,
      u"不能选择不适合的类型文件，或者文件夹 ！\r\n只能选择〖war3.exe | war3.exe〗这些类型的文件");
  EXPECT_EQ(picker().Text(), u"kept");
  EXPECT_EQ(host_.changes(), 0);
}

TEST_F(FieldDrops, WrongTypeBoxAfterAFileDialogStillQuotesTheWholeFilter) {
  picker().SetFilter(texts::kWar3Filter);
  {
    DialogDriver cancel({testing::Press(IDCANCEL)});
    host_.ClickBrowse();
  }
  DropFiles({MakeFile(u"u", u"readme.txt")});
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(requests()[0].prompt, WrongTypePrompt(texts::kWar3Filter));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(
      shown()[0].text,
      u"不能选择不适合的类型文件，或者文件夹 ！\r\n只能选择〖war3.exe | war3.exe〗这些类型的文件");
}

TEST_F(FieldDrops, OnlyTheFirstDroppedNameCounts) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string war3 = MakeFile(u"a", u"war3.exe");
  const std::u16string folder = MakeFolder(u"b");

  DropFiles({war3, folder, u"C:\\nowhere\\x.txt"});
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_TRUE(requests().empty());

  DropFiles({folder, war3});
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_EQ(requests().size(), 1u);
}

TEST_F(FieldDrops, FolderPickerTakesFoldersAndAsksAboutFiles) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  const std::u16string folder = MakeFolder(u"War3");
  const std::u16string war3 = MakeFile(u"War3", u"war3.exe");
  const BoxRequest notAFolder{texts::kMsgNotAFolder, kNotAFolderFlags, texts::kTitleStandby};

  DropFiles({folder});
  EXPECT_EQ(picker().Text(), folder);
  EXPECT_TRUE(requests().empty());

  answer_ = IDYES;
  host_.StartWith(u"before");
  EXPECT_EQ(DropFiles({war3}), DROPEFFECT_COPY);
  EXPECT_EQ(picker().Text(), folder);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].title, u"提示! 待命状态...");
  EXPECT_EQ(shown()[0].text, u"注意:你选择的不是文件夹！\r\n你想选择这个文件所在的文件目录(Y/N)？");
  EXPECT_EQ(shown()[0].defaultButton, IDNO);

  answer_ = IDNO;
  host_.StartWith(u"before");
  EXPECT_EQ(DropFiles({war3}), DROPEFFECT_COPY);
  EXPECT_EQ(picker().Text(), u"");
  EXPECT_EQ(host_.changes(), 1);
  EXPECT_EQ(requests(), std::vector<BoxRequest>(2, notAFolder));
}

// A hidden or system file is a file too: the question about its folder comes up.
TEST_F(FieldDrops, FolderPickerCountsHiddenAndSystemFilesAsFiles) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  const std::u16string hidden = MakeFile(u"h", u"war3.exe");
  const std::u16string system = MakeFile(u"s", u"io.sys");
  ::SetFileAttributesW(win::W(hidden), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW(win::W(system), FILE_ATTRIBUTE_SYSTEM);
  answer_ = IDYES;
  DropFiles({hidden});
  EXPECT_EQ(picker().Text(), temp_.path() + u"h");
  answer_ = IDNO;
  DropFiles({system});
  EXPECT_EQ(picker().Text(), u"");
  EXPECT_EQ(requests().size(), 2u);

  // A name ending in "\" (as a dropped drive root does) lists that folder: one holding an
  // ordinary file counts as a file, and Yes gives the name without that backslash.
  MakeFile(u"root", u"boot.ini");
  answer_ = IDYES;
  DropFiles({temp_.path() + u"root\\"});
  EXPECT_EQ(requests().size(), 3u);
  EXPECT_EQ(picker().Text(), temp_.path() + u"root");
}

TEST_F(FieldDrops, SourceAllowingOnlyMoveGetsNoEffectThoughTheFieldIsSet) {
  const std::u16string file = MakeFile(u"a", u"notes.txt");
  EXPECT_EQ(DropFiles({file}, DROPEFFECT_MOVE), DROPEFFECT_NONE);
  EXPECT_EQ(hoverEffect_, DROPEFFECT_MOVE);  // else OLE would never call Drop
  EXPECT_EQ(picker().Text(), file);
  EXPECT_EQ(host_.changes(), 1);
}

TEST_F(FieldDrops, PlainTextChangesNothing) {
  host_.StartWith(u"kept");
  EXPECT_EQ(DropOnField(SourceData::Text(u"C:\\Games\\War3\\war3.exe").get(), DROPEFFECT_COPY),
            DROPEFFECT_NONE);
  EXPECT_EQ(hoverEffect_, DROPEFFECT_NONE);
  EXPECT_EQ(picker().Text(), u"kept");
  EXPECT_EQ(host_.changes(), 0);
  EXPECT_TRUE(requests().empty());
}

TEST_F(FieldDrops, AFailingStepShowsTheErrorBoxAndEndsTheDrop) {
  host_.StartWith(u"kept");
  const std::vector<win::ComPtr<IDataObject>> failing = [] {
    std::vector<win::ComPtr<IDataObject>> v;
    v.push_back(SourceData::Unreadable());
    v.push_back(SourceData::FileList({u"C:\\bad\x01name\\war3.exe"}));  // Dir rejects the name
    return v;
  }();
  for (const auto& data : failing) {
    EXPECT_EQ(DropOnField(data.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_COPY);
  }
  ASSERT_EQ(requests().size(), failing.size());
  for (const BoxRequest& box : requests()) {
    EXPECT_EQ(box.prompt.rfind(u"错误:", 0), 0u) << ::testing::PrintToString(box.prompt);
    EXPECT_GT(box.prompt.size(), 3u);  // the platform's description follows
    EXPECT_EQ(box.flags, 0u);
    EXPECT_EQ(box.title, u"错误提示");
  }
  ASSERT_EQ(shown().size(), failing.size());
  EXPECT_EQ(shown()[0].title, u"错误提示");
  EXPECT_EQ(shown()[0].text, requests()[0].prompt);
  EXPECT_EQ(picker().Text(), u"kept");
  EXPECT_EQ(host_.changes(), 0);
}

// The shell's own drop message, as an elevated window gets it from the unelevated file
// manager: a DROPFILES list in global memory, posted to the field, which frees it.
class ShellDrops : public FieldDrops {
 protected:
  void PostDrop(const std::vector<std::u16string>& names) {
    std::u16string list;
    for (const auto& name : names) list.append(name).push_back(u'\0');
    list.push_back(u'\0');
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(char16_t);
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(global, nullptr);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(global));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), list.size() * sizeof(char16_t));
    ::GlobalUnlock(global);
    ASSERT_TRUE(::PostMessageW(host_.field(), WM_DROPFILES, reinterpret_cast<WPARAM>(global), 0));
    testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(300));
    EXPECT_EQ(::GlobalSize(global), 0u) << "the list was not released";
  }
};

TEST_F(ShellDrops, FieldAcceptsTheShellsDropMessage) {
  EXPECT_TRUE(::GetWindowLongPtrW(host_.field(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(ShellDrops, TakenAndRefusedAsOleDropsAre) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string war3 = MakeFile(u"a", u"war3.exe");
  PostDrop({war3, MakeFile(u"a", u"readme.txt")});
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_EQ(host_.changes(), 1);
  EXPECT_TRUE(requests().empty());

  PostDrop({MakeFile(u"b", u"readme.txt")});
  const BoxRequest wrongType{WrongTypePrompt(texts::kWar3Filter), MB_ICONINFORMATION,
                             texts::kTitleInfo};
  EXPECT_EQ(requests(), std::vector<BoxRequest>{wrongType});
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(picker().Text(), war3);
}

TEST_F(ShellDrops, FolderPickerAsksTheSameQuestion) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  host_.StartWith(u"before");
  answer_ = IDNO;
  PostDrop({MakeFile(u"War3", u"war3.exe")});
  const BoxRequest notAFolder{texts::kMsgNotAFolder, kNotAFolderFlags, texts::kTitleStandby};
  EXPECT_EQ(requests(), std::vector<BoxRequest>{notAFolder});
  EXPECT_EQ(picker().Text(), u"");
}

// Keys as they reach the focused field: Alt+Down comes as WM_SYSKEYDOWN with the context
// bit, the others as WM_KEYDOWN with the modifiers held in the keyboard state.
class BrowseShortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.field());
    ASSERT_EQ(::GetFocus(), host_.field());
    ::GetKeyboardState(saved_);
  }
  void TearDown() override { ::SetKeyboardState(saved_); }

  // The dialogs the key opened.
  std::vector<testing::SeenDialog> Press(std::vector<BYTE> held, UINT message) {
    BYTE state[256];
    std::copy(std::begin(saved_), std::end(saved_), state);
    for (BYTE key : held) state[key] = 0x80;
    ::SetKeyboardState(state);
    DialogDriver driver({testing::Press(IDCANCEL)});
    const LPARAM alt = message == WM_SYSKEYDOWN ? (1 << 29) : 0;
    ::PostMessageW(host_.field(), message, VK_DOWN, 1 | alt);
    testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(300));
    ::SetKeyboardState(saved_);
    return driver.seen();
  }

  PickerHost host_;
  BYTE saved_[256] = {};
};

TEST_F(BrowseShortcut, AltDownInTheFieldOpensTheBrowseDialog) {
  host_.picker().SetTitle(u"打开魔兽主程序");
  const auto opened = Press({VK_MENU}, WM_SYSKEYDOWN);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].title, u"打开魔兽主程序");
  host_.StartWith(u"C:\\Games\\War3\\war3.exe");
  EXPECT_EQ(Press({VK_MENU}, WM_SYSKEYDOWN).size(), 1u);
  EXPECT_EQ(host_.picker().InitDir(), u"C:\\Games\\War3\\");
  EXPECT_EQ(::GetFocus(), host_.field());
}

TEST_F(BrowseShortcut, OtherDownKeysOpenNothing) {
  EXPECT_TRUE(Press({}, WM_KEYDOWN).empty()) << "Down";
  EXPECT_TRUE(Press({VK_SHIFT, VK_MENU}, WM_SYSKEYDOWN).empty()) << "Shift+Alt+Down";
  EXPECT_TRUE(Press({VK_CONTROL, VK_MENU}, WM_KEYDOWN).empty()) << "Ctrl+Alt+Down";
  EXPECT_EQ(host_.picker().Filter(), texts::kDefaultFilter);  // no file dialog ran
}

// The field proposes paths as the user types, but never writes into itself: only what
// the user types (or takes from the proposals) changes the text and raises Change.
// (Wine's SHAutoComplete does nothing; on Windows the proposals show under the field.)
TEST(PathCompletion, CreatingShowingAndTypingRaiseChangeOnlyForWhatIsTyped) {
  PickerHost host;
  ASSERT_TRUE(host.field());
  testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(200));
  EXPECT_EQ(host.changes(), 0);
  EXPECT_EQ(host.picker().Text(), u"");

  ::SetFocus(host.field());
  testing::TypeText(u"C:\\win");
  testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(500));
  EXPECT_EQ(host.picker().Text(), u"C:\\win");
  EXPECT_EQ(host.changes(), 6);
}

}  // namespace
}  // namespace torvane
