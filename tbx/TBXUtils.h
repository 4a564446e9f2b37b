#pragma once
// Colour arithmetic and the small GDI drawing routines that both themes use, the colour ramps
// of gradients, the image recolouring routines with their process-wide work bitmaps, the
// small-caption font, and the optional system functions the theme layer binds at run time.
//
// Colour arguments may be system colours (top bit set): every routine first turns them into
// the current value of the colour with the low byte's index (ColorToRGB, through the settings
// seam). clNone makes the drawing routines draw nothing. User-interface thread only.
#include "classlib/GdiHandles.h"
#include "classlib/Graphics.h"

#include <cstdint>
#include <span>
#include <vector>

class TCustomImageList;

// ---------------------------------------------------------------------------------------------
// Colour arithmetic (results are resolved colours with the top byte 0)

// Per channel (C1*Weight + C2*(255 - Weight)) div 256, Weight 0..255: so Weight 255 gives C1
// scaled by 255/256 (white becomes FEFEFE).
TColor WeightColors(TColor C1, TColor C2, int Weight);
// WeightColors, snapped to the nearest colour the screen shows.
TColor WeightColorsNearest(TColor C1, TColor C2, int Weight);
// The nearest colour the screen shows (GetNearestColor on the palette bitmap, which has the
// colour depth the settings tell of).
TColor NearestColor(TColor C);
// Delta added to red, green and blue, each kept within 0..255.
TColor ShiftColorBrightness(TColor C, int Delta);
// (R*76 + G*150 + B*30) div 256.
int ColorLuma(TColor C);
// R*76 + G*150 + B*30 < Threshold*256.
bool IsColorDarker(TColor C, int Threshold);
// Weight below 100 is a percentage of C1, 100 and above a per-mille value: 50 is 50 % of C1,
// 100 is 10 % and 183 is 18.3 %. Each channel is rounded.
TColor BlendPercent(TColor C1, TColor C2, int Weight);
// The weighted distance between two colours, in single precision: black to white is about 441.
// The brightness of a colour is its distance from black.
float ColorDistance(TColor C1, TColor C2);
// Threshold when Brightness >= 220, else Threshold*(2 - Brightness/220): darker references
// need a larger distance.
float ScaleContrastThreshold(float Threshold, float Brightness);
// Whether C lies farther than Threshold from Reference (the threshold scaled by the
// reference's brightness when Scale is set).
bool ColorsContrast(TColor C, TColor Reference, bool Scale, float Threshold);
// Leaves C alone when it contrasts with Reference, else moves it (PushColorApart).
void EnsureContrast(TColor& C, TColor Reference, float Threshold);
// Moves C along its line from black (or white) to the scaled threshold's distance from
// Reference, keeping it on its side of the reference where there is room.
void PushColorApart(TColor& C, TColor Reference, float Threshold);
// The 32-bit pixel word of a colour: red and blue exchanged, top byte 0xFF.
uint32_t ColorToPixel32(TColor C);

// ---------------------------------------------------------------------------------------------
// Drawing on a device context. Every routine deletes the pens, brushes and bitmaps it makes and
// leaves the DC's selected objects and colours as it found them.

// The brush of a colour for one drawing: the system's own brush for a system colour (never
// deleted), else a new solid brush that goes with the holder.
class TColorBrush {
 public:
  explicit TColorBrush(TColor Color);
  TColorBrush(const TColorBrush&) = delete;
  TColorBrush& operator=(const TColorBrush&) = delete;
  HBRUSH Get() const { return brush_; }

 private:
  HBRUSH brush_ = nullptr;
  gdi::BrushHandle own_;
};

// A 1-pixel solid pen; a null pen for clNone.
gdi::PenHandle MakeColorPen(TColor Color);
// A solid brush; a hollow one for clNone.
gdi::BrushHandle MakeColorBrush(TColor Color);
// Whether it painted (false for clNone).
bool FillRectColor(HDC DC, const RECT& R, TColor Color);
// The four strips of Outer that lie outside Inner, filled (a window's border around its client).
void FillRectBand(HDC DC, const RECT& Outer, const RECT& Inner, TColor Color);
// FrameRect in the colour; with Deflate the rect is then inset by one pixel on every side, also
// for clNone. Answers Color != clNone.
bool FrameRectColor(HDC DC, RECT& R, TColor Color, bool Deflate);
// A 1-pixel line from (X1, Y1) to (X2, Y2), leaving out the end point.
void DrawColorLine(HDC DC, int X1, int Y1, int X2, int Y2, TColor Color);
// Answers Color != clNone.
bool DrawColorPolyline(HDC DC, std::span<const POINT> Points, TColor Color);
// Nothing when both colours are clNone; either may be.
void DrawColorPolygon(HDC DC, std::span<const POINT> Points, TColor LineColor, TColor FillColor);
void DrawColorRoundRect(HDC DC, int Left, int Top, int Right, int Bottom, int CornerWidth,
                        int CornerHeight, TColor LineColor, TColor FillColor);
// A brush of the shared 8 x 8 two-colour checker.
gdi::BrushHandle MakeDitherBrush(TColor Color1, TColor Color2);
void FillRectDither(HDC DC, const RECT& R, TColor Color1, TColor Color2);
// A light top-left and a dark bottom-right edge on the rect's outermost pixels; R then becomes
// its interior (Inner) or loses its last column and row.
void DrawBevelEdges(HDC DC, RECT& R, TColor LightColor, TColor DarkColor, bool Inner);

