// The forms layer's own wiring: key preview with the modifier mask, exceptions kept
// inside the window procedures, windows the system destroys before their objects go,
// fonts rebuilt when their shared object changes, pictures taken again at a new DPI,
// colour values as the system draws them, and work deferred until the first paint.
#include <gtest/gtest.h>
#include <ole2.h>

#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "forms/command_button.h"
#include "forms/dpi.h"
#include "forms/form.h"
#include "forms/gdi.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/text_box.h"
#include "forms/user_control.h"
#include "resources/resource_ids.h"
#include "tests/win/ui_support.h"

namespace torvane::forms {
namespace {

constexpr LPARAM kAltContext = 1 << 29;

// A user control with one text box that records its events.
class Probe : public UserControl {
 public:
  explicit Probe(Container& host) : UserControl(host), field(*this) {}

  bool Create(ControlSite& site) {
    if (!CreateSurface(site, 3000, 300) || !field.Create({0, 0, 2000, 255})) return false;
    EndDesign();
    return true;
  }
  using UserControl::SetHeight;
  using UserControl::SetKeyPreview;

  TextBox field;
  std::vector<std::pair<int, int>> keys;
  int resizes = 0;
  bool throwOnResize = false;

 private:
  void UserControl_KeyDown(int keyCode, int shift) override { keys.emplace_back(keyCode, shift); }
  void UserControl_Resize() override {
    ++resizes;
    if (throwOnResize) throw std::runtime_error("resize");
    SkipOnFailure(SetHeight(300));
  }
};

class FormsLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(u"host", 6000, 1500));
    ASSERT_TRUE(probe_.Create(site_));
    SkipOnFailure(probe_.Move(0, 0, 3000, 300));
  }

  Form host_;
  Extender site_{host_};
  Probe probe_{host_};
};

TEST_F(FormsLayer, KeyPreviewGivesTheSurfaceTheKeysOfItsConstituents) {
  const HWND field = probe_.field.hwnd();
  ::SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_TRUE(probe_.keys.empty());  // no preview: the field keeps its keys

  probe_.SetKeyPreview(true);
  ::SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
  ::SendMessageW(field, WM_SYSKEYDOWN, VK_DOWN, kAltContext);  // Alt+Down
  ::SendMessageW(probe_.hwnd(), WM_KEYDOWN, 'A', 0);           // the surface's own
  EXPECT_EQ(probe_.keys, (std::vector<std::pair<int, int>>{{VK_DOWN, 0}, {VK_DOWN, 4}, {'A', 0}}));
}

TEST_F(FormsLayer, HeightSetInsideResizeNestsAndSettles) {
  probe_.resizes = 0;
  SkipOnFailure(probe_.Move(0, 0, 3000, 600));
  EXPECT_EQ(probe_.Height(), 300);
  EXPECT_EQ(probe_.resizes, 2);  // the host's, and the nested one of the height set inside it
}

TEST_F(FormsLayer, ExceptionInAnEventStaysInsideTheWindowProcedure) {
  probe_.throwOnResize = true;
  SkipOnFailure(probe_.Move(0, 0, 2500, 300));
  EXPECT_EQ(probe_.Width(), 2500);

  Image picture(probe_);
  ASSERT_TRUE(picture.Create({0, 0, 240, 240}));
  picture.onClick = [] { throw std::runtime_error("click"); };
  ::SendMessageW(picture.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  ::SendMessageW(picture.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_TRUE(::IsWindow(picture.hwnd()));
}

TEST_F(FormsLayer, WindowsTheSystemDestroysFirstAreLetGo) {
  Label label(host_);
  ASSERT_TRUE(label.Create({0, 600, 1000, 200}, u"标签"));
  ::DestroyWindow(host_.hwnd());
  EXPECT_EQ(host_.hwnd(), nullptr);
  EXPECT_EQ(probe_.hwnd(), nullptr);
  EXPECT_EQ(probe_.field.hwnd(), nullptr);
  EXPECT_EQ(label.hwnd(), nullptr);
  // The objects go afterwards without touching the handles again.
}

TEST_F(FormsLayer, ChildrenFollowTheFormsFontObject) {
  Label label(host_);
  CommandButton button(host_);
  ASSERT_TRUE(label.Create({0, 600, 1000, 200}, u"标签"));
  ASSERT_TRUE(button.Create({0, 900, 1000, 375}, u"按钮", 100));
  host_.FontObject()->SetSize(12);
  for (HWND child : {label.hwnd(), button.hwnd()}) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, FontHeightForDpi(12, host_.Dpi()));
  }
}

