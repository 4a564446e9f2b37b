#include "classlib/Images.h"

#include "classlib/Panels.h"
#include "StdCtrlsTestSupport.h"

#include <gtest/gtest.h>

using control_tests::ControlTest;
using control_tests::Pixel;
using control_tests::Render;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A 40 x 40 image at (10, 10) of a white panel, showing a 10 x 10 blue picture whose
// bottom-left pixel is black.
class Images : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    panel_ = control_tests::MakePlainPanel(form_, 0, 0, 100, 100);
    image_ = new TImage(form_);
    image_->SetBounds(10, 10, 40, 40);
    image_->SetParent(panel_);
    TBitmap& picture = image_->Picture();
    picture.SetSize(10, 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) picture.ScanLine(y)[x] = RGBToPixel(kBlue);
    picture.ScanLine(9)[0] = RGBToPixel(kBlack);
    picture.Changed();
  }
  TPanel* panel_ = nullptr;
  TImage* image_ = nullptr;
};

}  // namespace

TEST_F(Images, PictureIsPlacedAsStretchAndCenterSay) {
  struct Case {
    bool Stretch, Center;
    POINT Blue, White;  // panel coordinates
  };
  const Case cases[] = {
      {false, false, {12, 12}, {30, 30}},
      {false, true, {30, 30}, {12, 12}},
      {true, false, {48, 12}, {52, 52}},
      {true, true, {12, 48 - 8}, {9, 9}},
  };
  for (const Case& c : cases) {
    image_->SetStretch(c.Stretch);
    image_->SetCenter(c.Center);
    auto bitmap = Render(*panel_);
    EXPECT_EQ(kBlue, Pixel(*bitmap, c.Blue.x, c.Blue.y)) << c.Stretch << c.Center;
    EXPECT_EQ(kWhite, Pixel(*bitmap, c.White.x, c.White.y)) << c.Stretch << c.Center;
  }
}

TEST_F(Images, TransparentLeavesOutTheBottomLeftColour) {
  auto bitmap = Render(*panel_);
  EXPECT_EQ(kBlack, Pixel(*bitmap, 10, 19));
  image_->SetTransparent(true);
  bitmap = Render(*panel_);
  EXPECT_EQ(kWhite, Pixel(*bitmap, 10, 19));
  EXPECT_EQ(kBlue, Pixel(*bitmap, 11, 19));

  // An assigned bitmap keeps the control's setting.
  TBitmap other;
  other.Assign(image_->Picture());
  other.SetTransparent(false);
  image_->Picture().Assign(other);
  EXPECT_TRUE(image_->Picture().Transparent());
}

TEST_F(Images, AutoSizeTakesThePictureSizeAndClicksReachOnClick) {
  image_->SetAutoSize(true);
  EXPECT_EQ((RECT{10, 10, 20, 20}), image_->BoundsRect());
  control_tests::TClickCounter clicks;
  image_->OnClick = TNotifyEvent(&clicks, &control_tests::TClickCounter::Click);
  image_->SetCursor(crHandPoint);
  SendMessageW(panel_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
  SendMessageW(panel_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
  SendMessageW(panel_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
  SendMessageW(panel_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(25, 25));
  EXPECT_EQ(1, clicks.Clicks);
}
