#pragma once
// Panels (a windowed box with bevels and a caption that other controls lie on) and bevels
// (lines and frames painted by the parent), with the 3-D frame drawing they share.
#include "classlib/StdCtrls.h"

// Draws a frame `width` pixels wide just inside r, `topLeft` on the top and left edges and
// `bottomRight` on the others, and shrinks r to the area inside it.
void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width);

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Outer bevel, border (BorderWidth, in the panel's colour), inner bevel, then the client area
// that aligned children fill; the caption is drawn centred vertically inside the bevels, and a
// panel that takes the focus (TabStop) shows the focus rectangle just inside them.
class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut cut);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut cut);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);

  RECT AdjustClientRect() const override;

 protected:
  void Paint() override;
  void TextChanged() override;

 private:
  void BevelChanged();

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A sunken or raised line or frame.
class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};
