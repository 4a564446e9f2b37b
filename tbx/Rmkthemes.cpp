// Gradient painters. The system's GradientFill is bound at the first gradient: until then both
// slots hold first-call entries that bind and forward.
#include "tbx/Rmkthemes.h"

#include "classlib/ScopeGuard.h"
#include "tbx/TBXSystemLibraries.h"

#include <algorithm>

namespace {

using TGradientPainter = void (*)(HDC DC, const RECT& R, TColor Start, TColor End, TGradDir Direction);

BOOL WINAPI FirstCallGradientFillWin(HDC DC, PTRIVERTEX Vertices, ULONG VertexCount, PVOID Mesh,
                                     ULONG MeshCount, ULONG Mode);
void FirstCallGradient(HDC DC, const RECT& R, TColor Start, TColor End, TGradDir Direction);

struct TGradientBinding {
  tbx::TGradientFillFunc System = FirstCallGradientFillWin;
  TGradientPainter Painter = FirstCallGradient;
  bool Bound = false;
  tbx::TLibraryHandle Msimg32;
};

TGradientBinding Binding;
int InitCount = 0;

BOOL WINAPI MissingGradientFill(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG) { return FALSE; }

bool IsVertical(TGradDir Direction) { return Direction == tgTopBottom; }

// Line I (0-based) of R across the direction of change.
RECT LineOf(const RECT& R, int I, bool Vertical) {
  return Vertical ? RECT{R.left, R.top + I, R.right, R.top + I + 1}
                  : RECT{R.left + I, R.top, R.left + I + 1, R.bottom};
}

// Step of Steps from From to To, per channel, truncated towards From and kept within 0..255.
COLORREF StepColor(TColor From, TColor To, int Step, int Steps) {
  auto channel = [&](int Shift) {
    const int a = (From >> Shift) & 0xFF, b = (To >> Shift) & 0xFF;
    return std::clamp(a + Step * (b - a) / Steps, 0, 255) << Shift;
  };
  return static_cast<COLORREF>(channel(0) | channel(8) | channel(16));
}

void SystemGradient(HDC DC, const RECT& R, TColor Start, TColor End, TGradDir Direction) {
  tbx::FillRectGradient(Binding.System, DC, R, Start, End, IsVertical(Direction));
}

// Line i of n (1-based) in Start + (End - Start)*i/n: the last line is exactly End.
void LineByLineGradient(HDC DC, const RECT& R, TColor Start, TColor End, TGradDir Direction) {
  Start = ColorToRGB(Start);
  End = ColorToRGB(End);
  const bool vertical = IsVertical(Direction);
  const int n = vertical ? R.bottom - R.top : R.right - R.left;
  for (int i = 1; i <= n; ++i) tbx::FillSolidRect(DC, LineOf(R, i - 1, vertical), StepColor(Start, End, i, n));
}

void Install(tbx::TGradientFillFunc Found) {
  Binding.System = Found ? Found : MissingGradientFill;
  Binding.Painter = Found ? SystemGradient : LineByLineGradient;
  Binding.Bound = true;
}

void Bind() {
  if (Binding.Bound) return;
  Binding.Msimg32 = tbx::LoadSystemLibrary(L"msimg32.dll");
  Install(tbx::BindFunction<tbx::TGradientFillFunc>(Binding.Msimg32.Get(), "GradientFill"));
}

void InstallFirstCallEntries() {
  Binding.System = FirstCallGradientFillWin;
  Binding.Painter = FirstCallGradient;
  Binding.Bound = false;
}

BOOL WINAPI FirstCallGradientFillWin(HDC DC, PTRIVERTEX Vertices, ULONG VertexCount, PVOID Mesh,
                                     ULONG MeshCount, ULONG Mode) {
  Bind();
  return Binding.System(DC, Vertices, VertexCount, Mesh, MeshCount, Mode);
}

void FirstCallGradient(HDC DC, const RECT& R, TColor Start, TColor End, TGradDir Direction) {
  Bind();
  Binding.Painter(DC, R, Start, End, Direction);
}

constexpr TColor Rgb(int R, int G, int B) { return static_cast<TColor>(R | (G << 8) | (B << 16)); }

// The glass colour stops of each state: not active, active and pressed, active.
constexpr TColor kGlassStops[3][4] = {
    {Rgb(248, 248, 248), Rgb(216, 216, 216), Rgb(240, 240, 240), Rgb(248, 248, 248)},
    {Rgb(224, 232, 239), Rgb(112, 160, 208), Rgb(96, 208, 224), Rgb(160, 239, 239)},
    {Rgb(240, 248, 255), Rgb(128, 176, 224), Rgb(112, 232, 240), Rgb(176, 255, 255)},
};

// A line of a cut-corner outline on the canvas, leaving out its end point.
void CanvasLine(TCanvas& Canvas, int X1, int Y1, int X2, int Y2) {
  Canvas.MoveTo(X1, Y1);
  Canvas.LineTo(X2, Y2);
}

// The outline with cut corners, then its right and bottom edges again in Shade (unless clNone).
void DrawCutOutline(TCanvas& Canvas, const RECT& R, int A, int D, TColor Frame, TColor Shade) {
  const int right = R.right - 1, bottom = R.bottom - 1;
  Canvas.Pen().SetColor(Frame);
  Canvas.Polyline({{R.left + A, R.top}, {right - D, R.top}, {right, R.top + D}, {right, bottom - D},
                   {right - D, bottom}, {R.left + A, bottom}, {R.left, bottom - A}, {R.left, R.top + A},
                   {R.left + A, R.top}});
  if (Shade == clNone) return;
  Canvas.Pen().SetColor(Shade);
  Canvas.Polyline({{right, R.top + D}, {right, bottom - D}, {right - D, bottom}, {R.left + A - 1, bottom}});
}

// The diagonals just outside the cut corners.
void DrawCutCorners(TCanvas& Canvas, const RECT& R, int A, int D, TColor LeftColor, TColor RightColor) {
  const int right = R.right - 1, bottom = R.bottom - 1;
  if (D > 0) {
    Canvas.Pen().SetColor(RightColor);
    CanvasLine(Canvas, right - D + 1, R.top, right + 1, R.top + D);
    CanvasLine(Canvas, right + 1 - D, bottom, right + 1, bottom - D);
  }
  if (A > 0) {
    Canvas.Pen().SetColor(LeftColor);
    CanvasLine(Canvas, R.left + A - 1, R.top, R.left - 1, R.top + A);
    CanvasLine(Canvas, R.left + A - 1, bottom, R.left - 1, bottom - A);
  }
}

// Colour blended 60 % with what the canvas shows at (X, Y); the colour alone where the canvas
// cannot tell (outside its clip).
TColor BlendWithPixel(TCanvas& Canvas, int X, int Y, TColor Color) {
  const TColor shown = Canvas.Pixels(X, Y);
  if (shown == static_cast<TColor>(CLR_INVALID)) return ColorToRGB(Color);
  return BlendPercent(shown, Color, 60);
}

}  // namespace

