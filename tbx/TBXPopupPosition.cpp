// Where themed popups go: the theme's one-pixel adjustments around the framework's placement
// rule, the root item's placement against a rectangle, and the themed popup menu.
#include "classlib/ScopeGuard.h"
#include "tbx/TBX.h"

#include <functional>

namespace {

// The popup sits flush with its parent item: a submenu does not step back by its border, and a
// drop-down (or a popup at a point) is laid out one pixel smaller against a parent rectangle one
// pixel narrower, so that it overlaps the item's last pixel row or column once it gets its size
// back.
void AdjustPopupPositionBefore(TTBPopupPositionRec& P) {
  if (P.PositionAsSubmenu) {
    P.X += P.NCSize.x;
    P.Y += P.NCSize.y;
    P.NCSize = {0, 0};
    return;
  }
  P.NCSize = {0, 0};
  RECT& R = P.ParentItemRect;
  const bool atRight = P.X == R.right, atBottom = P.Y == R.bottom;
  --R.right;
  if (atRight) --P.X;
  if (R.left >= P.X + P.Width) ++P.X;
  --R.bottom;
  if (atBottom) --P.Y;
  if (R.top >= P.Y + P.Height) ++P.Y;
  --P.Width;
  --P.Height;
}

void AdjustPopupPositionAfter(TTBPopupPositionRec& P) {
  if (P.PositionAsSubmenu) return;
  ++P.Width;
  ++P.Height;
}

// The framework's rule, within the adjustments when the theme places popups flush with their
// parent; list popups make no sound.
void ThemedPopupPosition(TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P,
                         const std::function<void()>& FrameworkRule) {
  if (!ActiveTheme->GetBooleanMetrics(tmPopupsOverlapParent)) {
    FrameworkRule();
    return;
  }
  AdjustPopupPositionBefore(P);
  FrameworkRule();
  AdjustPopupPositionAfter(P);
  P.PlaySound = !IsViewKind(QueryPopupViewKind(PopupWindow), vkListPopup);
}

}  // namespace

void TTBXCustomItem::GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) {
  ThemedPopupPosition(PopupWindow, P, [&] { TTBCustomItem::GetPopupPosition(ParentView, PopupWindow, P); });
}

// --- the themed root item -------------------------------------------------------------------

TTBPopupWindow* TTBXRootItem::PopupAtRect(bool SelectFirstItem, const RECT& Rect, TTBPopupAlignment Alignment) {
  const RECT saved = anchorRect_;
  TScopeGuard restore([&] { anchorRect_ = saved; });
  anchorRect_ = Rect;
  TTBPopupWindow* window =
      CreatePopup(nullptr, nullptr, false, SelectFirstItem, false, POINT{Rect.left, Rect.bottom}, Alignment);
  if (auto* themed = dynamic_cast<TTBXPopupWindow*>(window)) themed->SetAnchorRect(anchorRect_);
  return window;
}

// Below the anchor, or above it when it fits there and not below; inside the monitor; the right
// edges lined up for a right-aligned popup.
void TTBXRootItem::PlaceAgainstAnchor(TTBPopupPositionRec& P) const {
  const RECT& A = anchorRect_;
  const RECT& M = P.MonitorRect;
  P.ParentItemRect = A;
  if (M.bottom < P.Y + P.Height && A.top - P.Height >= M.top) P.Y = A.top - P.Height;
  if (P.Y < M.top)
    P.Y = M.top;
  else if (P.Y + P.Height > M.bottom)
    P.Y = M.bottom - P.Height;
  if (P.Alignment == tbpaRight) P.X = A.right - P.Width;
  if (P.X + P.Width > M.right) P.X = M.right - P.Width;
  if (P.X < M.left) P.X = M.left;
}

void TTBXRootItem::GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) {
  auto frameworkRule = [&] { TTBRootItem::GetPopupPosition(ParentView, PopupWindow, P); };
  if (IsRectEmpty(&anchorRect_))
    frameworkRule();
  else
    PlaceAgainstAnchor(P);
  // The framework's rule runs once more here: on a record it has placed already it keeps the
  // place, unless the theme's adjustments move it.
  ThemedPopupPosition(PopupWindow, P, frameworkRule);
}

TTBPopupWindowClass TTBXRootItem::GetPopupWindowClass() { return CreatePopupWindowOf<TTBXPopupWindow>; }

// --- the themed popup menu ------------------------------------------------------------------

TTBXPopupMenu::TTBXPopupMenu(TComponent* AOwner) : TTBPopupMenu(AOwner, CreateRootItemOf<TTBXRootItem>) {}

void TTBXPopupMenu::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TBX_QUERY_VIEW_KIND) {
    Message.Result = vkPopupMenu;
    return;
  }
  TTBPopupMenu::Dispatch(Message);
}
