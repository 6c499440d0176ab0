#include "forms/image.h"

#include <windowsx.h>

namespace torvane::forms {
namespace {

constexpr wchar_t kClassName[] = L"Torvane.Image";

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return {};
  win::UniqueBitmap color(info.hbmColor);
  win::UniqueBitmap mask(info.hbmMask);
  BITMAP bm{};
  if (color) {
    ::GetObjectW(color.get(), sizeof(bm), &bm);
    return {bm.bmWidth, bm.bmHeight};
  }
  // A monochrome icon: the mask holds the AND and the XOR image one above the other.
  ::GetObjectW(mask.get(), sizeof(bm), &bm);
  return {bm.bmWidth, bm.bmHeight / 2};
}

}  // namespace

bool Image::Create(const TwipsRect& rect) {
  WindowParams params;
  params.className = kClassName;
  params.style = WS_VISIBLE;
  return CreateChild(params, rect, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), true);
}

void Image::SetPicture(win::UniqueIcon icon) {
  picture_ = std::move(icon);
  pictureSize_ = IconSize(picture_.get());
  FitPicture();
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Image::SetMouseIcon(win::UniqueCursor cursor) { mouseIcon_ = std::move(cursor); }

void Image::SetPictureSource(PictureSource source) {
  source_ = std::move(source);
  if (source_) SetPicture(source_(container().Dpi()));
}

void Image::ApplyDpi() {
  if (source_) {
    SetPicture(source_(container().Dpi()));
  } else {
    FitPicture();
  }
}

void Image::FitPicture() {
  if (!picture_) {
    Place();
    return;
  }
  SetRect({Left(), Top(), PixelsToTwips(pictureSize_.cx, container().TwipsPerPixelX()),
           PixelsToTwips(pictureSize_.cy, container().TwipsPerPixelY())});
}

void Image::Paint(HDC dc) {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  ::FillRect(dc, &client, container().BackgroundBrush());
  if (picture_) {
    ::DrawIconEx(dc, 0, 0, picture_.get(), pictureSize_.cx, pictureSize_.cy, 0, nullptr, DI_NORMAL);
  }
}

void Image::ButtonUp(LPARAM lParam) {
  if (!pressed_) return;
  pressed_ = false;
  ::ReleaseCapture();
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (::PtInRect(&client, at) && onClick) onClick();
}

LRESULT Image::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && mouseIcon_) {
        ::SetCursor(mouseIcon_.get());
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      ::SetCapture(hwnd());
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(lParam);
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win::PaintDc dc(hwnd());
      Paint(dc.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      break;
  }
  return Control::HandleMessage(msg, wParam, lParam);
}

}  // namespace torvane::forms
