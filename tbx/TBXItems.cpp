// The themed item kinds: their own properties, the viewers and popups they answer, and the
// viewer lists of list items.
#include "tbx/TBX.h"

#include <algorithm>

// --- the themed item ------------------------------------------------------------------------

TTBXCustomItem::TTBXCustomItem(TComponent* AOwner)
    : TTBCustomItem(AOwner), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = TNotifyEvent(this, &TTBXCustomItem::FontSettingsChanged);
}

TTBXCustomItem::~TTBXCustomItem() = default;

void TTBXCustomItem::FontSettingsChanged(TObject*) { Change(true); }

void TTBXCustomItem::SetLayout(TTBXItemLayout Value) { SetAndResize(layout_, Value); }
void TTBXCustomItem::SetMinHeight(int Value) { SetAndResize(minHeight_, Value); }
void TTBXCustomItem::SetMinWidth(int Value) { SetAndResize(minWidth_, Value); }

void TTBXCustomItem::SetStyleBit(TTBItemStyle Bit, bool Value) {
  if (((ItemStyle() & Bit) != 0) == Value) return;
  SetItemStyle(Value ? ItemStyle() | Bit : ItemStyle() & static_cast<TTBItemStyle>(~Bit));
  Change(true);
}

TTBPopupWindow* TTBXCustomItem::CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer,
                                           bool PositionAsSubmenu, bool SelectFirstItem, bool Customizing,
                                           const POINT& APopupPoint, TTBPopupAlignment Alignment) {
  return TTBCustomItem::CreatePopup(ParentView, ParentViewer, PositionAsSubmenu,
                                    SelectFirstItem || alwaysSelectFirst_, Customizing, APopupPoint, Alignment);
}

TTBItemViewerClass TTBXCustomItem::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TTBXItemViewer>; }

TTBPopupWindowClass TTBXCustomItem::GetPopupWindowClass() { return CreatePopupWindowOf<TTBXPopupWindow>; }

TTBXSubmenuItem::TTBXSubmenuItem(TComponent* AOwner) : TTBXCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisSubmenu | tbisSubitemsEditable);
}

// --- the themed separator -------------------------------------------------------------------

void TTBXSeparatorItem::SetSize(int Value) {
  Value = std::max(Value, -1);
  if (Value == size_) return;
  size_ = Value;
  Change(true);
}

TTBItemViewerClass TTBXSeparatorItem::GetItemViewerClass(TTBView*) {
  return CreateItemViewerOf<TTBXSeparatorItemViewer>;
}

// --- viewer lists ---------------------------------------------------------------------------

void ListAddViewer(std::unique_ptr<std::vector<TTBItemViewer*>>& List, TTBItemViewer* Viewer) {
  if (!List) List = std::make_unique<std::vector<TTBItemViewer*>>();
  List->push_back(Viewer);
}

void ListRemoveViewer(std::unique_ptr<std::vector<TTBItemViewer*>>& List, TTBItemViewer* Viewer) {
  if (!List) return;
  const auto found = std::find(List->begin(), List->end(), Viewer);
  if (found != List->end()) List->erase(found);
  if (List->empty()) List.reset();
}
