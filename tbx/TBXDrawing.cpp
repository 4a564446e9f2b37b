// The small GDI drawing routines of the theme layer: fills, frames, lines, polygons, dithers,
// bevels, monochrome glyph patterns and two-colour gradients.
#include "tbx/TBXUtils.h"

#include "classlib/ScopeGuard.h"
#include "items/TB2Common.h"

#include <algorithm>

namespace {

// A pen or a brush selected into a DC for one call, deselected before it is deleted.
struct TSelectedPenAndBrush {
  TSelectedPenAndBrush(HDC DC, TColor LineColor, TColor FillColor)
      : pen(MakeColorPen(LineColor)), brush(MakeColorBrush(FillColor)),
        selectPen(DC, pen.Get()), selectBrush(DC, brush.Get()) {}
  gdi::PenHandle pen;
  gdi::BrushHandle brush;
  gdi::SelectionGuard selectPen;
  gdi::SelectionGuard selectBrush;
};

struct TSelectedPen {
  TSelectedPen(HDC DC, TColor Color) : pen(MakeColorPen(Color)), select(DC, pen.Get()) {}
  gdi::PenHandle pen;
  gdi::SelectionGuard select;
};

}  // namespace

TColorBrush::TColorBrush(TColor Color) {
  const COLORREF wanted = ColorToGdi(Color);
  if (IsSystemColor(Color)) {
    // The system's brush paints the system's colour: it serves only while the settings seam
    // answers that same colour (tests answer their own).
    const int index = Color & 0xFF;
    if (::GetSysColor(index) == wanted) brush_ = ::GetSysColorBrush(index);
    if (brush_) return;
  }
  own_.Reset(::CreateSolidBrush(wanted));
  brush_ = own_.Get();
}

gdi::PenHandle MakeColorPen(TColor Color) {
  if (Color == clNone) return gdi::PenHandle(::CreatePen(PS_NULL, 1, 0));
  return gdi::PenHandle(::CreatePen(PS_SOLID, 1, ColorToGdi(Color)));
}

gdi::BrushHandle MakeColorBrush(TColor Color) {
  if (Color == clNone) {
    const LOGBRUSH hollow{BS_NULL, 0, 0};
    return gdi::BrushHandle(::CreateBrushIndirect(&hollow));
  }
  return gdi::BrushHandle(::CreateSolidBrush(ColorToGdi(Color)));
}

bool FillRectColor(HDC DC, const RECT& R, TColor Color) {
  if (Color == clNone) return false;
  TColorBrush brush(Color);
  ::FillRect(DC, &R, brush.Get());
  return true;
}

void FillRectBand(HDC DC, const RECT& Outer, const RECT& Inner, TColor Color) {
  FillRectColor(DC, RECT{Outer.left, Outer.top, Outer.right, Inner.top}, Color);
  FillRectColor(DC, RECT{Outer.left, Inner.bottom, Outer.right, Outer.bottom}, Color);
  FillRectColor(DC, RECT{Outer.left, Inner.top, Inner.left, Inner.bottom}, Color);
  FillRectColor(DC, RECT{Inner.right, Inner.top, Outer.right, Inner.bottom}, Color);
}

bool FrameRectColor(HDC DC, RECT& R, TColor Color, bool Deflate) {
  if (Color != clNone) {
    TColorBrush brush(Color);
    ::FrameRect(DC, &R, brush.Get());
  }
  if (Deflate) ::InflateRect(&R, -1, -1);
  return Color != clNone;
}

void DrawColorLine(HDC DC, int X1, int Y1, int X2, int Y2, TColor Color) {
  if (Color == clNone) return;
  TSelectedPen pen(DC, Color);
  ::MoveToEx(DC, X1, Y1, nullptr);
  ::LineTo(DC, X2, Y2);
}

bool DrawColorPolyline(HDC DC, std::span<const POINT> Points, TColor Color) {
  if (Color == clNone) return false;
  TSelectedPen pen(DC, Color);
  ::Polyline(DC, Points.data(), static_cast<int>(Points.size()));
  return true;
}

void DrawColorPolygon(HDC DC, std::span<const POINT> Points, TColor LineColor, TColor FillColor) {
  if (LineColor == clNone && FillColor == clNone) return;
  TSelectedPenAndBrush tools(DC, LineColor, FillColor);
  ::Polygon(DC, Points.data(), static_cast<int>(Points.size()));
}

void DrawColorRoundRect(HDC DC, int Left, int Top, int Right, int Bottom, int CornerWidth,
                        int CornerHeight, TColor LineColor, TColor FillColor) {
  if (LineColor == clNone && FillColor == clNone) return;
  TSelectedPenAndBrush tools(DC, LineColor, FillColor);
  ::RoundRect(DC, Left, Top, Right, Bottom, CornerWidth, CornerHeight);
}

gdi::BrushHandle MakeDitherBrush(TColor Color1, TColor Color2) {
  return gdi::BrushHandle(::CreatePatternBrush(AllocPatternBitmap(Color1, Color2)->Handle()));
}

void FillRectDither(HDC DC, const RECT& R, TColor Color1, TColor Color2) {
  gdi::BrushHandle brush = MakeDitherBrush(Color1, Color2);
  ::FillRect(DC, &R, brush.Get());
}

