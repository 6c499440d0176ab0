// A single-line text box without a border of its own (a shape frames it where one is
// wanted): text, selection, read-only flag, colours, a shared font object, a tooltip and
// manual drops. Every change of the text, whatever its cause, runs `onChange`.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "forms/control.h"
#include "forms/font.h"
#include "forms/gdi.h"
#include "forms/ole_drop.h"
#include "forms/tooltip.h"

namespace torvane::forms {

enum class OleDropMode { kNone = 0, kManual = 1 };

class TextBox : public Control {
 public:
  explicit TextBox(Container& container);
  ~TextBox() override;

  bool Create(const TwipsRect& rect);

  std::u16string Text() const;
  // Keeps the characters before the first NUL.
  void SetText(const std::u16string& text);
  std::int32_t SelStart() const;
  // The caret moves there (past the end: to the end) and nothing stays selected.
  Status SetSelStart(std::int32_t start);
  std::int32_t SelLength() const;
  // Selects from the selection start on, at most to the end of the text.
  Status SetSelLength(std::int32_t length);
  std::u16string SelText() const;
  void SetSelText(const std::u16string& text);
  bool Locked() const;
  void SetLocked(bool locked);

  std::uint32_t BackColor() const { return back_.color(); }
  void SetBackColor(std::uint32_t color);
  std::uint32_t ForeColor() const { return fore_; }
  void SetForeColor(std::uint32_t color);

  // The object itself: changing it changes this box's text at once.
  std::shared_ptr<Font> GetFont() const { return font_; }
  // Takes the object by reference; a null font is refused.
  Status SetFont(std::shared_ptr<Font> font);

  void Refresh();
  const std::u16string& ToolTipText() const { return toolTip_.text(); }
  void SetToolTipText(const std::u16string& text);

  // Manual: OLE drops go to onOleDragDrop, and the shell's own drop message (what an
  // elevated window still gets from the unelevated file manager) to onDropFiles.
  // Without OLE on the thread yet the box registers when its host has first painted
  // (the caller has initialised OLE by then); the shell's drops are taken from then on.
  Status SetOleDropMode(OleDropMode mode);
  OleDropMode GetOleDropMode() const { return dropMode_; }
  IDropTarget* DropTargetForTesting() const { return drop_.target(); }

  // Proposes files and folders of the file system while the user types a path. The text
  // changes only when the user takes a proposal: nothing is appended by itself. The
  // shell's completion needs OLE on the thread: asked for before the host has first
  // painted (the program initialises OLE then), it starts then.
  Status EnablePathCompletion();

  std::function<void()> onChange;
  DropHandler onOleDragDrop;
  // The list is the box's: it is released after the handler returns.
  std::function<void(HDROP files)> onDropFiles;

  void ApplyDpi() override;
  void OnHostPainted() override;
  std::optional<LRESULT> OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void RebuildFont();
  void AcceptShellDrops(bool accept);
  Status StartPathCompletion();
  void DropFiles(HDROP files);
  Status RegisterDrop();

  ColorBrush back_{kWindowBackground};
  std::uint32_t fore_ = kWindowText;
  std::shared_ptr<Font> font_;
  Font::Subscription fontWatch_;
  win::UniqueFont gdiFont_;
  ToolTip toolTip_;
  DropRegistration drop_;
  OleDropMode dropMode_ = OleDropMode::kNone;
  bool pathCompletion_ = false;  // asked for
  bool hostPainted_ = false;
};

}  // namespace torvane::forms
