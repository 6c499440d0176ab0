// The path picker in a real window: its members and properties, loading and saving its
// settings, notifications, layout, painting read back from the screen, its tooltip and
// the browse picture's cursor and focus behaviour.
// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/rules.h"
#include "forms/dpi.h"
#include "forms/form.h"
#include "runtime/win_runtime.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

// The site of the picker under test: the form's ambient font and ToolTipText, as a form's
// extender gives them, and every change the picker notifies, in order.
class RecordingSite final : public forms::ControlSite {
 public:
  explicit RecordingSite(forms::Form& host) : host_(host) {}
  std::shared_ptr<forms::Font> AmbientFont() override { return host_.AmbientFont(); }
  std::optional<std::u16string> ExtenderToolTipText() override { return toolTipText; }
  void PropertyChanged(std::u16string_view name) override { changed.emplace_back(name); }

  std::u16string toolTipText;
  std::vector<std::u16string> changed;

 private:
  forms::Form& host_;
};

using forms::PixelRect;
using forms::PropertyBag;
using testing::RectIn;

constexpr COLORREF kFrameRgb = RGB(127, 157, 185);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

std::shared_ptr<forms::Font> Tahoma(float size) {
  return forms::Font::Create({u"Tahoma", size, 700, 0, true, false, false});
}

class Picker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(u"host", 6105, 1380));
    ASSERT_TRUE(picker_.Create(site_));
    field_ = testing::FindDescendant(picker_.hwnd(), L"Edit");
    browse_ = testing::FindDescendant(picker_.hwnd(), L"Torvane.Image");
    ASSERT_TRUE(field_ && browse_);
  }

  // Placed as the main window places its instance, and shown.
  void PlaceAndShow(float width = 4365, float height = 300) {
    SkipOnFailure(picker_.Move(1440, 240, width, height));
    host_.Show();
    testing::Pump(host_.hwnd());
  }

  // The field's colours as the field asks its parent for them.
  std::pair<COLORREF, COLORREF> FieldColors() {
    win::UniqueDc dc(::CreateCompatibleDC(nullptr));
    ::SendMessageW(picker_.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                   reinterpret_cast<LPARAM>(field_));
    return {::GetBkColor(dc.get()), ::GetTextColor(dc.get())};
  }

  LOGFONTW FieldFont() {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(field_, WM_GETFONT, 0, 0)), sizeof(lf),
                 &lf);
    return lf;
  }

  void Type(char16_t c) { ::SendMessageW(field_, WM_CHAR, c, 1); }

  forms::Form host_;
  RecordingSite site_{host_};
  WinRuntime runtime_;
  FileBrowser picker_{host_, runtime_};
  HWND field_ = nullptr, browse_ = nullptr;
};

// --- Members, loading and saving --------------------------------------------------------

