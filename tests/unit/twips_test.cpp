#include "forms/twips.h"

#include <gtest/gtest.h>

namespace torvane::forms {
namespace {

TEST(Twips, PerPixelAtTheCommonDpis) {
  EXPECT_EQ(TwipsPerPixel(96), 15);
  EXPECT_EQ(TwipsPerPixel(120), 12);
  EXPECT_EQ(TwipsPerPixel(144), 10);
}

TEST(Twips, MainWindowTableInPixels) {
  // Client 6105 × 1380, label, picker and button of the main window.
  EXPECT_EQ(TwipsToPixels(6105, 15), 407);
  EXPECT_EQ(TwipsToPixels(1380, 15), 92);
  EXPECT_EQ(ToPixels({330, 300, 1080, 180}, 15, 15), (PixelRect{22, 20, 72, 12}));
  EXPECT_EQ(ToPixels({1440, 240, 4365, 300}, 15, 15), (PixelRect{96, 16, 291, 20}));
  EXPECT_EQ(ToPixels({300, 690, 5535, 375}, 15, 15), (PixelRect{20, 46, 369, 25}));
  // At 120 DPI each value rounds on its own, halves away from zero.
  EXPECT_EQ(TwipsToPixels(6105, 12), 509);  // 508.75
  EXPECT_EQ(TwipsToPixels(1380, 12), 115);
  EXPECT_EQ(ToPixels({330, 300, 1080, 180}, 12, 12), (PixelRect{28, 25, 90, 15}));  // 27.5 → 28
  EXPECT_EQ(ToPixels({1440, 240, 4365, 300}, 12, 12), (PixelRect{120, 20, 364, 25}));
  EXPECT_EQ(ToPixels({300, 690, 5535, 375}, 10, 10), (PixelRect{30, 69, 554, 38}));
}

TEST(Twips, StoredExtentsInHimetric) {
  EXPECT_EQ(HimetricToTwips(7699), 4365);
  EXPECT_EQ(HimetricToTwips(529), 300);
  EXPECT_EQ(HimetricToTwips(0), 0);
}

TEST(Twips, FontHeightsAtTheWindowsDpi) {
  EXPECT_EQ(FontHeightForDpi(9, 96), -12);
  EXPECT_EQ(FontHeightForDpi(9, 120), -15);
  EXPECT_EQ(FontHeightForDpi(9, 144), -18);
  EXPECT_EQ(FontHeightForDpi(10.5f, 96), -14);
}

}  // namespace
}  // namespace torvane::forms
