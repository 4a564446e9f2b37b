#pragma once
// Image lists that stand in for three more (checked, disabled and hot images) and can be filled
// from one bitmap with a mask colour.
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"

#include <memory>

class TTBCustomImageList : public TImageList {
 public:
  explicit TTBCustomImageList(TComponent* AOwner);
  ~TTBCustomImageList() override;

  // Draws image Index at (X, Y) from the list that the state names.
  virtual void DrawState(TCanvas& Canvas, int X, int Y, int Index, bool Enabled, bool Selected, bool Checked);

  TCustomImageList* CheckedImages() const { return checkedImages_; }
  void SetCheckedImages(TCustomImageList* Value);
  TCustomImageList* DisabledImages() const { return disabledImages_; }
  void SetDisabledImages(TCustomImageList* Value);
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* Value);
  TBitmap& ImagesBitmap() { return *imagesBitmap_; }
  void SetImagesBitmap(const TBitmap& Value);
  TColor ImagesBitmapMaskColor() const { return imagesBitmapMaskColor_; }
  void SetImagesBitmapMaskColor(TColor Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Signals once per change: lists that watch each other do not echo a change back.
  void Change() override;

 private:
  void ChangeImages(TCustomImageList*& AField, TCustomImageList* AValue, TChangeLink& ALink);
  void ImageListChanged(TObject* Sender);
  void ImagesBitmapChanged(TObject* Sender);

  TCustomImageList* checkedImages_ = nullptr;
  TCustomImageList* disabledImages_ = nullptr;
  TCustomImageList* hotImages_ = nullptr;
  std::unique_ptr<TChangeLink> checkedImagesLink_;
  std::unique_ptr<TChangeLink> disabledImagesLink_;
  std::unique_ptr<TChangeLink> hotImagesLink_;
  std::unique_ptr<TBitmap> imagesBitmap_;
  TColor imagesBitmapMaskColor_ = clFuchsia;
  bool signalling_ = false;
};

class TTBImageList : public TTBCustomImageList {
 public:
  using TTBCustomImageList::TTBCustomImageList;
};
