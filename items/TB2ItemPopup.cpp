// An item's side of opening a popup: building, sizing, placing and showing the popup window of
// its children, the placement rule, and the modal popup menu opened at a point.
#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"
#include "items/TB2Acc.h"
#include "items/TB2ModalHandler.h"
#include "items/TB2View.h"

#include <atomic>
#include <memory>

namespace {

// The first popup sound of the process is slow to start: that popup shows before it.
std::atomic<bool> PopupSoundPlayedFlag{false};

// The screen position of the client origin of a view's window. A view without a window (or
// whose window has no handle yet) counts its viewers' bounds as screen coordinates.
POINT ClientOrigin(TTBView* View) {
  POINT origin{};
  TWinControl* window = View ? View->Window() : nullptr;
  if (window && window->HandleAllocated()) ClientToScreen(window->Handle(), &origin);
  return origin;
}

// How many of the parent view's shown viewers a popup at (X, Y) would cover completely.
int Covered(TTBView* ParentView, const TTBPopupPositionRec& P, int X, int Y) {
  if (!ParentView) return 0;
  const POINT origin = ClientOrigin(ParentView);
  const RECT area{X - origin.x, Y - origin.y, X + P.Width - origin.x, Y + P.Height - origin.y};
  int count = 0;
  for (int i = 0; i < ParentView->ViewerCount(); ++i) {
    const TTBItemViewer* v = ParentView->Viewers(i);
    const RECT& b = v->BoundsRect;
    if (v->Show && b.left >= area.left && b.top >= area.top && b.right <= area.right && b.bottom <= area.bottom)
      ++count;
  }
  return count;
}

bool Overlaps(const TTBPopupPositionRec& P) {
  const RECT& R = P.ParentItemRect;
  return P.Y < R.bottom && P.Y + P.Height > R.top && P.X < R.right && P.X + P.Width > R.left;
}

bool IsVertical(TTBView* View) { return View && View->Orientation() == tbvoVertical; }

void AddOppositePopup(TTBPopupWindow* PopupWindow) {
  if (!PopupWindow) return;
  TTBView* view = PopupWindow->View();
  view->SetState(view->State() | vsOppositePopup);
}

// Step one of the rule, for every placement: open upwards when the popup does not fit below,
// then clamp into the monitor.
void FitVertically(TTBView* ParentView, TTBPopupPositionRec& P) {
  const RECT &R = P.ParentItemRect, &M = P.MonitorRect;
  if (P.Y + P.Height > M.bottom && !IsVertical(ParentView)) {
    // A submenu's bottom lines up with its parent item, a drop-down sits above its item.
    const int T = (P.PositionAsSubmenu ? R.bottom + P.NCSize.y : R.top) - P.Height;
    if (T >= M.top) P.Y = T;
  }
  if (P.Y + P.Height > M.bottom) P.Y = M.bottom - P.Height;
  if (P.Y < M.top) P.Y = M.top;
}

// A popup at a point or dropped down from a bar: fit it across, then keep it off its parent.
void PlaceBesideOrBelow(TTBView* ParentView, TTBPopupPositionRec& P) {
  const RECT &R = P.ParentItemRect, &M = P.MonitorRect;
  // A right-aligned popup that would leave the monitor on the left opens right of the point.
  if (!ParentView && P.Alignment == tbpaRight && P.X < M.left) P.X += P.Width;
  if (P.X + P.Width > M.right) {
    if (ParentView || P.Alignment != tbpaLeft)
      P.X = M.right - P.Width;
    else
      P.X = P.X - P.Width;  // a left-aligned popup at a point opens left of the point
  }
  if (P.X < M.left) P.X = M.left;
  if (!IsVertical(ParentView)) {
    const int T = R.top - P.Height;
    if (T >= M.top && (Covered(ParentView, P, P.X, T) < Covered(ParentView, P, P.X, P.Y) || Overlaps(P))) P.Y = T;
    if (Overlaps(P)) {
      P.X = R.right + P.Width <= M.right ? R.right : R.left - P.Width;
      if (P.X < M.left) P.X = M.left;
    }
  } else {
    const int T = R.right;
    if (T + P.Width <= M.right && (Covered(ParentView, P, T, P.Y) < Covered(ParentView, P, P.X, P.Y) || Overlaps(P)))
      P.X = T;
    if (Overlaps(P)) {
      P.Y = R.bottom + P.Height <= M.bottom ? R.bottom : R.top - P.Height;
      if (P.Y < M.top) P.Y = M.top;
    }
  }
}

// A submenu opens right of its parent item, or left of it when the right side is full or the
// parent popup already went left; at most two rounds.
void PlaceSubmenu(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) {
  const RECT &R = P.ParentItemRect, &M = P.MonitorRect;
  int x;
  for (;;) {
    if (!P.Opposite && P.X + P.Width <= M.right) {
      x = P.X;
      break;
    }
    const int T = (ParentView ? R.left + P.NCSize.x : P.X) - P.Width;
    if (P.Opposite && T < M.left) {
      // No room on the left either: right again if it fits there, else left regardless.
      P.Opposite = false;
      continue;
    }
    AddOppositePopup(PopupWindow);  // its own submenus continue leftwards
    x = T;
    break;
  }
  P.X = x;
  if (P.X < M.left) P.X = M.left;
}

TTBAnimationDirections AnimationDirection(const TTBPopupPositionRec& P) {
  const RECT& R = P.ParentItemRect;
  TTBAnimationDirections dir = 0;
  if (P.PositionAsSubmenu) return P.X + P.Width / 2 >= R.left + (R.right - R.left) / 2 ? tbadRight : tbadLeft;
  if (P.Y >= R.bottom)
    dir |= tbadDown;
  else if (P.Y + P.Height <= R.top)
    dir |= tbadUp;
  if (P.X >= R.right)
    dir |= tbadRight;
  else if (P.X + P.Width <= R.left)
    dir |= tbadLeft;
  return dir;
}

// Makes the window visible with the "MenuPopup" sound when the sound scheme has one.
void ShowWithSound(TTBPopupWindow* Window, bool PlaySound) {
  if (!PlaySound || !NeedToPlaySound(L"MenuPopup")) {
    Window->SetVisible(true);
    return;
  }
  if (!PopupSoundPlayedFlag.exchange(true)) {
    Window->SetVisible(true);
    Window->Update();
    PlayMenuSound(L"MenuPopup");
  } else {
    PlayMenuSound(L"MenuPopup");
    Window->SetVisible(true);
  }
}

}  // namespace

