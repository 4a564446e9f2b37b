#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

namespace {

using tbx_test::Gray;
using tbx_test::Rgb;
using tbx_test::TbxTest;

class ColorArithmetic : public TbxTest {
 protected:
  void SetUp() override {
    TbxTest::SetUp();
    colors.Colors[COLOR_BTNFACE] = RGB(0x30, 0x20, 0x10);
    colors.Colors[COLOR_WINDOW] = RGB(255, 255, 255);
  }
};

struct TMix {
  TColor C1, C2;
  int Weight;
  TColor Expected;
};

TEST_F(ColorArithmetic, WeightColorsShiftsByEightBits) {
  const TMix cases[] = {
      {clWhite, clBlack, 255, 0xFEFEFE},  // 255/256 of white
      {clWhite, clBlack, 0, 0x000000},
      {clBlack, clWhite, 0, 0xFEFEFE},
      {clRed, clBlue, 128, Rgb(127, 0, 126)},
      {clBtnFace, clBlack, 255, Rgb(0x2F, 0x1F, 0x0F)},  // a system colour is resolved first
  };
  for (const TMix& c : cases)
    EXPECT_EQ(WeightColors(c.C1, c.C2, c.Weight), c.Expected) << c.Weight;
}

TEST_F(ColorArithmetic, WeightOutsideTheByteRangeIsAnAssertion) {
  for (int weight : {256, -1}) {
    try {
      WeightColors(clWhite, clBlack, weight);
      ADD_FAILURE() << weight;
    } catch (const EAssertionFailed& e) {
      EXPECT_NE(e.Message().find(L"TBXUtils"), String::npos);
      EXPECT_NE(e.Message().find(L"438"), String::npos);
    }
  }
}

TEST_F(ColorArithmetic, BlendPercentIsAPercentageBelowHundredAndPerMilleFromThere) {
  const TMix cases[] = {
      {clWhite, clBlack, 99, Gray(252)},   // 99 %
      {clWhite, clBlack, 100, Gray(26)},   // 10 %, not 100 %
      {clWhite, clBlack, 183, Gray(47)},   // 18.3 %
      {clBlack, clWhite, 50, Gray(128)},   // rounded
      {clRed, clBlue, 100, Rgb(26, 0, 230)},
      {clWhite, clBlack, 1000, clWhite},
      {clWindow, clBlack, 50, Gray(128)},
  };
  for (const TMix& c : cases)
    EXPECT_EQ(BlendPercent(c.C1, c.C2, c.Weight), c.Expected) << c.Weight;
}

TEST_F(ColorArithmetic, BrightnessShiftStaysWithinTheChannels) {
  EXPECT_EQ(ShiftColorBrightness(Rgb(10, 128, 250), 32), Rgb(42, 160, 255));
  EXPECT_EQ(ShiftColorBrightness(Rgb(10, 128, 250), -32), Rgb(0, 96, 218));
  EXPECT_EQ(ShiftColorBrightness(clBtnFace, 1), Rgb(0x31, 0x21, 0x11));
}

TEST_F(ColorArithmetic, LumaAndDarknessUseTheSameWeights) {
  EXPECT_EQ(ColorLuma(clWhite), 255);  // the weights sum to 256
  EXPECT_EQ(ColorLuma(clRed), 75);     // 255*76 div 256
  EXPECT_EQ(ColorLuma(clLime), 149);   // 255*150 div 256
  EXPECT_EQ(ColorLuma(clBlue), 29);    // 255*30 div 256
  // 100*256 = 25600 = R*76 + G*150 + B*30 exactly for gray 100: not darker; gray 99 is.
  EXPECT_FALSE(IsColorDarker(Gray(100), 100));
  EXPECT_TRUE(IsColorDarker(Gray(99), 100));
  EXPECT_TRUE(IsColorDarker(clBtnFace, 100));
}

TEST_F(ColorArithmetic, PixelWordsHaveRedAndBlueExchangedAndAnOpaqueTop) {
  EXPECT_EQ(ColorToPixel32(Rgb(0x11, 0x22, 0x33)), 0xFF112233u);
  EXPECT_EQ(ColorToPixel32(clBtnFace), 0xFF302010u);
}

TEST_F(ColorArithmetic, DistanceWeighsGreenMostAndBlueLeast) {
  struct TCase {
    TColor C1, C2;
    float Expected;
  } cases[] = {
      {clWhite, clBlack, 440.851f},
      {clRed, clBlack, 195.000f},
      {Rgb(10, 20, 30), Rgb(40, 10, 0), 28.6127f},
      {clLime, clBlue, 395.379f},
      {Gray(128), clBlack, 221.290f},
  };
  for (const TCase& c : cases) {
    EXPECT_NEAR(ColorDistance(c.C1, c.C2), c.Expected, 1e-3);
    EXPECT_NEAR(ColorDistance(c.C2, c.C1), c.Expected, 1e-3);
  }
}

TEST_F(ColorArithmetic, ThresholdsGrowForDarkReferences) {
  EXPECT_FLOAT_EQ(ScaleContrastThreshold(100, 0), 200);
  EXPECT_FLOAT_EQ(ScaleContrastThreshold(100, 110), 150);
  EXPECT_FLOAT_EQ(ScaleContrastThreshold(100, 220), 100);
  EXPECT_FLOAT_EQ(ScaleContrastThreshold(100, 400), 100);
  // Gray 85 lies about 147 from black: more than 100, less than the doubled 200.
  EXPECT_TRUE(ColorsContrast(Gray(85), clBlack, false, 100));
  EXPECT_FALSE(ColorsContrast(Gray(85), clBlack, true, 100));
}

TEST_F(ColorArithmetic, EnsureContrastLeavesAContrastingColourAlone) {
  TColor c = clWindow;  // white, far from black
  EnsureContrast(c, clBlack, 100);
  EXPECT_EQ(c, clWindow);
  c = Gray(0x50);
  EnsureContrast(c, Gray(0x80), 20);
  EXPECT_EQ(c, Gray(0x50));
}

TEST_F(ColorArithmetic, EnsureContrastAgainstBlackDoublesTheThreshold) {
  TColor c = Gray(85);
  EnsureContrast(c, clBlack, 100);
  // Moved away from black along the gray line, to the doubled threshold.
  EXPECT_EQ(c, Gray(0x74));
  EXPECT_GE(ColorDistance(c, clBlack), 200 - 1.5);
}

TEST_F(ColorArithmetic, APushKeepsTheColoursSideOfTheReferenceWhereThereIsRoom) {
  struct TCase {
    TColor Color, Reference;
    float Threshold;
    bool EndsLighter;  // than the reference
  } cases[] = {
      {Gray(0x70), Gray(0x80), 60, false},
      {Gray(0x90), Gray(0x80), 60, true},
      {Rgb(255, 0, 0), Rgb(240, 0, 0), 50, true},
      {clWhite, Gray(0xF0), 60, false},              // no room above: darker
      {Rgb(0, 0, 0x80), Rgb(0, 0, 0x90), 80, true},  // no room below: lighter
  };
  for (const TCase& c : cases) {
    TColor color = c.Color;
    EnsureContrast(color, c.Reference, c.Threshold);
    const float reference = ColorDistance(c.Reference, clBlack);
    const float d = ScaleContrastThreshold(c.Threshold, reference);
    EXPECT_NE(color, c.Color);
    EXPECT_GE(ColorDistance(color, c.Reference), d - 1.5f) << std::hex << c.Color;
    EXPECT_EQ(ColorDistance(color, clBlack) > reference, c.EndsLighter) << std::hex << c.Color;
  }
}

}  // namespace
