#pragma once
// Small painting helpers of the docking layer's frames.
#include "classlib/GdiHandles.h"
#include "classlib/Seams.h"

namespace dockpaint {

// A system colour as the settings seam tells it.
inline COLORREF SysColor(int Index) { return seams::SystemSettings().SysColor(Index); }

inline void FillSolid(HDC DC, const RECT& R, COLORREF Color) {
  gdi::BrushHandle brush(CreateSolidBrush(Color));
  FillRect(DC, &R, brush.Get());
}

// Paints a monochrome 8 x 8 glyph (rows given top first, the high bit leftmost) into R's
// top-left corner in the colour, leaving the pixels of clear bits as they are.
void DrawGlyph(HDC DC, const RECT& R, const BYTE (&Rows)[8], COLORREF Color);

}  // namespace dockpaint
