#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

namespace {

using tbx_test::TbxTest;

TEST(UtilityObjects, InitialisationIsCountedAndFinalisationFreesEverything) {
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  InitTBXUtils();
  TFont* font = SmCaptionFont();
  ASSERT_NE(font, nullptr);
  ASSERT_NE(tbx::WorkBitmapA(), nullptr);
  EXPECT_GT(gdi::LiveObjects(), before);  // the palette bitmap at least
  InitTBXUtils();
  EXPECT_EQ(SmCaptionFont(), font);
  FinalizeTBXUtils();
  EXPECT_EQ(SmCaptionFont(), font);
  FinalizeTBXUtils();
  EXPECT_EQ(SmCaptionFont(), nullptr);
  EXPECT_EQ(tbx::WorkBitmapA(), nullptr);
  EXPECT_EQ(tbx::WorkBitmapB(), nullptr);
  EXPECT_EQ(tbx::WorkBitmapM(), nullptr);
  EXPECT_EQ(tbx::LateBound().GradientFill, nullptr);
  EXPECT_EQ(tbx::LateBound().AlphaBlend, nullptr);
  EXPECT_EQ(tbx::LateBound().UpdateLayeredWindow, nullptr);
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(census.NothingLeft());
  FinalizeTBXUtils();  // one too many: nothing happens
  EXPECT_EQ(gdi::LiveObjects(), before);
}

class UtilityObjectsAlive : public TbxTest {};

TEST_F(UtilityObjectsAlive, TheOptionalFunctionsAreBoundWhereTheSystemHasThem) {
  EXPECT_NE(tbx::LateBound().UpdateLayeredWindow, nullptr);
  EXPECT_NE(tbx::LateBound().AlphaBlend, nullptr);
  EXPECT_NE(tbx::LateBound().GradientFill, nullptr);
}

TEST_F(UtilityObjectsAlive, TheSmallCaptionFontIsTheSystems) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  EXPECT_EQ(SmCaptionFont()->Name(), String(metrics.lfSmCaptionFont.lfFaceName));
  EXPECT_EQ(SmCaptionFont()->Height(), metrics.lfSmCaptionFont.lfHeight);
}

TEST_F(UtilityObjectsAlive, RecreatingMakesFreshWorkBitmaps) {
  tbx::WorkBitmapA()->SetSize(5, 5);
  RecreateUtilityObjects();
  ASSERT_NE(tbx::WorkBitmapA(), nullptr);
  EXPECT_TRUE(tbx::WorkBitmapA()->Empty());
  EXPECT_TRUE(tbx::WorkBitmapM()->Monochrome());
  EXPECT_NE(SmCaptionFont(), nullptr);
}

TEST_F(UtilityObjectsAlive, NearestColoursAreTheColoursOnATrueColourScreen) {
  gdi::WindowDC screen;
  if (GetDeviceCaps(screen.Get(), BITSPIXEL) < 24) GTEST_SKIP() << "the screen has fewer than 24 bits";
  EXPECT_EQ(WeightColorsNearest(clWhite, clBlack, 128), WeightColors(clWhite, clBlack, 128));
  EXPECT_EQ(NearestColor(RGB(1, 2, 3)), static_cast<TColor>(RGB(1, 2, 3)));
}

}  // namespace
