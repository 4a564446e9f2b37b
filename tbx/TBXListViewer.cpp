// The list item's viewer: measuring the rows, painting them and the scroll bar, the hot row, the
// keys, the wheel, and the mouse with its automatic scrolling beyond the list.
#include "classlib/ScopeGuard.h"
#include "tbx/TBXLists.h"
#include "tbx/TBXUtils.h"

#include <algorithm>
#include <cstdlib>

namespace {

// At least one row is shown, whatever the list asks for.
int VisibleLimit(TTBXCustomList* List) { return std::max(List->MaxVisibleItems(), 1); }

// Dragging this far beyond the list scrolls this many rows every this many milliseconds.
struct TAutoScrollSpeed {
  int Step;
  int Interval;
};

TAutoScrollSpeed AutoScrollSpeed(int Distance) {
  if (Distance < 10) return {1, 150};
  if (Distance < 30) return {1, 100};
  if (Distance <= 50) return {2, 100};
  return {4, 100};
}

}  // namespace

TTBXCustomListViewer::TTBXCustomListViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : TTBXItemViewer(AView, AItem, AGroupLevel), alive_(std::make_shared<bool>(true)) {
  TTBXCustomList* list = List();
  itemCount_ = list->GetCount();
  const int chosen = list->ItemIndex();
  if (chosen >= 0 && chosen < itemCount_) {
    // The chosen row shows, as the last visible one when it lies below the first rows.
    visibleItems_ = std::min(itemCount_, VisibleLimit(list));
    if (chosen < offset_) offset_ = chosen;
    else if (chosen >= offset_ + visibleItems_) offset_ = chosen - visibleItems_ + 1;
    hoverIndex_ = chosen;
  }
  ListAddViewer(list->viewers_, this);
}

TTBXCustomListViewer::~TTBXCustomListViewer() {
  *alive_ = false;
  ListRemoveViewer(List()->viewers_, this);
}

// Only lists answer this viewer class.
TTBXCustomList* TTBXCustomListViewer::List() const { return static_cast<TTBXCustomList*>(Item()); }

// --- measuring -------------------------------------------------------------------------------

int TTBXCustomListViewer::GetItemHeight(TCanvas& Canvas) {
  int height = Canvas.TextHeight(L"Q") + 2;
  if (TCustomImageList* images = List()->RowImages(this)) height = std::max(height, images->Height() + 2);
  List()->DoMeasureHeight(Canvas, height);
  return height;
}

int TTBXCustomListViewer::GetItemWidth(TCanvas& Canvas, int AIndex) {
  String text;
  List()->GetItemText(AIndex, text);
  int width = Canvas.TextWidth(text);
  if (TCustomImageList* images = List()->RowImages(this)) width += images->Width() + (text.empty() ? 0 : 4);
  width += 8;
  List()->DoMeasureWidth(Canvas, AIndex, width);
  return width;
}

void TTBXCustomListViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  TCanvasLock lock(Canvas);
  TTBXCustomList* list = List();
  Canvas.SetFont(View()->GetFont());
  itemCount_ = list->GetCount();
  // A row is at least one pixel high: rows are found by dividing by it.
  itemHeight_ = std::max(GetItemHeight(Canvas), 1);
  visibleItems_ = itemCount_ <= 0 ? 1 : std::min(itemCount_, VisibleLimit(list));
  offset_ = std::max(std::min(offset_, itemCount_ - visibleItems_), 0);
  AHeight = visibleItems_ * itemHeight_;
  int width = 0;
  for (int i = 0; i < itemCount_; ++i) width = std::max(width, GetItemWidth(Canvas, i));
  scrollBarWidth_ = visibleItems_ < itemCount_ ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  width = std::max(width + scrollBarWidth_, list->MinWidth());
  if (list->MaxWidth() > list->MinWidth() && width > list->MaxWidth()) width = list->MaxWidth();
  AWidth = width;
}

// --- rows ------------------------------------------------------------------------------------

RECT TTBXCustomListViewer::RowRect(int AIndex) const {
  const int top = lastClientRect_.top + (AIndex - offset_) * itemHeight_;
  return {lastClientRect_.left, top, lastClientRect_.right - scrollBarWidth_, top + itemHeight_};
}

int TTBXCustomListViewer::RowAt(int X, int Y) const {
  // Above the list, or in the bar's column (or beyond the viewer), there is no row.
  if (X < 0 || X >= clientWidth_ - scrollBarWidth_ || Y < 0) return -1;
  const int row = Y / itemHeight_ + offset_;
  return row >= offset_ && row < offset_ + visibleItems_ && row < itemCount_ ? row : -1;
}

