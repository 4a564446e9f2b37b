// The view: its viewers kept in step with the item tree, lazy layout, painting, timers, child
// popups and the modal state.
#include "items/TB2View.h"

POINT LastCursorPos{};

TTBView::TTBView(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AParentItem, TWinControl* AWindow,
                 bool AIsToolbar, bool ACustomizing, bool AUsePriorityList)
    : TComponent(AOwner),
      customizing_(ACustomizing),
      isToolbar_(AIsToolbar),
      parentView_(AParentView),
      parentItem_(AParentItem),
      usePriorityList_(AUsePriorityList),
      window_(AWindow) {
  if (parentItem_) {
    parentItem_->RegisterNotification(TTBItemChangedProc(this, &TTBView::LinkNotification));
    parentItem_->FreeNotification(this);
  }
  UpdateCurParentItem();
}

TTBView::~TTBView() {
  destroying_ = true;
  CloseChildPopups();
  if (parentItem_) {
    parentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::LinkNotification));
    parentItem_->RemoveFreeNotification(this);
  }
  if (curParentItem_) curParentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  priorityList_.reset();
  FreeViewers();
}

void TTBView::AutoSize(int, int) {}
void TTBView::DoUpdatePositions(POINT&) {}
TTBCustomItem* TTBView::GetChevronItem() { return nullptr; }
void TTBView::GetMargins(TTBViewOrientation, RECT& Margins) { Margins = {}; }
TTBCustomItem* TTBView::GetMDIButtonsItem() { return nullptr; }
TTBCustomItem* TTBView::GetMDISystemMenuItem() { return nullptr; }
TFont& TTBView::GetFont() { return ToolbarFont(); }
void TTBView::InvalidatePositions() { validPositions_ = false; }

bool TTBView::ContainsView(TTBView*) { return false; }
TTBView* TTBView::GetRootView() { return this; }
TTBView* TTBView::GetParentToolbarView() { return nullptr; }
HWND TTBView::GetCaptureWnd() { return nullptr; }
bool TTBView::IsModalEnding() { return false; }

int TTBView::IndexOf(TTBItemViewer* AViewer) const {
  if (!AViewer) return -1;
  for (size_t i = 0; i < viewers_.size(); ++i)
    if (viewers_[i] == AViewer) return static_cast<int>(i);
  return -1;
}

TTBItemViewer* TTBView::Find(TTBCustomItem* AItem) {
  for (TTBItemViewer* v : viewers_)
    if (v->Item() == AItem) return v;
  throw ETBItemError(L"An item viewer associated the specified item could not be found");
}

TTBItemViewer* TTBView::ViewerFromPoint(const POINT&) { return nullptr; }

void TTBView::FreeViewer(TTBItemViewer* AViewer) {
  DeletingViewer(AViewer);
  if (priorityList_) std::erase(*priorityList_, AViewer);
  std::erase(viewers_, AViewer);
  delete AViewer;
}

void TTBView::FreeViewers() {
  // Last first: the list shrinks as each goes.
  while (!viewers_.empty()) FreeViewer(viewers_.back());
}

int TTBView::InsertItemViewers(int NewIndex, TTBCustomItem* AItem, int AGroupLevel, bool AddToPriorityList,
                               bool TopOfPriorityList) {
  if (AGroupLevel > 10) return 0;
  TTBItemViewer* viewer = AItem->GetItemViewerClass(this)(this, AItem, AGroupLevel);
  viewers_.insert(viewers_.begin() + NewIndex, viewer);
  if (AddToPriorityList && priorityList_) {
    if (TopOfPriorityList)
      priorityList_->insert(priorityList_->begin(), viewer);
    else
      priorityList_->push_back(viewer);
  }
  int inserted = 1;
  if (!customizing_ && (AItem->ItemStyle() & tbisEmbeddedGroup)) {
    TTBCustomItem* group = SubitemsHolder(AItem);
    for (int i = 0; i < group->Count(); ++i)
      inserted += InsertItemViewers(NewIndex + inserted, group->Items(i), AGroupLevel + 1, AddToPriorityList,
                                    TopOfPriorityList);
  }
  return inserted;
}

