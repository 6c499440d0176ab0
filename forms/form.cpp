#include "forms/form.h"

#include "forms/control.h"
#include "forms/dpi.h"
#include "forms/twips.h"

#if __has_include("resources/resource_ids.h")
#include "resources/resource_ids.h"
#endif

namespace torvane::forms {
namespace {

constexpr wchar_t kClassName[] = L"Torvane.Form";
// Posted by Show behind the first paint.
constexpr UINT kFirstPaintDone = WM_APP + 1;

HICON ProgramIcon(int metricX, int metricY) {
#ifdef IDI_TORVANE
  // Shared: the system keeps class icons loaded this way for the life of the process.
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TORVANE),
                                         IMAGE_ICON, ::GetSystemMetrics(metricX),
                                         ::GetSystemMetrics(metricY), LR_SHARED));
#else
  (void)metricX;
  (void)metricY;
  return nullptr;
#endif
}

// The program's icon at the size `metric` names for `dpi`; null without the resource.
win::UniqueIcon ProgramIconForDpi([[maybe_unused]] int metricX, [[maybe_unused]] int metricY,
                                  [[maybe_unused]] int dpi) {
#ifdef IDI_TORVANE
  return win::UniqueIcon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TORVANE), IMAGE_ICON,
                   SystemMetricForDpi(metricX, dpi), SystemMetricForDpi(metricY, dpi), 0)));
#else
  return {};
#endif
}

}  // namespace

Form::Form(FontDesc font) : font_(Font::Create(std::move(font))) {
  fontWatch_ = font_->OnChange([this] { RebuildFont(); });
}

Form::~Form() {
  // The window goes after this class's members: it must not keep showing their icons.
  if (hwnd()) {
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, 0);
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, 0);
  }
}

bool Form::Create(const std::u16string& caption, float clientWidth, float clientHeight) {
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  WindowParams params;
  params.className = kClassName;
  params.text = win::W(caption);
  params.style = kStyle;
  params.exStyle = kExStyle;
  params.x = params.y = params.width = params.height = CW_USEDEFAULT;
  if (!CreateOwn(params, 0, ::LoadCursorW(nullptr, IDC_ARROW), ProgramIcon(SM_CXICON, SM_CYICON),
                 ProgramIcon(SM_CXSMICON, SM_CYSMICON))) {
    return false;
  }
  SetProgramIcons();
  RebuildFont();
  CenterOnScreen();
  return true;
}

SIZE Form::WindowSize(int dpi) const {
  const float tpp = TwipsPerPixel(dpi);
  return WindowSizeForClient(TwipsToPixels(clientWidth_, tpp), TwipsToPixels(clientHeight_, tpp),
                             kStyle, kExStyle, dpi);
}

void Form::CenterOnScreen() {
  const SIZE size = WindowSize(Dpi());
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& area = mi.rcWork;
  const int x = area.left + (area.right - area.left - size.cx) / 2;
  const int y = area.top + (area.bottom - area.top - size.cy) / 2;
  ::SetWindowPos(hwnd(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show(int command) {
  ::ShowWindow(hwnd(), command);
  // Children included: what is posted now runs after the whole first picture.
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (!painted_) {
    painted_ = true;
    ::PostMessageW(hwnd(), kFirstPaintDone, 0, 0);
  }
  RestoreFocus();
}

void Form::FirstPaintDone() {
  if (afterFirstPaint) afterFirstPaint();
  // A child may go away while another one handles it: walk a copy.
  const std::vector<Control*> children = this->children();
  for (Control* c : children) c->OnHostPainted();
}

void Form::RebuildFont() {
  if (!hwnd()) return;
  win::UniqueFont next = CreateGdiFont(font_->desc(), Dpi());
  for (Control* c : children()) {
    const HWND child = c->hwnd();
    if (child &&
        reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)) == gdiFont_.get()) {
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
    }
  }
  gdiFont_ = std::move(next);
}

void Form::SetProgramIcons() {
  const int dpi = Dpi();
  win::UniqueIcon small = ProgramIconForDpi(SM_CXSMICON, SM_CYSMICON, dpi);
  win::UniqueIcon big = ProgramIconForDpi(SM_CXICON, SM_CYICON, dpi);
  if (!small || !big) return;
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  // The previous icons go only once the window has let go of them.
  smallIcon_ = std::move(small);
  bigIcon_ = std::move(big);
}

void Form::DpiChanged(const RECT& suggested) {
  SetProgramIcons();
  RebuildFont();
  const SIZE size = WindowSize(Dpi());
  ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpiToChildren();
}

void Form::RememberFocus() {
  const HWND focus = ::GetFocus();
  if (focus && ::IsChild(hwnd(), focus)) lastFocus_ = focus;
}

void Form::RestoreFocus() {
  HWND target = lastFocus_;
  if (!target || !::IsWindow(target) || !::IsChild(hwnd(), target)) {
    target = ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  }
  if (target) ::SetFocus(target);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (const auto routed = RouteToChild(msg, wParam, lParam)) return *routed;
  switch (msg) {
    case WM_ERASEBKGND:
      FillClient(hwnd(), reinterpret_cast<HDC>(wParam), back_.get());
      return 1;
    case WM_PAINT: {
      win::PaintDc dc(hwnd());
      DrawShapes(dc.get());
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SHOWWINDOW:
      // Shown by a call (not restored from an icon): the user controls show with it.
      if (wParam && lParam == 0) {
        for (Control* c : children()) c->OnHostShowing();
      }
      return DefaultProc(msg, wParam, lParam);
    case kFirstPaintDone:
      FirstPaintDone();
      return 0;
    case WM_DPICHANGED:
      DpiChanged(*reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DESTROY:
      if (quitOnDestroy_) ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace torvane::forms
