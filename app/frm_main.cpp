#include "app/frm_main.h"

#include "app/patch_job.h"
#include "forms/twips.h"
#include "resources/texts.h"

namespace torvane {
namespace {

// The designer's layout, in twips of the client area.
constexpr float kClientWidth = 6105;
constexpr float kClientHeight = 1380;
constexpr forms::TwipsRect kLabelRect{330, 300, 1080, 180};
constexpr float kBrowserLeft = 1440;
constexpr float kBrowserTop = 240;
constexpr forms::TwipsRect kButtonRect{300, 690, 5535, 375};

// The picker's stored extent in HIMETRIC: 4365 × 300 twips.
constexpr std::int32_t kBrowserExtentX = 7699;
constexpr std::int32_t kBrowserExtentY = 529;

// Child ids from 100 on: 1 and 2 are what the dialog manager sends for Enter and Esc.
constexpr int kCommand1Id = 100;

// The window's font, which its twips layout is drawn for; the picker's stored font too.
forms::FontDesc WindowFont() { return {texts::kSimSunFace, 9, FW_NORMAL, GB2312_CHARSET}; }

// The host's own size entry of a stored instance, in twips.
float ExtentTwips(const forms::PropertyBag& settings, std::u16string_view key,
                  std::int32_t fallback) {
  return forms::HimetricToTwips(
      forms::ToInt32(settings.ReadProperty(key, fallback)).value_or(fallback));
}

}  // namespace

FrmMain::FrmMain()
    : Form(WindowFont()),
      War3BrowserExtender_(*this),
      War3Browser(*this, runtime_),
      Label(*this),
      Command1(*this) {}

FrmMain::~FrmMain() = default;

forms::PropertyBag FrmMain::War3BrowserSettings() {
  forms::PropertyBag bag;
  bag.Set(u"_extentx", kBrowserExtentX);
  bag.Set(u"_extenty", kBrowserExtentY);
  bag.Set(u"font", forms::Font::Create(WindowFont()));
  bag.Set(u"filter", std::u16string(texts::kWar3Filter));
  return bag;
}

bool FrmMain::Create() {
  if (!Form::Create(texts::kMainCaption, kClientWidth, kClientHeight)) return false;
  runtime_.SetOwner(hwnd());

  const forms::PropertyBag settings = War3BrowserSettings();
  if (!War3Browser.Create(War3BrowserExtender_)) return false;
  War3Browser.ReadProperties(settings);
  SkipOnFailure(War3Browser.Move(kBrowserLeft, kBrowserTop,
                                 ExtentTwips(settings, u"_extentx", kBrowserExtentX),
                                 ExtentTwips(settings, u"_extenty", kBrowserExtentY)));

  if (!Label.Create(kLabelRect, texts::kLabelCaption)) return false;
  if (!Command1.Create(kButtonRect, texts::kButtonCaption, kCommand1Id)) return false;
  Command1.onClick = [this] { Command1_Click(); };
  return true;
}

Result<std::u16string> FrmMain::MyPath() { return torvane::MyPath(runtime_); }

void FrmMain::Command1_Click() { RunPatchJob(War3Browser.Text(), runtime_); }

}  // namespace torvane
