// The popup menu and the item container.
#include "items/TB2PopupMenu.h"

// --- the item container ---------------------------------------------------------------------

TTBItemContainer::TTBItemContainer(TComponent* AOwner) : TComponent(AOwner), item_(new TTBRootItem(this)) {
  item_->SetRootParentComponent(this);
}

void TTBItemContainer::BeforeDestruction() {
  // The tree goes first, while the container that holds it is still whole.
  TComponent::FreeAndNil(item_);
  TComponent::BeforeDestruction();
}

void TTBItemContainer::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == item_) item_ = nullptr;
}

void TTBItemContainer::GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent* Root) const {
  if (item_) item_->GetChildren(Proc, Root);
}

TCustomImageList* TTBItemContainer::Images() const { return item_->SubMenuImages(); }
void TTBItemContainer::SetImages(TCustomImageList* Value) { item_->SetSubMenuImages(Value); }

// --- the popup menu -------------------------------------------------------------------------

TTBPopupMenu::TTBPopupMenu(TComponent* AOwner) : TTBPopupMenu(AOwner, CreateRootItemOf<TTBRootItem>) {}

TTBPopupMenu::TTBPopupMenu(TComponent* AOwner, TTBRootItemClass ARootItemClass)
    : TPopupMenu(AOwner), rootItemClass_(ARootItemClass), item_(ARootItemClass(this)) {
  item_->SetRootParentComponent(this);
  item_->OnClick = TNotifyEvent(this, &TTBPopupMenu::RootItemClick);
}

void TTBPopupMenu::BeforeDestruction() {
  TComponent::FreeAndNil(item_);
  TPopupMenu::BeforeDestruction();
}

void TTBPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TPopupMenu::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == item_) item_ = nullptr;
}

void TTBPopupMenu::GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent* Root) const {
  if (item_) item_->GetChildren(Proc, Root);
}

void TTBPopupMenu::SetChildOrder(TComponent* Child, int Order) { item_->SetChildOrder(Child, Order); }

void TTBPopupMenu::RootItemClick(TObject* Sender) { DoPopup(Sender == item_ ? this : Sender); }

void TTBPopupMenu::Popup(int X, int Y) { PopupEx(X, Y, false); }

TTBCustomItem* TTBPopupMenu::PopupEx(int X, int Y, bool ReturnClickedItemOnly) {
  SetPopupPoint(POINT{X, Y});
  // The class library's alignments are in the same order as the item framework's.
  return item_->Popup(X, Y, TrackButton() == tbRightButton, static_cast<TTBPopupAlignment>(Alignment()),
                      ReturnClickedItemOnly);
}

bool TTBPopupMenu::IsShortCut(TWMKey& Message) { return item_->IsShortCut(Message); }

TCustomImageList* TTBPopupMenu::Images() const { return item_->SubMenuImages(); }
void TTBPopupMenu::SetImages(TCustomImageList* Value) { item_->SetSubMenuImages(Value); }
TTBCustomItem* TTBPopupMenu::LinkSubitems() const { return item_->LinkSubitems(); }
void TTBPopupMenu::SetLinkSubitems(TTBCustomItem* Value) { item_->SetLinkSubitems(Value); }
TTBItemOptions TTBPopupMenu::Options() const { return item_->Options(); }
void TTBPopupMenu::SetOptions(TTBItemOptions Value) { item_->SetOptions(Value); }

static_assert(static_cast<int>(paLeft) == tbpaLeft && static_cast<int>(paRight) == tbpaRight &&
              static_cast<int>(paCenter) == tbpaCenter);
