#include "tbx/Rmkthemes.h"

#include "TbxTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tbx_test::kSentinel;
using tbx_test::TbxTest;
using tbx_test::TDCCanvas;
using tbx_test::TPixels;

constexpr COLORREF Gray(int V) { return RGB(V, V, V); }

class GradientPainters : public TbxTest {
 protected:
  void TearDown() override {
    // The next test binds afresh.
    FinalizeRmkthemes();
    InitRmkthemes();
    TbxTest::TearDown();
  }
  // The system's GradientFill as this system has it, or none (the line-by-line painter).
  void UseSystemGradients(bool System) {
    FinalizeRmkthemes();
    InitRmkthemes();
    if (!System) tbx::BindGradients(nullptr);
  }
};

// The pixels along the direction of change, through the middle of the other one.
std::vector<COLORREF> Along(const TPixels& Pixels, TGradDir Direction) {
  return Direction == tgTopBottom ? Pixels.Column(Pixels.Width() / 2) : Pixels.Row(Pixels.Height() / 2);
}

TPixels Strip(int Length, TGradDir Direction) {
  return Direction == tgTopBottom ? TPixels(3, Length) : TPixels(Length, 3);
}

RECT Whole(const TPixels& Pixels) { return {0, 0, Pixels.Width(), Pixels.Height()}; }

TEST_F(GradientPainters, LineByLineEndsExactlyAtTheEndColour) {
  tbx::BindGradients(nullptr);
  colors.Colors[COLOR_BTNFACE] = RGB(255, 255, 255);
  for (TGradDir direction : {tgLeftRight, tgTopBottom}) {
    TPixels pixels = Strip(5, direction);
    GradientFill(pixels.DC(), Whole(pixels), clBlack, clBtnFace, direction);
    EXPECT_EQ(Along(pixels, direction), (std::vector<COLORREF>{Gray(51), Gray(102), Gray(153), Gray(204), Gray(255)}));
  }
}

TEST_F(GradientPainters, TheCanvasFormStartsWithItsSecondColour) {
  const COLORREF dark = RGB(0, 0, 80), light = RGB(240, 240, 255);
  // Without the system function the last line is exact; with it the first one is.
  for (bool system : {false, true}) {
    UseSystemGradients(system);
    for (TGradDir direction : {tgLeftRight, tgTopBottom}) {
      TPixels pixels = Strip(16, direction);
      {
        TDCCanvas canvas(pixels.DC());
        GradientFill(*canvas, Whole(pixels), dark, light, direction);
      }
      const std::vector<COLORREF> line = Along(pixels, direction);
      if (system) {
        EXPECT_EQ(line.front(), light);
        EXPECT_NEAR(GetRValue(line.back()), GetRValue(dark), 15);
      } else {
        EXPECT_EQ(line.back(), dark);
        EXPECT_NEAR(GetRValue(line.front()), GetRValue(light), 15);
      }
    }
  }
}

TEST_F(GradientPainters, EmptyRectsPaintNothing) {
  for (bool system : {false, true}) {
    UseSystemGradients(system);
    TPixels pixels(6, 6);
    TDCCanvas canvas(pixels.DC());
    for (const RECT& empty : {RECT{2, 1, 2, 5}, RECT{1, 3, 5, 3}, RECT{4, 4, 2, 2}})
      for (TGradDir direction : {tgLeftRight, tgTopBottom}) {
        GradientFill(pixels.DC(), empty, clBlack, clWhite, direction);
        GradientGlass(*canvas, empty, true, direction);
      }
    EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0})) << system;
  }
}

