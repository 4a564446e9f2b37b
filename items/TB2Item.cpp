// The item tree: children, change notification, state setters, options, shortcuts, clicks and
// the form-resource hooks.
#include "items/TB2Item.h"

#include "items/TB2View.h"

#include "classlib/ScopeGuard.h"

namespace {

const wchar_t kIndexOutOfRange[] = L"Toolbar item index out of range";
const wchar_t kAlreadyInserted[] = L"Toolbar item already inserted";

// Notifications climb at most this many levels above the item where they start.
constexpr int kMaxRelayNesting = 10;
// A shortcut search follows at most this many links along one path.
constexpr int kMaxLinkDepth = 25;
// IsShortCut searches again when a popup handler changed the tree, but not for ever.
constexpr int kMaxShortCutRestarts = 16;

TTBItemOptions FixOptions(TTBItemOptions options) {
  if (!(options & tboToolbarStyle)) options &= static_cast<TTBItemOptions>(~tboToolbarSize);
  return options;
}

// Options whose change may alter an item's size or look.
constexpr TTBItemOptions kOptionsThatChangeLook = tboDefault | tboDropdownArrow | tboImageAboveCaption |
                                                  tboNoRotation | tboSameWidth | tboToolbarStyle |
                                                  tboToolbarSize;

TTBCustomItem* SearchShortCut(TTBCustomItem* s, TShortCut shortCut, int depth, TTBCustomItem** topmost) {
  if (TTBCustomItem* linked = s->LinkSubitems()) {
    s = linked;
    if (++depth > kMaxLinkDepth) return nullptr;
  }
  for (int i = 0; i < s->Count(); ++i) {
    TTBCustomItem* child = s->Items(i);
    if (child->ShortCut() == shortCut) return child;
    if (TTBCustomItem* found = SearchShortCut(child, shortCut, depth, nullptr)) {
      if (topmost) *topmost = child;
      return found;
    }
  }
  return nullptr;
}

}  // namespace

TTBCustomItem* SubitemsHolder(TTBCustomItem* Item) {
  if (Item && Item->LinkSubitems()) return Item->LinkSubitems();
  return Item;
}

// --- life -----------------------------------------------------------------------------------

TTBCustomItem::TTBCustomItem(TComponent* AOwner) : TComponent(AOwner) { IncItemViewerCount(); }

TTBCustomItem::~TTBCustomItem() {
  TearDownItem();  // when deleted directly rather than freed
  if (lifeToken_) *lifeToken_ = false;
  notifyList_.clear();
  linkParents_.reset();
  DecItemViewerCount();
}

TTBCustomItem::TLifeWatch::TLifeWatch(TTBCustomItem* Item) {
  if (!Item->lifeToken_) Item->lifeToken_ = std::make_shared<bool>(true);
  alive_ = Item->lifeToken_;
}

void TTBCustomItem::BeforeDestruction() {
  TearDownItem();
  TComponent::BeforeDestruction();
}

void TTBCustomItem::TearDownItem() {
  if (itemTornDown_) return;
  itemTornDown_ = true;
  MarkDestroying();
  CancelQueuedClicks(this);
  DropLinks();
  while (!items_.empty()) items_.back()->Free();  // each child leaves the array itself
  if (parent_) {
    // A listener's exception cannot leave a destructor; the item leaves its parent regardless.
    GuardBoundary([this] { parent_->Remove(this); });
    if (parent_) {
      auto& siblings = parent_->items_;
      for (auto it = siblings.begin(); it != siblings.end(); ++it)
        if (*it == this) {
          siblings.erase(it);
          break;
        }
      parent_ = nullptr;
    }
  }
  actionLink_.reset();
  imagesChangeLink_.reset();
  subMenuImagesChangeLink_.reset();
}

void TTBCustomItem::DropLinks() {
  // Done here, while this item is whole, however it is destroyed: a delete reaches the free
  // notifications only when the item part is gone, too late for the lists of link parents.
  if (linkSubitems_) {
    RemoveFromList(linkSubitems_->linkParents_, this);
    linkSubitems_ = nullptr;
  }
  // Each link parent leaves the list as it lets go; one freed meanwhile has left it too.
  while (linkParents_) {
    TTBCustomItem* linkParent = linkParents_->back();
    GuardBoundary([linkParent] { linkParent->SetLinkSubitems(nullptr); });
    RemoveFromList(linkParents_, linkParent);
  }
}

// --- children -------------------------------------------------------------------------------

TTBCustomItem* TTBCustomItem::GetItem(int Index) const {
  if (Index < 0 || Index >= Count()) throw ETBItemError(kIndexOutOfRange);
  return items_[static_cast<size_t>(Index)];
}