// An 8 x 8 one-bit pattern, one byte a row, the leftmost pixel in the top bit.
using TMonoPattern = std::span<const uint8_t, 8>;
// Paints Width x Height pixels of the pattern, centred in R, in the colour where a bit is set;
// the destination shows through elsewhere (the raster operation the themes use for glyphs).
void DrawMonoPattern(HDC DC, const RECT& R, int Width, int Height, TMonoPattern Bits, TColor Color);
// Raster operation: the brush where the source is white, the destination where it is black.
constexpr DWORD ROP_BrushWhereSourceSet = 0x00E20746;

enum TGradientRectDirection { gdHorizontal = 0, gdVertical = 1 };
// C1 at the left (or top) edge, C2 at the right (or bottom); through the system's GradientFill
// when bound, else column by column from the ramp cache, inside the clip box only.
void PaintGradientRect(HDC DC, const RECT& R, TColor C1, TColor C2, TGradientRectDirection Direction);

// A caption of a floating window or dock panel: one line in the small-caption font and the
// colour, clear behind, cut with an ellipsis; the canvas's font and brush are put back after.
void DrawSmallCaption(TCanvas& Canvas, const RECT& R, const wchar_t* Text, TColor Color, bool Rotated);

// ---------------------------------------------------------------------------------------------
// Colour ramps: one colour per pixel of a gradient, from C1 to exactly C2, the rounding alike for
// rising and falling channels. The last 16 built are kept, the oldest replaced first.

using TGradientRamp = std::vector<TColor>;
// A cached ramp, or a new one.
const TGradientRamp& GetGradientRamp(int Length, TColor C1, TColor C2);
// The cached ramp of that length from C1 to C2, newest first; null when there is none.
const TGradientRamp* FindGradientRamp(int Length, TColor C1, TColor C2);
// Builds the ramp into the next slot of the ring.
const TGradientRamp& BuildGradientRamp(int Length, TColor C1, TColor C2);
// Forgets every cached ramp.
void ClearGradientRamps();

// ---------------------------------------------------------------------------------------------
// Image routines: each paints image Index of the list at R's top-left corner, clipped to
// min(list width, rect width) x min(list height, rect height); an empty clip paints nothing.
// They share the work bitmaps, so they are not reentrant.

// Without Dark: the list's own enabled Draw. With it: light on dark, very light image pixels
// become black and dark ones white, every painted pixel then 32 steps lighter.
void DrawImageBlended(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index, bool Dark);
// Every painted pixel becomes (Tint*(255 - Weight) + pixel*Weight) div 256 per channel.
void DrawImageTinted(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index,
                     TColor Tint, int Weight);
// The image darkens the background by a factor from its own luma; Effect 0..2 (strongest
// first), any other raises EAssertionFailed.
void DrawImageEffect(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index, int Effect);
// The image's dark pixels are painted in one colour; the rest is left untouched.
void DrawImageSilhouette(TCanvas& Canvas, const RECT& R, TCustomImageList& Images, int Index,
                         TColor Color);

// ---------------------------------------------------------------------------------------------
// Process-wide objects and the unit's lifetime

// The small-caption font of the system's non-client metrics (the class library's default font
// when the system does not tell it); null before InitTBXUtils.
TFont* SmCaptionFont();

// Work bitmaps A and B (32 bits), M (monochrome), the palette bitmap and the small-caption font.
void CreateUtilityObjects();
void FreeUtilityObjects();
// After a system change: free, then create.
void RecreateUtilityObjects();

// Counted: the first call binds the optional functions and creates the utility objects, the
// matching last FinalizeTBXUtils frees the ramps, the objects and msimg32.dll. The start-up
// sequence calls it first of the theme layer; nothing here runs from a static constructor.
void InitTBXUtils();
void FinalizeTBXUtils();

namespace tbx {

using TUpdateLayeredWindowFunc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                               BLENDFUNCTION*, DWORD);
using TAlphaBlendFunc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using TGradientFillFunc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// The optional system functions, null where the system lacks them (bound by InitTBXUtils):
// without GradientFill gradients are painted from the ramp cache, without the other two the
// drop shadows are opaque. Tests replace them to reach those paths.
struct TLateBoundFunctions {
  TUpdateLayeredWindowFunc UpdateLayeredWindow = nullptr;
  TAlphaBlendFunc AlphaBlend = nullptr;
  TGradientFillFunc GradientFill = nullptr;
};
TLateBoundFunctions& LateBound();

// The text and background colours of a DC for a scope: copied to colour, a monochrome source's
// clear bits take the text colour and its set bits the background colour.
class TMonoSourceColors {
 public:
  TMonoSourceColors(HDC DC, COLORREF ClearBits, COLORREF SetBits)
      : dc_(DC), oldText_(::SetTextColor(DC, ClearBits)), oldBack_(::SetBkColor(DC, SetBits)) {}
  TMonoSourceColors(const TMonoSourceColors&) = delete;
  TMonoSourceColors& operator=(const TMonoSourceColors&) = delete;
  ~TMonoSourceColors() {
    ::SetTextColor(dc_, oldText_);
    ::SetBkColor(dc_, oldBack_);
  }

 private:
  HDC dc_;
  COLORREF oldText_, oldBack_;
};

// Fills R with a resolved colour through a brush of its own; nothing for an empty R.
void FillSolidRect(HDC DC, const RECT& R, COLORREF Color);
// A two-colour gradient over R through a system GradientFill: Start at the left (or top) edge,
// End at the right (or bottom); colours resolved first. Nothing for an empty R (the system
// would paint an upside-down one the other way up).
void FillRectGradient(TGradientFillFunc GradientFill, HDC DC, const RECT& R, TColor Start,
                      TColor End, bool Vertical);

// The work bitmaps, for tests that check which routines touch them (null before
// InitTBXUtils).
TBitmap* WorkBitmapA();
TBitmap* WorkBitmapB();
TBitmap* WorkBitmapM();

}  // namespace tbx
