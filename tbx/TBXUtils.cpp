// The process-wide objects of the theme utilities and the optional system functions they bind:
// made by InitTBXUtils in the program's start-up sequence and freed by FinalizeTBXUtils.
#include "tbx/TBXUtils.h"

#include "tbx/TBXSystemLibraries.h"

#include <cstddef>
#include <memory>

namespace {

struct TUtilityObjects {
  std::unique_ptr<TBitmap> A;        // 32 bits, resized by each user
  std::unique_ptr<TBitmap> B;        // 32 bits, resized by each user
  std::unique_ptr<TBitmap> M;        // monochrome
  std::unique_ptr<TBitmap> Palette;  // 8 x 8 in the screen's format: a DC for GetNearestColor
  std::unique_ptr<TFont> SmCaptionFont;
};

TUtilityObjects Objects;
tbx::TLateBoundFunctions LateBoundFunctions;
tbx::TLibraryHandle Msimg32;
int InitCount = 0;

void BindLateFunctions() {
  LateBoundFunctions.UpdateLayeredWindow = tbx::BindFunction<tbx::TUpdateLayeredWindowFunc>(
      ::GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow");
  Msimg32 = tbx::LoadSystemLibrary(L"msimg32.dll");
  LateBoundFunctions.AlphaBlend = tbx::BindFunction<tbx::TAlphaBlendFunc>(Msimg32.Get(), "AlphaBlend");
  LateBoundFunctions.GradientFill =
      tbx::BindFunction<tbx::TGradientFillFunc>(Msimg32.Get(), "GradientFill");
}

std::unique_ptr<TBitmap> NewBitmap(TPixelFormat Format) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(Format);
  return bitmap;
}

std::unique_ptr<TFont> NewSmCaptionFont() {
  auto font = std::make_unique<TFont>();
  // The record as systems before Vista know it (500 bytes), which every system accepts.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
    font->SetLogFont(metrics.lfSmCaptionFont);
  return font;
}

}  // namespace

TColor NearestColor(TColor C) {
  C = ColorToRGB(C);
  if (!Objects.Palette) return C;
  const COLORREF nearest = ::GetNearestColor(TBitmapDC(*Objects.Palette).Get(), static_cast<COLORREF>(C));
  return nearest == CLR_INVALID ? C : static_cast<TColor>(nearest);
}

TFont* SmCaptionFont() { return Objects.SmCaptionFont.get(); }

void CreateUtilityObjects() {
  TUtilityObjects made;
  made.A = NewBitmap(pf32bit);
  made.B = NewBitmap(pf32bit);
  made.M = NewBitmap(pf1bit);
  made.Palette = NewBitmap(pfDevice);
  made.Palette->SetSize(8, 8);
  made.SmCaptionFont = NewSmCaptionFont();
  Objects = std::move(made);
}

void FreeUtilityObjects() { Objects = TUtilityObjects(); }

void RecreateUtilityObjects() {
  FreeUtilityObjects();
  CreateUtilityObjects();
}

void InitTBXUtils() {
  if (InitCount > 0) {
    ++InitCount;
    return;
  }
  BindLateFunctions();
  CreateUtilityObjects();
  InitCount = 1;
}

void FinalizeTBXUtils() {
  if (InitCount == 0 || --InitCount > 0) return;
  ClearGradientRamps();
  FreeUtilityObjects();
  LateBoundFunctions = {};
  Msimg32.Reset();
}

namespace tbx {

TLateBoundFunctions& LateBound() { return LateBoundFunctions; }

TBitmap* WorkBitmapA() { return Objects.A.get(); }
TBitmap* WorkBitmapB() { return Objects.B.get(); }
TBitmap* WorkBitmapM() { return Objects.M.get(); }

}  // namespace tbx
