#pragma once
// Speed buttons: small buttons painted by their parent, without a window or the focus, showing
// a glyph (a bitmap, or an image of an image list) and an optional caption.
#include "classlib/Controls.h"
#include "classlib/ImgList.h"

// The button draws its face in three states: up, hot (the mouse is over it) and pressed (the
// left button went down on it and the mouse is still over it). A flat button shows no frame
// while up, a raised one while hot and a sunken one while pressed; its parent shows through.
// A button that is not flat is always framed, raised or sunken. The glyph's transparent colour
// is its bottom-left pixel; with Images set, the image at ImageIndex is shown instead.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  // Owned by the button; changes through its setters or Changed() repaint the button.
  TBitmap& Glyph() { return glyph_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  // Pixels between the glyph and the caption.
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);

  // The face state, as the last mouse message left it.
  bool MouseInControl() const { return mouseInControl_; }
  bool Pressed() const { return tracking_ && mouseInControl_; }

 protected:
  void Paint() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void TextChanged() override { Invalidate(); }
  void EnabledChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void GlyphChanged(TObject*);
  void ImagesChanged(TObject*);
  SIZE GlyphSize() const;
  void DrawFrame(TCanvas& canvas);
  void DrawGlyph(TCanvas& canvas, int x, int y);
  void SetMouseInControl(bool value);

  bool flat_ = false;
  TBitmap glyph_;
  TCustomImageList* images_ = nullptr;
  int imageIndex_ = -1;
  TChangeLink imageLink_;
  int spacing_ = 4;
  bool mouseInControl_ = false;
  bool tracking_ = false;
};
