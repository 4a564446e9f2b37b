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

TTBControlItem::TTBControlItem(TComponent* AOwner) : TTBCustomItem(AOwner) {}
TTBControlItem::TTBControlItem(TComponent* AOwner, TControl* AControl) : TTBCustomItem(AOwner), control_(AControl) {}
TTBControlItem::~TTBControlItem() = default;
void TTBControlItem::SetControl(TControl* Value) { control_ = Value; }
void TTBControlItem::Notification(TComponent* AComponent, TOperation Operation) {
  TTBCustomItem::Notification(AComponent, Operation);
}
