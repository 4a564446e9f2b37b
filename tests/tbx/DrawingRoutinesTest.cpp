#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using tbx_test::kSentinel;
using tbx_test::TbxTest;
using tbx_test::TDCState;
using tbx_test::TPixels;

constexpr COLORREF kPaint = RGB(200, 10, 20);

class DrawingRoutines : public TbxTest {
 protected:
  void SetUp() override {
    TbxTest::SetUp();
    colors.Colors[COLOR_BTNSHADOW] = RGB(1, 2, 3);
  }
  tbx_test::TLateBoundScope lateBound;
};

TEST_F(DrawingRoutines, FillsPaintTheColourAndNothingForNone) {
  TPixels pixels(6, 6);
  EXPECT_FALSE(FillRectColor(pixels.DC(), {0, 0, 6, 6}, clNone));
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
  EXPECT_TRUE(FillRectColor(pixels.DC(), {1, 1, 3, 3}, kPaint));
  EXPECT_EQ(pixels.At(1, 1), kPaint);
  EXPECT_EQ(pixels.At(2, 2), kPaint);
  EXPECT_TRUE(pixels.UntouchedOutside({1, 1, 3, 3}));
  // A system colour paints the colour the settings answer.
  EXPECT_TRUE(FillRectColor(pixels.DC(), {4, 4, 5, 5}, clBtnShadow));
  EXPECT_EQ(pixels.At(4, 4), RGB(1, 2, 3));
}

TEST_F(DrawingRoutines, FramesInsetTheRectEvenForNone) {
  TPixels pixels(6, 6);
  RECT r{0, 0, 6, 6};
  EXPECT_FALSE(FrameRectColor(pixels.DC(), r, clNone, true));
  EXPECT_EQ(r, (RECT{1, 1, 5, 5}));
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
  EXPECT_TRUE(FrameRectColor(pixels.DC(), r, kPaint, false));
  EXPECT_EQ(r, (RECT{1, 1, 5, 5}));
  EXPECT_EQ(pixels.At(1, 1), kPaint);
  EXPECT_EQ(pixels.At(4, 4), kPaint);
  EXPECT_EQ(pixels.At(2, 2), kSentinel);
}

TEST_F(DrawingRoutines, BevelEdgesLightTopLeftDarkBottomRight) {
  const COLORREF light = RGB(250, 250, 250), dark = RGB(5, 5, 5);
  for (bool inner : {true, false}) {
    TPixels pixels(5, 4);
    RECT r{0, 0, 5, 4};
    DrawBevelEdges(pixels.DC(), r, light, dark, inner);
    EXPECT_EQ(pixels.Column(0), (std::vector<COLORREF>{light, light, light, dark}));
    EXPECT_EQ(pixels.Row(0), (std::vector<COLORREF>{light, light, light, light, dark}));
    EXPECT_EQ(pixels.Column(4), (std::vector<COLORREF>{dark, dark, dark, dark}));
    EXPECT_EQ(pixels.Row(3), (std::vector<COLORREF>{dark, dark, dark, dark, dark}));
    EXPECT_EQ(pixels.At(1, 1), kSentinel);
    EXPECT_EQ(r, (inner ? RECT{1, 1, 4, 3} : RECT{0, 0, 3, 2}));
  }
}

TEST_F(DrawingRoutines, LinesAndPolylinesLeaveOutTheirEndPoint) {
  TPixels pixels(5, 3);
  DrawColorLine(pixels.DC(), 0, 1, 4, 1, kPaint);
  EXPECT_EQ(pixels.Row(1), (std::vector<COLORREF>{kPaint, kPaint, kPaint, kPaint, kSentinel}));
  const POINT points[] = {{0, 0}, {4, 0}};
  EXPECT_TRUE(DrawColorPolyline(pixels.DC(), points, kPaint));
  EXPECT_EQ(pixels.At(3, 0), kPaint);
  EXPECT_EQ(pixels.At(4, 0), kSentinel);
  const POINT last[] = {{0, 2}, {4, 2}};
  EXPECT_FALSE(DrawColorPolyline(pixels.DC(), last, clNone));
  DrawColorLine(pixels.DC(), 0, 2, 4, 2, clNone);
  EXPECT_EQ(pixels.At(0, 2), kSentinel);
}

