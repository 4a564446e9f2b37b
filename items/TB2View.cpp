// The view: its viewers kept in step with the item tree, lazy layout, painting, timers, child
// popups and the modal state.
#include "items/TB2View.h"

#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2Acc.h"

#include <algorithm>

POINT LastCursorPos{};

namespace {

// Deeper embedded groups than this show no viewers.
constexpr int kMaxGroupLevel = 10;

bool IsControlItem(const TTBItemViewer* V) { return dynamic_cast<TTBControlItem*>(V->Item()) != nullptr; }

bool HasArea(const RECT& R) { return R.right > R.left && R.bottom > R.top; }

TTBPopupWindow* AsPopupWindow(TWinControl* Window) { return dynamic_cast<TTBPopupWindow*>(Window); }

}  // namespace

// --- life -----------------------------------------------------------------------------------

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
  DropAccObject();
  if (parentView_ && parentView_->isToolbar_) {
    // The next popup opened from that toolbar shows at once instead of sliding in again.
    parentView_->state_ |= vsNoAnimation;
    parentView_->Invalidate(parentView_->openViewer_);
  }
  if (parentItem_) {
    parentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::LinkNotification));
    parentItem_->RemoveFreeNotification(this);
  }
  if (curParentItem_) curParentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  if (chevronParentView_) chevronParentView_->RemoveFreeNotification(this);
  priorityList_.reset();
  selected_ = nullptr;
  FreeViewers();
  if (parentView_) parentView_->NotifyFocusEvent();
}

void TTBView::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || !AComponent) return;
  if (AComponent == parentItem_) {
    parentItem_ = nullptr;
    UpdateCurParentItem();
    if (parentView_) parentView_->CloseChildPopups();
  } else if (AComponent == openViewerWindow_) {
    openViewerWindow_ = nullptr;
    openViewerView_ = nullptr;
    openViewer_ = nullptr;
  } else if (AComponent == chevronParentView_) {
    chevronParentView_ = nullptr;
  }
}

// --- what descendants replace ---------------------------------------------------------------

void TTBView::AutoSize(int, int) {}
TTBCustomItem* TTBView::GetChevronItem() { return nullptr; }
TTBCustomItem* TTBView::GetMDIButtonsItem() { return nullptr; }
TTBCustomItem* TTBView::GetMDISystemMenuItem() { return nullptr; }
TFont& TTBView::GetFont() { return ToolbarFont(); }

void TTBView::GetMargins(TTBViewOrientation AOrientation, RECT& Margins) {
  Margins = AOrientation == tbvoFloating ? RECT{4, 2, 4, 1} : RECT{};
}

// --- the view chain -------------------------------------------------------------------------

bool TTBView::ContainsView(TTBView* AView) {
  for (TTBView* v = AView; v; v = v->parentView_)
    if (v == this) return true;
  return false;
}

TTBView* TTBView::GetRootView() {
  TTBView* v = this;
  while (v->parentView_) v = v->parentView_;
  return v;
}

TTBView* TTBView::GetParentToolbarView() {
  for (TTBView* v = this; v; v = v->parentView_)
    if (v->isToolbar_) return v;
  return nullptr;
}

HWND TTBView::GetCaptureWnd() { return GetRootView()->captureWnd_; }

bool TTBView::IsModalEnding() { return GetRootView()->doneActionData_.DoneAction != tbdaNone; }

// --- the viewers ----------------------------------------------------------------------------

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

TTBItemViewer* TTBView::ViewerFromPoint(const POINT& P) {
  ValidatePositions();
  for (TTBItemViewer* v : viewers_)
    if (v->Show && PtInRect(&v->BoundsRect, P)) return v;
  return nullptr;
}

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
  if (AGroupLevel > kMaxGroupLevel) return 0;
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

void TTBView::RecreateItemViewer(int Index) {
  TTBItemViewer* old = viewers_.at(static_cast<size_t>(Index));
  TTBCustomItem* item = old->Item();
  TTBItemViewer* viewer = item->GetItemViewerClass(this)(this, item, old->GroupLevel());
  DeletingViewer(old);
  viewers_[static_cast<size_t>(Index)] = viewer;
  if (priorityList_) std::replace(priorityList_->begin(), priorityList_->end(), old, viewer);
  delete old;
}

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
  // Dropped silently: nothing more is said to a viewer that is going.
  if (selected_ == AViewer) selected_ = nullptr;
  if (openViewer_ == AViewer) CloseChildPopups();
}

