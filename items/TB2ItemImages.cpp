// An item's image lists: a change of list or of the list's image size may change the item's size.
#include "items/TB2Item.h"

bool TTBCustomItem::ChangeImages(TCustomImageList*& List, TCustomImageList* NewList,
                                 std::unique_ptr<TTBImageChangeLink>& Link) {
  int oldWidth = -1, oldHeight = -1;
  if (List) {
    oldWidth = List->Width();
    oldHeight = List->Height();
    if (Link) List->UnRegisterChanges(Link.get());
  }
  if (!NewList) {
    const bool hadList = List != nullptr;
    List = nullptr;
    Link.reset();
    return hadList;
  }
  List = NewList;
  const bool sizeChanged = NewList->Width() != oldWidth || NewList->Height() != oldHeight;
  if (!Link) {
    Link = std::make_unique<TTBImageChangeLink>();
    Link->OnChange = TNotifyEvent(this, &TTBCustomItem::ImageListChangeHandler);
  }
  Link->LastWidth = NewList->Width();
  Link->LastHeight = NewList->Height();
  NewList->RegisterChanges(Link.get());
  NewList->FreeNotification(this);
  return sizeChanged;
}

void TTBCustomItem::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  Change(ChangeImages(images_, Value, imagesChangeLink_));
}

void TTBCustomItem::SetSubMenuImages(TCustomImageList* Value) {
  if (Value == subMenuImages_) return;
  ChangeImages(subMenuImages_, Value, subMenuImagesChangeLink_);
  SubMenuImagesChanged();
}

void TTBCustomItem::ImageListChangeHandler(TObject* Sender) {
  // The sender is the list or its link, depending on who reports; both identify the list.
  auto isFrom = [Sender](TCustomImageList* list, const std::unique_ptr<TTBImageChangeLink>& link) {
    return list && link && (Sender == list || Sender == link.get());
  };
  if (isFrom(subMenuImages_, subMenuImagesChangeLink_)) {
    subMenuImagesChangeLink_->LastWidth = subMenuImages_->Width();
    subMenuImagesChangeLink_->LastHeight = subMenuImages_->Height();
    SubMenuImagesChanged();
  }
  if (isFrom(images_, imagesChangeLink_)) {
    const bool needResize = images_->Width() != imagesChangeLink_->LastWidth ||
                            images_->Height() != imagesChangeLink_->LastHeight;
    imagesChangeLink_->LastWidth = images_->Width();
    imagesChangeLink_->LastHeight = images_->Height();
    Change(needResize);
  }
}
