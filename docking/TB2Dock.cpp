#include "docking/TB2Dock.h"

#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"
#include "docking/TB2Consts.h"
#include "docking/TB2DockPaint.h"
#include "items/TB2Common.h"

#include <algorithm>

namespace {

int CompareBars(TTBCustomDockableWindow* const& A, TTBCustomDockableWindow* const& B, void*) {
  if (A->DockRow() != B->DockRow()) return A->DockRow() < B->DockRow() ? -1 : 1;
  if (A->DockPos() != B->DockPos()) return A->DockPos() < B->DockPos() ? -1 : 1;
  return 0;
}

template <class T>
bool Contains(const std::vector<T*>& list, const T* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

template <class T>
bool Erase(std::vector<T*>& list, const T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

TTBDock::TTBDock(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csMenuEvents) & ~(csClickEvents | csCaptureMouse | csOpaque));
  SetColor(clBtnFace);
  SetAlign(TAlign::alTop);
}

TTBDock::~TTBDock() = default;

void TTBDock::BeforeDestruction() {
  if (background_) background_->UnregisterChanges(TNotifyEvent(this, &TTBDock::BackgroundChanged));
  TCustomControl::BeforeDestruction();
}

void TTBDock::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTBDock::SetParent(TWinControl* NewParent) {
  if (dynamic_cast<TTBCustomDockableWindow*>(NewParent) || dynamic_cast<TTBDock*>(NewParent))
    throw EInvalidOperation(STBDockParentNotAllowed);
  TCustomControl::SetParent(NewParent);
}

void TTBDock::SetPosition(TTBDockPosition Value) {
  if (Value != position_ && ControlCount() > 0) throw EInvalidOperation(STBDockCannotChangePosition);
  position_ = Value;
  static constexpr TAlign kAligns[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
  SetAlign(kAligns[Value]);
}

void TTBDock::SetAllowDrag(bool Value) {
  if (Value == allowDrag_) return;
  allowDrag_ = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* bar = dynamic_cast<TTBCustomDockableWindow*>(Controls(i))) bar->RecalcNCArea();
}

void TTBDock::SetBackground(TTBBasicBackground* Value) {
  if (Value == background_) return;
  const TNotifyEvent handler(this, &TTBDock::BackgroundChanged);
  if (background_) {
    background_->UnregisterChanges(handler);
    background_->RemoveFreeNotification(this);
  }
  background_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->RegisterChanges(handler);
  }
  InvalidateBackgrounds();
}

void TTBDock::SetBackgroundOnToolbars(bool Value) {
  if (Value == backgroundOnToolbars_) return;
  backgroundOnToolbars_ = Value;
  InvalidateBackgrounds();
}

void TTBDock::SetBoundLines(TTBDockBoundLines Value) {
  if (Value == boundLines_) return;
  boundLines_ = Value;
  boundLinesWidth_ = ((Value & blLeft) ? 1 : 0) + ((Value & blRight) ? 1 : 0);
  boundLinesHeight_ = ((Value & blTop) ? 1 : 0) + ((Value & blBottom) ? 1 : 0);
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ArrangeToolbars();
}

void TTBDock::SetFixAlign(bool Value) {
  if (Value == fixAlign_) return;
  fixAlign_ = Value;
  ArrangeToolbars();
}

bool TTBDock::Accepts(TTBCustomDockableWindow*) { return allowDrag_; }

void TTBDock::DrawBackground(HDC DC, const RECT& DrawRect) { background_->Draw(DC, DrawRect); }

bool TTBDock::UsingBackground() { return background_ && background_->UsingBackground(); }

void TTBDock::Loaded() {
  TCustomControl::Loaded();
  ArrangeToolbars();
}

void TTBDock::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == background_) SetBackground(nullptr);
  if (auto* bar = dynamic_cast<TTBCustomDockableWindow*>(AComponent)) {
    Erase(barList_, bar);
    Erase(visibleBarList_, bar);
  }
}

void TTBDock::AlignControls() { ArrangeToolbars(); }

void TTBDock::BeginUpdate() { ++updateCount_; }

void TTBDock::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0 && arrangePending_) ArrangeToolbars();
}

bool TTBDock::ToolbarVisibleOnDock(TTBCustomDockableWindow* Bar) {
  return Bar->Parent() == this && Bar->Visible();
}

