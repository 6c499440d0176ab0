#include "controls/filebrowser/file_browser.h"

#include <utility>

#include "controls/filebrowser/file_browser_keys.h"
#include "controls/filebrowser/rules.h"

#if __has_include("resources/resource_ids.h")
#include "resources/resource_ids.h"
#endif

namespace torvane {
namespace {

namespace keys = filebrowser::keys;

// Designer data, in twips, in the order the constituents are created.
constexpr float kDesignWidth = 4035;
constexpr float kDesignHeight = 300;
constexpr forms::TwipsRect kFieldDesign{0, 120, 2400, 255};
constexpr forms::TwipsRect kBrowseDesign{2880, 0, 240, 240};
constexpr forms::TwipsRect kFrameDesign{0, 0, 2415, 255};
constexpr std::uint32_t kFrameColor = 0x00B99D7F;  // RGB(127, 157, 185)

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

// The open folder, in the image drawn for the DPI (16×16 at 96).
win::UniqueIcon LoadFolderIcon([[maybe_unused]] int dpi) {
#ifdef IDI_FOLDER_OPEN
  const int size = filebrowser::BrowsePictureSize(dpi);
  return win::UniqueIcon(static_cast<HICON>(
      ::LoadImageW(Module(), MAKEINTRESOURCEW(IDI_FOLDER_OPEN), IMAGE_ICON, size, size, 0)));
#else
  return {};
#endif
}

// The pointing hand; the system's own hand where the resource is missing.
win::UniqueCursor LoadHandCursor() {
  HCURSOR cursor = nullptr;
#ifdef IDC_HAND_POINT
  cursor = static_cast<HCURSOR>(
      ::LoadImageW(Module(), MAKEINTRESOURCEW(IDC_HAND_POINT), IMAGE_CURSOR, 0, 0, 0));
#endif
  if (!cursor) cursor = static_cast<HCURSOR>(::CopyIcon(::LoadCursorW(nullptr, IDC_HAND)));
  return win::UniqueCursor(cursor);
}

}  // namespace

FileBrowser::FileBrowser(forms::Container& host, Runtime& runtime)
    : UserControl(host), runtime_(runtime), txtFolder(*this), cmdBrowse(*this), Shape(*this) {}

FileBrowser::~FileBrowser() = default;

bool FileBrowser::Create(forms::ControlSite& site) {
  if (!CreateSurface(site, kDesignWidth, kDesignHeight)) return false;

  if (!txtFolder.Create(kFieldDesign)) return false;
  txtFolder.onChange = [this] { txtFolder_Change(); };
  txtFolder.onOleDragDrop = [this](IDataObject* data, DWORD& effect) {
    txtFolder_OLEDragDrop(data, effect);
  };
  txtFolder.onDropFiles = [this](HDROP files) { txtFolder_DropFiles(files); };
  // Without OLE on this thread the field takes no OLE drops and proposes no paths;
  // everything else works.
  SkipOnFailure(txtFolder.SetOleDropMode(forms::OleDropMode::kManual));
  SkipOnFailure(txtFolder.EnablePathCompletion());

  if (!cmdBrowse.Create(kBrowseDesign)) return false;
  cmdBrowse.SetPictureSource(&LoadFolderIcon);
  cmdBrowse.SetMouseIcon(LoadHandCursor());
  cmdBrowse.onClick = [this] { cmdBrowse_Click(); };

  Shape.Create(kFrameDesign, kFrameColor);

  // The focus is always in the field, so the surface previews its keys.
  SetKeyPreview(true);
  EndDesign();
  return true;
}

std::uint32_t FileBrowser::BackColor() const { return SurfaceBackColor(); }

void FileBrowser::SetBackColor(std::uint32_t New_BackColor) {
  SetSurfaceBackColor(New_BackColor);
  PropertyChanged(keys::kBackColor);
}

std::uint32_t FileBrowser::ForeColor() const { return txtFolder.ForeColor(); }

void FileBrowser::SetForeColor(std::uint32_t New_ForeColor) {
  txtFolder.SetForeColor(New_ForeColor);
  PropertyChanged(keys::kForeColor);
}

bool FileBrowser::Enabled() const { return cmdBrowse.Enabled(); }

void FileBrowser::SetEnabled(bool New_Enabled) {
  cmdBrowse.SetEnabled(New_Enabled);
  PropertyChanged(keys::kEnabled);
}

std::shared_ptr<forms::Font> FileBrowser::Font() const { return txtFolder.GetFont(); }

Status FileBrowser::SetFont(std::shared_ptr<forms::Font> New_Font) {
  if (Status set = txtFolder.SetFont(std::move(New_Font)); !set.ok()) return set;
  PropertyChanged(keys::kFont);
  return {};
}

void FileBrowser::Refresh() { txtFolder.Refresh(); }

bool FileBrowser::Locked() const { return txtFolder.Locked(); }

void FileBrowser::SetLocked(bool New_Locked) {
  txtFolder.SetLocked(New_Locked);
  PropertyChanged(keys::kLocked);
}

std::int32_t FileBrowser::SelLength() const { return txtFolder.SelLength(); }

Status FileBrowser::SetSelLength(std::int32_t New_SelLength) {
  if (Status set = txtFolder.SetSelLength(New_SelLength); !set.ok()) return set;
  PropertyChanged(keys::kSelLength);
  return {};
}

std::int32_t FileBrowser::SelStart() const { return txtFolder.SelStart(); }

Status FileBrowser::SetSelStart(std::int32_t New_SelStart) {
  if (Status set = txtFolder.SetSelStart(New_SelStart); !set.ok()) return set;
  PropertyChanged(keys::kSelStart);
  return {};
}

std::u16string FileBrowser::SelText() const { return txtFolder.SelText(); }

void FileBrowser::SetSelText(const std::u16string& New_SelText) {
  txtFolder.SetSelText(New_SelText);
  PropertyChanged(keys::kSelText);
}

std::u16string FileBrowser::Text() const { return txtFolder.Text(); }

void FileBrowser::SetText(const std::u16string& New_Text) {
  txtFolder.SetText(New_Text);
  PropertyChanged(keys::kText);
}

std::int32_t FileBrowser::FileDialogType() const { return m_FileDialogType; }

void FileBrowser::SetFileDialogType(std::int32_t New_FileDialogType) {
  m_FileDialogType = New_FileDialogType;
  PropertyChanged(keys::kFileDialogType);
}

std::u16string FileBrowser::Filter() const { return m_Filter; }

void FileBrowser::SetFilter(const std::u16string& New_Filter) {
  m_Filter = New_Filter;
  PropertyChanged(keys::kFilter);
}

std::u16string FileBrowser::InitDir() const { return m_InitDir; }

void FileBrowser::SetInitDir(const std::u16string& New_InitDir) {
  m_InitDir = New_InitDir;
  PropertyChanged(keys::kInitDir);
}

std::u16string FileBrowser::Title() const { return m_Title; }

void FileBrowser::SetTitle(const std::u16string& New_Title) {
  m_Title = New_Title;
  PropertyChanged(keys::kTitle);
}

void FileBrowser::txtFolder_Change() {
  if (Change) Change();
}

}  // namespace torvane
