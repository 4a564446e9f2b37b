#include "classlib/Buttons.h"

#include "classlib/Panels.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  glyph_.OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  imageLink_.OnChange = TNotifyEvent(this, &TSpeedButton::ImagesChanged);
}

TSpeedButton::~TSpeedButton() {
  if (images_) images_->UnRegisterChanges(&imageLink_);
}

void TSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  if (images_) {
    images_->UnRegisterChanges(&imageLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = images;
  if (images_) {
    images_->RegisterChanges(&imageLink_);
    images_->FreeNotification(this);
  }
  Invalidate();
}

void TSpeedButton::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  Invalidate();
}

void TSpeedButton::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Invalidate();
}

void TSpeedButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) {
    images_ = nullptr;
    Invalidate();
  }
}

void TSpeedButton::GlyphChanged(TObject*) {
  // Whatever bitmap was assigned, its bottom-left colour is the background around the glyph.
  if (!glyph_.Transparent()) glyph_.SetTransparent(true);
  Invalidate();
}

void TSpeedButton::ImagesChanged(TObject*) { Invalidate(); }

void TSpeedButton::EnabledChanged() {
  if (!Enabled()) tracking_ = false;
  TGraphicControl::EnabledChanged();
}

void TSpeedButton::SetMouseInControl(bool value) {
  if (value == mouseInControl_) return;
  mouseInControl_ = value;
  Invalidate();
}

void TSpeedButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  SetMouseInControl(true);
}

void TSpeedButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  SetMouseInControl(false);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft && Enabled()) {
    tracking_ = true;
    mouseInControl_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  // While the button holds the mouse, moves outside it arrive too; otherwise a move that
  // reaches the button is over it.
  bool inside = !tracking_ || (x >= 0 && y >= 0 && x < Width() && y < Height());
  SetMouseInControl(inside);
  TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft && tracking_) {
    tracking_ = false;
    mouseInControl_ = x >= 0 && y >= 0 && x < Width() && y < Height();
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

SIZE TSpeedButton::GlyphSize() const {
  if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count())
    return {images_->Width(), images_->Height()};
  if (!glyph_.Empty()) return {glyph_.Width(), glyph_.Height()};
  return {0, 0};
}

void TSpeedButton::DrawFrame(TCanvas& canvas) {
  RECT r = ClientRect();
  bool pressed = Pressed();
  if (!flat_) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(r);
    if (pressed) {
      Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
    } else {
      Frame3D(canvas, r, clBtnHighlight, cl3DDkShadow, 1);
      Frame3D(canvas, r, clBtnFace, clBtnShadow, 1);
    }
    return;
  }
  if (pressed) Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
  else if (mouseInControl_ && Enabled()) Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
}

void TSpeedButton::DrawGlyph(TCanvas& canvas, int x, int y) {
  if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count())
    images_->Draw(canvas, x, y, imageIndex_, Enabled());
  else if (!glyph_.Empty())
    canvas.Draw(x, y, glyph_);
}

void TSpeedButton::Paint() {
  TCanvas& canvas = Canvas();
  DrawFrame(canvas);
  // The glyph and the caption are centred together, the caption right of the glyph; a
  // pressed face moves them one pixel down and right.
  int offset = Pressed() ? 1 : 0;
  SIZE glyph = GlyphSize();
  String caption = Caption();
  canvas.SetFont(Font());
  SIZE text = caption.empty() ? SIZE{0, 0} : canvas.TextExtent(caption);
  int gap = glyph.cx > 0 && text.cx > 0 ? spacing_ : 0;
  int x = (Width() - (glyph.cx + gap + text.cx)) / 2 + offset;
  if (glyph.cx > 0) DrawGlyph(canvas, x, (Height() - glyph.cy) / 2 + offset);
  if (text.cx == 0) return;
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(x + glyph.cx + gap, (Height() - text.cy) / 2 + offset, caption);
}
