#include "classlib/Buttons.h"

#include "classlib/Panels.h"
#include "StdCtrlsTestSupport.h"

#include <gtest/gtest.h>

using control_tests::ControlTest;
using control_tests::CountPixels;
using control_tests::Pixel;
using control_tests::Render;
using control_tests::TFixedColors;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A flat 18 x 18 button at (10, 10) of a white panel without bevels.
class SpeedButtons : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    panel_ = control_tests::MakePlainPanel(form_, 10, 10, 100, 60);
    button_ = new TSpeedButton(form_);
    button_->SetBounds(10, 10, 18, 18);
    button_->SetFlat(true);
    button_->SetParent(panel_);
    button_->OnClick = TNotifyEvent(&clicks_, &control_tests::TClickCounter::Click);
  }
  void Send(UINT msg, WPARAM keys, int x, int y) {
    SendMessageW(panel_->Handle(), msg, keys, MAKELPARAM(x, y));
  }
  // A 16 x 16 glyph: blue (its bottom-left colour, so transparent) with a red 4 x 4 square
  // at (6, 6).
  static void DrawGlyph(TBitmap& glyph) {
    glyph.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        glyph.ScanLine(y)[x] = RGBToPixel(x >= 6 && x < 10 && y >= 6 && y < 10 ? kRed : kBlue);
    glyph.Changed();
  }

  TPanel* panel_ = nullptr;
  TSpeedButton* button_ = nullptr;
  control_tests::TClickCounter clicks_;
};

}  // namespace

TEST_F(SpeedButtons, FlatButtonIsFramedOnlyWhileHotOrPressed) {
  auto frame = [&] {
    auto bitmap = Render(*panel_);
    return std::pair{Pixel(*bitmap, 10, 10), Pixel(*bitmap, 27, 27)};
  };
  using P = std::pair<COLORREF, COLORREF>;
  const COLORREF hi = TFixedColors::Highlight, lo = TFixedColors::Shadow;
  EXPECT_EQ((P{kWhite, kWhite}), frame());
  Send(WM_MOUSEMOVE, 0, 15, 15);
  EXPECT_TRUE(button_->MouseInControl());
  EXPECT_EQ((P{hi, lo}), frame());
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 15, 15);
  EXPECT_EQ((P{lo, hi}), frame());
  Send(WM_MOUSEMOVE, MK_LBUTTON, 60, 40);  // dragged off while held: drawn up again
  EXPECT_EQ((P{kWhite, kWhite}), frame());
  Send(WM_MOUSEMOVE, MK_LBUTTON, 12, 12);
  EXPECT_EQ((P{lo, hi}), frame());
  Send(WM_LBUTTONUP, 0, 12, 12);
  EXPECT_EQ(1, clicks_.Clicks);
  EXPECT_EQ((P{hi, lo}), frame());
  Send(WM_MOUSEMOVE, 0, 60, 40);  // the mouse left the button
  EXPECT_FALSE(button_->MouseInControl());
  EXPECT_EQ((P{kWhite, kWhite}), frame());

  button_->SetFlat(false);
  EXPECT_EQ((P{hi, TFixedColors::DarkShadow}), frame());
}

TEST_F(SpeedButtons, ReleasingOutsideOrWhileDisabledIsNoClick) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 15, 15);
  Send(WM_MOUSEMOVE, MK_LBUTTON, 60, 40);
  Send(WM_LBUTTONUP, 0, 60, 40);
  EXPECT_EQ(0, clicks_.Clicks);
  button_->SetEnabled(false);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 15, 15);
  Send(WM_LBUTTONUP, 0, 15, 15);
  EXPECT_EQ(0, clicks_.Clicks);
  button_->SetEnabled(true);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 15, 15);
  Send(WM_LBUTTONUP, 0, 15, 15);
  EXPECT_EQ(1, clicks_.Clicks);
}

TEST_F(SpeedButtons, GlyphOrImageIsCentredTransparentAndMovesWhenPressed) {
  TImageList images(nullptr);
  TBitmap strip;
  DrawGlyph(strip);
  images.SetSize(16, 16);
  images.AddMasked(strip, kBlue);
  for (bool fromImages : {false, true}) {
    if (fromImages) {
      button_->Glyph().SetSize(0, 0);
      button_->SetImages(&images);
      button_->SetImageIndex(0);
    } else {
      DrawGlyph(button_->Glyph());
    }
    // The glyph lies at (1, 1) of the button: its red square covers (17..20, 17..20).
    auto bitmap = Render(*panel_);
    EXPECT_EQ(kRed, Pixel(*bitmap, 17, 17)) << fromImages;
    EXPECT_EQ(kRed, Pixel(*bitmap, 20, 20)) << fromImages;
    EXPECT_EQ(kWhite, Pixel(*bitmap, 21, 21)) << fromImages;
    EXPECT_EQ(0, CountPixels(*bitmap, RECT{10, 10, 28, 28}, kBlue)) << fromImages;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 15, 15);
    bitmap = Render(*panel_);
    EXPECT_EQ(kWhite, Pixel(*bitmap, 17, 17)) << fromImages;
    EXPECT_EQ(kRed, Pixel(*bitmap, 21, 21)) << fromImages;
    Send(WM_LBUTTONUP, 0, 15, 15);
  }
  button_->SetImages(nullptr);
}

TEST_F(SpeedButtons, ForgetsItsImageListWhenTheListGoes) {
  auto* images = new TImageList(form_);
  button_->SetImages(images);
  images->Free();
  EXPECT_EQ(nullptr, button_->Images());
  Render(*panel_);  // paints without the list
}

TEST_F(SpeedButtons, CaptionIsDrawnInTheMiddle) {
  button_->SetBounds(10, 10, 60, 20);
  button_->SetCaption(L"Menu");
  button_->Font().SetColor(kRed);
  auto bitmap = Render(*panel_);
  EXPECT_GT(CountPixels(*bitmap, RECT{20, 10, 60, 30}, kRed), 5);
  EXPECT_EQ(0, CountPixels(*bitmap, RECT{10, 10, 18, 30}, kRed));
}