BOOL WINAPI CountingGradientFill(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
int GradientFillCalls = 0;
BOOL WINAPI CountingGradientFill(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG) {
  ++GradientFillCalls;
  return TRUE;
}

TEST_F(GradientPainters, GradientFillWinForwardsOrAnswersZero) {
  TPixels pixels(4, 4);
  TRIVERTEX vertices[2] = {{0, 0, 0, 0, 0, 0}, {4, 4, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT mesh{0, 1};
  tbx::BindGradients(nullptr);
  EXPECT_FALSE(GradientFillWinEnabled());
  EXPECT_EQ(GradientFillWin(pixels.DC(), vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H), FALSE);
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
  GradientFillCalls = 0;
  tbx::BindGradients(CountingGradientFill);
  EXPECT_TRUE(GradientFillWinEnabled());
  EXPECT_EQ(GradientFillWin(pixels.DC(), vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H), TRUE);
  GradientFill(pixels.DC(), {0, 0, 4, 4}, clBlack, clWhite, tgLeftRight);
  EXPECT_EQ(GradientFillCalls, 2);
}

TEST_F(GradientPainters, BindingHappensAtTheFirstGradientAndOnce) {
  EXPECT_FALSE(tbx::GradientsBound());
  TPixels pixels(4, 4);
  GradientFill(pixels.DC(), {0, 0, 4, 4}, clBlack, clWhite, tgLeftRight);
  EXPECT_TRUE(tbx::GradientsBound());
  EXPECT_TRUE(GradientFillWinEnabled());  // this system's msimg32 has it
  // Bound once: a later gradient goes where the binding points and does not bind again.
  GradientFillCalls = 0;
  tbx::BindGradients(CountingGradientFill);
  GradientFill(pixels.DC(), {0, 0, 4, 4}, clBlack, clWhite, tgLeftRight);
  EXPECT_TRUE(GradientFillWinEnabled());
  EXPECT_EQ(GradientFillCalls, 1);
}

struct TGlassCase {
  int Length;
  bool Active, Pressed;
  std::vector<COLORREF> Expected;
};

TEST_F(GradientPainters, GlassRunsThroughItsFourStopsInsideTheRect) {
  const TGlassCase cases[] = {
      // t = 1: three segments of one step each.
      {4, false, false, {Gray(248), Gray(216), Gray(240), Gray(248)}},
      {4, true, false, {RGB(240, 248, 255), RGB(128, 176, 224), RGB(112, 232, 240), RGB(176, 255, 255)}},
      {4, true, true, {RGB(224, 232, 239), RGB(112, 160, 208), RGB(96, 208, 224), RGB(160, 239, 239)}},
      // t = 2: a step halfway between each pair of stops.
      {7, false, false, {Gray(248), Gray(232), Gray(216), Gray(228), Gray(240), Gray(244), Gray(248)}},
      // Shorter than the segments: only what lies inside the rect.
      {2, false, false, {Gray(248), Gray(216)}},
      {1, false, false, {Gray(248)}},
  };
  for (const TGlassCase& c : cases)
    for (TGradDir direction : {tgLeftRight, tgTopBottom}) {
      // Two sentinel lines on each side show anything painted past the ends.
      TPixels pixels = Strip(c.Length + 4, direction);
      const RECT r = direction == tgTopBottom ? RECT{0, 2, 3, 2 + c.Length} : RECT{2, 0, 2 + c.Length, 3};
      {
        TDCCanvas canvas(pixels.DC());
        GradientGlass(*canvas, r, c.Active, c.Pressed, direction);
      }
      std::vector<COLORREF> expected{kSentinel, kSentinel};
      expected.insert(expected.end(), c.Expected.begin(), c.Expected.end());
      expected.insert(expected.end(), {kSentinel, kSentinel});
      EXPECT_EQ(Along(pixels, direction), expected) << c.Length << " " << c.Active << c.Pressed;
      EXPECT_TRUE(pixels.UntouchedOutside(r));
    }
}

TEST_F(GradientPainters, GlassWithoutThePressedArgumentIsNotPressed) {
  TPixels notPressed(3, 4), plain(3, 4);
  {
    TDCCanvas canvas(plain.DC());
    GradientGlass(*canvas, {0, 0, 3, 4}, true, tgTopBottom);
    TDCCanvas other(notPressed.DC());
    GradientGlass(*other, {0, 0, 3, 4}, true, false, tgTopBottom);
  }
  EXPECT_EQ(plain.Column(1), notPressed.Column(1));
  EXPECT_EQ(plain.At(1, 1), RGB(128, 176, 224));
}

TEST_F(GradientPainters, OldGradientNestsFillsFromTheFarEdge) {
  struct TCase {
    int Length;
    std::vector<COLORREF> Expected;  // from the left or top
  } cases[] = {
      {1, {RGB(0, 0, 0)}},                                  // colour A only
      {3, {RGB(255, 255, 255), RGB(127, 127, 127), RGB(0, 0, 0)}},
  };
  for (const TCase& c : cases)
    for (TGradDir direction : {tgLeftRight, tgTopBottom}) {
      TPixels pixels = Strip(c.Length, direction);
      {
        TDCCanvas canvas(pixels.DC());
        OLDGradientFill(*canvas, Whole(pixels), clBlack, clWhite, direction);
      }
      EXPECT_EQ(Along(pixels, direction), c.Expected) << c.Length;
    }
}

constexpr COLORREF kFrame = RGB(200, 10, 20), kShade = RGB(0, 100, 0), kCorner = RGB(5, 6, 7);

// The grid of a 10 x 10 canvas: '.' the sentinel, letters the colours.
void ExpectGrid(const TPixels& Pixels, const std::vector<const char*>& Rows, COLORREF Left, COLORREF Right) {
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      COLORREF expected = kSentinel;
      switch (Rows[y][x]) {
        case 'F': expected = kFrame; break;
        case 'S': expected = kShade; break;
        case 'L': expected = Left; break;
        case 'R': expected = Right; break;
      }
      EXPECT_EQ(Pixels.At(x, y), expected) << x << "," << y;
    }
}

const std::vector<const char*> kCutFrame = {
    "..........",
    "..LFFFFR..",
    ".LF....FR.",
    ".F......S.",
    ".F......S.",
    ".F......S.",
    ".F......S.",
    ".LF....SR.",
    "..LSSSSR..",
    "..........",
};

TEST_F(GradientPainters, ButtonFrameCutsTheCornersAndMarksThemOutside) {
  TPixels pixels(10, 10);
  TDCCanvas canvas(pixels.DC());
  canvas->Pen().SetColor(clTeal);
  ButtonFrame(*canvas, {1, 1, 9, 9}, 2, 2, kFrame, kShade, kCorner);
  ExpectGrid(pixels, kCutFrame, kCorner, kCorner);
  EXPECT_EQ(canvas->Pen().Color(), clTeal);
}

TEST_F(GradientPainters, SmartFrameBlendsItsCornersWithTheBackground) {
  TPixels pixels(10, 10);
  TDCCanvas canvas(pixels.DC());
  SmartFrame(*canvas, {1, 1, 9, 9}, 2, 2, kFrame, kShade);
  // 60 % of the sentinel (18, 52, 86) and 40 % of the frame or shade colour.
  ExpectGrid(pixels, kCutFrame, RGB(91, 35, 60), RGB(11, 71, 52));
  TPixels unshaded(10, 10);
  TDCCanvas other(unshaded.DC());
  SmartFrame(*other, {1, 1, 9, 9}, 2, 2, kFrame, clNone);
  EXPECT_EQ(unshaded.At(8, 3), kFrame);
  EXPECT_EQ(unshaded.At(7, 1), RGB(91, 35, 60));
}

}  // namespace