bool tb2item_detail::PopupSoundPlayed() { return PopupSoundPlayedFlag.load(); }
void tb2item_detail::SetPopupSoundPlayed(bool Value) { PopupSoundPlayedFlag.store(Value); }

// --- placement ------------------------------------------------------------------------------

void TTBCustomItem::GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) {
  FitVertically(ParentView, P);
  if (!P.PositionAsSubmenu)
    PlaceBesideOrBelow(ParentView, P);
  else
    PlaceSubmenu(ParentView, PopupWindow, P);
  P.AnimDir = AnimationDirection(P);
}

// --- creation -------------------------------------------------------------------------------

namespace {

// The corner a popup of size W x H is first proposed at, before the placement rule.
POINT ProposedCorner(TTBView* ParentView, TTBView* ChevronView, const TTBPopupPositionRec& P, const POINT& PopupPoint,
                     int W) {
  const RECT& R = P.ParentItemRect;
  if (!ParentView) {
    POINT p = PopupPoint;
    if (P.Alignment == tbpaRight) p.x -= W;
    if (P.Alignment == tbpaCenter) p.x -= W / 2;
    return p;
  }
  // A submenu's first item lines up with its parent item.
  if (P.PositionAsSubmenu) return {R.right - P.NCSize.x, R.top - P.NCSize.y};
  if (ChevronView) return IsVertical(ChevronView) ? POINT{R.left - W, R.top} : POINT{R.right - W, R.bottom};
  if (IsVertical(ParentView)) return {R.left - W, R.top};
  // Dropped down from a horizontal bar, on the side the system aligns menus to.
  return {seams::SystemSettings().MenuDropAlignmentRight() ? R.right - W : R.left, R.bottom};
}

void MakeChevronPopup(TTBPopupWindow* Window, TTBView* ChevronView) {
  TTBView* view = Window->View();
  view->SetChevronParentView(ChevronView);  // also asks to be told when ChevronView goes
  view->SetIsToolbar(true);
  view->SetStyle(view->Style() | (ChevronView->Style() & vsAlwaysShowHints));
  Window->SetColor(clBtnFace);
}

}  // namespace