bool TTBDock::HasVisibleToolbars() {
  return std::any_of(barList_.begin(), barList_.end(), [this](TTBCustomDockableWindow* b) { return ToolbarVisibleOnDock(b); });
}

int TTBDock::GetHighestRow(bool Placed) {
  int highest = -1;
  for (TTBCustomDockableWindow* b : barList_) highest = std::max(highest, Placed ? b->placedRow_ : b->dockRow_);
  return highest;
}

int TTBDock::GetCurrentRowSize(int Row, bool& FullSizeRow) {
  FullSizeRow = false;
  if (Row < 0) return 0;
  int size = 0;
  for (TTBCustomDockableWindow* b : barList_) {
    if (b->placedRow_ != Row || !ToolbarVisibleOnDock(b)) continue;
    size = std::max(size, Vertical() ? b->Width() : b->Height());
    FullSizeRow = b->FullSize();
  }
  return size;
}

int TTBDock::GetMinRowSize(int Row, TTBCustomDockableWindow* ExcludeBar) {
  if (Row < 0) return 0;
  int size = 0;
  for (TTBCustomDockableWindow* b : barList_)
    if (b != ExcludeBar && b->placedRow_ == Row && ToolbarVisibleOnDock(b)) size = std::max(size, b->placedThickness_);
  return size;
}

