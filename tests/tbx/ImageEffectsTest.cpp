#include "tbx/TBXUtils.h"

#include "TbxTestSupport.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using tbx_test::kMask;
using tbx_test::kSentinel;
using tbx_test::OneRowImage;
using tbx_test::TbxTest;
using tbx_test::TDCCanvas;
using tbx_test::TPixels;

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
constexpr COLORREF kPaint = RGB(200, 10, 20);

// The image's pixels painted at (1, 1) of a 6 x 3 sentinel background.
class ImageEffects : public TbxTest {
 protected:
  std::vector<COLORREF> Paint(std::initializer_list<COLORREF> Image,
                              const std::function<void(TCanvas&, const RECT&, TCustomImageList&)>& Routine) {
    auto images = OneRowImage(Image);
    TPixels pixels(6, 3);
    {
      TDCCanvas canvas(pixels.DC());
      Routine(*canvas, {1, 1, 6, 3}, *images);
    }
    EXPECT_TRUE(pixels.UntouchedOutside({1, 1, 1 + static_cast<int>(Image.size()), 2}));
    std::vector<COLORREF> row = pixels.Row(1);
    return {row.begin() + 1, row.begin() + 1 + static_cast<int>(Image.size())};
  }
};

TEST_F(ImageEffects, PlainBlendIsTheListsOwnDrawing) {
  EXPECT_EQ(Paint({kWhite, RGB(1, 2, 3), kMask},
                  [](TCanvas& c, const RECT& r, TCustomImageList& i) { DrawImageBlended(c, r, i, 0, false); }),
            (std::vector<COLORREF>{kWhite, RGB(1, 2, 3), kSentinel}));
}

TEST_F(ImageEffects, DarkBlendTurnsLightToDarkAndLightensEverything) {
  EXPECT_EQ(Paint({kWhite, kBlack, RGB(128, 128, 128), kMask},
                  [](TCanvas& c, const RECT& r, TCustomImageList& i) { DrawImageBlended(c, r, i, 0, true); }),
            (std::vector<COLORREF>{RGB(32, 32, 32), kWhite, RGB(160, 160, 160), kSentinel}));
}

TEST_F(ImageEffects, TintMixesTheTintWithTheImage) {
  EXPECT_EQ(Paint({kWhite, kBlack, kMask},
                  [](TCanvas& c, const RECT& r, TCustomImageList& i) { DrawImageTinted(c, r, i, 0, clRed, 128); }),
            (std::vector<COLORREF>{RGB(254, 127, 127), RGB(126, 0, 0), kSentinel}));
  // Weight 255 is the image alone, scaled by 255/256.
  EXPECT_EQ(Paint({kWhite}, [](TCanvas& c, const RECT& r, TCustomImageList& i) { DrawImageTinted(c, r, i, 0, clRed, 255); }),
            (std::vector<COLORREF>{RGB(254, 254, 254)}));
}

TEST_F(ImageEffects, EffectsDarkenTheBackgroundByTheImagesLuma) {
  // The sentinel background is (18, 52, 86); factor = offset + luma div divisor.
  struct TCase {
    int Effect;
    COLORREF Image, Expected;
  } cases[] = {
      {0, kWhite, RGB(17, 51, 85)},             // 170 + 254 div 3 = 254
      {0, kBlack, RGB(11, 34, 57)},             // 170
      {0, RGB(255, 0, 0), RGB(12, 36, 60)},     // red weighs 29 here: 170 + 28 div 3 = 179
      {0, RGB(0, 0, 255), RGB(13, 39, 65)},     // blue weighs 76: 170 + 75 div 3 = 195
      {1, kBlack, RGB(15, 45, 75)},             // 224
      {2, kBlack, RGB(17, 49, 81)},             // 243
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Paint({c.Image, kMask}, [&](TCanvas& canvas, const RECT& r, TCustomImageList& i) {
                DrawImageEffect(canvas, r, i, 0, c.Effect);
              }),
              (std::vector<COLORREF>{c.Expected, kSentinel}))
        << c.Effect << " " << std::hex << c.Image;
}

TEST_F(ImageEffects, UnknownEffectsAreAssertions) {
  auto images = OneRowImage({kWhite});
  TPixels pixels(2, 2);
  TDCCanvas canvas(pixels.DC());
  for (int effect : {3, -1}) {
    try {
      DrawImageEffect(*canvas, {0, 0, 2, 2}, *images, 0, effect);
      ADD_FAILURE() << effect;
    } catch (const EAssertionFailed& e) {
      EXPECT_NE(e.Message().find(L"TBXUtils"), String::npos);
      EXPECT_NE(e.Message().find(L"1275"), String::npos);
    }
  }
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
}

TEST_F(ImageEffects, SilhouettePaintsTheDarkPartsInOneColour) {
  // 180*255 = 45900 lies below the threshold 46081, 181*255 = 46155 above it.
  EXPECT_EQ(Paint({kBlack, RGB(180, 180, 180), RGB(181, 181, 181), kWhite, kMask},
                  [](TCanvas& c, const RECT& r, TCustomImageList& i) { DrawImageSilhouette(c, r, i, 0, kPaint); }),
            (std::vector<COLORREF>{kPaint, kPaint, kSentinel, kSentinel, kSentinel}));
}

TEST_F(ImageEffects, TheRectClipsTheImage) {
  auto images = OneRowImage({kWhite, kWhite, kWhite, kWhite});
  TPixels pixels(6, 3);
  TDCCanvas canvas(pixels.DC());
  DrawImageTinted(*canvas, {1, 1, 3, 3}, *images, 0, clRed, 255);
  DrawImageSilhouette(*canvas, {1, 2, 3, 3}, *images, 0, kPaint);
  EXPECT_EQ(pixels.At(2, 1), RGB(254, 254, 254));
  EXPECT_TRUE(pixels.UntouchedOutside({1, 1, 3, 2}));
}

TEST_F(ImageEffects, AnEmptyRectPaintsNothingAndLeavesTheWorkBitmapsAlone) {
  auto images = OneRowImage({kBlack, kWhite});
  TPixels pixels(6, 3);
  TDCCanvas canvas(pixels.DC());
  // Give the work bitmaps a size of their own first.
  DrawImageBlended(*canvas, {4, 0, 6, 1}, *images, 0, true);
  DrawImageSilhouette(*canvas, {4, 2, 6, 3}, *images, 0, kPaint);
  pixels.Fill(kSentinel);
  TBitmap* work[] = {tbx::WorkBitmapA(), tbx::WorkBitmapB(), tbx::WorkBitmapM()};
  std::vector<std::tuple<HBITMAP, int, int>> before;
  for (TBitmap* b : work) before.emplace_back(b->Handle(), b->Width(), b->Height());

  const std::function<void(const RECT&)> routines[] = {
      [&](const RECT& r) { DrawImageBlended(*canvas, r, *images, 0, false); },
      [&](const RECT& r) { DrawImageBlended(*canvas, r, *images, 0, true); },
      [&](const RECT& r) { DrawImageTinted(*canvas, r, *images, 0, clRed, 100); },
      [&](const RECT& r) { DrawImageEffect(*canvas, r, *images, 0, 1); },
      [&](const RECT& r) { DrawImageSilhouette(*canvas, r, *images, 0, kPaint); },
  };
  for (const auto& routine : routines)
    for (const RECT& empty : {RECT{1, 1, 1, 3}, RECT{1, 1, 5, 1}, RECT{3, 1, 1, 3}}) routine(empty);
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(std::make_tuple(work[i]->Handle(), work[i]->Width(), work[i]->Height()), before[i]) << i;
}

}  // namespace