void TTBCustomItem::Add(TTBCustomItem* AItem) { Insert(Count(), AItem); }

template <class Fn>
void TTBCustomItem::WithinViewUpdate(Fn&& Body) {
  TLifeWatch self(this);
  ViewBeginUpdate();
  if (self.Gone()) return;
  TScopeGuard endUpdate([&] {
    if (!self.Gone()) ViewEndUpdate();
  });
  Body();
}

void TTBCustomItem::Insert(int NewIndex, TTBCustomItem* AItem) {
  if (AItem->parent_) throw ETBItemError(kAlreadyInserted);
  if (NewIndex < 0 || NewIndex > Count()) throw ETBItemError(kIndexOutOfRange);
  items_.insert(items_.begin() + NewIndex, AItem);
  AItem->parent_ = this;
  // Listeners may free this item or the new child.
  TLifeWatch self(this), inserted(AItem);
  WithinViewUpdate([&] {
    Notify(tbicInserted, NewIndex, AItem);
    if (!self.Gone() && !inserted.Gone()) AItem->RefreshOptions();
  });
}

void TTBCustomItem::Delete(int Index) {
  TTBCustomItem* child = GetItem(Index);
  TLifeWatch self(this), deleted(child);
  Notify(tbicDeleting, Index, child);
  // A listener that freed the child (or this item with it) has taken it out of the tree already.
  if (self.Gone() || deleted.Gone()) return;
  for (auto it = items_.begin(); it != items_.end(); ++it)
    if (*it == child) {
      items_.erase(it);
      break;
    }
  if (child->parent_ == this) child->parent_ = nullptr;
}

void TTBCustomItem::Remove(TTBCustomItem* AItem) {
  int i = IndexOf(AItem);
  if (i >= 0) Delete(i);
}

int TTBCustomItem::IndexOf(TTBCustomItem* AItem) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == AItem) return static_cast<int>(i);
  return -1;
}

void TTBCustomItem::Clear() {
  while (!items_.empty()) items_.back()->Free();
}

void TTBCustomItem::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TTBCustomItem* item = GetItem(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) throw ETBItemError(kIndexOutOfRange);
  TLifeWatch self(this), moved(item);
  WithinViewUpdate([&] {
    Delete(CurIndex);
    if (!self.Gone() && !moved.Gone()) Insert(NewIndex, item);
  });
}

bool TTBCustomItem::ContainsItem(TTBCustomItem* AItem) const {
  for (TTBCustomItem* p = AItem; p; p = p->parent_)
    if (p == this) return true;
  return false;
}

// --- change notification --------------------------------------------------------------------

void TTBCustomItem::RegisterNotification(const TTBItemChangedProc& Notify) {
  for (TNotifyEntry& e : notifyList_)
    if (MethodsEqual(e.Proc, Notify)) {
      ++e.Count;
      return;
    }
  notifyList_.push_back({Notify, 1});
}

void TTBCustomItem::UnregisterNotification(const TTBItemChangedProc& Notify) {
  for (auto it = notifyList_.begin(); it != notifyList_.end(); ++it)
    if (MethodsEqual(it->Proc, Notify)) {
      if (--it->Count == 0) notifyList_.erase(it);
      return;
    }
}

void TTBCustomItem::Notify(TTBItemChangedAction Action, int Index, TTBCustomItem* Item) {
  InternalNotify(this, 0, Action, Index, Item);
}

void TTBCustomItem::RelayThroughGroup(TTBCustomItem* Group, TTBCustomItem* Ancestor, int NestingLevel,
                                      TTBItemChangedAction Action, int Index, TTBCustomItem* Item) {
  if (NestingLevel <= kMaxRelayNesting && (Group->itemStyle_ & tbisEmbeddedGroup) && Group->parent_)
    Group->parent_->InternalNotify(Ancestor == this ? Group : Ancestor, NestingLevel + 1, Action, Index, Item);
}

void TTBCustomItem::InternalNotify(TTBCustomItem* Ancestor, int NestingLevel, TTBItemChangedAction Action,
                                   int Index, TTBCustomItem* Item) {
  // Listeners may unregister themselves or others, or free this item: the watch tells us the
  // item is gone, and the list is re-read after every call.
  TLifeWatch self(this);
  RelayThroughGroup(this, Ancestor, NestingLevel, Action, Index, Item);
  if (self.Gone()) return;
  for (size_t i = 0; linkParents_ && i < linkParents_->size(); ++i) {
    TTBCustomItem* linkParent = (*linkParents_)[i];
    if (linkParent == parent_) continue;
    RelayThroughGroup(linkParent, Ancestor, NestingLevel, Action, Index, Item);
    if (self.Gone()) return;
  }
  const bool relayed = Ancestor != this;
  for (size_t i = 0; i < notifyList_.size();) {
    TTBItemChangedProc proc = notifyList_[i].Proc;
    proc(Ancestor, relayed, Action, Index, Item);
    if (self.Gone() || i >= notifyList_.size()) return;
    if (MethodsEqual(notifyList_[i].Proc, proc)) ++i;
  }
}

