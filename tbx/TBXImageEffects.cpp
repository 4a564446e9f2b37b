// Images recoloured on their way to the screen: the destination under the image and the image
// drawn over it are compared in the 32-bit work bitmaps, and only the pixels the image painted
// change.
#include "tbx/TBXUtils.h"

#include "classlib/ImgList.h"
#include "classlib/SysUtils.h"

#include <algorithm>

namespace {

constexpr wchar_t kUnit[] = L"TBXUtils";
constexpr int kEffectAssertionLine = 1275;

int PixelRed(uint32_t P) { return (P >> 16) & 0xFF; }
int PixelGreen(uint32_t P) { return (P >> 8) & 0xFF; }
int PixelBlue(uint32_t P) { return P & 0xFF; }
uint32_t MakePixel(int R, int G, int B) {
  return (static_cast<uint32_t>(R) << 16) | (static_cast<uint32_t>(G) << 8) | static_cast<uint32_t>(B);
}

// The weighted brightness the recolouring thresholds compare with (256 times the luma).
int PixelLuma(uint32_t P) { return PixelRed(P) * 76 + PixelGreen(P) * 150 + PixelBlue(P) * 29; }

// The part of the image the rect shows: empty when either side is.
SIZE ClippedImageSize(const RECT& R, const TCustomImageList& Images) {
  SIZE size{std::min(Images.Width(), static_cast<int>(R.right - R.left)),
            std::min(Images.Height(), static_cast<int>(R.bottom - R.top))};
  if (size.cx <= 0 || size.cy <= 0) return {0, 0};
  return size;
}

TBitmap& WorkBitmap(TBitmap* Bitmap) {
  if (!Bitmap) throw EInvalidOperation(L"The theme utilities are not initialised");
  return *Bitmap;
}

void CopyFromDC(TBitmap& Target, HDC Source, const RECT& R, SIZE Size) {
  Target.SetSize(Size.cx, Size.cy);
  ::BitBlt(TBitmapDC(Target).Get(), 0, 0, Size.cx, Size.cy, Source, R.left, R.top, SRCCOPY);
}

// Copies the destination under the image into A and B, draws the image into B and hands every
// pixel the image changed to Recolour(background pixel in A, image pixel in B), which rewrites
// the one in A; A then goes back to the destination.
template <class F>
void RecolourOverBackground(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index,
                            SIZE Size, F Recolour) {
  TBitmap& a = WorkBitmap(tbx::WorkBitmapA());
  TBitmap& b = WorkBitmap(tbx::WorkBitmapB());
  TCanvasLock drawing(Canvas);
  HDC dc = Canvas.Handle();
  CopyFromDC(a, dc, R, Size);
  CopyFromDC(b, dc, R, Size);
  Images.Draw(b.Canvas(), 0, 0, Index, true);
  for (int y = 0; y < Size.cy; ++y) {
    uint32_t* background = a.ScanLine(y);
    const uint32_t* image = b.ScanLine(y);
    for (int x = 0; x < Size.cx; ++x) {
      const uint32_t pixel = image[x] & 0xFFFFFF;
      if (pixel != (background[x] & 0xFFFFFF)) background[x] = Recolour(background[x] & 0xFFFFFF, pixel);
    }
  }
  ::BitBlt(dc, R.left, R.top, Size.cx, Size.cy, TBitmapDC(a).Get(), 0, 0, SRCCOPY);
}

}  // namespace

void DrawImageBlended(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index, bool Dark) {
  const SIZE size = ClippedImageSize(R, Images);
  if (size.cx == 0) return;
  if (!Dark) {
    Images.Draw(Canvas, R.left, R.top, Index, true);
    return;
  }
  RecolourOverBackground(Canvas, R, Images, Index, size, [](uint32_t, uint32_t Pixel) {
    const int luma = PixelLuma(Pixel);
    if (luma > 0xFD00)
      Pixel = 0;
    else if (luma < 25600)
      Pixel = 0xFFFFFF;
    // The same shift for every channel: the pixel's byte order does not matter.
    return static_cast<uint32_t>(ShiftColorBrightness(static_cast<TColor>(Pixel), 32));
  });
}

void DrawImageTinted(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index,
                     TColor Tint, int Weight) {
  const SIZE size = ClippedImageSize(R, Images);
  if (size.cx == 0) return;
  const uint32_t tint = ColorToPixel32(Tint);
  const int w = std::clamp(Weight, 0, 255);
  auto mix = [w](int T, int P) { return (T * (255 - w) + P * w) >> 8; };
  RecolourOverBackground(Canvas, R, Images, Index, size, [&](uint32_t, uint32_t Pixel) {
    return MakePixel(mix(PixelRed(tint), PixelRed(Pixel)), mix(PixelGreen(tint), PixelGreen(Pixel)),
                     mix(PixelBlue(tint), PixelBlue(Pixel)));
  });
}

void DrawImageEffect(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index, int Effect) {
  if (Effect < 0 || Effect > 2) AssertionFailed(kUnit, kEffectAssertionLine, L"Unknown image effect");
  const SIZE size = ClippedImageSize(R, Images);
  if (size.cx == 0) return;
  static constexpr int kDivisor[] = {3, 8, 20};
  static constexpr int kOffset[] = {170, 224, 243};
  const int divisor = kDivisor[Effect], offset = kOffset[Effect];
  RecolourOverBackground(Canvas, R, Images, Index, size, [=](uint32_t Background, uint32_t Pixel) {
    // Red and blue weigh the other way round here than in the other routines.
    const int luma = (PixelRed(Pixel) * 29 + PixelGreen(Pixel) * 150 + PixelBlue(Pixel) * 76) >> 8;
    const int factor = offset + luma / divisor;
    return MakePixel(PixelRed(Background) * factor >> 8, PixelGreen(Background) * factor >> 8,
                     PixelBlue(Background) * factor >> 8);
  });
}

void DrawImageSilhouette(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index,
                         TColor Color) {
  const SIZE size = ClippedImageSize(R, Images);
  if (size.cx == 0 || Color == clNone) return;
  TBitmap& b = WorkBitmap(tbx::WorkBitmapB());
  TBitmap& m = WorkBitmap(tbx::WorkBitmapM());
  b.SetSize(size.cx, size.cy);
  ::PatBlt(TBitmapDC(b).Get(), 0, 0, size.cx, size.cy, WHITENESS);
  Images.Draw(b.Canvas(), 0, 0, Index, true);
  // Black where the image is dark, white elsewhere (and where it left the white background).
  for (int y = 0; y < size.cy; ++y) {
    uint32_t* row = b.ScanLine(y);
    for (int x = 0; x < size.cx; ++x) {
      const uint32_t pixel = row[x] & 0xFFFFFF;
      if (pixel != 0) row[x] = PixelLuma(pixel) < 46081 ? 0 : 0xFFFFFF;
    }
  }
  m.SetSize(size.cx, size.cy);
  {
    TBitmapDC source(b);
    ::SetBkColor(source.Get(), RGB(255, 255, 255));  // white becomes a set bit
    ::BitBlt(TBitmapDC(m).Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
  }
  TCanvasLock drawing(Canvas);
  HDC dc = Canvas.Handle();
  TColorBrush brush(Color);
  gdi::SelectionGuard selectBrush(dc, brush.Get());
  // A clear bit (the dark parts) turns white: the brush shows there.
  tbx::TMonoSourceColors colors(dc, RGB(255, 255, 255), RGB(0, 0, 0));
  ::BitBlt(dc, R.left, R.top, size.cx, size.cy, TBitmapDC(m).Get(), 0, 0, ROP_BrushWhereSourceSet);
}
