#pragma once
// Helpers of the control tests: fixed system colours, a shown host form, and painting a
// control into a bitmap to read its pixels.
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/Panels.h"
#include "classlib/Seams.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace control_tests {

// System colours that no host default has, so that a pixel tells which one was painted.
class TFixedColors : public seams::TSystemSettings {
 public:
  static constexpr COLORREF Highlight = RGB(250, 251, 252);
  static constexpr COLORREF Shadow = RGB(100, 101, 102);
  static constexpr COLORREF DarkShadow = RGB(10, 11, 12);
  static constexpr COLORREF Face = RGB(200, 201, 202);
  COLORREF SysColor(int index) override {
    switch (index) {
      case COLOR_BTNHIGHLIGHT: return Highlight;
      case COLOR_BTNSHADOW: return Shadow;
      case COLOR_3DDKSHADOW: return DarkShadow;
      case COLOR_BTNFACE: return Face;
      default: return seams::TSystemSettings::SysColor(index);
    }
  }
};

// A shown form for the controls of one test, freed after it.
class ControlTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(50, 50, 300, 200);
    form_->SetColor(clWhite);
    form_->Show();
  }
  void TearDown() override { form_->Free(); }

  TForm* form_ = nullptr;
  TFixedColors colors_;
  seams::Scoped<seams::TSystemSettings> scopedColors_{colors_};
};

// Counts the clicks and double clicks of the controls bound to it.
struct TClickCounter : TObject {
  int Clicks = 0, DoubleClicks = 0;
  void Click(TObject*) { ++Clicks; }
  void DblClick(TObject*) { ++DoubleClicks; }
};

// A white panel without bevels, the background that graphic controls are painted on.
inline TPanel* MakePlainPanel(TWinControl* parent, int left, int top, int width, int height) {
  auto* panel = new TPanel(parent);
  panel->SetBounds(left, top, width, height);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(RGB(255, 255, 255));
  panel->SetParent(parent);
  return panel;
}

// Paints the client area of `control` (and its graphic children) into a bitmap first filled
// with `background`.
inline std::unique_ptr<TBitmap> Render(TWinControl& control, COLORREF background = RGB(0, 255, 0)) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(control.ClientWidth(), control.ClientHeight());
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x) bitmap->ScanLine(y)[x] = RGBToPixel(background);
  SendMessageW(control.Handle(), WM_PAINT, reinterpret_cast<WPARAM>(bitmap->CanvasDC()), 0);
  GdiFlush();
  return bitmap;
}

inline COLORREF Pixel(TBitmap& bitmap, int x, int y) { return PixelToRGB(bitmap.ScanLine(y)[x]); }

// How many pixels of a colour lie in the rectangle.
inline int CountPixels(TBitmap& bitmap, const RECT& r, COLORREF color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (Pixel(bitmap, x, y) == color) ++n;
  return n;
}

}  // namespace control_tests