void TTBXCustomListViewer::PaintRows(TCanvas& Canvas, int First, int Last) {
  HDC dc = Canvas.Handle();
  First = std::max(First, offset_);
  Last = std::min(Last, std::min(offset_ + visibleItems_, itemCount_) - 1);
  for (int i = First; i <= Last; ++i) {
    const RECT r = RowRect(i);
    if (r.top < lastClientRect_.top || r.bottom > lastClientRect_.bottom || !RectVisible(dc, &r)) continue;
    List()->DrawItem(Canvas, this, r, i, hoverIndex_);
  }
}

void TTBXCustomListViewer::PaintAllRows(TCanvas& Canvas) {
  HDC dc = Canvas.Handle();
  Canvas.SetFont(View()->GetFont());
  RECT r = RowRect(offset_);
  for (int i = offset_; i < itemCount_; ++i) {
    if (RectVisible(dc, &r)) List()->DrawItem(Canvas, this, r, i, hoverIndex_);
    OffsetRect(&r, 0, itemHeight_);
    if (r.bottom > lastClientRect_.bottom) break;
  }
  if (r.top < lastClientRect_.bottom) FillRectColor(dc, RECT{r.left, r.top, r.right, lastClientRect_.bottom}, clWindow);
}

template <class TPaint>
void TTBXCustomListViewer::PaintOnWindow(TPaint&& Paint) {
  TWinControl* window = View()->Window();
  if (!window || !window->HandleAllocated() || !Show || IsRectEmpty(&BoundsRect)) return;
  gdi::WindowDC dc(window->Handle());
  gdi::SavedDCState saved(dc.Get());
  IntersectClipRect(dc.Get(), BoundsRect.left, BoundsRect.top, BoundsRect.right, BoundsRect.bottom);
  SetWindowOrgEx(dc.Get(), -BoundsRect.left, -BoundsRect.top, nullptr);
  TCanvas canvas;
  canvas.SetHandle(dc.Get());
  TScopeGuard letGo([&] { canvas.SetHandle(nullptr); });
  canvas.SetFont(View()->GetFont());
  Paint(canvas);
}

void TTBXCustomListViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool, bool, bool) {
  TCanvasLock lock(Canvas);
  lastClientRect_ = ClientAreaRect;
  clientWidth_ = ClientAreaRect.right - ClientAreaRect.left;
  clientHeight_ = ClientAreaRect.bottom - ClientAreaRect.top;
  PaintAllRows(Canvas);
  if (scrollBarWidth_ <= 0) return;
  MakeScrollBar();
  scrollBar_->SetBounds(
      RECT{ClientAreaRect.right - scrollBarWidth_, ClientAreaRect.top, ClientAreaRect.right, ClientAreaRect.bottom});
  scrollBar_->SetRange(itemCount_);
  scrollBar_->Window = visibleItems_;
  scrollBar_->SetPosition(offset_);
  scrollBar_->PaintTo(Canvas);
}

// --- the scroll bar --------------------------------------------------------------------------

void TTBXCustomListViewer::MakeScrollBar() {
  if (scrollBar_) return;
  scrollBar_ = std::make_unique<TTBXScrollBar>();
  scrollBar_->SetKind(sbkVertical);
  scrollBar_->OnChange = TNotifyEvent(this, &TTBXCustomListViewer::ScrollBarChange);
  scrollBar_->OnRedraw = TNotifyEvent(this, &TTBXCustomListViewer::ScrollBarRedraw);
  scrollBar_->OnAutoScroll = TSBAutoScrollEvent(this, &TTBXCustomListViewer::ScrollBarAutoScroll);
}

void TTBXCustomListViewer::ScrollBarChange(TObject*) {
  offset_ = scrollBar_->Position();
  PaintOnWindow([this](TCanvas& Canvas) { PaintAllRows(Canvas); });
}

void TTBXCustomListViewer::ScrollBarRedraw(TObject*) {
  PaintOnWindow([this](TCanvas& Canvas) { scrollBar_->PaintTo(Canvas); });
}

void TTBXCustomListViewer::ScrollBarAutoScroll(TObject*, int& Direction, int& Interval) {
  HandleAutoScroll(Direction, Interval);
}

void TTBXCustomListViewer::HandleAutoScroll(int&, int&) {}

void TTBXCustomListViewer::AdjustAutoScrollHover(int& AHoverIndex, int) { AHoverIndex = -1; }

// --- the hot row -----------------------------------------------------------------------------

void TTBXCustomListViewer::SetHoverIndex(int AIndex) {
  if (changing_ || AIndex == hoverIndex_) return;
  changing_ = true;
  TScopeGuard done([this] { changing_ = false; });
  hoverIndex_ = AIndex;
  List()->HandleHover(AIndex);
  ScrollIntoView(AIndex);
  PaintOnWindow([this](TCanvas& Canvas) { PaintAllRows(Canvas); });
}

void TTBXCustomListViewer::ScrollIntoView(int AIndex) {
  if (AIndex < 0 || AIndex >= itemCount_ || !scrollBar_) return;
  if (AIndex < offset_)
    scrollBar_->SetPositionByUser(AIndex);
  else if (AIndex >= offset_ + visibleItems_)
    scrollBar_->SetPositionByUser(AIndex - visibleItems_ + 1);
}

