#include "docking/TB2DockPaint.h"

#include "items/TB2Common.h"

namespace dockpaint {

POINT FormClientOrigin(HWND Control, HWND Form) {
  POINT origin{0, 0};
  if (Form) MapWindowPoints(Form, Control, &origin, 1);
  return origin;
}

TNCPaintDC::TNCPaintDC(HWND Wnd, bool DrawToDC, HDC DC, HRGN Clip) : dc_(DC) {
  if (DrawToDC) return;
  own_.emplace(Wnd, true);
  dc_ = own_->Get();
  SelectNCUpdateRgn(Wnd, dc_, Clip);
}

void DrawGlyph(HDC DC, const RECT& R, const BYTE (&Rows)[8], COLORREF Color) {
  // Monochrome bitmaps have word-aligned rows.
  BYTE bytes[16];
  for (int i = 0; i < 8; ++i) {
    bytes[2 * i] = Rows[i];
    bytes[2 * i + 1] = 0;
  }
  gdi::BitmapHandle glyph(CreateBitmap(8, 8, 1, 1, bytes));
  gdi::MemoryDC source = gdi::NewMemoryDC(DC);
  gdi::SelectionGuard selected(source.Get(), glyph.Get());
  gdi::BrushHandle brush(CreateSolidBrush(Color));
  gdi::SavedDCState saved(DC);
  SetTextColor(DC, RGB(0, 0, 0));
  SetBkColor(DC, RGB(255, 255, 255));
  SelectObject(DC, brush.Get());
  // Destination where the glyph's bit is clear, the brush where it is set.
  BitBlt(DC, R.left, R.top, 8, 8, source.Get(), 0, 0, 0x00E20746);
}

}  // namespace dockpaint