// The picture is taken for the DPI when it is set and again at every change of DPI, and
// the control takes the new picture's size.
TEST_F(FormsLayer, PictureIsTakenAgainWhenTheDpiChanges) {
  Image picture(probe_);
  ASSERT_TRUE(picture.Create({0, 0, 240, 240}));
  std::vector<int> asked;
  int size = 16;
  picture.SetPictureSource([&](int dpi) {
    asked.push_back(dpi);
    return win::UniqueIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                           MAKEINTRESOURCEW(IDI_FOLDER_OPEN),
                                                           IMAGE_ICON, size, size, 0)));
  });
  EXPECT_EQ(picture.PictureSize().cx, 16);

  size = 32;
  RECT r{};
  ::GetWindowRect(host_.hwnd(), &r);
  const int dpi = host_.Dpi();
  ::SendMessageW(host_.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(asked, (std::vector<int>{dpi, dpi}));
  EXPECT_EQ(picture.PictureSize().cx, 32);
  EXPECT_EQ(picture.Width(), PixelsToTwips(32, host_.TwipsPerPixelX()));
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  win::UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bm{};
  ::GetObjectW(colour.get(), sizeof(bm), &bm);
  return bm.bmWidth;
}

HICON WindowIcon(HWND window, WPARAM which) {
  return reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, which, 0));
}

// Title bar and taskbar show the program's images drawn for the window's DPI, chosen
// again when the window reaches a screen of another DPI.
TEST_F(FormsLayer, WindowIconsAreTheImagesForItsDpi) {
  const int dpi = host_.Dpi();
  const HICON small = WindowIcon(host_.hwnd(), ICON_SMALL);
  EXPECT_EQ(IconWidth(small), SystemMetricForDpi(SM_CXSMICON, dpi));
  EXPECT_EQ(IconWidth(WindowIcon(host_.hwnd(), ICON_BIG)), SystemMetricForDpi(SM_CXICON, dpi));

  RECT r{};
  ::GetWindowRect(host_.hwnd(), &r);
  ::SendMessageW(host_.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  const HICON again = WindowIcon(host_.hwnd(), ICON_SMALL);
  EXPECT_NE(again, small);
  EXPECT_EQ(IconWidth(again), SystemMetricForDpi(SM_CXSMICON, dpi));
}

TEST_F(FormsLayer, ChildrenAnswerTheirColourQuestionInTheirOwnColours) {
  Label label(host_);
  ASSERT_TRUE(label.Create({0, 600, 1000, 200}, u"标签"));
  win::UniqueDc dc(::CreateCompatibleDC(nullptr));
  const auto brush =
      ::SendMessageW(host_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(label.hwnd()));
  EXPECT_NE(brush, 0);
  // System colours (top bit set) resolve to the user's colours of the moment.
  EXPECT_EQ(::GetTextColor(dc.get()), ::GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(::GetBkColor(dc.get()), ::GetSysColor(COLOR_BTNFACE));

  probe_.field.SetForeColor(0x00B99D7F);  // RGB(127, 157, 185)
  probe_.field.SetBackColor(0x8000000D);  // COLOR_HIGHLIGHT
  ::SendMessageW(probe_.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(probe_.field.hwnd()));
  EXPECT_EQ(::GetTextColor(dc.get()), RGB(127, 157, 185));
  EXPECT_EQ(::GetBkColor(dc.get()), ::GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(FormsLayer, HostShownAgainRaisesShowAgain) {
  struct Counting : UserControl {
    using UserControl::UserControl;
    bool Create(ControlSite& site) { return CreateSurface(site, 300, 300); }
    int shows = 0;
    void UserControl_Show() override { ++shows; }
  } counting(host_);
  ASSERT_TRUE(counting.Create(site_));
  host_.Show();
  EXPECT_EQ(counting.shows, 1);
  ::ShowWindow(host_.hwnd(), SW_HIDE);
  EXPECT_EQ(counting.shows, 1);
  host_.Show();
  EXPECT_EQ(counting.shows, 2);
}

// A program may initialise OLE only after its first paint: a drop target asked for
// before then is registered once the host has painted, and only then.
TEST(FormsStartUp, DropTargetWaitsForTheFirstPaint) {
  std::thread([] {  // a thread of its own: OLE is not initialised on it
    Form host;
    TextBox box(host);
    ASSERT_TRUE(host.Create(u"host", 3000, 1000));
    ASSERT_TRUE(box.Create({0, 0, 2000, 300}));
    EXPECT_FALSE(box.SetOleDropMode(OleDropMode::kManual).ok());
    bool ole = false;
    int afterPaint = 0;
    host.afterFirstPaint = [&] {
      ++afterPaint;
      // Painted, the box included.
      EXPECT_FALSE(::GetUpdateRect(host.hwnd(), nullptr, FALSE));
      EXPECT_FALSE(::GetUpdateRect(box.hwnd(), nullptr, FALSE));
      ole = SUCCEEDED(::OleInitialize(nullptr));
    };
    host.Show();
    EXPECT_EQ(box.DropTargetForTesting(), nullptr);  // posted behind the paint
    EXPECT_TRUE(testing::PumpUntil([&] { return box.DropTargetForTesting() != nullptr; }));
    host.Show();
    testing::Pump();
    EXPECT_EQ(afterPaint, 1);  // once only
    SkipOnFailure(box.SetOleDropMode(OleDropMode::kNone));
    ::DestroyWindow(host.hwnd());
    if (ole) ::OleUninitialize();
  })
      .join();
}

}  // namespace
}  // namespace torvane::forms