void TTBView::RecreateItemViewer(int) {}

void TTBView::RecreateAllViewers() {
  CloseChildPopups();
  SetSelected(nullptr);
  InvalidatePositions();
  priorityList_.reset();
  FreeViewers();
  internalViewersAtFront_ = 0;
  internalViewersAtEnd_ = 0;
  if (usePriorityList_) priorityList_ = std::make_unique<std::vector<TTBItemViewer*>>();
  if (TTBCustomItem* menu = GetMDISystemMenuItem())
    internalViewersAtFront_ = InsertItemViewers(ViewerCount(), menu, 0, false, false);
  if (curParentItem_)
    for (int i = 0; i < curParentItem_->Count(); ++i)
      InsertItemViewers(ViewerCount(), curParentItem_->Items(i), 0, true, false);
  if (TTBCustomItem* buttons = GetMDIButtonsItem())
    for (int i = 0; i < buttons->Count(); ++i)
      internalViewersAtEnd_ += InsertItemViewers(ViewerCount(), buttons->Items(i), 0, false, false);
  if (TTBCustomItem* chevron = GetChevronItem())
    internalViewersAtEnd_ += InsertItemViewers(ViewerCount(), chevron, 0, false, false);
}

void TTBView::DeletingViewer(TTBItemViewer* AViewer) {
  if (selected_ == AViewer) selected_ = nullptr;
  if (openViewer_ == AViewer) CloseChildPopups();
}

void TTBView::GetOffEdgeControlList(std::vector<TControl*>&) {}

void TTBView::ValidatePositions() {}
void TTBView::TryValidatePositions() {}
void TTBView::UpdatePositions() {}
void TTBView::BeginUpdate() {}
void TTBView::EndUpdate() {}

void TTBView::StartTimer(TTBViewTimerID, int) {}
void TTBView::StopTimer(TTBViewTimerID) {}
void TTBView::StopAllTimers() {}
bool TTBView::OpenChildPopup(bool) { return false; }
void TTBView::CloseChildPopups() {}
void TTBView::CancelChildPopups() {}
void TTBView::CancelMode() {}
void TTBView::SetOpenViewer(TTBItemViewer*, TTBView*, TTBPopupWindow*) {}

void TTBView::SetCapture() {}
void TTBView::CancelCapture() {}
void TTBView::SetAccelsVisibility(bool) {}
void TTBView::NotifyFocusEvent() {}

void TTBView::DrawSubitems(TCanvas&) {}
void TTBView::DrawItem(TTBItemViewer*, TCanvas&, bool) {}
void TTBView::Invalidate(TTBItemViewer*) {}

void TTBView::ItemNotification(TTBCustomItem*, bool, TTBItemChangedAction, int, TTBCustomItem*) {}
void TTBView::LinkNotification(TTBCustomItem*, bool, TTBItemChangedAction, int, TTBCustomItem*) {}
void TTBView::ImagesChanged() {}
bool TTBView::HandleWMGetObject(TMessage&) { return false; }

void TTBView::SetChevronParentView(TTBView* Value) { chevronParentView_ = Value; }
void TTBView::SetCustomizing(bool Value) { customizing_ = Value; }
void TTBView::SetOrientation(TTBViewOrientation Value) { orientation_ = Value; }
void TTBView::SetUsePriorityList(bool Value) { usePriorityList_ = Value; }
void TTBView::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}
void TTBView::UpdateCurParentItem() {
  TTBCustomItem* value = parentItem_ ? SubitemsHolder(parentItem_) : nullptr;
  if (value == curParentItem_) return;
  CloseChildPopups();
  if (curParentItem_) curParentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  curParentItem_ = value;
  if (curParentItem_) curParentItem_->RegisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  RecreateAllViewers();
  InitiateActions();
}
void TTBView::InitiateActions() {}
