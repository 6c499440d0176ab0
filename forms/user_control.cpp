#include "forms/user_control.h"

#include <optional>

namespace torvane::forms {
namespace {

constexpr wchar_t kClassName[] = L"Torvane.UserControl";

}  // namespace

bool UserControl::CreateSurface(ControlSite& site, float designWidth, float designHeight) {
  site_ = &site;
  WindowParams params;
  params.className = kClassName;
  params.style = WS_CLIPCHILDREN;  // hidden until the host shows it
  params.exStyle = WS_EX_CONTROLPARENT;
  return CreateChild(params, {0, 0, designWidth, designHeight}, 0,
                     ::LoadCursorW(nullptr, IDC_ARROW), true);
}

void UserControl::ChildKeyDown(int keyCode, int shift) {
  if (keyPreview_) UserControl_KeyDown(keyCode, shift);
}

void UserControl::ApplyDpi() {
  ApplyDpiToChildren();
  if (!Place() && designed_) RaiseResize();
}

void UserControl::OnHostShowing() {
  if (!hwnd()) return;
  // The surface's own first showing raises Show through WM_SHOWWINDOW. A surface that
  // stays visible while its host is hidden and shown again gets no such message: the
  // host's showing raises Show here instead.
  if (::GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE) {
    UserControl_Show();
  } else {
    ::ShowWindow(hwnd(), SW_SHOWNA);
  }
}

void UserControl::OnHostPainted() {
  const std::vector<Control*> constituents = children();
  for (Control* c : constituents) c->OnHostPainted();
}

void UserControl::SetSurfaceBackColor(std::uint32_t color) {
  back_.set(color);
  if (hwnd()) {
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

float UserControl::ScaleWidth() const {
  RECT r{};
  if (hwnd()) ::GetClientRect(hwnd(), &r);
  return PixelsToTwips(r.right, TwipsPerPixelX());
}

float UserControl::ScaleHeight() const {
  RECT r{};
  if (hwnd()) ::GetClientRect(hwnd(), &r);
  return PixelsToTwips(r.bottom, TwipsPerPixelY());
}

Status UserControl::SetHeight(float height) {
  if (height == Height()) return {};
  return Move(Left(), Top(), Width(), height);
}

void UserControl::Cls() {
  RECT r{};
  ::GetClientRect(hwnd(), &r);
  if (canvas_) {
    ::FillRect(canvas_, &r, back_.get());
    return;
  }
  win::WindowDc dc(hwnd());
  if (dc) ::FillRect(dc.get(), &r, back_.get());
}

void UserControl::Line(float x1, float y1, float x2, float y2, std::uint32_t color) {
  std::optional<win::WindowDc> own;
  HDC dc = canvas_;
  if (!dc) dc = own.emplace(hwnd()).get();
  if (!dc) return;
  const float tppX = TwipsPerPixelX();
  const float tppY = TwipsPerPixelY();
  win::UniquePen pen(::CreatePen(PS_SOLID, 1, ColorRefOf(color)));
  win::SelectedObject usePen(dc, pen.get());
  ::MoveToEx(dc, TwipsToPixels(x1, tppX), TwipsToPixels(y1, tppY), nullptr);
  ::LineTo(dc, TwipsToPixels(x2, tppX), TwipsToPixels(y2, tppY));
}

bool UserControl::Place() {
  const bool sizeChanged = Control::Place();
  // The platform raises Resize when the host places the control, also at the same
  // pixel size (a first placement, or twips that round to the same pixels).
  const bool newExtent = !resized_ || Width() != resizedWidth_ || Height() != resizedHeight_;
  if (!sizeChanged && designed_ && newExtent) RaiseResize();
  return sizeChanged;
}

void UserControl::RaiseResize() {
  resized_ = true;
  resizedWidth_ = Width();
  resizedHeight_ = Height();
  UserControl_Resize();
}

void UserControl::PaintTo(HDC dc) {
  struct CanvasScope {
    HDC& slot;
    CanvasScope(HDC& s, HDC dc) : slot(s) { slot = dc; }
    ~CanvasScope() { slot = nullptr; }
  };
  {
    CanvasScope scope(canvas_, dc);
    UserControl_Paint();
  }
  DrawShapes(dc);
}

LRESULT UserControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (const auto routed = RouteToChild(msg, wParam, lParam)) return *routed;
  switch (msg) {
    case WM_SIZE:
      if (designed_) RaiseResize();
      return 0;
    case WM_ERASEBKGND:
      FillClient(hwnd(), reinterpret_cast<HDC>(wParam), back_.get());
      return 1;
    case WM_PAINT: {
      win::PaintDc dc(hwnd());
      PaintTo(dc.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) UserControl_Show();
      break;
    case WM_SETFOCUS:
      // The surface passes the focus on to its first constituent that takes it.
      if (const HWND first = ::GetNextDlgTabItem(hwnd(), nullptr, FALSE)) ::SetFocus(first);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      UserControl_KeyDown(static_cast<int>(wParam), ShiftMask(msg, lParam));
      break;
    default:
      break;
  }
  return Control::HandleMessage(msg, wParam, lParam);
}

}  // namespace torvane::forms
