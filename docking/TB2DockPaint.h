#pragma once
// Small painting helpers of the docking layer's frames.
#include "classlib/GdiHandles.h"
#include "classlib/Seams.h"

#include <optional>

namespace dockpaint {

// A system colour as the settings seam tells it.
inline COLORREF SysColor(int Index) { return seams::SystemSettings().SysColor(Index); }

inline void FillSolid(HDC DC, const RECT& R, COLORREF Color) {
  gdi::BrushHandle brush(CreateSolidBrush(Color));
  FillRect(DC, &R, brush.Get());
}

// The client origin of the form a control lies on, in the control's client coordinates: where
// the backgrounds of a form's docks and docked windows start, so that they line up.
POINT FormClientOrigin(HWND Control, HWND Form);

// The DC a non-client painter draws into: the one handed in (WM_PRINT), or the window's own,
// clipped to the update region (WM_NCPAINT).
class TNCPaintDC {
 public:
  TNCPaintDC(HWND Wnd, bool DrawToDC, HDC DC, HRGN Clip);
  TNCPaintDC(const TNCPaintDC&) = delete;
  TNCPaintDC& operator=(const TNCPaintDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  std::optional<gdi::WindowDC> own_;
  HDC dc_;
};

// Paints a monochrome 8 x 8 glyph (rows given top first, the high bit leftmost) into R's
// top-left corner in the colour, leaving the pixels of clear bits as they are.
void DrawGlyph(HDC DC, const RECT& R, const BYTE (&Rows)[8], COLORREF Color);

}  // namespace dockpaint
