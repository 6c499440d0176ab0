// The picker's settings: a new instance's members, and the thirteen stored keys loaded
// and saved in one order with one default each. Loading and saving go on past a step
// that fails (a value that does not convert, a host without an ambient font): that
// step's target keeps what it had, and nothing is reported.
#include <type_traits>

#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/file_browser_keys.h"
#include "resources/texts.h"

namespace torvane {
namespace {

namespace keys = filebrowser::keys;
using forms::PropertyBag;

constexpr std::int32_t AsStored(std::uint32_t color) { return static_cast<std::int32_t>(color); }

constexpr std::int32_t kDefaultBackColor = AsStored(forms::kWindowBackground);
constexpr std::int32_t kDefaultForeColor = AsStored(forms::kWindowText);
constexpr bool kDefaultEnabled = true;
constexpr bool kDefaultLocked = false;
constexpr std::int32_t kDefaultSelLength = 0;
constexpr std::int32_t kDefaultSelStart = 0;
constexpr std::int32_t kDefaultFileDialogType = 0;

// Stores a converted value through `store`, which may itself fail.
template <class T, class Store>
Status Apply(const Result<T>& value, Store store) {
  if (!value.ok()) return value.status();
  if constexpr (std::is_same_v<std::invoke_result_t<Store, const T&>, Status>) {
    return store(value.value());
  } else {
    store(value.value());
    return {};
  }
}

std::u16string Str(const char16_t* text) { return text; }

}  // namespace

void FileBrowser::UserControl_InitProperties() {
  m_FileDialogType = 0;
  m_Filter = texts::kDefaultFilter;
  m_InitDir = u"";
  m_Title = texts::kDefaultTitle;
}

void FileBrowser::UserControl_ReadProperties(const PropertyBag& PropBag) {
  using forms::ToBool;
  using forms::ToInt32;
  using forms::ToString;
  SkipOnFailure(Apply(ToInt32(PropBag.ReadProperty(keys::kBackColor, kDefaultBackColor)),
                      [this](std::int32_t v) { txtFolder.SetBackColor(v); }));
  SkipOnFailure(Apply(ToInt32(PropBag.ReadProperty(keys::kForeColor, kDefaultForeColor)),
                      [this](std::int32_t v) { txtFolder.SetForeColor(v); }));
  SkipOnFailure(Apply(ToBool(PropBag.ReadProperty(keys::kEnabled, kDefaultEnabled)),
                      [this](bool v) { cmdBrowse.SetEnabled(v); }));
  SkipOnFailure(LoadFont(PropBag));
  SkipOnFailure(Apply(ToBool(PropBag.ReadProperty(keys::kLocked, kDefaultLocked)),
                      [this](bool v) { txtFolder.SetLocked(v); }));
  SkipOnFailure(Apply(ToInt32(PropBag.ReadProperty(keys::kSelLength, kDefaultSelLength)),
                      [this](std::int32_t v) { return txtFolder.SetSelLength(v); }));
  SkipOnFailure(Apply(ToInt32(PropBag.ReadProperty(keys::kSelStart, kDefaultSelStart)),
                      [this](std::int32_t v) { return txtFolder.SetSelStart(v); }));
  SkipOnFailure(Apply(ToString(PropBag.ReadProperty(keys::kSelText, Str(u""))),
                      [this](const std::u16string& v) { txtFolder.SetSelText(v); }));
  SkipOnFailure(Apply(ToString(PropBag.ReadProperty(keys::kText, Str(u""))),
                      [this](const std::u16string& v) { txtFolder.SetText(v); }));
  SkipOnFailure(Apply(ToInt32(PropBag.ReadProperty(keys::kFileDialogType, kDefaultFileDialogType)),
                      [this](std::int32_t v) { m_FileDialogType = v; }));
  SkipOnFailure(Apply(ToString(PropBag.ReadProperty(keys::kFilter, Str(texts::kDefaultFilter))),
                      [this](const std::u16string& v) { m_Filter = v; }));
  SkipOnFailure(Apply(ToString(PropBag.ReadProperty(keys::kInitDir, Str(u""))),
                      [this](const std::u16string& v) { m_InitDir = v; }));
  SkipOnFailure(Apply(ToString(PropBag.ReadProperty(keys::kTitle, Str(texts::kDefaultTitle))),
                      [this](const std::u16string& v) { m_Title = v; }));
}

void FileBrowser::UserControl_WriteProperties(PropertyBag& PropBag) {
  PropBag.WriteProperty(keys::kBackColor, AsStored(txtFolder.BackColor()), kDefaultBackColor);
  PropBag.WriteProperty(keys::kForeColor, AsStored(txtFolder.ForeColor()), kDefaultForeColor);
  PropBag.WriteProperty(keys::kEnabled, cmdBrowse.Enabled(), kDefaultEnabled);
  SkipOnFailure(SaveFont(PropBag));
  PropBag.WriteProperty(keys::kLocked, txtFolder.Locked(), kDefaultLocked);
  PropBag.WriteProperty(keys::kSelLength, txtFolder.SelLength(), kDefaultSelLength);
  PropBag.WriteProperty(keys::kSelStart, txtFolder.SelStart(), kDefaultSelStart);
  PropBag.WriteProperty(keys::kSelText, txtFolder.SelText(), Str(u""));
  PropBag.WriteProperty(keys::kText, txtFolder.Text(), Str(u""));
  PropBag.WriteProperty(keys::kFileDialogType, m_FileDialogType, kDefaultFileDialogType);
  PropBag.WriteProperty(keys::kFilter, m_Filter, Str(texts::kDefaultFilter));
  PropBag.WriteProperty(keys::kInitDir, m_InitDir, Str(u""));
  PropBag.WriteProperty(keys::kTitle, m_Title, Str(texts::kDefaultTitle));
}

// The default is the host's ambient font, fetched before the key is read. Without a site
// (not created yet) or an ambient font the step fails like any other.
Status FileBrowser::LoadFont(const PropertyBag& PropBag) {
  std::shared_ptr<forms::Font> ambient = Site() ? Site()->AmbientFont() : nullptr;
  if (!ambient) return forms::InvalidValue();
  return Apply(forms::ToFont(PropBag.ReadProperty(keys::kFont, std::move(ambient))),
               [this](const std::shared_ptr<forms::Font>& v) { return txtFolder.SetFont(v); });
}

Status FileBrowser::SaveFont(PropertyBag& PropBag) {
  std::shared_ptr<forms::Font> ambient = Site() ? Site()->AmbientFont() : nullptr;
  if (!ambient) return forms::InvalidValue();
  PropBag.WriteProperty(keys::kFont, txtFolder.GetFont(), ambient);
  return {};
}

}  // namespace torvane
