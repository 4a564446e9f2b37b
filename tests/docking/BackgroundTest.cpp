// Dock backgrounds: tiling from an origin, the transparent colour, change handlers, and the
// cost of small pictures behind large areas.
#include "DockTestSupport.h"

#include <chrono>

using dock_tests::TPixels;

namespace {

// A picture whose every pixel tells where it lies.
void Paint(TBitmap& Bitmap, int W, int H) {
  Bitmap.SetSize(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) Bitmap.ScanLine(y)[x] = RGBToPixel(RGB(10 + x * 7, 20 + y * 9, 200));
  Bitmap.Changed();
}

COLORREF PictureAt(int W, int H, int X, int Y) {
  const int x = ((X % W) + W) % W, y = ((Y % H) + H) % H;
  return RGB(10 + x * 7, 20 + y * 9, 200);
}

class TChangeSpy : public TObject {
 public:
  void Changed(TObject* Sender) {
    Senders.push_back(Sender);
    if (Hook) Hook();
  }
  TNotifyEvent Handler() { return TNotifyEvent(this, &TChangeSpy::Changed); }
  std::vector<TObject*> Senders;
  std::function<void()> Hook;
};

class Backgrounds : public testing::Test {
 protected:
  void TearDown() override { background->Free(); }
  TTBBackground* background = new TTBBackground(nullptr);
};

}  // namespace

TEST_F(Backgrounds, APictureTilesFromTheRectanglesTopLeftAsAPatternOrAsCopies) {
  for (SIZE size : {SIZE{8, 8}, SIZE{16, 12}}) {
    Paint(background->Bitmap(), size.cx, size.cy);
    TPixels pixels(60, 50);
    // Painted from an origin above and left of the area, within a clip inside it.
    IntersectClipRect(pixels.DC(), 3, 4, 57, 46);
    background->Draw(pixels.DC(), RECT{-5, -7, 60, 50});
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 60; ++x) {
        const bool inside = x >= 3 && x < 57 && y >= 4 && y < 46;
        const COLORREF expected = inside ? PictureAt(size.cx, size.cy, x + 5, y + 7) : testing_support::kSentinel;
        ASSERT_EQ(expected, pixels.At(x, y)) << size.cx << "x" << size.cy << " at " << x << "," << y;
      }
  }
}

TEST_F(Backgrounds, TheBottomLeftColourShowsTheBackgroundColourWhenTransparent) {
  TBitmap& bitmap = background->Bitmap();
  bitmap.SetSize(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) bitmap.ScanLine(y)[x] = RGBToPixel(x == y ? RGB(200, 0, 0) : RGB(0, 0, 90));
  bitmap.ScanLine(2)[0] = RGBToPixel(RGB(0, 0, 90));
  bitmap.Changed();
  background->SetBkColor(static_cast<TColor>(RGB(0, 180, 0)));
  for (bool transparent : {false, true}) {
    background->SetTransparent(transparent);
    TPixels pixels(8, 6);
    background->Draw(pixels.DC(), RECT{0, 0, 8, 6});
    EXPECT_EQ(RGB(200, 0, 0), pixels.At(1, 1)) << transparent;
    EXPECT_EQ(transparent ? RGB(0, 180, 0) : RGB(0, 0, 90), pixels.At(2, 1)) << transparent;
    EXPECT_EQ(transparent ? RGB(0, 180, 0) : RGB(0, 0, 90), pixels.At(6, 4)) << transparent;
  }
}

TEST_F(Backgrounds, ChangesReachEachHandlerOnceAndOnlyWhenThePictureChanges) {
  TChangeSpy a, b;
  background->RegisterChanges(a.Handler());
  background->RegisterChanges(a.Handler());
  background->RegisterChanges(b.Handler());
  Paint(background->Bitmap(), 4, 4);
  ASSERT_FALSE(a.Senders.empty());
  EXPECT_EQ(background, a.Senders.front());
  // Registered twice, called as often as a handler registered once.
  EXPECT_EQ(b.Senders.size(), a.Senders.size());
  const size_t painted = a.Senders.size();
  // The background colour of an opaque picture shows nowhere: no change.
  background->SetBkColor(clRed);
  background->SysColorChanged();
  EXPECT_EQ(painted, a.Senders.size());
  background->SetTransparent(true);
  background->SetBkColor(clBtnFace);
  background->SysColorChanged();  // a system colour follows the system's changes
  EXPECT_EQ(painted + 3, a.Senders.size());
  // A handler that unregisters another during a change: the other is not called.
  a.Hook = [&] { background->UnregisterChanges(b.Handler()); };
  const size_t before = b.Senders.size();
  background->SetTransparent(false);
  EXPECT_EQ(before, b.Senders.size());
  background->UnregisterChanges(a.Handler());
  // An empty picture is not used.
  EXPECT_TRUE(background->UsingBackground());
  background->Bitmap().SetSize(0, 0);
  EXPECT_FALSE(background->UsingBackground());
}

TEST_F(Backgrounds, ATinyPicturePaintsALargeAreaAsFastAsALargeOne) {
  // Behind a form's bottom dock the picture's origin lies far from the area painted.
  auto time = [&](int size) {
    Paint(background->Bitmap(), size, size);
    TPixels pixels(1280, 200);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) background->Draw(pixels.DC(), RECT{-3000, -5000, 1280, 200});
    GdiFlush();
    EXPECT_EQ(PictureAt(size, size, 100 + 3000, 50 + 5000), pixels.At(100, 50)) << size;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  const double large = time(64);
  const double tiny = time(1);
  EXPECT_LT(tiny, 3 * large + 100) << "1 x 1: " << tiny << " ms, 64 x 64: " << large << " ms";
}
