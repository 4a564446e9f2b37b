#include "classlib/Panels.h"

#include "StdCtrlsTestSupport.h"

#include <gtest/gtest.h>

using control_tests::ControlTest;
using control_tests::CountPixels;
using control_tests::Pixel;
using control_tests::Render;
using control_tests::TFixedColors;

namespace {

class Panels : public ControlTest {
 protected:
  TPanel* MakePanel(int width, int height) {
    TPanel* panel = control_tests::MakePlainPanel(form_, 10, 10, width, height);
    panel->SetBevelOuter(bvRaised);
    return panel;
  }
};

}  // namespace

TEST_F(Panels, BevelsAreDrawnInTheirCutsColours) {
  struct Case {
    TBevelCut Outer, Inner;
    int BevelWidth, BorderWidth;
    // The top-left and bottom-right corners, and one more probe with its colour.
    COLORREF TopLeft, BottomRight;
    POINT Probe;
    COLORREF ProbeColor;
  };
  const COLORREF white = RGB(255, 255, 255), hi = TFixedColors::Highlight, lo = TFixedColors::Shadow;
  const Case cases[] = {
      {bvRaised, bvNone, 1, 0, hi, lo, {1, 1}, white},
      {bvLowered, bvNone, 1, 0, lo, hi, {1, 1}, white},
      {bvNone, bvNone, 1, 0, white, white, {1, 1}, white},
      {bvRaised, bvNone, 2, 0, hi, lo, {1, 1}, hi},       // the second ring of a wide bevel
      {bvRaised, bvLowered, 1, 3, hi, lo, {4, 4}, lo},    // inner bevel after bevel and border
      {bvRaised, bvLowered, 1, 3, hi, lo, {3, 3}, white}, // the border shows the panel colour
      {bvNone, bvRaised, 1, 3, white, white, {3, 3}, hi},
  };
  for (const Case& c : cases) {
    TPanel* panel = MakePanel(60, 40);
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBevelWidth(c.BevelWidth);
    panel->SetBorderWidth(c.BorderWidth);
    auto bitmap = Render(*panel);
    EXPECT_EQ(c.TopLeft, Pixel(*bitmap, 0, 0));
    EXPECT_EQ(c.BottomRight, Pixel(*bitmap, 59, 39));
    EXPECT_EQ(c.ProbeColor, Pixel(*bitmap, c.Probe.x, c.Probe.y));
    EXPECT_EQ(white, Pixel(*bitmap, 30, 20));
    panel->Free();
  }
}

TEST_F(Panels, ChildrenFillTheAreaInsideBevelsAndBorder) {
  TPanel* panel = MakePanel(100, 50);
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  panel->SetBevelInner(bvLowered);
  auto* child = new TPanel(form_);
  child->SetParent(panel);
  child->SetAlign(TAlign::alClient);
  EXPECT_EQ((RECT{7, 7, 93, 43}), child->BoundsRect());  // 2 + 3 + 2
  panel->SetBevelInner(bvNone);
  EXPECT_EQ((RECT{5, 5, 95, 45}), child->BoundsRect());
}

TEST_F(Panels, CaptionIsDrawnInTheFontColourWhereTheAlignmentSays) {
  TPanel* panel = MakePanel(200, 30);
  panel->SetBevelOuter(bvNone);
  panel->SetCaption(L"Example");
  panel->Font().SetColor(RGB(255, 0, 0));
  panel->Font().SetStyle(fsBold);
  const RECT left{0, 0, 70, 30}, middle{70, 0, 130, 30}, right{130, 0, 200, 30};
  const COLORREF red = RGB(255, 0, 0);
  auto bitmap = Render(*panel);
  EXPECT_GT(CountPixels(*bitmap, middle, red), 10);
  EXPECT_EQ(0, CountPixels(*bitmap, left, red));
  panel->SetAlignment(taLeftJustify);
  bitmap = Render(*panel);
  EXPECT_GT(CountPixels(*bitmap, left, red), 10);
  EXPECT_EQ(0, CountPixels(*bitmap, right, red));
  panel->SetAlignment(taRightJustify);
  panel->SetCaption(L"");
  bitmap = Render(*panel);
  EXPECT_EQ(0, CountPixels(*bitmap, RECT{0, 0, 200, 30}, red));
}

TEST_F(Panels, ParentColourFollowsTheParent) {
  TPanel* bar = MakePanel(100, 26);
  auto* buttons = new TPanel(form_);
  buttons->SetParent(bar);
  buttons->SetParentColor(true);
  bar->SetColor(0xCCFFFF);
  EXPECT_EQ(0xCCFFFF, buttons->Color());
  buttons->SetColor(clRed);  // an own colour ends the link
  bar->SetColor(0x99FFFF);
  EXPECT_EQ(clRed, buttons->Color());
}

TEST_F(Panels, MouseClicksAndDoubleClicksReachTheEvents) {
  TPanel* panel = MakePanel(60, 40);
  control_tests::TClickCounter clicks;
  panel->OnClick = TNotifyEvent(&clicks, &control_tests::TClickCounter::Click);
  panel->OnDblClick = TNotifyEvent(&clicks, &control_tests::TClickCounter::DblClick);
  HWND wnd = panel->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(1, clicks.Clicks);
  EXPECT_EQ(1, clicks.DoubleClicks);
}

TEST_F(Panels, BevelShapesDrawTheirLines) {
  TPanel* panel = MakePanel(60, 40);
  panel->SetBevelOuter(bvNone);
  auto* bevel = new TBevel(form_);
  bevel->SetParent(panel);
  bevel->SetBounds(5, 10, 50, 20);
  const COLORREF white = RGB(255, 255, 255), hi = TFixedColors::Highlight, lo = TFixedColors::Shadow;
  struct Case {
    TBevelShape Shape;
    TBevelStyle Style;
    POINT Dark, Light, Untouched;  // in the bevel's coordinates
  };
  const Case cases[] = {
      {bsTopLine, bsLowered, {20, 0}, {20, 1}, {20, 10}},
      {bsBottomLine, bsLowered, {20, 18}, {20, 19}, {20, 10}},
      {bsLeftLine, bsRaised, {0, 10}, {1, 10}, {20, 10}},
      {bsRightLine, bsLowered, {48, 10}, {49, 10}, {20, 10}},
      {bsBox, bsLowered, {0, 0}, {49, 19}, {20, 10}},
  };
  for (const Case& c : cases) {
    bevel->SetShape(c.Shape);
    bevel->SetStyle(c.Style);
    auto bitmap = Render(*panel);
    COLORREF dark = c.Style == bsLowered ? lo : hi, light = c.Style == bsLowered ? hi : lo;
    EXPECT_EQ(dark, Pixel(*bitmap, 5 + c.Dark.x, 10 + c.Dark.y)) << c.Shape;
    EXPECT_EQ(light, Pixel(*bitmap, 5 + c.Light.x, 10 + c.Light.y)) << c.Shape;
    EXPECT_EQ(white, Pixel(*bitmap, 5 + c.Untouched.x, 10 + c.Untouched.y)) << c.Shape;
  }
}