TTBPopupWindow* TTBCustomItem::CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                                          bool SelectFirstItem, bool Customizing, const POINT& APopupPoint,
                                          TTBPopupAlignment Alignment) {
  TTBCustomItem* container = SubitemsHolder(this);
  if (container != this) container->DoPopup(this, true);
  DoPopup(this, false);

  TTBView* chevronView = GetChevronParentView();
  TTBCustomItem* shown = chevronView ? chevronView->ParentItem() : this;
  TTBPopupWindow* window = GetPopupWindowClass()(nullptr, ParentView, shown, Customizing);
  TScopeGuard freeHalfBuilt([window] { window->Free(); });
  TTBView* view = window->View();
  if (chevronView) MakeChevronPopup(window, chevronView);

  TTBPopupPositionRec rec;
  rec.PositionAsSubmenu = PositionAsSubmenu;
  rec.Alignment = Alignment;
  rec.Opposite = ParentView && (ParentView->State() & vsOppositePopup);
  if (ParentView) {
    ParentView->ValidatePositions();
    const POINT origin = ClientOrigin(ParentView);
    rec.ParentItemRect = ParentViewer->BoundsRect;
    OffsetRect(&rec.ParentItemRect, origin.x, origin.y);
    rec.MonitorRect = ParentView->MonitorRect();
    if (IsRectEmpty(&rec.MonitorRect)) rec.MonitorRect = GetRectOfMonitorContainingRect(rec.ParentItemRect, true);
  } else {
    rec.ParentItemRect = RECT{APopupPoint.x, APopupPoint.y, APopupPoint.x, APopupPoint.y};
    rec.MonitorRect = GetRectOfMonitorContainingPoint(APopupPoint, true);
  }
  // Its own submenus stay on this monitor; a menu longer than the monitor scrolls.
  view->SetMonitorRect(rec.MonitorRect);
  rec.NCSize = window->GetNCSize();
  if (chevronView)
    view->SetWrapOffset(rec.MonitorRect.right - rec.MonitorRect.left - 2 * rec.NCSize.x);
  else
    view->SetMaxHeight(rec.MonitorRect.bottom - rec.MonitorRect.top - 2 * rec.NCSize.y);
  if (SelectFirstItem) view->SetSelected(view->FirstSelectable());
  view->UpdatePositions();  // sizes the window to its items

  rec.Width = window->Width();
  rec.Height = window->Height();
  const POINT corner = ProposedCorner(ParentView, chevronView, rec, APopupPoint, rec.Width);
  rec.X = corner.x;
  rec.Y = corner.y;
  GetPopupPosition(ParentView, window, rec);
  window->SetAnimationDirection(rec.AnimDir);
  window->SetBounds(rec.X, rec.Y, rec.Width, rec.Height);

  if (ParentView) {
    ParentView->SetOpenViewer(ParentViewer, view, window);
    if (ParentView->IsToolbar()) {
      // The button looks pressed before its menu shows.
      ParentView->SetState(ParentView->State() | vsDropDownMenus);
      ParentView->Invalidate(ParentViewer);
      ParentView->Window()->Update();
    }
  }
  view->SetState(view->State() | vsDrawInOrder);
  ShowWithSound(window, rec.PlaySound);
  CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, window->Handle(), OBJID_CLIENT, 0);
  if (view->Selected()) view->NotifyFocusEvent();
  freeHalfBuilt.Dismiss();
  return window;
}

// --- the modal popup menu -------------------------------------------------------------------

TTBCustomItem* TTBCustomItem::OpenPopup(bool SelectFirstItem, bool TrackRightButton, const POINT& PopupPoint,
                                        TTBPopupAlignment Alignment, bool ReturnClickedItemOnly) {
  TTBDoneActionData doneActionData;
  {
    // The handler takes the capture at once: it goes whatever fails from here on, also while
    // the popup is being built (a popup handler may raise).
    auto handler = std::make_unique<TTBModalHandler>(nullptr);
    TTBPopupWindow* window = CreatePopup(nullptr, nullptr, false, SelectFirstItem, false, PopupPoint, Alignment);
    TTBView* view = window->View();
    TScopeGuard cleanup([&] {
      handler->SetRootPopup(nullptr);
      view->SetState(static_cast<TTBViewState>(view->State() & ~vsModal));
      window->Free();
    });
    view->SetState(view->State() | vsIgnoreFirstMouseUp);
    handler->SetRootPopup(window);
    handler->Loop(view, false, TrackRightButton, false, false);
    doneActionData = view->DoneActionData();
  }
  // The popup windows and the capture are gone before the outcome runs.
  return ProcessDoneAction(doneActionData, ReturnClickedItemOnly);
}

TTBCustomItem* TTBCustomItem::Popup(int X, int Y, bool TrackRightButton, TTBPopupAlignment Alignment,
                                    bool ReturnClickedItemOnly) {
  return OpenPopup(false, TrackRightButton, POINT{X, Y}, Alignment, ReturnClickedItemOnly);
}
