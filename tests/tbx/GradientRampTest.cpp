#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

namespace {

using tbx_test::Gray;
using tbx_test::Rgb;
using tbx_test::TbxTest;

class GradientRamps : public TbxTest {
 protected:
  void SetUp() override {
    TbxTest::SetUp();
    ClearGradientRamps();
  }
};

TEST_F(GradientRamps, RisingAndFallingChannelsRoundAlike) {
  EXPECT_EQ(BuildGradientRamp(4, clBlack, clWhite),
            (TGradientRamp{Gray(0x00), Gray(0x55), Gray(0xAA), Gray(0xFF)}));
  EXPECT_EQ(BuildGradientRamp(4, clWhite, clBlack),
            (TGradientRamp{Gray(0xFF), Gray(0xAA), Gray(0x55), Gray(0x00)}));
  // Red rising while blue falls, in one ramp.
  EXPECT_EQ(BuildGradientRamp(4, clBlue, clRed),
            (TGradientRamp{Rgb(0x00, 0, 0xFF), Rgb(0x55, 0, 0xAA), Rgb(0xAA, 0, 0x55), Rgb(0xFF, 0, 0x00)}));
}

TEST_F(GradientRamps, EveryRampRunsFromTheFirstColourToExactlyTheSecond) {
  const std::pair<TColor, TColor> ends[] = {
      {clWhite, clBlack}, {Rgb(200, 17, 3), Rgb(3, 250, 199)}, {Rgb(1, 2, 3), Rgb(254, 0, 128)}};
  for (int n : {2, 3, 5, 7, 100, 256}) {
    for (const auto& [c1, c2] : ends) {
      const TGradientRamp& ramp = BuildGradientRamp(n, c1, c2);
      ASSERT_EQ(ramp.size(), static_cast<size_t>(n));
      EXPECT_EQ(ramp.front(), c1) << n;
      EXPECT_EQ(ramp.back(), c2) << n;
      // A falling channel mirrors the rising one: the complement's ramp is the ramp's complement.
      const TGradientRamp complement = BuildGradientRamp(n, c1 ^ 0xFFFFFF, c2 ^ 0xFFFFFF);
      for (int i = 0; i < n; ++i) EXPECT_EQ(complement[i], ramp[i] ^ 0xFFFFFF) << n << " " << i;
    }
  }
}

TEST_F(GradientRamps, AFallingRampIsFoundAgain) {
  const TGradientRamp& built = GetGradientRamp(4, clWhite, clBlack);
  EXPECT_EQ(FindGradientRamp(4, clWhite, clBlack), &built);
  EXPECT_EQ(&GetGradientRamp(4, clWhite, clBlack), &built);
  EXPECT_EQ(FindGradientRamp(5, clWhite, clBlack), nullptr);
  EXPECT_EQ(FindGradientRamp(4, clBlack, clWhite), nullptr);
}

TEST_F(GradientRamps, ASinglePixelRampIsTheMidpointAndAlwaysRebuilt) {
  const TGradientRamp& ramp = GetGradientRamp(1, Rgb(10, 200, 101), Rgb(21, 100, 0));
  // Half of each difference, truncated towards the first colour.
  EXPECT_EQ(ramp, TGradientRamp{Rgb(15, 150, 51)});
  EXPECT_EQ(FindGradientRamp(1, Rgb(10, 200, 101), Rgb(21, 100, 0)), nullptr);
}

TEST_F(GradientRamps, TheSeventeenthRampEvictsTheFirst) {
  for (int i = 0; i < 16; ++i) BuildGradientRamp(2 + i, clBlack, clWhite);
  for (int i = 0; i < 16; ++i) EXPECT_NE(FindGradientRamp(2 + i, clBlack, clWhite), nullptr) << i;
  BuildGradientRamp(18, clBlack, clWhite);
  EXPECT_EQ(FindGradientRamp(2, clBlack, clWhite), nullptr);
  for (int i = 1; i < 17; ++i) EXPECT_NE(FindGradientRamp(2 + i, clBlack, clWhite), nullptr) << i;
}

TEST_F(GradientRamps, SystemColoursAreResolvedBeforeTheyAreCompared) {
  colors.Colors[COLOR_BTNFACE] = RGB(0x40, 0x50, 0x60);
  const TGradientRamp& ramp = GetGradientRamp(3, clBtnFace, clBlack);
  EXPECT_EQ(ramp.front(), Rgb(0x40, 0x50, 0x60));
  EXPECT_EQ(FindGradientRamp(3, Rgb(0x40, 0x50, 0x60), clBlack), &ramp);
}

TEST_F(GradientRamps, AnEmptyRampIsAnAssertion) {
  EXPECT_THROW(FindGradientRamp(0, clBlack, clWhite), EAssertionFailed);
  EXPECT_THROW(BuildGradientRamp(0, clBlack, clWhite), EAssertionFailed);
  EXPECT_THROW(GetGradientRamp(-1, clBlack, clWhite), EAssertionFailed);
}

}  // namespace
