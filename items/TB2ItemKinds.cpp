// The concrete item kinds: each only sets its item style.
#include "items/TB2Item.h"

TTBGroupItem::TTBGroupItem(TComponent* AOwner) : TTBCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisEmbeddedGroup | tbisSubitemsEditable);
}

TTBSubmenuItem::TTBSubmenuItem(TComponent* AOwner) : TTBCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisSubmenu | tbisSubitemsEditable);
}

void TTBSubmenuItem::SetDropdownCombo(bool Value) {
  if (Value == DropdownCombo()) return;
  SetItemStyle(Value ? ItemStyle() | tbisCombo : ItemStyle() & static_cast<TTBItemStyle>(~tbisCombo));
  Change(true);
}

TTBSeparatorItem::TTBSeparatorItem(TComponent* AOwner) : TTBCustomItem(AOwner) {
  TTBItemStyle style = ItemStyle();
  style &= static_cast<TTBItemStyle>(~(tbisSelectable | tbisRedrawOnSelChange | tbisRedrawOnMouseOverChange));
  SetItemStyle(style | tbisSeparator | tbisClicksTransparent);
}

void TTBSeparatorItem::SetBlank(bool Value) {
  if (Value == blank_) return;
  blank_ = Value;
  Change(false);
}

TTBItemViewerClass TTBSeparatorItem::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TTBSeparatorItemViewer>; }

TTBControlItem::TTBControlItem(TComponent* AOwner) : TTBCustomItem(AOwner) {
  TTBItemStyle style = ItemStyle() & static_cast<TTBItemStyle>(~tbisSelectable);
  SetItemStyle(style | tbisClicksTransparent);
}

TTBControlItem::TTBControlItem(TComponent* AOwner, TControl* AControl) : TTBControlItem(AOwner) {
  control_ = AControl;
  if (control_) control_->FreeNotification(this);
}

TTBControlItem::~TTBControlItem() {
  TControl* control = control_;
  if (!control || keepControlOnDestroy_ || (control->ComponentState() & csAncestor)) return;
  // Let go first: the control's end must not reach back into this half-destroyed item.
  control_ = nullptr;
  RemoveFreeNotification(control);
  control->Free();
}

void TTBControlItem::SetControl(TControl* Value) {
  if (Value == control_) return;
  if (control_) RemoveFreeNotification(control_);
  control_ = Value;
  if (control_) control_->FreeNotification(this);
  Change(true);
}

void TTBControlItem::Notification(TComponent* AComponent, TOperation Operation) {
  TTBCustomItem::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent && AComponent == control_) SetControl(nullptr);
}