TEST_F(Picker, NewInstanceMembersBeforeAndAfterInitProperties) {
  EXPECT_EQ(picker_.FileDialogType(), 0);
  EXPECT_EQ(picker_.Filter(), u"");
  EXPECT_EQ(picker_.InitDir(), u"");
  EXPECT_EQ(picker_.Title(), u"");
  picker_.InitProperties();
  EXPECT_EQ(picker_.FileDialogType(), 0);
  EXPECT_EQ(picker_.Filter(), u"所有类型 (*.*) | *.*");
  EXPECT_EQ(picker_.InitDir(), u"");
  EXPECT_EQ(picker_.Title(), u"打开文件");
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, EmptyBagLoadsEveryDefault) {
  host_.FontObject()->SetSize(11);  // an ambient font unlike the designer's
  picker_.ReadProperties(PropertyBag());
  EXPECT_EQ(picker_.FileDialogType(), 0);
  EXPECT_EQ(picker_.Filter(), u"所有类型 (*.*) | *.*");
  EXPECT_EQ(picker_.InitDir(), u"");
  EXPECT_EQ(picker_.Title(), u"打开文件");
  EXPECT_EQ(FieldColors(),
            std::make_pair(::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(picker_.ForeColor(), 0x80000008u);
  EXPECT_EQ(picker_.Font()->desc(), host_.FontObject()->desc());
  EXPECT_NE(picker_.Font(), host_.FontObject());  // the host's own object stays its own
  EXPECT_FALSE(picker_.Locked());
  EXPECT_EQ(picker_.Text(), u"");
  EXPECT_TRUE(picker_.Enabled());
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, SavingWhatAnEmptyBagLoadedStoresNothing) {
  // Every one of the thirteen keys is saved with the default it is loaded with: an
  // instance that took every default leaves each key out again.
  host_.FontObject()->SetSize(11);
  picker_.ReadProperties(PropertyBag());
  PropertyBag saved;
  picker_.WriteProperties(saved);
  EXPECT_EQ(saved.Names(), std::vector<std::u16string>{});

  // The members' load defaults are also what a new instance starts with.
  FileBrowser fresh(host_, runtime_);
  ASSERT_TRUE(fresh.Create(site_));
  fresh.InitProperties();
  PropertyBag freshSaved;
  fresh.WriteProperties(freshSaved);
  for (const char16_t* key : {u"FileDialogType", u"Filter", u"InitDir", u"Title"}) {
    EXPECT_FALSE(freshSaved.Contains(key));
  }
}

TEST_F(Picker, LoadingRaisesChangeButNotifiesNothing) {
  int changes = 0;
  picker_.Change = [&] { ++changes; };
  PropertyBag bag;
  bag.Set(u"Text", std::u16string(u"C:\\war3.exe"));
  picker_.ReadProperties(bag);
  EXPECT_EQ(picker_.Text(), u"C:\\war3.exe");
  EXPECT_GE(changes, 1);
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, PropertiesSetBeforeCreateNeedNoSite) {
  FileBrowser early(host_, runtime_);
  early.SetBackColor(kMagenta);
  early.SetForeColor(0);
  early.SetEnabled(false);
  early.SetLocked(true);
  early.SetText(u"abc");
  early.SetFileDialogType(2);
  early.SetFilter(u"f");
  early.SetTitle(u"t");
  EXPECT_TRUE(early.SetFont(Tahoma(9)).ok());
  PropertyBag bag;
  bag.Set(u"Title", std::u16string(u"标题"));
  early.ReadProperties(bag);  // the font step fails without a host to ask; the rest loads
  EXPECT_EQ(early.Title(), u"标题");
  EXPECT_EQ(early.FileDialogType(), 0);
  PropertyBag saved;
  early.WriteProperties(saved);
  EXPECT_FALSE(saved.Contains(u"Font"));
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, KeysStoredInLowerCaseLoadAsTheirProperties) {
  PropertyBag bag;
  bag.Set(u"font", Tahoma(12));
  bag.Set(u"filter", std::u16string(u"war3.exe | war3.exe"));
  picker_.ReadProperties(bag);
  EXPECT_EQ(picker_.Font()->desc(), Tahoma(12)->desc());
  EXPECT_EQ(picker_.Filter(), u"war3.exe | war3.exe");
  EXPECT_EQ(picker_.Title(), u"打开文件");
}

TEST_F(Picker, SavedSettingsLoadBackIntoAnotherInstance) {
  PropertyBag stored;
  stored.Set(u"BackColor", static_cast<std::int32_t>(RGB(1, 2, 3)));  // the field's background
  picker_.ReadProperties(stored);
  picker_.SetForeColor(RGB(200, 0, 0));
  picker_.SetLocked(true);
  picker_.SetEnabled(false);
  picker_.SetText(u"D:\\魔兽争霸III\\war3.exe");
  SkipOnFailure(picker_.SetFont(Tahoma(11)));
  picker_.SetFileDialogType(2);
  picker_.SetFilter(u"程序 (*.exe) | *.exe |");
  picker_.SetInitDir(u"D:\\");
  picker_.SetTitle(u"选择魔兽主程序");
  PropertyBag saved;
  picker_.WriteProperties(saved);

  FileBrowser other(host_, runtime_);
  ASSERT_TRUE(other.Create(site_));
  other.ReadProperties(saved);
  EXPECT_EQ(other.ForeColor(), RGB(200, 0, 0));
  EXPECT_TRUE(other.Locked());
  EXPECT_FALSE(other.Enabled());
  EXPECT_EQ(other.Text(), u"D:\\魔兽争霸III\\war3.exe");
  EXPECT_EQ(other.Font()->desc(), Tahoma(11)->desc());
  EXPECT_EQ(other.FileDialogType(), 2);
  EXPECT_EQ(other.Filter(), u"程序 (*.exe) | *.exe |");
  EXPECT_EQ(other.InitDir(), u"D:\\");
  EXPECT_EQ(other.Title(), u"选择魔兽主程序");
  PropertyBag again;
  other.WriteProperties(again);
  EXPECT_EQ(again.Names(), saved.Names());
  EXPECT_EQ(forms::ToInt32(again.ReadProperty(u"BackColor", 0)).value(), RGB(1, 2, 3));
}

TEST_F(Picker, UnconvertibleValueSkipsOnlyItsOwnStep) {
  PropertyBag bag;
  bag.Set(u"Enabled", std::u16string(u"maybe"));
  bag.Set(u"Font", std::u16string(u"宋体"));
  bag.Set(u"Locked", true);
  bag.Set(u"Text", std::u16string(u"C:\\war3.exe"));
  bag.Set(u"Title", std::u16string(u"标题"));
  const forms::FontDesc designFont = picker_.Font()->desc();
  picker_.ReadProperties(bag);
  EXPECT_TRUE(picker_.Enabled());  // the layout state
  EXPECT_EQ(picker_.Font()->desc(), designFont);
  EXPECT_TRUE(picker_.Locked());
  EXPECT_EQ(picker_.Text(), u"C:\\war3.exe");
  EXPECT_EQ(picker_.Title(), u"标题");
}

TEST_F(Picker, FileDialogTypeKeepsAnyValue) {
  picker_.SetFileDialogType(5);
  EXPECT_EQ(picker_.FileDialogType(), 5);
  PropertyBag saved;
  picker_.WriteProperties(saved);
  EXPECT_EQ(forms::ToInt32(saved.ReadProperty(u"FileDialogType", 0)).value(), 5);
  EXPECT_EQ(site_.changed, std::vector<std::u16string>{u"FileDialogType"});
}

// --- Notifications ----------------------------------------------------------------------

TEST_F(Picker, TextLetRaisesChangeBeforeItNotifiesAndTypingOnlyRaisesChange) {
  int changes = 0;
  picker_.Change = [&] {
    ++changes;
    EXPECT_EQ(picker_.Text(), u"C:\\war3.exe");
    EXPECT_TRUE(site_.changed.empty());
  };
  picker_.SetText(u"C:\\war3.exe");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(site_.changed, std::vector<std::u16string>{u"Text"});

  picker_.Change = [&] { ++changes; };
  ::SendMessageW(field_, EM_SETSEL, 11, 11);
  Type(u'x');
  EXPECT_EQ(picker_.Text(), u"C:\\war3.exex");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(site_.changed.size(), 1u);
}

TEST_F(Picker, EveryLetNotifiesItsOwnNameAfterWriting) {
  picker_.SetBackColor(kMagenta);
  picker_.SetForeColor(0);
  picker_.SetEnabled(true);
  SkipOnFailure(picker_.SetFont(Tahoma(9)));
  picker_.SetLocked(false);
  picker_.SetText(u"abcdef");
  SkipOnFailure(picker_.SetSelStart(2));
  SkipOnFailure(picker_.SetSelLength(3));
  EXPECT_EQ(picker_.SelText(), u"cde");
  picker_.SetSelText(u"XY");
  EXPECT_EQ(picker_.Text(), u"abXYf");
  picker_.SetFilter(u"f");
  picker_.SetInitDir(u"i");
  picker_.SetTitle(u"t");
  EXPECT_EQ(site_.changed,
            (std::vector<std::u16string>{u"BackColor", u"ForeColor", u"Enabled", u"Font", u"Locked",
                                         u"Text", u"SelStart", u"SelLength", u"SelText", u"Filter",
                                         u"InitDir", u"Title"}));
}

TEST_F(Picker, LetRefusedByTheFieldFailsWithoutNotifying) {
  EXPECT_FALSE(picker_.SetSelStart(-1).ok());
  EXPECT_FALSE(picker_.SetSelLength(-5).ok());
  EXPECT_FALSE(picker_.SetFont(nullptr).ok());
  EXPECT_TRUE(site_.changed.empty());
  picker_.SetText(u"abc");
  ASSERT_TRUE(picker_.SetSelStart(100).ok());  // past the end: the end
  EXPECT_EQ(picker_.SelStart(), 3);
}

TEST_F(Picker, DisabledPickerStillTakesTyping) {
  picker_.SetEnabled(false);
  EXPECT_FALSE(picker_.Enabled());
  EXPECT_FALSE(::IsWindowEnabled(browse_));
  EXPECT_TRUE(::IsWindowEnabled(field_));
  Type(u'c');
  EXPECT_EQ(picker_.Text(), u"c");
}

TEST_F(Picker, BackColorColoursTheSurfaceButItsKeyIsTheFields) {
  PlaceAndShow();
  picker_.SetBackColor(kMagenta);
  EXPECT_EQ(picker_.BackColor(), kMagenta);
  EXPECT_EQ(site_.changed, std::vector<std::u16string>{u"BackColor"});
  const testing::Capture shot(picker_.hwnd());
  const PixelRect browse = RectIn(browse_, picker_.hwnd());
  EXPECT_EQ(shot.At(browse.left - 2, 10), kMagenta);  // between the frame and the line

  PropertyBag saved;
  picker_.WriteProperties(saved);
  EXPECT_FALSE(saved.Contains(u"BackColor"));  // the field's background is the default
  FileBrowser other(host_, runtime_);
  ASSERT_TRUE(other.Create(site_));
  other.ReadProperties(saved);
  EXPECT_EQ(other.BackColor(), 0x8000000Fu);  // the surface's layout colour
}

TEST_F(Picker, RefreshRepaintsTheFieldAtOnce) {
  PlaceAndShow();
  win::WindowDc dc(field_);
  const RECT spot{1, 1, 6, 6};
  win::UniqueBrush magenta(::CreateSolidBrush(kMagenta));
  ::FillRect(dc.get(), &spot, magenta.get());
  ASSERT_EQ(::GetPixel(dc.get(), 3, 3), kMagenta);
  picker_.Refresh();  // no message loop in between: the field paints within the call
  EXPECT_EQ(::GetPixel(dc.get(), 3, 3), ::GetSysColor(COLOR_WINDOW));
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, FontGetReturnsTheFieldsLiveObject) {
  EXPECT_EQ(picker_.Font(), picker_.Font());
  picker_.Font()->SetSize(20);
  EXPECT_EQ(FieldFont().lfHeight, forms::FontHeightForDpi(20, forms::DpiOf(field_)));
  picker_.Font()->SetName(u"Tahoma");
  EXPECT_EQ(win::U(FieldFont().lfFaceName), u"Tahoma");
  EXPECT_TRUE(site_.changed.empty());
}

// --- Layout and painting ----------------------------------------------------------------

struct Geometry {
  PixelRect field, browse;
  int frameWidth, frameHeight, lineX;
};

// The designer's arithmetic for the main window's instance, at 15 and 12 twips a pixel.
Geometry ExpectedGeometry(int dpi) {
  // The browse picture is 240 twips at either DPI: its 20-pixel image at 120.
  if (dpi == 120) return {{4, 4, 334, 16}, {344, 1, 20, 20}, 342, 24, 343};
  return {{3, 3, 267, 13}, {275, 1, 16, 16}, 273, 19, 274};
}

TEST_F(Picker, HeightStaysAt300WhateverTheHostSets) {
  PlaceAndShow(4365, 600);
  EXPECT_EQ(picker_.Height(), 300);
  EXPECT_EQ(picker_.Width(), 4365);
  RECT client{};
  ::GetClientRect(picker_.hwnd(), &client);
  EXPECT_EQ(client.bottom, forms::TwipsToPixels(300, forms::TwipsPerPixel(forms::DpiOf(field_))));
}

TEST_F(Picker, ConstituentsLineAndFrameSitWhereTheLayoutPutsThem) {
  PlaceAndShow();
  picker_.SetBackColor(kMagenta);  // the line and the frame stand out on any theme
  const Geometry g = ExpectedGeometry(forms::DpiOf(field_));
  EXPECT_EQ(RectIn(field_, picker_.hwnd()), g.field);
  EXPECT_EQ(RectIn(browse_, picker_.hwnd()), g.browse);

  const testing::Capture shot(picker_.hwnd());
  const COLORREF light = ::GetSysColor(COLOR_3DLIGHT);
  for (int y = 0; y < shot.height(); ++y) EXPECT_EQ(shot.At(g.lineX, y), light) << "y " << y;
  EXPECT_EQ(shot.At(g.lineX - 1, 0), kMagenta);
  const int right = g.frameWidth - 1, bottom = g.frameHeight - 1;
  for (int x = 0; x <= right; ++x) {
    EXPECT_EQ(shot.At(x, 0), kFrameRgb) << "x " << x;
    EXPECT_EQ(shot.At(x, bottom), kFrameRgb) << "x " << x;
  }
  for (int y = 0; y <= bottom; ++y) {
    EXPECT_EQ(shot.At(0, y), kFrameRgb) << "y " << y;
    EXPECT_EQ(shot.At(right, y), kFrameRgb) << "y " << y;
  }
  EXPECT_EQ(shot.At(right + 1, 5), kMagenta);  // unfilled: the surface shows around the field
  EXPECT_EQ(shot.At(1, 1), kMagenta);
  EXPECT_EQ(shot.At(5, bottom + 1), kMagenta);
}

TEST_F(Picker, TooNarrowForTheFieldKeepsItsPlaceWhileThePictureAndLineMove) {
  PlaceAndShow();
  picker_.SetBackColor(kMagenta);
  const PixelRect fieldBefore = RectIn(field_, picker_.hwnd());
  SkipOnFailure(picker_.Move(1440, 240, 300, 300));
  testing::Pump();
  const float tpp = forms::TwipsPerPixel(forms::DpiOf(field_));
  const int width = forms::TwipsToPixels(300, tpp);
  const PixelRect browse = RectIn(browse_, picker_.hwnd());
  const int picture = filebrowser::BrowsePictureSize(forms::DpiOf(field_));
  EXPECT_EQ(browse.left, width - picture);  // at 15 twips a pixel: Left 60
  EXPECT_EQ(RectIn(field_, picker_.hwnd()), fieldBefore);

  const testing::Capture shot(picker_.hwnd());
  EXPECT_EQ(shot.At(browse.left - 1, 0), ::GetSysColor(COLOR_3DLIGHT));
  // The frame is 300 − picture − 30 twips wide: 30 twips at 96 dpi.
  const int frameWidth = forms::TwipsToPixels(300 - picture * tpp - 30, tpp);
  EXPECT_EQ(shot.At(frameWidth - 1, 0), kFrameRgb);
  EXPECT_EQ(shot.At(frameWidth, 3), kMagenta);
}

// --- Show, cursor, focus, drops ---------------------------------------------------------

// The texts of the tooltips the window owns.
std::vector<std::u16string> ToolTexts(HWND owner) {
  std::vector<std::u16string> texts;
  for (HWND w = ::FindWindowExW(HWND_DESKTOP, nullptr, TOOLTIPS_CLASSW, nullptr); w;
       w = ::FindWindowExW(HWND_DESKTOP, w, TOOLTIPS_CLASSW, nullptr)) {
    if (::GetWindow(w, GW_OWNER) != owner) continue;
    const int count = static_cast<int>(::SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      TTTOOLINFOW info{};
      info.cbSize = sizeof(info);
      info.lpszText = text;
      ::SendMessageW(w, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info));
      texts.push_back(win::U(text));
    }
  }
  return texts;
}

TEST_F(Picker, FieldTakesTheTooltipTheHostGaveTheInstance) {
  site_.toolTipText = u"魔兽主程序的完整路径";
  PlaceAndShow();
  EXPECT_EQ(ToolTexts(host_.hwnd()), std::vector<std::u16string>{u"魔兽主程序的完整路径"});

  site_.toolTipText = u"";  // taken at the next showing
  ::ShowWindow(picker_.hwnd(), SW_HIDE);
  ::ShowWindow(picker_.hwnd(), SW_SHOW);
  EXPECT_TRUE(ToolTexts(host_.hwnd()).empty());
}

TEST_F(Picker, HostShownAgainShowsTheInstanceAgain) {
  site_.toolTipText = u"第一次";
  PlaceAndShow();
  ASSERT_EQ(ToolTexts(host_.hwnd()), std::vector<std::u16string>{u"第一次"});

  ::ShowWindow(host_.hwnd(), SW_HIDE);
  site_.toolTipText = u"第二次";
  host_.Show();
  EXPECT_EQ(ToolTexts(host_.hwnd()), std::vector<std::u16string>{u"第二次"});

  ::ShowWindow(host_.hwnd(), SW_HIDE);
  site_.toolTipText = u"第三次";
  ::ShowWindow(host_.hwnd(), SW_SHOW);  // not through Show: the same
  EXPECT_EQ(ToolTexts(host_.hwnd()), std::vector<std::u16string>{u"第三次"});
}

TEST_F(Picker, NoTooltipWithoutOne) {
  PlaceAndShow();
  EXPECT_TRUE(ToolTexts(host_.hwnd()).empty());
}

TEST_F(Picker, HandCursorOverThePicture) {
  PlaceAndShow();
  ::SendMessageW(browse_, WM_SETCURSOR, reinterpret_cast<WPARAM>(browse_),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const HCURSOR shown = ::GetCursor();
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown, ::LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(shown, &info));
  win::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 4u);  // the fingertip
  EXPECT_EQ(info.yHotspot, 0u);
}

TEST_F(Picker, ClickOnThePictureRunsTheBrowseActionAndNeverTakesTheFocus) {
  PlaceAndShow();
  picker_.SetFileDialogType(7);  // a type that opens no dialog
  picker_.SetText(u"C:\\Games\\War3\\war3.exe");
  site_.changed.clear();
  ::SetFocus(host_.hwnd());
  EXPECT_EQ(::SendMessageW(browse_, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_.hwnd()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  ::SendMessageW(browse_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  EXPECT_NE(::GetFocus(), browse_);
  ::SendMessageW(browse_, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  EXPECT_EQ(picker_.InitDir(), u"C:\\Games\\War3\\");
  EXPECT_EQ(::GetFocus(), field_);
  EXPECT_TRUE(site_.changed.empty());
}

TEST_F(Picker, FieldIsAnOleDropTarget) {
  EXPECT_EQ(::RegisterDragDrop(field_, nullptr), E_INVALIDARG);  // the argument is checked first
  struct Nothing : IDropTarget {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override {
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
  } nothing;
  EXPECT_EQ(::RegisterDragDrop(field_, &nothing), DRAGDROP_E_ALREADYREGISTERED);
}

}  // namespace
}  // namespace torvane
