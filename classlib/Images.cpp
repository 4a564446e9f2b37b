#include "classlib/Images.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 105, 105);
  picture_.OnChange = TNotifyEvent(this, &TImage::PictureChanged);
}

void TImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  picture_.SetTransparent(value);
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  PictureChanged(nullptr);
}

void TImage::PictureChanged(TObject*) {
  // An assigned bitmap brings its own transparency flag; the control's setting wins.
  if (picture_.Transparent() != transparent_) picture_.SetTransparent(transparent_);
  if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  Invalidate();
}

RECT TImage::DestRect() const {
  if (stretch_) return {0, 0, Width(), Height()};
  int w = picture_.Width(), h = picture_.Height();
  int x = center_ ? (Width() - w) / 2 : 0;
  int y = center_ ? (Height() - h) / 2 : 0;
  return {x, y, x + w, y + h};
}

void TImage::Paint() {
  if (picture_.Empty()) return;
  RECT r = DestRect();
  if (stretch_) Canvas().StretchDraw(r, picture_);
  else Canvas().Draw(r.left, r.top, picture_);
}