void TTBView::GetOffEdgeControlList(std::vector<TControl*>& List) {
  for (TTBItemViewer* v : viewers_) {
    auto* item = dynamic_cast<TTBControlItem*>(v->Item());
    if (item && v->OffEdge && item->Control() && item->Control()->IsWindowed()) List.push_back(item->Control());
  }
}

void TTBView::UpdateCurParentItem() {
  TTBCustomItem* value = parentItem_ ? SubitemsHolder(parentItem_) : nullptr;
  if (value == curParentItem_) return;
  CloseChildPopups();
  if (curParentItem_) curParentItem_->UnregisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  curParentItem_ = value;
  if (curParentItem_) curParentItem_->RegisterNotification(TTBItemChangedProc(this, &TTBView::ItemNotification));
  RecreateAllViewers();
  if (!(ComponentState() & csDesigning)) InitiateActions();
}

void TTBView::InitiateActions() {
  for (size_t i = 0; i < viewers_.size(); ++i) viewers_[i]->Item()->InitiateAction();
}

void TTBView::SetCustomizing(bool Value) {
  if (Value == customizing_) return;
  customizing_ = Value;
  RecreateAllViewers();
}

void TTBView::SetUsePriorityList(bool Value) {
  if (Value == usePriorityList_) return;
  usePriorityList_ = Value;
  RecreateAllViewers();
}

void TTBView::SetOrientation(TTBViewOrientation Value) {
  if (Value == orientation_) return;
  orientation_ = Value;
  InvalidatePositions();
}

void TTBView::SetChevronParentView(TTBView* Value) {
  if (Value == chevronParentView_) return;
  if (chevronParentView_) chevronParentView_->RemoveFreeNotification(this);
  chevronParentView_ = Value;
  if (chevronParentView_) chevronParentView_->FreeNotification(this);
}

// --- item notification ----------------------------------------------------------------------

void TTBView::ItemNotification(TTBCustomItem* Ancestor, bool Relayed, TTBItemChangedAction Action, int Index,
                               TTBCustomItem* Item) {
  switch (Action) {
    case tbicInserted: ItemInserted(Ancestor, Index, Item); break;
    case tbicDeleting: ItemDeleting(Item); break;
    case tbicSubitemsChanged:
      if (Relayed) RecreateAllViewers();
      break;
    case tbicSubitemsBeginUpdate: BeginUpdate(); break;
    case tbicSubitemsEndUpdate: EndUpdate(); break;
    case tbicInvalidate:
      for (TTBItemViewer* v : viewers_)
        if (v->Item() == Item) Invalidate(v);
      break;
    case tbicInvalidateAndResize: InvalidatePositions(); break;
    case tbicRecreateItemViewers:
      InvalidatePositions();
      for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i]->Item() == Item) RecreateItemViewer(static_cast<int>(i));
      break;
    case tbicSubMenuImagesChanged: ImagesChanged(); break;
    default: return;  // no revalidation
  }
  TryValidatePositions();
}

void TTBView::ItemInserted(TTBCustomItem* Ancestor, int Index, TTBCustomItem* Item) {
  InvalidatePositions();
  // The range of the list the new item's viewers go in, and their group level.
  int first = 0, last = ViewerCount(), level = 0;
  if (Ancestor != curParentItem_) {
    int group = -1;
    for (int i = 0; i < ViewerCount() && group < 0; ++i) {
      TTBItemViewer* v = viewers_[static_cast<size_t>(i)];
      if (v->Item() != Ancestor || !(Ancestor->ItemStyle() & tbisEmbeddedGroup)) continue;
      int end = i + 1;
      bool holdsItem = false;
      while (end < ViewerCount() && viewers_[static_cast<size_t>(end)]->GroupLevel() > v->GroupLevel()) {
        holdsItem = holdsItem || viewers_[static_cast<size_t>(end)]->Item() == Item;
        ++end;
      }
      if (holdsItem) continue;
      group = i;
      first = i + 1;
      last = end;
      level = v->GroupLevel() + 1;
    }
    if (group < 0) return;
  }
  if (last == ViewerCount()) last = std::max(first, last - internalViewersAtEnd_);
  // Before the viewer of the item that follows the new one in its own parent (the notification
  // may come from further up, and that item's links lead elsewhere), else at the end.
  TTBCustomItem* parent = Item->Parent();
  TTBCustomItem* next = parent && Index + 1 < parent->Count() ? parent->Items(Index + 1) : nullptr;
  int at = last;
  for (int i = first; next && i < last; ++i) {
    TTBItemViewer* v = viewers_[static_cast<size_t>(i)];
    if (v->Item() == next && v->GroupLevel() == level) {
      at = i;
      break;
    }
  }
  const bool toFront = newViewersGetHighestPriority_ && !(Item->ComponentState() & csLoading);
  InsertItemViewers(at, Item, level, true, toFront);
}