TEST_F(DrawingRoutines, PolygonsAndRoundRectsFillAndOutline) {
  TPixels pixels(8, 8);
  const POINT square[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
  DrawColorPolygon(pixels.DC(), square, clNone, clNone);
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
  DrawColorPolygon(pixels.DC(), square, RGB(1, 1, 1), kPaint);
  EXPECT_EQ(pixels.At(1, 1), RGB(1, 1, 1));
  EXPECT_EQ(pixels.At(3, 3), kPaint);
  EXPECT_EQ(pixels.At(7, 7), kSentinel);
  // A hollow inside keeps what was there.
  TPixels round(8, 8);
  DrawColorRoundRect(round.DC(), 0, 0, 8, 8, 2, 2, kPaint, clNone);
  EXPECT_EQ(round.At(0, 4), kPaint);
  EXPECT_EQ(round.At(4, 4), kSentinel);
}

TEST_F(DrawingRoutines, DitherAlternatesTheTwoColours) {
  TPixels pixels(4, 4);
  FillRectDither(pixels.DC(), {0, 0, 4, 4}, clWhite, clBlack);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixels.At(x, y), (x + y) % 2 == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
}

// Rows with every bit position somewhere, none two alike: a row read from the wrong place shows.
constexpr uint8_t kPattern[8] = {0x80, 0x41, 0x22, 0x14, 0x0F, 0xF0, 0xAA, 0x55};

bool PatternBit(int X, int Y) { return (kPattern[Y] & (0x80 >> X)) != 0; }

TEST_F(DrawingRoutines, MonoPatternPaintsTheSetBitsCentred) {
  struct TCase {
    RECT R;
    int W, H;
    POINT Origin;  // (left + right - w + 1) div 2, (top + bottom - h + 1) div 2
  } cases[] = {
      {{2, 2, 10, 10}, 8, 8, {2, 2}},
      {{0, 0, 12, 12}, 5, 3, {4, 5}},
      {{1, 0, 8, 7}, 7, 6, {1, 1}},
  };
  for (const TCase& c : cases) {
    TPixels pixels(12, 12);
    DrawMonoPattern(pixels.DC(), c.R, c.W, c.H, kPattern, kPaint);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) {
        const int px = x - c.Origin.x, py = y - c.Origin.y;
        const bool inside = px >= 0 && py >= 0 && px < c.W && py < c.H;
        EXPECT_EQ(pixels.At(x, y), inside && PatternBit(px, py) ? kPaint : kSentinel) << x << "," << y;
      }
  }
}

TEST_F(DrawingRoutines, MonoPatternPutsTheDCBack) {
  TPixels pixels(8, 8);
  gdi::BrushHandle brush(CreateSolidBrush(RGB(9, 9, 9)));
  gdi::SelectionGuard select(pixels.DC(), brush.Get());
  SetTextColor(pixels.DC(), RGB(7, 8, 9));
  SetBkColor(pixels.DC(), RGB(4, 5, 6));
  const TDCState before(pixels.DC());
  DrawMonoPattern(pixels.DC(), {0, 0, 8, 8}, 8, 8, kPattern, clBtnShadow);
  EXPECT_EQ(TDCState(pixels.DC()), before);
  EXPECT_EQ(pixels.At(0, 0), RGB(1, 2, 3));  // the system colour as the settings answer it
}

// The fallback of 0 to 255 over 18 pixels rises by exactly 15 a pixel.
COLORREF RampGray(int I) { return RGB(15 * I, 15 * I, 15 * I); }

TEST_F(DrawingRoutines, FallbackGradientPaintsOnlyInsideTheClip) {
  tbx::LateBound().GradientFill = nullptr;
  for (TGradientRectDirection direction : {gdHorizontal, gdVertical}) {
    const bool vertical = direction == gdVertical;
    TPixels pixels(vertical ? 3 : 20, vertical ? 20 : 3);
    const RECT clip = vertical ? RECT{0, 5, 3, 12} : RECT{5, 0, 12, 3};
    IntersectClipRect(pixels.DC(), clip.left, clip.top, clip.right, clip.bottom);
    const RECT r = vertical ? RECT{0, 1, 3, 19} : RECT{1, 0, 19, 3};
    PaintGradientRect(pixels.DC(), r, clBlack, clWhite, direction);
    EXPECT_TRUE(pixels.UntouchedOutside(clip));
    for (int p = 5; p < 12; ++p)
      for (int across = 0; across < 3; ++across)
        EXPECT_EQ(vertical ? pixels.At(across, p) : pixels.At(p, across), RampGray(p - 1)) << p;
  }
}

TEST_F(DrawingRoutines, FallbackGradientRunsFromEdgeToEdge) {
  tbx::LateBound().GradientFill = nullptr;
  TPixels pixels(18, 2);
  PaintGradientRect(pixels.DC(), {0, 0, 18, 2}, clBlack, clWhite, gdHorizontal);
  for (int x = 0; x < 18; ++x) EXPECT_EQ(pixels.At(x, 1), RampGray(x));
}

TEST_F(DrawingRoutines, EmptyGradientsPaintNothing) {
  const tbx::TGradientFillFunc system = tbx::LateBound().GradientFill;
  for (tbx::TGradientFillFunc gradientFill : {system, tbx::TGradientFillFunc()}) {
    tbx::LateBound().GradientFill = gradientFill;
    TPixels empty(4, 4);
    for (const RECT& r : {RECT{2, 0, 2, 4}, RECT{0, 3, 4, 3}, RECT{3, 3, 1, 1}})
      for (TGradientRectDirection direction : {gdHorizontal, gdVertical})
        PaintGradientRect(empty.DC(), r, clBlack, clWhite, direction);
    EXPECT_TRUE(empty.UntouchedOutside({0, 0, 0, 0})) << (gradientFill != nullptr);
  }
}

TEST_F(DrawingRoutines, SystemGradientStartsAtTheFirstColour) {
  ASSERT_NE(tbx::LateBound().GradientFill, nullptr) << "msimg32's GradientFill is not bound";
  TPixels pixels(18, 2);
  PaintGradientRect(pixels.DC(), {0, 0, 18, 2}, clBlack, clWhite, gdHorizontal);
  EXPECT_EQ(pixels.At(0, 0), RGB(0, 0, 0));
  // The system stops one step short of the end and rises evenly: within a step of the ramp.
  for (int x = 1; x < 18; ++x) EXPECT_NEAR(GetRValue(pixels.At(x, 0)), 15 * x, 15) << x;
}

}  // namespace
