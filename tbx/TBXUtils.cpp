// The process-wide objects of the theme utilities and the optional system functions they bind:
// made by InitTBXUtils in the program's start-up sequence and freed by FinalizeTBXUtils.
#include "tbx/TBXUtils.h"

#include "classlib/Seams.h"
#include "tbx/TBXSystemLibraries.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// 8 x 8 pixels in the screen's format, in a DC of their own: GetNearestColor asks them. Where
// the settings tell of another colour depth than the screen has (a low-colour display stood in
// for), the pixels have that depth instead.
class TPaletteBitmap {
 public:
  TPaletteBitmap();
  TPaletteBitmap(const TPaletteBitmap&) = delete;
  TPaletteBitmap& operator=(const TPaletteBitmap&) = delete;
  HDC DC() const { return dc_.Get(); }

 private:
  gdi::MemoryDC dc_;
  gdi::BitmapHandle bitmap_;
  std::optional<gdi::SelectionGuard> select_;
};

// A DIB of Depth bits: 16 as 5-6-5, 15 as 5-5-5; at 8 bits and fewer the halftone colours, the
// sixteen standard colours or black and white.
gdi::BitmapHandle BitmapOfDepth(HDC Screen, int Depth) {
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } info{};
  const WORD bits = Depth >= 24 ? 32 : Depth >= 15 ? 16 : Depth > 4 ? 8 : Depth > 1 ? 4 : 1;
  info.Header = {sizeof(BITMAPINFOHEADER), 8, 8, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
  auto setColors = [&](const PALETTEENTRY* Entries, int Count) {
    for (int i = 0; i < Count; ++i) info.Colors[i] = {Entries[i].peBlue, Entries[i].peGreen, Entries[i].peRed, 0};
    info.Header.biClrUsed = static_cast<DWORD>(Count);
  };
  PALETTEENTRY entries[256]{};
  if (Depth == 16) {
    info.Header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    memcpy(info.Colors, masks, sizeof masks);
  } else if (bits == 8) {
    gdi::UniqueHandle<HPALETTE, gdi::detail::DeleteGdiObject> halftone(::CreateHalftonePalette(Screen));
    setColors(entries, static_cast<int>(::GetPaletteEntries(halftone.Get(), 0, 256, entries)));
  } else if (bits == 4) {
    // The stock palette's first eight and last eight of its twenty colours.
    ::GetPaletteEntries(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), 0, 20, entries);
    std::copy(entries + 12, entries + 20, entries + 8);
    setColors(entries, 16);
  } else if (bits == 1) {
    entries[1] = {255, 255, 255, 0};
    setColors(entries, 2);
  }
  void* pixels = nullptr;
  return gdi::BitmapHandle(
      ::CreateDIBSection(Screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
}

TPaletteBitmap::TPaletteBitmap() {
  gdi::WindowDC screen;
  const int screenDepth = ::GetDeviceCaps(screen.Get(), BITSPIXEL) * ::GetDeviceCaps(screen.Get(), PLANES);
  const int depth = seams::SystemSettings().ColorDepth();
  dc_ = gdi::NewMemoryDC(screen.Get());
  if (depth == screenDepth) bitmap_.Reset(::CreateCompatibleBitmap(screen.Get(), 8, 8));
  else bitmap_ = BitmapOfDepth(screen.Get(), depth);
  select_.emplace(dc_.Get(), bitmap_.Get());
}

struct TUtilityObjects {
  std::unique_ptr<TBitmap> A;        // 32 bits, resized by each user
  std::unique_ptr<TBitmap> B;        // 32 bits, resized by each user
  std::unique_ptr<TBitmap> M;        // monochrome
  std::unique_ptr<TPaletteBitmap> Palette;
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
  const COLORREF nearest = ::GetNearestColor(Objects.Palette->DC(), static_cast<COLORREF>(C));
  return nearest == CLR_INVALID ? C : static_cast<TColor>(nearest);
}

TFont* SmCaptionFont() { return Objects.SmCaptionFont.get(); }

void CreateUtilityObjects() {
  TUtilityObjects made;
  made.A = NewBitmap(pf32bit);
  made.B = NewBitmap(pf32bit);
  made.M = NewBitmap(pf1bit);
  made.Palette = std::make_unique<TPaletteBitmap>();
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