void TTBView::ItemDeleting(TTBCustomItem* Item) {
  InvalidatePositions();
  for (int i = 0; i < ViewerCount();) {
    TTBItemViewer* v = viewers_[static_cast<size_t>(i)];
    if (v->Item() != Item) {
      ++i;
      continue;
    }
    // The viewer and those its group brought in after it.
    const int level = v->GroupLevel();
    int end = i + 1;
    while (end < ViewerCount() && viewers_[static_cast<size_t>(end)]->GroupLevel() > level) ++end;
    while (end > i) FreeViewer(viewers_[static_cast<size_t>(--end)]);
  }
}

void TTBView::LinkNotification(TTBCustomItem*, bool, TTBItemChangedAction Action, int, TTBCustomItem*) {
  if (Action == tbicSubitemsChanged)
    UpdateCurParentItem();
  else if (Action == tbicSubMenuImagesChanged && parentItem_ != curParentItem_)
    ImagesChanged();
}

void TTBView::ImagesChanged() {
  InvalidatePositions();
  TryValidatePositions();
  if (openViewerView_) openViewerView_->ImagesChanged();
}

// --- layout ---------------------------------------------------------------------------------

void TTBView::InvalidatePositions() {
  validPositions_ = false;
  if (window_ && window_->HandleAllocated()) InvalidateRect(window_->Handle(), nullptr, TRUE);
}

void TTBView::ValidatePositions() {
  if (!validPositions_) UpdatePositions();
}

bool TTBView::ParentIsLoading() const {
  if (!parentItem_) return false;
  if (parentItem_->ComponentState() & csLoading) return true;
  TComponent* owner = parentItem_->Owner();
  return owner && (owner->ComponentState() & csLoading);
}

void TTBView::TryValidatePositions() {
  if (updateCount_ == 0 && !ParentIsLoading()) ValidatePositions();
}

void TTBView::UpdatePositions() {
  POINT size{};
  DoUpdatePositions(size);
}

void TTBView::BeginUpdate() { ++updateCount_; }

void TTBView::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) TryValidatePositions();
}

void TTBView::DoUpdatePositions(POINT& ASize) {
  POINT base{};
  int lines = 0;
  const bool changed =
      CalculatePositions(true, orientation_, wrapOffset_, chevronOffset_, chevronSize_, base, ASize, lines);
  if (!changed) {
    validPositions_ = true;
    AutoSize(ASize.x, ASize.y);
    return;
  }
  if (ComponentState() & csDesigning) {
    InvalidatePositions();
    validPositions_ = true;
    AutoSize(ASize.x, ASize.y);
    return;
  }
  validPositions_ = true;
  HWND wnd = window_ && window_->HandleAllocated() ? window_->Handle() : nullptr;
  if (wnd) ValidateRect(wnd, nullptr);
  AutoSize(ASize.x, ASize.y);
  if (wnd && IsWindowVisible(wnd)) RepaintOffscreen(wnd);
}

