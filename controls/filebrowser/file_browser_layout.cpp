// The picker keeps its height, lays its constituents out from its width at every resize,
// draws the separator left of the browse picture, and takes its tooltip from the host.
#include "controls/filebrowser/file_browser.h"
#include "controls/filebrowser/rules.h"

namespace torvane {
namespace {

constexpr std::uint32_t k3dLight = 0x80000016;  // system colour 22

}  // namespace

void FileBrowser::UserControl_Resize() {
  // A height that changes raises a nested resize, which lays out completely itself.
  SkipOnFailure(SetHeight(filebrowser::kPickerHeight));
  const filebrowser::PickerLayout layout =
      filebrowser::ComputeLayout(ScaleWidth(), ScaleHeight(), TwipsPerPixelX(), TwipsPerPixelY(),
                                 cmdBrowse.Width(), cmdBrowse.Height());
  SkipOnFailure(cmdBrowse.Move(layout.browse.left, layout.browse.top));
  // A constituent whose width would be negative keeps its place.
  if (const auto& f = layout.field)
    SkipOnFailure(txtFolder.Move(f->left, f->top, f->width, f->height));
  if (const auto& s = layout.frame) SkipOnFailure(Shape.Move(s->left, s->top, s->width, s->height));
  // The separator follows the picture.
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void FileBrowser::UserControl_Paint() {
  Cls();
  const float x = cmdBrowse.Left() - TwipsPerPixelX();
  Line(x, 0, x, ScaleHeight(), k3dLight);
}

void FileBrowser::UserControl_Show() {
  if (!Site()) return;
  if (const auto tip = Site()->ExtenderToolTipText()) txtFolder.SetToolTipText(*tip);
}

}  // namespace torvane
