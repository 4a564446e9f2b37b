#pragma once
// Gradient painters: two-colour linear gradients (through the system's GradientFill when
// msimg32.dll has it, else line by line), a three-segment "glass" gradient, an older
// nested-rectangle gradient, and outlines with cut corners. msimg32.dll is looked for at the
// first gradient, not at start-up. User-interface thread only.
#include "classlib/Graphics.h"
#include "tbx/TBXUtils.h"

// The direction in which the colour changes: across the width, or down the height.
enum TGradDir { tgLeftRight, tgTopBottom };

// StartColor at the left (tgLeftRight) or top (tgTopBottom) edge, EndColor at the opposite one.
void GradientFill(HDC DC, const RECT& ARect, TColor StartColor, TColor EndColor, TGradDir Direction);
// Mind the order: ColorB starts at the left or top edge, ColorA ends at the right or bottom one.
void GradientFill(TCanvas& Canvas, const RECT& ARect, TColor ColorA, TColor ColorB, TGradDir Direction);
// The system's GradientFill, or 0 without painting where the system lacks it.
BOOL GradientFillWin(HDC DC, PTRIVERTEX Vertices, ULONG VertexCount, PVOID Mesh, ULONG MeshCount,
                     ULONG Mode);
// Whether the system's GradientFill was found.
bool GradientFillWinEnabled();
// Three gradient segments between four fixed colours of the state, one line at a time.
void GradientGlass(TCanvas& Canvas, const RECT& ARect, bool Active, bool Pressed, TGradDir Direction);
void GradientGlass(TCanvas& Canvas, const RECT& ARect, bool Active, TGradDir Direction);
// Nested fills, each one line shorter: ColorA on the bottom (right) line, ColorB on the top
// (left) one.
void OLDGradientFill(TCanvas& Canvas, const RECT& ARect, TColor ColorA, TColor ColorB, TGradDir Direction);
// An outline in FrameColor whose left corners are cut by LeftCut pixels and right ones by
// RightCut; the right and bottom edges again in ShadeColor unless it is clNone; diagonals just
// outside the cut corners in CornerColor. The canvas's pen colour is put back.
void ButtonFrame(TCanvas& Canvas, const RECT& ARect, int LeftCut, int RightCut, TColor FrameColor,
                 TColor ShadeColor, TColor CornerColor);
// ButtonFrame whose corner diagonals blend the frame (or shade) colour 60 % with what the canvas
// shows at the top-left (or bottom-right) corner.
void SmartFrame(TCanvas& Canvas, const RECT& ARect, int LeftCut, int RightCut, TColor FrameColor,
                TColor ShadeColor);

// Counted: the first call installs the first-call entries that bind at the first gradient;
// the matching last FinalizeRmkthemes frees msimg32.dll when it was loaded. The start-up
// sequence calls it right after InitTBXUtils.
void InitRmkthemes();
void FinalizeRmkthemes();

namespace tbx {
// Binds now as if msimg32.dll held this GradientFill; null stands for a system without it (the
// line-by-line painter). For tests.
void BindGradients(TGradientFillFunc SystemGradientFill);
// Whether the gradients are bound (the first gradient binds them).
bool GradientsBound();
}  // namespace tbx
