#pragma once
// The own drop shadows of themed popup windows: thin, borderless, click-through strips placed
// just below the popup, each a 32-bit picture of black whose alpha fades from the popup's edge
// outwards. User-interface thread only.
#include "classlib/Controls.h"

#include <array>
#include <memory>

// Which ends of a strip are rounded corner pieces.
using TShadowEdges = unsigned;
enum : TShadowEdges { seStart = 1, seEnd = 2 };

enum TShadowMode {
  smOpaque = 0,      // a solid clBtnShadow bar
  smLayered = 1,     // a layered window showing its picture (UpdateLayeredWindow)
  smAlphaBlended = 2 // the picture blended onto what lies below at every erase (AlphaBlend)
};

// One strip. Its mode follows from the low-colour flag and the bound system functions.
class TShadow : public TCustomControl {
 public:
  // BoundsRect in screen coordinates; Opacity 0..255 applies to the whole strip.
  TShadow(const RECT& BoundsRect, int Opacity, bool LoColor, TShadowEdges Edges);

  int Opacity() const { return opacity_; }
  TShadowEdges Edges() const { return edges_; }
  TShadowMode Mode() const { return mode_; }
  // Takes effect when the window is made after it is set (CS_SAVEBITS).
  bool SaveBits() const { return saveBits_; }
  void SetSaveBits(bool Value) { saveBits_ = Value; }

  // The strip's picture: pixel words alpha << 24 over black, alpha 0..255.
  std::unique_ptr<TBitmap> MakePicture();
  // Makes the window layered and hands it the picture (layered mode).
  void Render();

 protected:
  // Fills the picture, which has the strip's size.
  virtual void FillBuffer(TBitmap& Picture) = 0;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void WMEraseBkgnd(TMessage& Message);

  int opacity_;
  TShadowEdges edges_;
  TShadowMode mode_;
  bool saveBits_ = false;
};

// A strip along a bottom edge: the alpha fades downwards.
class THorzShadow : public TShadow {
 public:
  using TShadow::TShadow;

 protected:
  void FillBuffer(TBitmap& Picture) override;
};

// A strip along a right edge: the alpha fades to the right.
class TVertShadow : public TShadow {
 public:
  using TShadow::TShadow;

 protected:
  void FillBuffer(TBitmap& Picture) override;
};

// The strips of one popup. Only the one-rectangle layout exists: a right strip that starts
// Size pixels below the popup's top and a bottom strip that starts Size pixels right of its left
// edge and covers the corner.
class TShadows : public TObject {
 public:
  // Rect1 the popup's screen bounds, Rect2 the parent item's screen rectangle or an empty one;
  // the layout goes round the first non-empty one. Size is halved for a low-colour screen or
  // when neither UpdateLayeredWindow nor AlphaBlend is bound.
  TShadows(const RECT& Rect1, const RECT& Rect2, bool LoColor, int Opacity, int Size);
  ~TShadows() override;
  TShadows(const TShadows&) = delete;
  TShadows& operator=(const TShadows&) = delete;

  // Shows each strip directly below the popup, without activating it.
  void ShowBehind(HWND Popup);

  enum TStrip { Right1, Bottom1, Right2, Bottom2, Right3, Bottom3 };
  // A strip, or null where the layout has none.
  TShadow* Strip(TStrip Which) const { return strips_[Which]; }
  bool SaveBits() const { return saveBits_; }

 private:
  // Last first.
  void FreeStrips();

  std::array<TShadow*, 6> strips_{};
  bool saveBits_ = false;
};