// Paints the whole client area into a bitmap and shows it at once: a relayout does not flicker.
void TTBView::RepaintOffscreen(HWND Wnd) {
  RECT client;
  GetClientRect(Wnd, &client);
  if (client.right < 1 || client.bottom < 1) return;
  gdi::WindowDC screen(Wnd);
  gdi::MemoryDC memory = gdi::NewMemoryDC(screen.Get());
  gdi::BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  if (!memory || !bitmap) return;
  {
    gdi::SelectionGuard select(memory.Get(), bitmap.Get());
    const WPARAM dc = reinterpret_cast<WPARAM>(memory.Get());
    window_->Perform(WM_ERASEBKGND, dc, 0);
    window_->Perform(WM_PAINT, dc, 0);
    BitBlt(screen.Get(), 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  }
  ValidateRect(Wnd, nullptr);
}

// --- timers ---------------------------------------------------------------------------------

void TTBView::StartTimer(TTBViewTimerID ATimer, int Interval) {
  StopTimer(ATimer);
  TWinControl* popup = AsPopupWindow(window_);
  if (!popup || !popup->HandleAllocated()) return;
  SetTimer(popup->Handle(), ViewTimerId(ATimer), static_cast<UINT>(std::max(Interval, 0)), nullptr);
  activeTimers_ |= static_cast<TTBViewTimerIDs>(1u << ATimer);
}

void TTBView::StopTimer(TTBViewTimerID ATimer) {
  const auto bit = static_cast<TTBViewTimerIDs>(1u << ATimer);
  if (!(activeTimers_ & bit)) return;
  TWinControl* popup = AsPopupWindow(window_);
  if (popup && popup->HandleAllocated()) KillTimer(popup->Handle(), ViewTimerId(ATimer));
  activeTimers_ &= static_cast<TTBViewTimerIDs>(~bit);
}

void TTBView::StopAllTimers() {
  for (TTBViewTimerID id : {tiOpen, tiClose, tiScrollUp, tiScrollDown}) StopTimer(id);
}

// --- child popups ---------------------------------------------------------------------------

bool TTBView::OpenChildPopup(bool SelectFirstItem) {
  StopTimer(tiClose);
  StopTimer(tiOpen);
  if (selected_ != openViewer_) {
    CloseChildPopups();
    if (selected_) {
      TTBCustomItem* item = selected_->Item();
      if (item->Enabled() && (item->ItemStyle() & tbisSubmenu))
        item->CreatePopup(this, selected_, !isToolbar_, SelectFirstItem, customizing_, POINT{}, tbpaLeft);
    }
    wheelAccumulator_ = 0;
  }
  return openViewer_ != nullptr;
}

void TTBView::SetOpenViewer(TTBItemViewer* AViewer, TTBView* AView, TTBPopupWindow* AWindow) {
  if (openViewerWindow_ && openViewerWindow_ != AWindow) openViewerWindow_->RemoveFreeNotification(this);
  openViewer_ = AViewer;
  openViewerView_ = AView;
  openViewerWindow_ = AWindow;
  if (AWindow) AWindow->FreeNotification(this);
}

void TTBView::CloseChildPopups() {
  if (openViewerView_) openViewerView_->CloseChildPopups();
  StopTimer(tiClose);
  TTBPopupWindow* window = openViewerWindow_;
  openViewerWindow_ = nullptr;
  openViewerView_ = nullptr;
  openViewer_ = nullptr;
  if (window) {
    window->RemoveFreeNotification(this);
    window->Free();
  }
}

void TTBView::CancelChildPopups() {
  if (isToolbar_) state_ &= static_cast<TTBViewState>(~vsDropDownMenus);
  CloseChildPopups();
}

void TTBView::CancelMode() {
  EndModal();
  TTBView* deepest = this;
  while (deepest->openViewerView_) deepest = deepest->openViewerView_;
  for (TTBView* v = deepest; v; v = v->parentView_) {
    v->StopAllTimers();
    if (TTBPopupWindow* popup = AsPopupWindow(v->window_)) popup->SetVisible(false);
    if (v == this) break;
  }
}

// --- the modal state ------------------------------------------------------------------------

void TTBView::SetCapture() { capture_ = true; }

void TTBView::CancelCapture() {
  if (!capture_) return;
  capture_ = false;
  LastCursorPos.x = kInvalidCursorPos;
  if (selected_) selected_->LosingCapture();
}

void TTBView::SetAccelsVisibility(bool AShowAccels) {
  bool show = AShowAccels || !(style_ & vsUseHiddenAccels) || AreKeyboardCuesEnabled();
  if (show == ((state_ & vsShowAccels) != 0)) return;
  if (show)
    state_ |= vsShowAccels;
  else
    state_ &= static_cast<TTBViewState>(~vsShowAccels);
  if (!window_ || !window_->HandleAllocated() || !IsWindowVisible(window_->Handle())) return;
  for (TTBItemViewer* v : viewers_)
    if (v->CaptionShown() && FindAccelChar(v->GetCaptionText()) != 0) Invalidate(v);
}

void TTBView::NotifyFocusEvent() {
  TTBView* root = GetRootView();
  if (!(state_ & vsModal) || !(root->state_ & vsModal) || IsModalEnding()) return;
  if (!window_ || !window_->HandleAllocated() || !IsWindowVisible(window_->Handle())) return;
  const LONG childID = AccessibleViewerNumber(this, selected_);
  if (childID == 0 && parentView_) {
    parentView_->NotifyFocusEvent();
    return;
  }
  CallNotifyWinEvent(EVENT_OBJECT_FOCUS, window_->Handle(), OBJID_CLIENT, childID);
}

// --- painting -------------------------------------------------------------------------------

void TTBView::Invalidate(TTBItemViewer* AViewer) {
  if (!AViewer || !validPositions_ || !window_ || !window_->HandleAllocated()) return;
  if (!AViewer->Show || !HasArea(AViewer->BoundsRect) || IsControlItem(AViewer)) return;
  AViewer->RepaintPending = true;
  InvalidateRect(window_->Handle(), &AViewer->BoundsRect, FALSE);
}

void TTBView::DrawSubitems(TCanvas& ACanvas) {
  const bool inOrder = (state_ & vsDrawInOrder) != 0;
  // The selection last, so that what it draws beyond its bounds stays on top.
  for (size_t i = 0; i < viewers_.size(); ++i)
    if (inOrder || viewers_[i] != selected_) DrawItem(viewers_[i], ACanvas, false);
  if (!inOrder && selected_) DrawItem(selected_, ACanvas, false);
  state_ &= static_cast<TTBViewState>(~vsDrawInOrder);
}

void TTBView::DrawItem(TTBItemViewer* AViewer, TCanvas& DrawTo, bool Offscreen) {
  ValidatePositions();
  if (!AViewer) return;
  const bool offscreen = Offscreen || AViewer->RepaintPending;
  AViewer->RepaintPending = false;
  const RECT bounds = AViewer->BoundsRect;
  if (!AViewer->Show || !HasArea(bounds) || IsControlItem(AViewer)) return;

  TCanvasLock lock(DrawTo);
  HDC dc = DrawTo.Handle();
  // Most viewers of a paint that repairs one line lie outside it: they cost one test.
  if (!RectVisible(dc, &bounds)) return;
  // The canvas's objects are selected inside the saved state and let go before it comes back,
  // so that the canvas never takes the restored DC's font, brush or text mode for its own.
  DrawTo.Refresh();
  gdi::SavedDCState saved(dc);
  TScopeGuard letGo([&] { DrawTo.Refresh(); });
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  RECT clip;
  // Nothing of it lies in what is being painted; the saved state comes back all the same.
  if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) return;

  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (offscreen) {
    gdi::MemoryDC memory = gdi::NewMemoryDC(dc);
    gdi::BitmapHandle bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) return;
    gdi::SelectionGuard select(memory.Get(), bitmap.Get());
    {
      // The window's background, as it lies under the viewer.
      SetWindowOrgEx(memory.Get(), bounds.left, bounds.top, nullptr);
      if (window_) window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), 0);
      SetWindowOrgEx(memory.Get(), 0, 0, nullptr);
    }
    TCanvas canvas;
    canvas.SetHandle(memory.Get());
    TScopeGuard letGo([&] { canvas.SetHandle(nullptr); });
    PaintViewer(AViewer, canvas, width, height);
    BitBlt(dc, bounds.left, bounds.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    return;
  }
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - bounds.left, origin.y - bounds.top, nullptr);
  SetBrushOrgEx(dc, bounds.left & 1, bounds.top & 1, nullptr);
  PaintViewer(AViewer, DrawTo, width, height);
}

