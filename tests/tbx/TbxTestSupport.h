#pragma once
// Helpers of the theme-layer tests: a 32-bit DIB to paint into and read back, system colours
// that the tests choose, the utilities' start-up for one test, and the optional system
// functions swapped for one scope.
#include "classlib/GdiHandles.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/Seams.h"
#include "common/Pixels.h"
#include "common/TestSupport.h"
#include "tbx/Rmkthemes.h"
#include "tbx/TBXUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tbx_test {

constexpr TColor Rgb(int R, int G, int B) { return static_cast<TColor>(RGB(R, G, B)); }
constexpr TColor Gray(int V) { return Rgb(V, V, V); }

using testing_support::kSentinel;
using testing_support::TPixels;

// System colours chosen by the test (others as the host has them).
class TFakeColors : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int Index) override {
    auto found = Colors.find(Index);
    return found != Colors.end() ? found->second : seams::TSystemSettings::SysColor(Index);
  }
  std::map<int, COLORREF> Colors;
};

// The optional system functions as a test sets them, put back at the end of the scope.
class TLateBoundScope {
 public:
  TLateBoundScope() : saved_(tbx::LateBound()) {}
  ~TLateBoundScope() { tbx::LateBound() = saved_; }
  TLateBoundScope(const TLateBoundScope&) = delete;
  TLateBoundScope& operator=(const TLateBoundScope&) = delete;

 private:
  tbx::TLateBoundFunctions saved_;
};

// Every theme-utility test runs between InitTBXUtils and FinalizeTBXUtils (and the gradient
// painters' pair), with system colours of its own.
class TbxTest : public testing::Test {
 protected:
  void SetUp() override {
    InitTBXUtils();
    InitRmkthemes();
  }
  void TearDown() override {
    FinalizeRmkthemes();
    FinalizeTBXUtils();
  }
  TFakeColors colors;
  seams::Scoped<seams::TSystemSettings> useColors{colors};
};

// The GDI objects selected into a DC and its text and background colours, to compare before and
// after a drawing call.
struct TDCState {
  explicit TDCState(HDC DC)
      : Pen(GetCurrentObject(DC, OBJ_PEN)), Brush(GetCurrentObject(DC, OBJ_BRUSH)),
        Bitmap(GetCurrentObject(DC, OBJ_BITMAP)), Font(GetCurrentObject(DC, OBJ_FONT)),
        Text(GetTextColor(DC)), Back(GetBkColor(DC)) {}
  bool operator==(const TDCState&) const = default;
  HGDIOBJ Pen, Brush, Bitmap, Font;
  COLORREF Text, Back;
};

// An image list of one image, W pixels wide and 1 high, from the colours given; kMask marks the
// pixels the image leaves transparent.
constexpr COLORREF kMask = RGB(255, 0, 255);
inline std::unique_ptr<TCustomImageList> OneRowImage(std::initializer_list<COLORREF> Pixels) {
  auto images = std::make_unique<TCustomImageList>(nullptr);
  const int w = static_cast<int>(Pixels.size());
  images->SetSize(w, 1);
  TBitmap strip;
  strip.SetSize(w, 1);
  uint32_t* row = strip.ScanLine(0);
  int x = 0;
  for (COLORREF c : Pixels) row[x++] = RGBToPixel(c);
  images->AddMasked(strip, kMask);
  return images;
}

inline std::string Hex(COLORREF C) {
  std::ostringstream s;
  s << std::hex << C;
  return s.str();
}

// A colour as the settings seam resolves it.
inline COLORREF Resolved(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

// Where two bitmaps of one size first differ, if they do.
inline std::optional<POINT> FirstDifference(const TPixels& A, const TPixels& B) {
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x)
      if (A.At(x, y) != B.At(x, y)) return POINT{x, y};
  return std::nullopt;
}

#define EXPECT_SAME_PIXELS(A, B)                                                                     \
  do {                                                                                               \
    const std::optional<POINT> differs = tbx_test::FirstDifference(A, B);                            \
    EXPECT_FALSE(differs) << "first difference at " << differs->x << ", " << differs->y << ": "     \
                          << tbx_test::Hex((A).At(differs->x, differs->y)) << " against "            \
                          << tbx_test::Hex((B).At(differs->x, differs->y));                          \
  } while (false)

// A canvas on a foreign DC for one scope.
class TDCCanvas {
 public:
  explicit TDCCanvas(HDC DC) { canvas_.SetHandle(DC); }
  ~TDCCanvas() { canvas_.SetHandle(nullptr); }
  TDCCanvas(const TDCCanvas&) = delete;
  TDCCanvas& operator=(const TDCCanvas&) = delete;
  TCanvas& operator*() { return canvas_; }
  TCanvas* operator->() { return &canvas_; }

 private:
  TCanvas canvas_;
};

}  // namespace tbx_test
