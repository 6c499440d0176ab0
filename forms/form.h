// A top-level form: a fixed-size window whose client area is given in twips, its
// children placed in twips, its font (the default font of its children and the ambient
// font of the user controls it hosts), focus kept across deactivation, and layout and
// fonts and icons redone when the window moves to a screen of another DPI.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "forms/container.h"
#include "forms/font.h"
#include "forms/gdi.h"
#include "forms/window.h"

namespace torvane::forms {

class Form : public Window, public Container {
 public:
  // `font` is the form's font, the one its twips layout is drawn for; without a face name
  // the system chooses one.
  explicit Form(FontDesc font = {});
  ~Form() override;

  // The window, hidden, with a client area of the given size; placed at the centre of
  // the screen.
  bool Create(const std::u16string& caption, float clientWidth, float clientHeight);
  // Shows the window with its children painted and puts the focus on the first control in
  // the tab order. Every showing of the window, this one or another, also shows the hosted
  // user controls (their Show event runs again).
  void Show(int command = SW_SHOWNORMAL);
  void CenterOnScreen();

  std::u16string Caption() const { return WindowText(hwnd()); }
  float ScaleWidth() const { return clientWidth_; }
  float ScaleHeight() const { return clientHeight_; }
  const std::shared_ptr<Font>& FontObject() const { return font_; }
  std::shared_ptr<Font> AmbientFont() const { return font_->Clone(); }

  // The program ends with this window.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // Runs once, from the message loop, after Show has painted the window and its children:
  // for start-up work that the first picture does not need. The children hear of it next
  // (Control::OnHostPainted).
  std::function<void()> afterFirstPaint;

  HWND ContainerHandle() const override { return hwnd(); }
  HBRUSH BackgroundBrush() override { return back_.get(); }
  COLORREF BackgroundColor() override { return ColorRefOf(back_.color()); }
  HFONT ContainerFont() const override { return gdiFont_.get(); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  static constexpr DWORD kExStyle = 0;

  SIZE WindowSize(int dpi) const;
  void RebuildFont();
  void DpiChanged(const RECT& suggested);
  // The title bar's and the taskbar's icons in the images drawn for the window's DPI.
  void SetProgramIcons();
  void RememberFocus();
  void RestoreFocus();
  void FirstPaintDone();

  float clientWidth_ = 0, clientHeight_ = 0;
  ColorBrush back_{kButtonFace};
  std::shared_ptr<Font> font_;
  Font::Subscription fontWatch_;
  win::UniqueFont gdiFont_;
  win::UniqueIcon smallIcon_, bigIcon_;  // the window's, while it shows them
  HWND lastFocus_ = nullptr;
  bool quitOnDestroy_ = false;
  bool painted_ = false;
};

}  // namespace torvane::forms