void TTBCustomItem::ViewBeginUpdate() { Notify(tbicSubitemsBeginUpdate, -1, nullptr); }
void TTBCustomItem::ViewEndUpdate() { Notify(tbicSubitemsEndUpdate, -1, nullptr); }

void TTBCustomItem::Change(bool NeedResize) {
  if (parent_) parent_->Notify(NeedResize ? tbicInvalidateAndResize : tbicInvalidate, -1, this);
}

void TTBCustomItem::RecreateItemViewers() {
  if (parent_) parent_->Notify(tbicRecreateItemViewers, -1, this);
}

void TTBCustomItem::SubMenuImagesChanged() { Notify(tbicSubMenuImagesChanged, -1, nullptr); }

// --- state ----------------------------------------------------------------------------------

void TTBCustomItem::SetCaption(const String& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  Change(true);
}

void TTBCustomItem::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  TLifeWatch self(this);
  Change(false);
  if (Value && !self.Gone()) TurnSiblingsOff();
}

void TTBCustomItem::SetDisplayMode(TTBItemDisplayMode Value) {
  if (Value == displayMode_) return;
  displayMode_ = Value;
  Change(true);
}

void TTBCustomItem::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  EnabledChanged();
}

void TTBCustomItem::EnabledChanged() { Change(false); }

void TTBCustomItem::SetGroupIndex(int Value) {
  if (Value == groupIndex_) return;
  groupIndex_ = Value;
  if (checked_) TurnSiblingsOff();
}

void TTBCustomItem::TurnSiblingsOff() {
  if (groupIndex_ == 0) return;
  // Each sibling's listeners may free this item, the sibling or others: re-read everything.
  TLifeWatch self(this);
  for (size_t i = 0; parent_ && i < parent_->items_.size();) {
    TTBCustomItem* sibling = parent_->items_[i];
    if (sibling != this && sibling->groupIndex_ == groupIndex_) {
      sibling->SetChecked(false);
      if (self.Gone()) return;
      if (!parent_ || i >= parent_->items_.size() || parent_->items_[i] != sibling) continue;
    }
    ++i;
  }
}

void TTBCustomItem::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  const bool imageShownChanges = (imageIndex_ == -1) != (Value == -1);
  imageIndex_ = Value;
  Change(imageShownChanges);
}

void TTBCustomItem::SetRadioItem(bool Value) {
  if (Value == radioItem_) return;
  radioItem_ = Value;
  Change(false);
}

void TTBCustomItem::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  Change(true);
}

void TTBCustomItem::SetName(const String& NewName) {
  if (NewName == Name()) return;
  TComponent::SetName(NewName);
  if (parent_) parent_->Notify(tbicNameChanged, -1, this);
}

// --- options --------------------------------------------------------------------------------

void TTBCustomItem::SetInheritOptions(bool Value) {
  if (Value == inheritOptions_) return;
  inheritOptions_ = Value;
  RefreshOptions();
}

void TTBCustomItem::SetMaskOptions(TTBItemOptions Value) {
  if (Value == maskOptions_) return;
  maskOptions_ = Value;
  RefreshOptions();
}

void TTBCustomItem::SetOptions(TTBItemOptions Value) {
  Value = FixOptions(Value);
  if (Value == options_) return;
  options_ = Value;
  RefreshOptions();
}

void TTBCustomItem::RefreshOptions() {
  TTBItemOptions inherited = 0;
  if (inheritOptions_ && parent_) inherited = parent_->effectiveOptions_ & static_cast<TTBItemOptions>(~tboDefault);
  TTBItemOptions newOptions =
      FixOptions(static_cast<TTBItemOptions>((inherited & ~maskOptions_) | options_));
  if (newOptions == effectiveOptions_) return;
  const TTBItemOptions changed = newOptions ^ effectiveOptions_;
  effectiveOptions_ = newOptions;
  // Listeners told of this item or of its children may free it.
  TLifeWatch self(this);
  if (changed & kOptionsThatChangeLook) Change(true);
  for (size_t i = 0; !self.Gone() && i < items_.size(); ++i) {
    TTBCustomItem* child = items_[i];
    if (child->inheritOptions_) child->RefreshOptions();
  }
}

// --- linked sub-items -----------------------------------------------------------------------