void TTBDock::ChangeWidthHeight(int NewWidth, int NewHeight) {
  int left = Left(), top = Top();
  switch (Align()) {
    case TAlign::alBottom: top += Height() - NewHeight; break;
    case TAlign::alRight: left += Width() - NewWidth; break;
    case TAlign::alClient: return;
    default: break;
  }
  const bool resized = NewWidth != Width() || NewHeight != Height();
  SetBounds(left, top, NewWidth, NewHeight);
  // The window keeps its old pixels where it grew over the form: paint it whole.
  if (resized && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

void TTBDock::ChangeDockList(bool Insert, TTBCustomDockableWindow* Bar) {
  if (Insert) {
    if (!Contains(barList_, Bar)) {
      barList_.push_back(Bar);
      Bar->FreeNotification(this);
    }
  } else {
    Erase(barList_, Bar);
  }
  ToolbarVisibilityChanged(Bar, false);
}

void TTBDock::ToolbarVisibilityChanged(TTBCustomDockableWindow* Bar, bool ForceRemove) {
  const bool belongs = !ForceRemove && ToolbarVisibleOnDock(Bar);
  const bool listed = Contains(visibleBarList_, Bar);
  if (belongs == listed) return;
  if (belongs) visibleBarList_.push_back(Bar);
  else Erase(visibleBarList_, Bar);
  ArrangeToolbars();
  OnInsertRemoveBar(this, belongs, Bar);
}

void TTBDock::CommitPositions() {
  for (TTBCustomDockableWindow* b : visibleBarList_) {
    b->dockRow_ = b->placedRow_;
    b->dockPos_ = b->placedPos_;
  }
}

void TTBDock::InvalidateBackgrounds() {
  Invalidate();
  for (TTBCustomDockableWindow* b : barList_)
    if (ToolbarVisibleOnDock(b) && b->HandleAllocated())
      RedrawWindow(b->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

void TTBDock::BackgroundChanged(TObject*) { InvalidateBackgrounds(); }

void TTBDock::RelayMsgToFloatingBars(TMessage& Message) {
  const std::vector<TTBCustomDockableWindow*> bars = barList_;
  for (TTBCustomDockableWindow* b : bars) {
    if (!Contains(barList_, b)) continue;
    if (!(b->ControlStyle() & csMenuEvents) || !b->Floating() || !b->Showing() || !b->Enabled()) continue;
    const LRESULT result = b->Perform(Message.Msg, Message.WParam, Message.LParam);
    if (result != 0) {
      Message.Result = result;
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Arrangement

void TTBDock::ArrangeToolbars() {
  if (updateCount_ > 0 || Loading()) {
    arrangePending_ = true;
    return;
  }
  ++updateCount_;
  TScopeGuard done([this] {
    --updateCount_;
    arrangePending_ = false;
    commitOnArrange_ = false;
  });
  ArrangeNow();
}

void TTBDock::ArrangeNow() {
  const bool vertical = Vertical();
  if (!HasVisibleToolbars()) {
    const int thickness = fixAlign_ ? 1 : 0;
    ChangeWidthHeight(vertical ? thickness : Width(), vertical ? Height() : thickness);
    return;
  }
  const int maxSize = std::max(0, vertical ? Height() - boundLinesHeight_ : Width() - boundLinesWidth_);
  for (size_t i = barList_.size(); i-- > 0;)
    if (barList_[i]->Destroying()) {
      Erase(visibleBarList_, barList_[i]);
      barList_.erase(barList_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  if (limitToOneRow_)
    for (TTBCustomDockableWindow* b : barList_) b->dockRow_ = 0;

  const std::vector<TTBCustomDockableWindow*> work = barList_;
  std::vector<TTBArrangeBar> records(work.size());
  for (size_t i = 0; i < work.size(); ++i) {
    TTBCustomDockableWindow* b = work[i];
    TTBArrangeBar& r = records[i];
    r.Visible = ToolbarVisibleOnDock(b);
    r.DockRow = b->dockRow_;
    r.DockPos = b->dockPos_;
    r.FullSize = b->fullSize_;
    r.Stretch = b->stretch_;
    r.NewRowRequested = b->newRowRequested_;
    r.Dragging = b->dragging_;
    r.DraggingInRow = b->draggingInRow_;
    if (!r.Visible) continue;
    POINT size{};
    b->GetBaseSize(size);
    r.FullLength = vertical ? size.y + b->GetNonClientHeight() : size.x + b->GetNonClientWidth();
    int minimum = 0;
    b->GetMinShrinkSize(minimum);
    r.MinLength = minimum;
    r.ShrinkMode = b->GetShrinkMode();
  }
  const std::vector<int> order = ArrangeBars(records, maxSize, limitToOneRow_);
  ListSortEx(visibleBarList_, CompareBars, nullptr);

  for (size_t i = 0; i < work.size(); ++i) {
    TTBCustomDockableWindow* b = work[i];
    b->placedRow_ = records[i].ActualRow;
    b->placedPos_ = records[i].Pos;
    if (records[i].DragRowOverflows) b->dragRowOverflows_ = true;
  }
  if (commitOnArrange_) {
    barList_.clear();
    for (int i : order) {
      TTBCustomDockableWindow* b = work[static_cast<size_t>(i)];
      b->dockRow_ = b->placedRow_;
      b->dockPos_ = b->placedPos_;
      barList_.push_back(b);
    }
  }
  PlaceRows(records, order, work);
}

void TTBDock::PlaceRows(std::vector<TTBArrangeBar>& Records, const std::vector<int>& Order,
                        const std::vector<TTBCustomDockableWindow*>& Work) {
  const bool vertical = Vertical();
  int highest = -1;
  for (const TTBArrangeBar& r : Records) highest = std::max(highest, r.Row);
  int rowStart = 0;
  for (int row = 0; row <= highest; ++row) {
    std::vector<size_t> bars;
    for (int i : Order)
      if (Records[static_cast<size_t>(i)].Row == row) bars.push_back(static_cast<size_t>(i));
    std::vector<bool> arrangeNeeded(bars.size(), false);
    int thickness = 0;
    for (size_t k = 0; k < bars.size(); ++k) {
      TTBCustomDockableWindow* b = Work[bars[k]];
      const TTBArrangeBar& r = Records[bars[k]];
      const int old = b->shrunkSize_;
      b->shrunkSize_ = r.Length >= r.FullLength ? 0 : r.Length;
      POINT size{};
      if (r.ShrinkMode != tbsmNone && b->shrunkSize_ != old) {
        size = b->DoArrange(false, TBGetDockTypeOf(this, false), false, this);
        arrangeNeeded[k] = true;
      } else if (r.ShrinkMode == tbsmWrap && r.Length < r.FullLength) {
        size = {b->Width() - b->GetNonClientWidth(), b->Height() - b->GetNonClientHeight()};
      } else {
        b->GetBaseSize(size);
      }
      b->placedThickness_ = vertical ? size.x : size.y;
      thickness = std::max(thickness, b->placedThickness_);
    }
    if (thickness != 0) thickness += 4;
    for (size_t k = 0; k < bars.size(); ++k) {
      TTBCustomDockableWindow* b = Work[bars[k]];
      const TTBArrangeBar& r = Records[bars[k]];
      ++b->updatingBounds_;
      TScopeGuard bounds([b] { --b->updatingBounds_; });
      const int shrunk = b->shrunkSize_;
      if (arrangeNeeded[k]) b->arrangeNeeded_ = true;
      if (vertical) b->SetBounds(rowStart, r.Pos, thickness, r.Length);
      else b->SetBounds(r.Pos, rowStart, r.Length, thickness);
      if (b->arrangeNeeded_) b->Arrange();
      b->shrunkSize_ = shrunk;
    }
    rowStart += thickness;
  }
  if (vertical) ChangeWidthHeight(boundLinesWidth_ + rowStart, Height());
  else ChangeWidthHeight(Width(), boundLinesHeight_ + rowStart);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TTBDock::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: return WMNCCalcSize(m);
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_PRINT: return HandleWMPrint(Handle(), m, &TTBDock::PaintNCProc, this);
    case WM_PRINTCLIENT: return HandleWMPrintClient(TWndMethod(this, &TTBDock::PrintClient), m);
    case WM_ERASEBKGND:
      if (UsingBackground()) return WMEraseBkgnd(m);
      break;
    case WM_MOVE:
      TCustomControl::Dispatch(m);
      if (UsingBackground()) InvalidateBackgrounds();
      return;
    case CM_SYSCOLORCHANGE:
      if (background_) background_->SysColorChanged();
      break;
    case WM_SYSCOMMAND: return RelayMsgToFloatingBars(m);
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // The floating bars first (they are not among the dock's controls), then the docked ones.
      RelayMsgToFloatingBars(m);
      if (m.Result != 0) return;
      break;
  }
  TCustomControl::Dispatch(m);
}

void TTBDock::PrintClient(TMessage& m) { TCustomControl::Dispatch(m); }

void TTBDock::WMNCCalcSize(TMessage& m) {
  auto* r = reinterpret_cast<RECT*>(m.LParam);
  if (boundLines_ & blTop) ++r->top;
  if (boundLines_ & blBottom) --r->bottom;
  if (boundLines_ & blLeft) ++r->left;
  if (boundLines_ & blRight) --r->right;
  m.Result = 0;
}

void TTBDock::WMNCPaint(TMessage& m) {
  gdi::WindowDC dc(Handle(), true);
  SelectNCUpdateRgn(Handle(), dc.Get(), reinterpret_cast<HRGN>(m.WParam));
  DrawNCArea(dc.Get());
}

void TTBDock::PaintNCProc(HWND, HDC DC, void* AppData) { static_cast<TTBDock*>(AppData)->DrawNCArea(DC); }

void TTBDock::DrawNCArea(HDC DC) {
  RECT window{}, client{};
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  OffsetRect(&window, -window.left, -window.top);
  ExcludeClipRect(DC, client.left, client.top, client.right, client.bottom);
  RECT r = window;
  if (boundLines_ != 0 && HasVisibleToolbars()) {
    const COLORREF shadow = dockpaint::SysColor(COLOR_BTNSHADOW), light = dockpaint::SysColor(COLOR_BTNHIGHLIGHT);
    if (boundLines_ & blTop) dockpaint::FillSolid(DC, {r.left, r.top, r.right, r.top + 1}, shadow);
    if (boundLines_ & blLeft) dockpaint::FillSolid(DC, {r.left, r.top, r.left + 1, r.bottom}, shadow);
    if (boundLines_ & blBottom) dockpaint::FillSolid(DC, {r.left, r.bottom - 1, r.right, r.bottom}, light);
    if (boundLines_ & blRight) dockpaint::FillSolid(DC, {r.right - 1, r.top, r.right, r.bottom}, light);
    if (boundLines_ & blTop) ++r.top;
    if (boundLines_ & blLeft) ++r.left;
    if (boundLines_ & blBottom) --r.bottom;
    if (boundLines_ & blRight) --r.right;
  }
  dockpaint::FillSolid(DC, r, ColorToGdi(Color()));
}

RECT TTBDock::BackgroundRect() {
  const POINT origin = dockpaint::FormClientOrigin(Handle(), FormHandle(this));
  RECT client = ClientRect();
  return {origin.x, origin.y, client.right, client.bottom};
}

void TTBDock::WMEraseBkgnd(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  RECT client = ClientRect();
  gdi::SavedDCState saved(dc);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  DrawBackground(dc, BackgroundRect());
  m.Result = 1;
}
