// Image lists with checked, disabled and hot stand-ins, filled from one bitmap.
#include "items/TB2ImageList.h"

#include "classlib/ScopeGuard.h"

TTBCustomImageList::TTBCustomImageList(TComponent* AOwner)
    : TImageList(AOwner),
      checkedImagesLink_(std::make_unique<TChangeLink>()),
      disabledImagesLink_(std::make_unique<TChangeLink>()),
      hotImagesLink_(std::make_unique<TChangeLink>()),
      imagesBitmap_(std::make_unique<TBitmap>()) {
  for (TChangeLink* link : {checkedImagesLink_.get(), disabledImagesLink_.get(), hotImagesLink_.get()})
    link->OnChange = TNotifyEvent(this, &TTBCustomImageList::ImageListChanged);
  imagesBitmap_->OnChange = TNotifyEvent(this, &TTBCustomImageList::ImagesBitmapChanged);
}

TTBCustomImageList::~TTBCustomImageList() {
  imagesBitmap_.reset();
  // Each link leaves the list it watches as it goes.
  checkedImagesLink_.reset();
  disabledImagesLink_.reset();
  hotImagesLink_.reset();
}

void TTBCustomImageList::DrawState(TCanvas& Canvas, int X, int Y, int Index, bool Enabled, bool Selected,
                                   bool Checked) {
  if (!Enabled && disabledImages_) {
    disabledImages_->Draw(Canvas, X, Y, Index, true);
    return;
  }
  const TCustomImageList* source = this;
  if (Checked && checkedImages_)
    source = checkedImages_;
  else if (Selected && hotImages_)
    source = hotImages_;
  source->Draw(Canvas, X, Y, Index, Enabled);
}

void TTBCustomImageList::SetCheckedImages(TCustomImageList* Value) {
  ChangeImages(checkedImages_, Value, *checkedImagesLink_);
}

void TTBCustomImageList::SetDisabledImages(TCustomImageList* Value) {
  ChangeImages(disabledImages_, Value, *disabledImagesLink_);
}

void TTBCustomImageList::SetHotImages(TCustomImageList* Value) { ChangeImages(hotImages_, Value, *hotImagesLink_); }

void TTBCustomImageList::SetImagesBitmap(const TBitmap& Value) {
  // The copy fires the bitmap's change event, which reloads the images.
  imagesBitmap_->Assign(Value);
}

void TTBCustomImageList::SetImagesBitmapMaskColor(TColor Value) {
  if (Value == imagesBitmapMaskColor_) return;
  imagesBitmapMaskColor_ = Value;
  ImagesBitmapChanged(this);
}

void TTBCustomImageList::Notification(TComponent* AComponent, TOperation Operation) {
  TImageList::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || !AComponent) return;
  if (AComponent == checkedImages_) SetCheckedImages(nullptr);
  if (AComponent == disabledImages_) SetDisabledImages(nullptr);
  if (AComponent == hotImages_) SetHotImages(nullptr);
}

void TTBCustomImageList::Change() {
  if (signalling_) return;
  signalling_ = true;
  TScopeGuard done([this] { signalling_ = false; });
  TImageList::Change();
}

void TTBCustomImageList::ChangeImages(TCustomImageList*& AField, TCustomImageList* AValue, TChangeLink& ALink) {
  if (AValue == this) AValue = nullptr;
  if (AField == AValue) return;
  if (TCustomImageList* old = AField) {
    // A list whose destructor has run already let go of its links.
    if (ALink.Sender == old) old->UnRegisterChanges(&ALink);
    AField = nullptr;
    if (old != checkedImages_ && old != disabledImages_ && old != hotImages_) old->RemoveFreeNotification(this);
  }
  AField = AValue;
  if (AValue) {
    AValue->RegisterChanges(&ALink);
    AValue->FreeNotification(this);
  }
  if (!(ComponentState() & (csLoading | csDestroying))) Change();
}

void TTBCustomImageList::ImageListChanged(TObject*) {
  if (Destroying()) return;
  Change();
}

void TTBCustomImageList::ImagesBitmapChanged(TObject*) {
  if (imagesBitmap_->Empty()) return;
  // One signal for the whole reload, not one for the clearing and one for the adding.
  const bool alreadySignalling = signalling_;
  {
    signalling_ = true;
    TScopeGuard restore([&] { signalling_ = alreadySignalling; });
    Clear();
    AddMasked(*imagesBitmap_, ColorToGdi(imagesBitmapMaskColor_));
  }
  if (!alreadySignalling) Change();
}