void GradientFill(HDC DC, const RECT& ARect, TColor StartColor, TColor EndColor, TGradDir Direction) {
  Binding.Painter(DC, ARect, StartColor, EndColor, Direction);
}

void GradientFill(TCanvas& Canvas, const RECT& ARect, TColor ColorA, TColor ColorB, TGradDir Direction) {
  GradientFill(Canvas.Handle(), ARect, ColorB, ColorA, Direction);
}

BOOL GradientFillWin(HDC DC, PTRIVERTEX Vertices, ULONG VertexCount, PVOID Mesh, ULONG MeshCount,
                     ULONG Mode) {
  return Binding.System(DC, Vertices, VertexCount, Mesh, MeshCount, Mode);
}

bool GradientFillWinEnabled() {
  Bind();
  return Binding.System != MissingGradientFill;
}

void GradientGlass(TCanvas& Canvas, const RECT& ARect, bool Active, bool Pressed, TGradDir Direction) {
  const bool vertical = IsVertical(Direction);
  const int length = vertical ? ARect.bottom - ARect.top : ARect.right - ARect.left;
  if (length < 1) return;
  const int last = length - 1, t = std::max(1, last / 3);
  const TColor* stops = kGlassStops[!Active ? 0 : Pressed ? 1 : 2];
  HDC dc = Canvas.Handle();
  // Segments 0..t, t..2t and 2t..last; a short rect ends before the later ones start.
  for (int segment = 0; segment < 3; ++segment) {
    const int start = segment * t, end = segment == 2 ? last : std::min(start + t, last);
    for (int p = start; p <= end; ++p)
      tbx::FillSolidRect(dc, LineOf(ARect, p, vertical), StepColor(stops[segment], stops[segment + 1], p - start, t));
  }
}

