// Every drawing routine of the theme utilities and gradient painters gives back what it makes:
// a thousand calls leave the GDI objects and the DC's selection as they were.
#include "tbx/Rmkthemes.h"
#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using tbx_test::OneRowImage;
using tbx_test::TbxTest;
using tbx_test::TDCCanvas;
using tbx_test::TDCState;
using tbx_test::TPixels;

constexpr uint8_t kPattern[8] = {0x18, 0x3C, 0x7E, 0xFF, 0x18, 0x18, 0x18, 0x00};

struct TRoutine {
  std::string Name;
  std::function<void(HDC, TCanvas&, TCustomImageList&)> Draw;
};

std::vector<TRoutine> Routines() {
  const RECT r{2, 2, 14, 12};
  const POINT points[] = {{1, 1}, {10, 2}, {6, 9}};
  return {
      {"FillRectColor", [=](HDC dc, TCanvas&, TCustomImageList&) { FillRectColor(dc, r, clRed); }},
      {"FillRectColor system", [=](HDC dc, TCanvas&, TCustomImageList&) { FillRectColor(dc, r, clBtnFace); }},
      {"FillRectColor injected", [=](HDC dc, TCanvas&, TCustomImageList&) { FillRectColor(dc, r, clBtnShadow); }},
      {"FrameRectColor", [=](HDC dc, TCanvas&, TCustomImageList&) { RECT f = r; FrameRectColor(dc, f, clBtnShadow, true); }},
      {"DrawColorLine", [](HDC dc, TCanvas&, TCustomImageList&) { DrawColorLine(dc, 0, 0, 9, 9, clBlue); }},
      {"DrawColorPolyline", [=](HDC dc, TCanvas&, TCustomImageList&) { DrawColorPolyline(dc, points, clBlue); }},
      {"DrawColorPolygon", [=](HDC dc, TCanvas&, TCustomImageList&) { DrawColorPolygon(dc, points, clBlue, clLime); }},
      {"DrawColorPolygon hollow", [=](HDC dc, TCanvas&, TCustomImageList&) { DrawColorPolygon(dc, points, clNone, clLime); }},
      {"DrawColorRoundRect", [](HDC dc, TCanvas&, TCustomImageList&) { DrawColorRoundRect(dc, 1, 1, 12, 12, 3, 3, clBlue, clNone); }},
      {"FillRectDither", [=](HDC dc, TCanvas&, TCustomImageList&) { FillRectDither(dc, r, clWhite, clBtnShadow); }},
      {"DrawBevelEdges", [=](HDC dc, TCanvas&, TCustomImageList&) { RECT b = r; DrawBevelEdges(dc, b, clWhite, clBlack, true); }},
      {"DrawMonoPattern", [=](HDC dc, TCanvas&, TCustomImageList&) { DrawMonoPattern(dc, r, 8, 8, kPattern, clBtnShadow); }},
      {"PaintGradientRect", [=](HDC dc, TCanvas&, TCustomImageList&) { PaintGradientRect(dc, r, clRed, clBlue, gdVertical); }},
      {"PaintGradientRect fallback", [=](HDC dc, TCanvas&, TCustomImageList&) {
         tbx_test::TLateBoundScope scope;
         tbx::LateBound().GradientFill = nullptr;
         PaintGradientRect(dc, r, clRed, clBlue, gdHorizontal);
       }},
      {"DrawImageBlended", [=](HDC, TCanvas& c, TCustomImageList& i) { DrawImageBlended(c, r, i, 0, false); }},
      {"DrawImageBlended dark", [=](HDC, TCanvas& c, TCustomImageList& i) { DrawImageBlended(c, r, i, 0, true); }},
      {"DrawImageTinted", [=](HDC, TCanvas& c, TCustomImageList& i) { DrawImageTinted(c, r, i, 0, clBtnFace, 178); }},
      {"DrawImageEffect", [=](HDC, TCanvas& c, TCustomImageList& i) { DrawImageEffect(c, r, i, 0, 0); }},
      {"DrawImageSilhouette", [=](HDC, TCanvas& c, TCustomImageList& i) { DrawImageSilhouette(c, r, i, 0, clBtnShadow); }},
      {"GradientFill", [=](HDC dc, TCanvas&, TCustomImageList&) { GradientFill(dc, r, clRed, clBlue, tgTopBottom); }},
      {"GradientFill canvas", [=](HDC, TCanvas& c, TCustomImageList&) { GradientFill(c, r, clRed, clBlue, tgLeftRight); }},
      {"GradientFill line by line", [=](HDC dc, TCanvas&, TCustomImageList&) {
         tbx::BindGradients(nullptr);
         GradientFill(dc, r, clRed, clBtnFace, tgTopBottom);
         FinalizeRmkthemes();
         InitRmkthemes();
       }},
      {"GradientGlass", [=](HDC, TCanvas& c, TCustomImageList&) { GradientGlass(c, r, true, true, tgTopBottom); }},
      {"OLDGradientFill", [=](HDC, TCanvas& c, TCustomImageList&) { OLDGradientFill(c, r, clRed, clBlue, tgLeftRight); }},
      {"ButtonFrame", [=](HDC, TCanvas& c, TCustomImageList&) { ButtonFrame(c, r, 2, 2, clRed, clBlue, clLime); }},
      {"SmartFrame", [=](HDC, TCanvas& c, TCustomImageList&) { SmartFrame(c, r, 2, 2, clRed, clBlue); }},
      {"MakeColorPen", [](HDC, TCanvas&, TCustomImageList&) { MakeColorPen(clRed); MakeColorPen(clNone); }},
      {"MakeColorBrush", [](HDC, TCanvas&, TCustomImageList&) { MakeColorBrush(clRed); MakeColorBrush(clNone); }},
      {"MakeDitherBrush", [](HDC, TCanvas&, TCustomImageList&) { MakeDitherBrush(clRed, clBlue); }},
  };
}

class DrawingCost : public TbxTest {};

TEST_F(DrawingCost, AThousandCallsLeaveTheObjectsAndTheDCAsTheyWere) {
  colors.Colors[COLOR_BTNSHADOW] = RGB(1, 2, 3);  // not the system's: a brush of its own
  auto images = OneRowImage({RGB(0, 0, 0), RGB(255, 255, 255), RGB(128, 0, 0), tbx_test::kMask});
  for (const TRoutine& routine : Routines()) {
    TPixels pixels(16, 16);
    TDCCanvas canvas(pixels.DC());
    // The first call may size the work bitmaps and select the canvas's own objects.
    routine.Draw(pixels.DC(), *canvas, *images);
    const long objects = gdi::LiveObjects();
    const gdi_census::TMark census;
    const TDCState state(pixels.DC());
    for (int i = 0; i < 1000; ++i) routine.Draw(pixels.DC(), *canvas, *images);
    EXPECT_EQ(gdi::LiveObjects(), objects) << routine.Name;
    EXPECT_TRUE(census.NothingLeft()) << routine.Name;
    EXPECT_TRUE(TDCState(pixels.DC()) == state) << routine.Name;
  }
}

}  // namespace
