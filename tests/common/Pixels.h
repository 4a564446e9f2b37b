#pragma once
// A 32-bit DIB to paint into and read back, for tests that look at pixels.
#include "classlib/GdiHandles.h"
#include "classlib/Graphics.h"

#include <optional>
#include <vector>

namespace testing_support {

// The colour every TPixels starts with: no routine under test paints it by chance.
constexpr COLORREF kSentinel = RGB(0x12, 0x34, 0x56);

// A top-down 32-bit DIB section selected into a memory DC, filled with kSentinel.
class TPixels {
 public:
  TPixels(int W, int H) : w_(W), h_(H) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = gdi::NewMemoryDC();
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    select_.emplace(dc_.Get(), bitmap_.Get());
    Fill(kSentinel);
  }
  HDC DC() const { return dc_.Get(); }
  int Width() const { return w_; }
  int Height() const { return h_; }
  void Fill(COLORREF C) {
    GdiFlush();
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = RGBToPixel(C);
  }
  void Set(int X, int Y, COLORREF C) {
    GdiFlush();
    bits_[Y * w_ + X] = RGBToPixel(C);
  }
  COLORREF At(int X, int Y) const {
    GdiFlush();
    return PixelToRGB(bits_[Y * w_ + X] & 0xFFFFFF);
  }
  // The pixels of row Y (or column X) from the first to the last.
  std::vector<COLORREF> Row(int Y) const {
    std::vector<COLORREF> row;
    for (int x = 0; x < w_; ++x) row.push_back(At(x, Y));
    return row;
  }
  std::vector<COLORREF> Column(int X) const {
    std::vector<COLORREF> column;
    for (int y = 0; y < h_; ++y) column.push_back(At(X, y));
    return column;
  }
  // Whether every pixel outside R still has the sentinel colour.
  bool UntouchedOutside(const RECT& R) const {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const POINT p{x, y};
        if (!PtInRect(&R, p) && At(x, y) != kSentinel) return false;
      }
    return true;
  }

 private:
  int w_, h_;
  uint32_t* bits_ = nullptr;
  gdi::MemoryDC dc_;
  gdi::BitmapHandle bitmap_;
  std::optional<gdi::SelectionGuard> select_;
};

}  // namespace testing_support