void DrawBevelEdges(HDC DC, RECT& R, TColor LightColor, TColor DarkColor, bool Inner) {
  const int lastColumn = R.right - 1, lastRow = R.bottom - 1;
  const POINT light[] = {{R.left, lastRow}, {R.left, R.top}, {lastColumn, R.top}};
  // A polyline leaves out its last point: the dark edge ends on the light edge's column.
  const POINT dark[] = {{lastColumn, R.top}, {lastColumn, lastRow}, {R.left - 1, lastRow}};
  DrawColorPolyline(DC, light, LightColor);
  DrawColorPolyline(DC, dark, DarkColor);
  if (Inner)
    R = {R.left + 1, R.top + 1, lastColumn, lastRow};
  else
    R = {R.left, R.top, lastColumn - 1, lastRow - 1};
}

void DrawMonoPattern(HDC DC, const RECT& R, int Width, int Height, TMonoPattern Bits, TColor Color) {
  if (Color == clNone) return;
  // CreateBitmap wants every row of a monochrome bitmap padded to a WORD.
  WORD rows[8];
  for (size_t i = 0; i < 8; ++i) rows[i] = Bits[i];
  gdi::BitmapHandle pattern(::CreateBitmap(8, 8, 1, 1, rows));
  gdi::MemoryDC patternDC = gdi::NewMemoryDC(DC);
  gdi::SelectionGuard selectPattern(patternDC.Get(), pattern.Get());
  TColorBrush brush(Color);
  gdi::SelectionGuard selectBrush(DC, brush.Get());
  // A set bit turns white (the brush shows), a clear one black (the destination stays).
  tbx::TMonoSourceColors colors(DC, RGB(0, 0, 0), RGB(255, 255, 255));
  const int x = (R.left + R.right - Width + 1) / 2, y = (R.top + R.bottom - Height + 1) / 2;
  // The pattern has 8 x 8 pixels; nothing beyond them is part of it.
  ::BitBlt(DC, x, y, std::min(Width, 8), std::min(Height, 8), patternDC.Get(), 0, 0,
           ROP_BrushWhereSourceSet);
}

void PaintGradientRect(HDC DC, const RECT& R, TColor C1, TColor C2, TGradientRectDirection Direction) {
  if (!::RectVisible(DC, &R)) return;
  const bool vertical = Direction == gdVertical;
  if (tbx::TGradientFillFunc gradientFill = tbx::LateBound().GradientFill) {
    tbx::FillRectGradient(gradientFill, DC, R, C1, C2, vertical);
    return;
  }
  const int n = vertical ? R.bottom - R.top : R.right - R.left;
  if (n < 1) return;
  RECT clip{};
  ::GetClipBox(DC, &clip);
  const int start = vertical ? R.top : R.left, end = vertical ? R.bottom : R.right;
  const int clipStart = vertical ? clip.top : clip.left, clipEnd = vertical ? clip.bottom : clip.right;
  const int first = std::max(0, clipStart - start);
  const int last = n - 1 - std::max(0, end - clipEnd);
  const TGradientRamp& ramp = GetGradientRamp(n, ColorToRGB(C1), ColorToRGB(C2));
  for (int i = first; i <= last; ++i) {
    const RECT line = vertical ? RECT{R.left, start + i, R.right, start + i + 1}
                               : RECT{start + i, R.top, start + i + 1, R.bottom};
    tbx::FillSolidRect(DC, line, static_cast<COLORREF>(ramp[static_cast<size_t>(i)]));
  }
}

namespace tbx {

void FillSolidRect(HDC DC, const RECT& R, COLORREF Color) {
  // FillRect would paint an upside-down rect the other way up.
  if (R.right <= R.left || R.bottom <= R.top) return;
  gdi::BrushHandle brush(::CreateSolidBrush(Color));
  ::FillRect(DC, &R, brush.Get());
}

void FillRectGradient(TGradientFillFunc GradientFill, HDC DC, const RECT& R, TColor Start,
                      TColor End, bool Vertical) {
  if (::IsRectEmpty(&R)) return;
  auto vertex = [](LONG X, LONG Y, TColor Color) {
    const COLORREF c = ColorToGdi(Color);
    return TRIVERTEX{X, Y, static_cast<COLOR16>(GetRValue(c) << 8), static_cast<COLOR16>(GetGValue(c) << 8),
                     static_cast<COLOR16>(GetBValue(c) << 8), 0};
  };
  TRIVERTEX vertices[2] = {vertex(R.left, R.top, Start), vertex(R.right, R.bottom, End)};
  GRADIENT_RECT mesh{0, 1};
  GradientFill(DC, vertices, 2, &mesh, 1, Vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

}  // namespace tbx

void DrawSmallCaption(TCanvas& Canvas, const RECT& R, const wchar_t* Text, TColor Color, bool Rotated) {
  if (!Text || !*Text) return;
  TFont saved;
  saved.Assign(Canvas.Font());
  const TBrushStyle savedStyle = Canvas.Brush().Style();
  TScopeGuard restore([&] {
    Canvas.Font().Assign(saved);
    Canvas.Brush().SetStyle(savedStyle);
  });
  if (TFont* font = SmCaptionFont()) Canvas.Font().Assign(*font);
  Canvas.Font().SetColor(Color);
  Canvas.Brush().SetStyle(bsClear);
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX;
  RECT r = R;
  if (Rotated) DrawRotatedText(Canvas.Handle(), Text, r, format);
  else Canvas.DrawText(Text, r, format);
}
