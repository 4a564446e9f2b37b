#pragma once
// Components that own an item tree without showing it themselves: the popup menu, which shows
// its items as a modal popup menu at a point, and the item container, which only holds items for
// others to link to.
#include "items/TB2Item.h"

// The class-returning operation for root items: a descendant names its own root class.
using TTBRootItemClass = TTBCustomItem* (*)(TComponent* AOwner);

template <class T>
TTBCustomItem* CreateRootItemOf(TComponent* AOwner) {
  return new T(AOwner);
}

// Holds a root item whose children other components link to.
class TTBItemContainer : public TComponent, public ITBItems {
 public:
  explicit TTBItemContainer(TComponent* AOwner);

  TTBCustomItem* GetItems() override { return item_; }
  TTBCustomItem* Items() const { return item_; }
  // Form streaming writes and reads the items as the container's children.
  void GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent* Root) const;
  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* Value);

 protected:
  void BeforeDestruction() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TTBCustomItem* item_;
};

// A popup menu whose items are an item tree, shown by the item framework's own popup windows
// and menu loop.
class TTBPopupMenu : public TPopupMenu, public ITBItems {
 public:
  explicit TTBPopupMenu(TComponent* AOwner);

  TTBCustomItem* GetItems() override { return item_; }
  TTBCustomItem* Items() const { return item_; }
  TTBRootItemClass GetRootItemClass() const { return rootItemClass_; }
  void GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent* Root) const;
  void SetChildOrder(TComponent* Child, int Order);

  void Popup(int X, int Y) override;
  // Shows the menu at (X, Y) and answers the chosen item, or nil; with ReturnClickedItemOnly the
  // item is only answered, not clicked.
  TTBCustomItem* PopupEx(int X, int Y, bool ReturnClickedItemOnly);
  // The shortcuts of the menu's items, so that the key path of the control it belongs to finds
  // them.
  bool IsShortCut(TWMKey& Message) override;

  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* Value);
  TTBCustomItem* LinkSubitems() const;
  void SetLinkSubitems(TTBCustomItem* Value);
  TTBItemOptions Options() const;
  void SetOptions(TTBItemOptions Value);

 protected:
  // A descendant names the class of its root item here; the root is made by this constructor.
  TTBPopupMenu(TComponent* AOwner, TTBRootItemClass ARootItemClass);
  void BeforeDestruction() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // The root item is clicked when its popup opens (and on a shortcut search): the menu's own
  // popup event runs, with the menu as its sender.
  void RootItemClick(TObject* Sender);

  TTBRootItemClass rootItemClass_;
  TTBCustomItem* item_;
};
