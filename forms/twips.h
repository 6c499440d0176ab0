// Lengths on screen in twips (1/1440 inch), converted to pixels at a window's own dots
// per inch: 15 twips a pixel at 96, 12 at 120, 10 at 144. Portable arithmetic only.
#pragma once

#include <cmath>
#include <cstdint>

namespace torvane::forms {

inline constexpr float kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;

struct TwipsRect {
  float left = 0, top = 0, width = 0, height = 0;
};

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

inline float TwipsPerPixel(int dpi) { return kTwipsPerInch / static_cast<float>(dpi); }

// Each value rounds to the nearest pixel on its own, halves away from zero.
inline int TwipsToPixels(float twips, float twipsPerPixel) {
  return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline float PixelsToTwips(int pixels, float twipsPerPixel) {
  return static_cast<float>(pixels) * twipsPerPixel;
}

inline PixelRect ToPixels(const TwipsRect& r, float twipsPerPixelX, float twipsPerPixelY) {
  return {TwipsToPixels(r.left, twipsPerPixelX), TwipsToPixels(r.top, twipsPerPixelY),
          TwipsToPixels(r.width, twipsPerPixelX), TwipsToPixels(r.height, twipsPerPixelY)};
}

// A host's stored extent in HIMETRIC (0.01 mm) as whole twips: 7699 is 4365, 529 is 300.
inline float HimetricToTwips(std::int32_t himetric) {
  return std::round(static_cast<float>(himetric) * kTwipsPerInch / 2540.0f);
}

// The pixel height of a font of `points` at `dpi`, negative as the platform takes it (a
// character height rather than a cell height).
inline int FontHeightForDpi(float points, int dpi) {
  return -static_cast<int>(std::lround(points * static_cast<float>(dpi) / 72.0f));
}

}  // namespace torvane::forms