// --- keys and the wheel ----------------------------------------------------------------------

void TTBXCustomListViewer::KeyDown(WORD& Key, TShiftState) {
  TTBXCustomList* list = List();
  // A disabled list chooses nothing; the keys go on to the menu.
  if (!list->Enabled()) return;
  int row;
  switch (Key) {
    case VK_RETURN:
      // The menu runs the item next, with the chosen row set.
      list->SetItemIndex(hoverIndex_);
      return;
    case VK_PRIOR: row = hoverIndex_ - visibleItems_; break;
    case VK_NEXT: row = hoverIndex_ + visibleItems_; break;
    case VK_END: row = itemCount_ - 1; break;
    case VK_HOME: row = 0; break;
    case VK_UP: row = hoverIndex_ - 1; break;
    case VK_DOWN: row = hoverIndex_ + 1; break;
    default: return;
  }
  Key = 0;
  // An empty list has no row to go to.
  if (itemCount_ <= 0) return;
  list->SetItemIndex(std::clamp(row, 0, itemCount_ - 1));
}

void TTBXCustomListViewer::MouseWheel(int WheelDelta, int, int, bool& Handled) {
  if (!scrollBar_) return;
  wheelAccumulator_ += WheelDelta;
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    const int up = wheelAccumulator_ > 0 ? 1 : -1;
    wheelAccumulator_ -= up * WHEEL_DELTA;
    scrollBar_->SetPositionByUser(scrollBar_->Position() - up);
  }
  Handled = true;
}

// --- the mouse -------------------------------------------------------------------------------

void TTBXCustomListViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  if (scrollBar_ && X >= clientWidth_ - scrollBarWidth_) {
    mouseInScrollBar_ = true;
    scrollBar_->MouseDown(TMouseButton::mbLeft, X - scrollBar_->Left(), Y - scrollBar_->Top());
    MouseDownOnMenu = false;
  } else {
    mouseIsDown_ = true;
    MouseMove(X, Y);
  }
  TTBXItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
  View()->SetCapture();
}

void TTBXCustomListViewer::AutoScrollByDistance(int Y, int& NewHover) {
  if (!mouseIsDown_ || (Y >= 0 && Y < clientHeight_)) {
    scrollBar_->StopAutoScroll();
    return;
  }
  const int distance = Y < 0 ? Y : Y - clientHeight_ + 1;
  TAutoScrollSpeed speed = AutoScrollSpeed(std::abs(distance));
  if (distance < 0) speed.Step = -speed.Step;
  if ((speed.Step < 0 && offset_ > 0) || (speed.Step > 0 && offset_ + visibleItems_ < itemCount_))
    scrollBar_->StartAutoScroll(speed.Step, speed.Interval);
  else
    scrollBar_->StopAutoScroll();
  AdjustAutoScrollHover(NewHover, speed.Step);
}

void TTBXCustomListViewer::MouseMove(int X, int Y) {
  if (mouseInScrollBar_) {
    scrollBar_->MouseMove(X - scrollBar_->Left(), Y - scrollBar_->Top());
    return;
  }
  // A drag that started outside the list and entered it.
  if (!View()->Capture() && GetKeyState(VK_LBUTTON) < 0) {
    View()->SetCapture();
    mouseIsDown_ = true;
  }
  int hover = RowAt(X, Y);
  if (scrollBar_) AutoScrollByDistance(Y, hover);
  if ((!mouseIsDown_ && hover == -1) || hover == hoverIndex_) return;
  const int old = hoverIndex_;
  hoverIndex_ = hover;
  PaintOnWindow([&](TCanvas& Canvas) { PaintRows(Canvas, std::min(old, hover), std::max(old, hover)); });
  List()->HandleHover(hover);
}

void TTBXCustomListViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  if (scrollBar_) scrollBar_->StopAutoScroll();
  TTBDoneActionData& done = View()->GetRootView()->DoneActionData();
  if (mouseInScrollBar_) {
    TTBXItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
    scrollBar_->MouseUp(TMouseButton::mbLeft, X - scrollBar_->Left(), Y - scrollBar_->Top());
    // A click on the bar never ends the menu.
    done.DoneAction = tbdaNone;
    mouseInScrollBar_ = false;
    return;
  }
  if (!mouseIsDown_) return;
  mouseIsDown_ = false;
  // A disabled list chooses nothing: the release only ends the press.
  if (List()->Enabled()) {
    // Its handlers run inside the menu loop and may free the list, or its menu with it.
    const std::shared_ptr<const bool> alive = alive_;
    List()->SetItemIndex(hoverIndex_);
    if (!*alive) return;
  }
  TTBXItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
  // A chosen row plays no menu-command sound.
  done.Sound = false;
}