void GradientGlass(TCanvas& Canvas, const RECT& ARect, bool Active, TGradDir Direction) {
  GradientGlass(Canvas, ARect, Active, false, Direction);
}

void OLDGradientFill(TCanvas& Canvas, const RECT& ARect, TColor ColorA, TColor ColorB, TGradDir Direction) {
  ColorA = ColorToRGB(ColorA);
  ColorB = ColorToRGB(ColorB);
  const bool vertical = IsVertical(Direction);
  const int length = vertical ? ARect.bottom - ARect.top : ARect.right - ARect.left;
  const int d = std::max(1, length - 1);
  HDC dc = Canvas.Handle();
  for (int e = 0; e <= d; ++e) {
    RECT part = ARect;
    (vertical ? part.bottom : part.right) -= e;
    tbx::FillSolidRect(dc, part, StepColor(ColorA, ColorB, e, d));
  }
}

void ButtonFrame(TCanvas& Canvas, const RECT& ARect, int LeftCut, int RightCut, TColor FrameColor,
                 TColor ShadeColor, TColor CornerColor) {
  const TColor penColor = Canvas.Pen().Color();
  TScopeGuard restorePen([&] { Canvas.Pen().SetColor(penColor); });
  DrawCutOutline(Canvas, ARect, LeftCut, RightCut, FrameColor, ShadeColor);
  DrawCutCorners(Canvas, ARect, LeftCut, RightCut, CornerColor, CornerColor);
}

void SmartFrame(TCanvas& Canvas, const RECT& ARect, int LeftCut, int RightCut, TColor FrameColor,
                TColor ShadeColor) {
  // The corners blend with what lies under them before the outline is drawn.
  const TColor left = BlendWithPixel(Canvas, ARect.left, ARect.top, FrameColor);
  const TColor right = ShadeColor != clNone
                           ? BlendWithPixel(Canvas, ARect.right - 1, ARect.bottom - 1, ShadeColor)
                           : left;
  const TColor penColor = Canvas.Pen().Color();
  TScopeGuard restorePen([&] { Canvas.Pen().SetColor(penColor); });
  DrawCutOutline(Canvas, ARect, LeftCut, RightCut, FrameColor, ShadeColor);
  DrawCutCorners(Canvas, ARect, LeftCut, RightCut, left, right);
}

void InitRmkthemes() {
  if (InitCount++ == 0) InstallFirstCallEntries();
}

void FinalizeRmkthemes() {
  if (InitCount == 0 || --InitCount > 0) return;
  // The bound function lives in the library: back to the first-call entries before it goes.
  InstallFirstCallEntries();
  Binding.Msimg32.Reset();
}

namespace tbx {

void BindGradients(TGradientFillFunc SystemGradientFill) { Install(SystemGradientFill); }

bool GradientsBound() { return Binding.Bound; }

}  // namespace tbx