// Sets the brush and font as the viewer's state asks and lets it paint at (0, 0).
void TTBView::PaintViewer(TTBItemViewer* AViewer, TCanvas& Canvas, int Width, int Height) {
  const bool selected = AViewer == selected_;
  const bool pushed = selected && (AViewer == openViewer_ || (mouseOverSelected_ && capture_));
  const bool toolbarStyle = AViewer->IsToolbarStyle();
  if (selected && !toolbarStyle) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(AreFlatMenusEnabled() ? clMenuHighlight : clHighlight);
  } else {
    Canvas.Brush().SetStyle(bsClear);
  }
  Canvas.SetFont(GetFont());
  bool disabledShadow = false;
  if (!AViewer->Item()->Enabled()) {
    Canvas.Font().SetColor(clGrayText);
    const TColor windowColor = window_ ? ColorToRGB(window_->Color()) : ColorToRGB(clBtnFace);
    disabledShadow = toolbarStyle || windowColor == ColorToRGB(clGrayText) ||
                     (!selected && windowColor == ColorToRGB(clBtnFace));
  } else if (selected && !toolbarStyle) {
    Canvas.Font().SetColor(clHighlightText);
  } else {
    Canvas.Font().SetColor(toolbarStyle ? clBtnText : clMenuText);
  }
  AViewer->Paint(Canvas, RECT{0, 0, Width, Height}, selected, pushed, disabledShadow);
}
