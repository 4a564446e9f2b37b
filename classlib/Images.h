#pragma once
// An image control: a bitmap painted by the parent, at its natural size in the top-left
// corner, centred, or stretched to the control.
#include "classlib/Controls.h"

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);

  // Owned by the image. Changes through the bitmap's setters repaint the control; after
  // drawing on its canvas or pixels, call Picture().Changed().
  TBitmap& Picture() { return picture_; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Leaves out the bitmap's transparent colour (its bottom-left pixel unless the bitmap names
  // another), so that the parent shows through. A stretched picture is drawn whole.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Whether the control takes the picture's size whenever the picture changes.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  // Where the picture lands, in the control's coordinates.
  RECT DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject*);

  TBitmap picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};
