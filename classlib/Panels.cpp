#include "classlib/Panels.h"

#include <utility>

namespace {

void FillWith(TCanvas& canvas, const RECT& r, TColor color) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

// Top-left and bottom-right colours of a bevel cut in a surface of colour `face`.
std::pair<TColor, TColor> CutColors(TBevelCut cut, TColor face) {
  switch (cut) {
    case bvLowered: return {clBtnShadow, clBtnHighlight};
    case bvRaised: return {clBtnHighlight, clBtnShadow};
    default: return {face, face};
  }
}

}  // namespace

void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    // The bottom-right colour owns the top-right and bottom-left corners.
    FillWith(canvas, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillWith(canvas, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillWith(canvas, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillWith(canvas, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    InflateRect(&r, -1, -1);
  }
}

// ---------------------------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

void TCustomPanel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut cut) {
  if (cut == bevelInner_) return;
  bevelInner_ = cut;
  BevelChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut cut) {
  if (cut == bevelOuter_) return;
  bevelOuter_ = cut;
  BevelChanged();
}

void TCustomPanel::SetBevelWidth(int width) {
  if (width < 1) width = 1;
  if (width == bevelWidth_) return;
  bevelWidth_ = width;
  BevelChanged();
}

void TCustomPanel::BevelChanged() {
  AlignControls();
  Invalidate();
}

RECT TCustomPanel::AdjustClientRect() const {
  RECT r = TCustomControl::AdjustClientRect();  // less the border width
  int bevels = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
  InflateRect(&r, -bevels, -bevels);
  return r;
}

void TCustomPanel::TextChanged() {
  TCustomControl::TextChanged();
  Invalidate();
}

void TCustomPanel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  FillWith(canvas, r, Color());
  if (bevelOuter_ != bvNone) {
    auto [tl, br] = CutColors(bevelOuter_, Color());
    Frame3D(canvas, r, tl, br, bevelWidth_);
  }
  InflateRect(&r, -BorderWidth(), -BorderWidth());
  if (bevelInner_ != bvNone) {
    auto [tl, br] = CutColors(bevelInner_, Color());
    Frame3D(canvas, r, tl, br, bevelWidth_);
  }
  RECT cue = r;
  InflateRect(&cue, -1, -1);
  PaintFocusCue(cue);
  String caption = Caption();
  if (caption.empty()) return;
  canvas.Brush().SetStyle(bsClear);
  canvas.SetFont(Font());
  canvas.DrawText(caption, r, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | AlignmentToDrawTextFlag(alignment_));
}

// ---------------------------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& canvas = Canvas();
  TColor dark = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor light = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  int w = Width(), h = Height();
  switch (shape_) {
    case bsBox: {
      RECT r{0, 0, w, h};
      Frame3D(canvas, r, dark, light, 1);
      break;
    }
    case bsFrame: {
      // An etched frame: a light outline one pixel below and right of a dark one.
      RECT outer{1, 1, w, h};
      Frame3D(canvas, outer, light, light, 1);
      RECT inner{0, 0, w - 1, h - 1};
      Frame3D(canvas, inner, dark, dark, 1);
      break;
    }
    case bsTopLine:
      FillWith(canvas, RECT{0, 0, w, 1}, dark);
      FillWith(canvas, RECT{0, 1, w, 2}, light);
      break;
    case bsBottomLine:
      FillWith(canvas, RECT{0, h - 2, w, h - 1}, dark);
      FillWith(canvas, RECT{0, h - 1, w, h}, light);
      break;
    case bsLeftLine:
      FillWith(canvas, RECT{0, 0, 1, h}, dark);
      FillWith(canvas, RECT{1, 0, 2, h}, light);
      break;
    case bsRightLine:
      FillWith(canvas, RECT{w - 2, 0, w - 1, h}, dark);
      FillWith(canvas, RECT{w - 1, 0, w, h}, light);
      break;
    case bsSpacer: break;
  }
}
