// Image lists with checked, disabled and hot stand-ins, filled from one bitmap.
#include "items/TB2ImageList.h"

TTBCustomImageList::TTBCustomImageList(TComponent* AOwner)
    : TImageList(AOwner), imagesBitmap_(std::make_unique<TBitmap>()) {}
TTBCustomImageList::~TTBCustomImageList() = default;
void TTBCustomImageList::DrawState(TCanvas& Canvas, int X, int Y, int Index, bool Enabled, bool, bool) {
  Draw(Canvas, X, Y, Index, Enabled);
}
void TTBCustomImageList::SetCheckedImages(TCustomImageList* Value) { checkedImages_ = Value; }
void TTBCustomImageList::SetDisabledImages(TCustomImageList* Value) { disabledImages_ = Value; }
void TTBCustomImageList::SetHotImages(TCustomImageList* Value) { hotImages_ = Value; }
void TTBCustomImageList::SetImagesBitmap(const TBitmap& Value) { imagesBitmap_->Assign(Value); }
void TTBCustomImageList::SetImagesBitmapMaskColor(TColor Value) { imagesBitmapMaskColor_ = Value; }
void TTBCustomImageList::Notification(TComponent* AComponent, TOperation Operation) {
  TImageList::Notification(AComponent, Operation);
}
void TTBCustomImageList::ChangeImages(TCustomImageList*&, TCustomImageList*, TChangeLink&) {}
void TTBCustomImageList::ImageListChanged(TObject*) {}
void TTBCustomImageList::ImagesBitmapChanged(TObject*) {}