void TTBCustomItem::SetLinkSubitems(TTBCustomItem* Value) {
  if (Value == this) Value = nullptr;
  if (Value == linkSubitems_) return;
  if (linkSubitems_) RemoveFromList(linkSubitems_->linkParents_, this);
  linkSubitems_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    AddToList(Value->linkParents_, this);
  }
  Notify(tbicSubitemsChanged, -1, nullptr);
}

void TTBCustomItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (auto* item = dynamic_cast<TTBCustomItem*>(AComponent)) RemoveFromList(linkParents_, item);
  if (actionLink_ && AComponent == actionLink_->Action()) SetAction(nullptr);
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == subMenuImages_) SetSubMenuImages(nullptr);
  if (AComponent == linkSubitems_) SetLinkSubitems(nullptr);
}

// --- shortcuts ------------------------------------------------------------------------------

String TTBCustomItem::GetShortCutText() const {
  size_t tab = caption_.find(L'\t');
  if (tab != String::npos && tab != caption_.size() - 1) return caption_.substr(tab + 1);
  if (shortCut_ != 0) return ShortCutToText(shortCut_);
  return L"";
}

TTBCustomItem* TTBCustomItem::FindItemWithShortCut(TShortCut AShortCut, TTBCustomItem*& TopmostParent) {
  TopmostParent = nullptr;
  return SearchShortCut(this, AShortCut, 0, &TopmostParent);
}

bool TTBCustomItem::IsShortCut(TWMKey& Message) {
  const TShortCut shortCut = ::ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData));
  if (shortCut == 0) return false;  // no key: items without a shortcut must not match
  const bool designing = (ComponentState() & csDesigning) != 0;
  for (int restart = 0; restart <= kMaxShortCutRestarts; ++restart) {
    TTBCustomItem* top = nullptr;
    TTBCustomItem* item = FindItemWithShortCut(shortCut, top);
    if (!item) return false;
    TTBCustomItem* parent = this;
    for (;;) {
      if (!parent->Enabled()) return false;
      TTBCustomItem* container = SubitemsHolder(parent);
      if (!designing)
        for (int i = 0; i < container->Count(); ++i) container->Items(i)->InitiateAction();
      // The popup events run as if the user had opened each submenu on the path.
      if (!(parent->itemStyle_ & tbisEmbeddedGroup)) {
        if (container != parent) GuardBoundary([&] { container->DoPopup(parent, true); });
        GuardBoundary([&] { parent->DoPopup(parent, false); });
      }
      item = parent->FindItemWithShortCut(shortCut, top);
      if (!item) break;  // a popup handler changed the tree: search again from the top
      if (top) {
        parent = top;
        continue;
      }
      if (!item->Enabled()) return false;
      GuardBoundary([&] { item->Click(); });
      return true;
    }
  }
  return false;
}

// --- commands -------------------------------------------------------------------------------

void TTBCustomItem::Click() {
  if (!enabled_) return;
  if (autoCheck_ && (!actionLink_ || !actionLink_->IsAutoCheckLinked())) {
    TLifeWatch self(this);
    SetChecked(!checked_);
    if (self.Gone()) return;  // a listener of the check mark freed the item
  }
  TBasicAction* action = Action();
  if (OnClick && action && !MethodsEqual(OnClick, action->OnExecute()))
    OnClick(this);
  else if (!(ComponentState() & csDesigning) && actionLink_)
    actionLink_->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TTBCustomItem::DoPopup(TTBCustomItem* Sender, bool FromLink) {
  TLifeWatch self(this);
  OnPopup(Sender, FromLink);
  if (!self.Gone() && !(itemStyle_ & tbisCombo)) Click();  // the handler may have freed the item
}

TTBView* TTBCustomItem::GetChevronParentView() { return nullptr; }

TTBItemViewerClass TTBCustomItem::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TTBItemViewer>; }

TTBPopupWindowClass TTBCustomItem::GetPopupWindowClass() { return CreatePopupWindowOf<TTBPopupWindow>; }

bool TTBCustomItem::NeedToRecreateViewer(TTBItemViewer*) { return false; }

// --- form-resource hooks --------------------------------------------------------------------

TComponent* TTBCustomItem::GetParentComponent() const {
  if (parent_ && parent_->parentComponent_) return parent_->parentComponent_;
  return parent_;
}

void TTBCustomItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* item = dynamic_cast<TTBCustomItem*>(Value))
    item->Add(this);
  else if (auto* holder = dynamic_cast<ITBItems*>(Value))
    holder->GetItems()->Add(this);
}

void TTBCustomItem::GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent*) const {
  for (size_t i = 0; i < items_.size(); ++i) Proc(items_[i]);
}

void TTBCustomItem::SetChildOrder(TComponent* Child, int Order) {
  int i = IndexOf(dynamic_cast<TTBCustomItem*>(Child));
  if (i >= 0) Move(i, Order);
}

void TTBCustomItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}
