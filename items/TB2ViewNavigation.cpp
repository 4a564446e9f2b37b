// The view's selection, priority, keyboard and wheel navigation, scrolling and ending.
#include "items/TB2View.h"

#include "classlib/Seams.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <windowsx.h>

namespace {

// The scroll timers tick this often while the cursor rests on an arrow band.
constexpr int kScrollInterval = 100;
// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;
// More lines a notch than it has units make no sense.
constexpr UINT kMaxWheelLines = 120;

bool TimerRunning(TTBViewTimerIDs Timers, TTBViewTimerID ID) { return (Timers >> ID) & 1u; }

bool HasStyle(const TTBItemViewer* V, TTBItemStyle Style) { return V && (V->Item()->ItemStyle() & Style) != 0; }

bool IsSeparator(const TTBItemViewer* V) { return HasStyle(V, tbisSeparator); }

// Whether the user sees Window at the point; a disabled control over it would hide it too.
bool WindowIsAt(TWinControl* Window, const POINT& Screen) {
  return Window && Window->HandleAllocated() && FindControlAtPos(Screen, true) == Window;
}

POINT LastMessagePos() {
  const DWORD pos = GetMessagePos();
  return {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
}

// Ch upper-cased under the user's locale; a character outside the basic plane stays as it is.
char32_t UpperCase(char32_t Ch) {
  if (Ch > 0xFFFF) return Ch;
  const wchar_t in = static_cast<wchar_t>(Ch);
  wchar_t out = in;
  if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, &in, 1, &out, 1) != 1) return Ch;
  return out;
}

bool SameLetter(char32_t A, wchar_t Key) { return A != 0 && UpperCase(A) == UpperCase(Key); }

char32_t FirstCodePoint(const String& S) {
  if (S.empty()) return 0;
  if (S.size() > 1 && IS_HIGH_SURROGATE(S[0]) && IS_LOW_SURROGATE(S[1]))
    return 0x10000 + ((static_cast<char32_t>(S[0]) - 0xD800) << 10) + (static_cast<char32_t>(S[1]) - 0xDC00);
  return S[0];
}

// One pass of the accelerator search: accelerators or first letters, among enabled or disabled
// items.
struct TAccelPass {
  bool FirstLetter;
  bool Enabled;
};
constexpr std::array<TAccelPass, 4> kAccelPasses = {{{false, true}, {false, false}, {true, true}, {true, false}}};

bool MatchesAccel(TTBItemViewer* V, wchar_t Key, const TAccelPass& Pass) {
  if (!(V->Show || V->Clipped) || !HasStyle(V, tbisSelectable)) return false;
  TTBCustomItem* item = V->Item();
  if (item->Enabled() != Pass.Enabled || !item->Visible() || !V->CaptionShown()) return false;
  const String caption = V->GetCaptionText();
  const char32_t accel = FindAccelChar(caption);
  if (!Pass.FirstLetter) return SameLetter(accel, Key);
  return accel == 0 && Key != L' ' && SameLetter(FirstCodePoint(caption), Key);
}

// Steps from Index once, with wrap-around; Index -1 starts before the first (or after the last).
int StepIndex(int Index, int Count, bool GoForward) {
  if (GoForward) return (Index + 1) % Count;
  return Index <= 0 ? Count - 1 : Index - 1;
}

}  // namespace

// The steps of the operations below; a friend of the view by being its member.
struct TTBView::TNavigation {
  static void LeaveSelection(TTBView& V, TTBItemViewer* Value, bool ViaMouse);
  static bool IsMouseOver(TTBView& V, TTBItemViewer* Viewer);
  static void DriveModalSelection(TTBView& V, TTBItemViewer* Value, bool ViaMouse);
  static void UpdateScrollTimers(TTBView& V, const POINT& ClientPos);
  static TTBItemViewer* FindAccel(TTBView& V, int From, wchar_t Key, const TAccelPass& Pass);
  static void SelectAndShow(TTBView& V, TTBItemViewer* Viewer);
  static void ArrowAcross(TTBView& V, bool Left);
  static void HelpOnSelection(TTBView& V);
  static int PageLines(TTBView& V);
  static TTBDoneActionData& Done(TTBView& V) { return V.GetRootView()->doneActionData_; }
};

// --- selection ------------------------------------------------------------------------------

void TTBView::Select(TTBItemViewer* Value, bool ViaMouse) {
  TTBItemViewer* const old = selected_;
  if (Value != old) TNavigation::LeaveSelection(*this, Value, ViaMouse);
  const bool mouseOver = TNavigation::IsMouseOver(*this, Value);
  if (Value == old) {
    if (mouseOver != mouseOverSelected_) {
      mouseOverSelected_ = mouseOver;
      if (capture_ && HasStyle(Value, tbisRedrawOnMouseOverChange)) Invalidate(Value);
    }
    return;
  }
  mouseOverSelected_ = mouseOver;
  if (HasStyle(old, tbisRedrawOnSelChange)) Invalidate(old);
  if (HasStyle(Value, tbisRedrawOnSelChange)) Invalidate(Value);
  if (Value) Value->Entering(old);
  NotifyFocusEvent();
  if (state_ & vsModal) TNavigation::DriveModalSelection(*this, Value, ViaMouse);
}

// The first half of a selection change: the parent keeps its open item hot, the child popups
// and the close timer follow the new selection, and the old selection is left.
void TTBView::TNavigation::LeaveSelection(TTBView& V, TTBItemViewer* Value, bool ViaMouse) {
  // While the parent is still opening this popup its open viewer is nil and its selection is
  // the item being opened: that selection stays.
  TTBView* parent = V.parentView_;
  if (Value && parent && parent->openViewer_ && parent->openViewer_ != parent->selected_) {
    parent->SetSelected(parent->openViewer_);
    parent->StopTimer(tiClose);
    parent->StopTimer(tiOpen);
  }
  if (V.state_ & vsModal) {
    if (V.isToolbar_ || !ViaMouse) {
      V.StopTimer(tiClose);
      if (Value != V.openViewer_) V.CloseChildPopups();
    } else if (V.openViewer_ && !TimerRunning(V.activeTimers_, tiClose)) {
      V.StartTimer(tiClose, GetMenuShowDelay());
    }
  }
  V.CancelCapture();
  if (V.selected_) V.selected_->Leaving();
  V.selected_ = Value;
  V.selectedViaMouse_ = ViaMouse;
}

// Whether the cursor, where the last message saw it, is over Viewer (over its button part
// while the view holds the capture).
bool TTBView::TNavigation::IsMouseOver(TTBView& V, TTBItemViewer* Viewer) {
  if (!Viewer) return false;
  const POINT screen = LastMessagePos();
  if (!WindowIsAt(V.window_, screen)) return false;
  const POINT client = V.window_->ScreenToClient(screen);
  if (V.ViewerFromPoint(client) != Viewer) return false;
  if (!V.capture_) return true;
  const POINT p = Viewer->ScreenToClient(screen);
  return Viewer->IsPtInButtonPart(p.x, p.y);
}

// A modal popup opens a submenu hovered for the menu-show delay; a modal toolbar in drop-down
// mode opens the new selection's popup at once.
void TTBView::TNavigation::DriveModalSelection(TTBView& V, TTBItemViewer* Value, bool ViaMouse) {
  if (V.IsPopup()) {
    V.StopTimer(tiOpen);
    if (ViaMouse && HasStyle(Value, tbisSubmenu)) V.StartTimer(tiOpen, GetMenuShowDelay());
    return;
  }
  if (!Value) return;
  if (ViaMouse && V.parentView_) V.state_ |= vsDropDownMenus;
  if ((V.state_ & vsDropDownMenus) && (ViaMouse || !HasStyle(Value, tbisNoAutoOpen))) V.OpenChildPopup(!ViaMouse);
}

void TTBView::UpdateSelection(const POINT* P, bool AllowNewSelection) {
  ValidatePositions();
  TTBItemViewer* candidate = (state_ & vsModal) ? selected_ : nullptr;
  const bool wasInWindow = (state_ & vsMouseInWindow) != 0;
  const bool inWindow = P && WindowIsAt(window_, *P);
  if (inWindow) {
    state_ |= vsMouseInWindow;
    if (IsPopup()) candidate = nullptr;
    if (AllowNewSelection || selected_)
      if (TTBItemViewer* under = ViewerFromPoint(window_->ScreenToClient(*P))) candidate = under;
  } else {
    state_ &= static_cast<TTBViewState>(~vsMouseInWindow);
  }
  if (capture_) candidate = selected_;
  // Leaving a popup drops its selection, unless the way out leads into the open submenu.
  if (IsPopup() && wasInWindow && !inWindow && !capture_ && (!openViewer_ || !HasStyle(candidate, tbisSubmenu)))
    candidate = nullptr;
  Select(candidate, true);
  if (inWindow && (state_ & vsModal)) TNavigation::UpdateScrollTimers(*this, window_->ScreenToClient(*P));
}

// Resting on an arrow band scrolls that way every 100 ms.
void TTBView::TNavigation::UpdateScrollTimers(TTBView& V, const POINT& ClientPos) {
  const RECT client = V.window_->ClientRect();
  if (!PtInRect(&client, ClientPos)) return;
  if (V.showUpArrow_ && ClientPos.y < kScrollArrowBand) {
    V.StopTimer(tiScrollDown);
    if (!TimerRunning(V.activeTimers_, tiScrollUp)) V.StartTimer(tiScrollUp, kScrollInterval);
  } else if (V.showDownArrow_ && ClientPos.y >= client.bottom - kScrollArrowBand) {
    V.StopTimer(tiScrollUp);
    if (!TimerRunning(V.activeTimers_, tiScrollDown)) V.StartTimer(tiScrollDown, kScrollInterval);
  } else {
    V.StopTimer(tiScrollUp);
    V.StopTimer(tiScrollDown);
  }
}

// --- finding viewers ------------------------------------------------------------------------

TTBItemViewer* TTBView::NextSelectable(TTBItemViewer* CurViewer, bool GoForward) {
  ValidatePositions();
  const int count = ViewerCount();
  int index = IndexOf(CurViewer);
  for (int n = 0; n < count; ++n) {
    index = StepIndex(index, count, GoForward);
    TTBItemViewer* v = viewers_[static_cast<size_t>(index)];
    if ((v->Show || v->Clipped) && v->Item()->Visible() && HasStyle(v, tbisSelectable)) return v;
  }
  return nullptr;
}

TTBItemViewer* TTBView::FirstSelectable() {
  TTBItemViewer* const first = NextSelectable(nullptr, true);
  TTBItemViewer* v = first;
  while (HasStyle(v, tbisDontSelectFirst)) {
    v = NextSelectable(v, true);
    if (v == first) break;
  }
  return v;
}

// The match after index From, walking one full circle back to From itself.
TTBItemViewer* TTBView::TNavigation::FindAccel(TTBView& V, int From, wchar_t Key, const TAccelPass& Pass) {
  const int count = V.ViewerCount();
  for (int n = 0; n < count; ++n) {
    From = StepIndex(From, count, true);
    TTBItemViewer* v = V.viewers_[static_cast<size_t>(From)];
    if (MatchesAccel(v, Key, Pass)) return v;
  }
  return nullptr;
}

TTBItemViewer* TTBView::NextSelectableWithAccel(TTBItemViewer* CurViewer, wchar_t Key, bool RequirePrimaryAccel,
                                                bool& IsOnlyItemWithAccel) {
  ValidatePositions();
  IsOnlyItemWithAccel = false;
  for (const TAccelPass& pass : kAccelPasses) {
    if (pass.FirstLetter && RequirePrimaryAccel) break;
    TTBItemViewer* found = TNavigation::FindAccel(*this, IndexOf(CurViewer), Key, pass);
    if (!found) continue;
    // A disabled match only moves the selection, so no other match can be meant instead.
    IsOnlyItemWithAccel = !pass.Enabled || TNavigation::FindAccel(*this, IndexOf(found), Key, pass) == found;
    return found;
  }
  return nullptr;
}

TTBItemViewer* TTBView::ChevronParentViewer(int Index) {
  TTBView* parent = chevronParentView_;
  if (!parent || Index < 0) return nullptr;
  const int i = Index + parent->internalViewersAtFront_;
  return i < parent->ViewerCount() ? parent->viewers_[static_cast<size_t>(i)] : nullptr;
}

// --- priority -------------------------------------------------------------------------------

void TTBView::GivePriority(TTBItemViewer* AViewer) {
  if (chevronParentView_) {
    // A chevron popup shows the toolbar's own items: the toolbar ranks them.
    if (TTBItemViewer* v = ChevronParentViewer(IndexOf(AViewer))) chevronParentView_->GivePriority(v);
    return;
  }
  if (priorityList_ && AViewer) {
    auto it = std::find(priorityList_->begin(), priorityList_->end(), AViewer);
    if (it != priorityList_->end()) {
      std::rotate(priorityList_->begin(), it, it + 1);
      if (!validPositions_ || AViewer->OffEdge) UpdatePositions();
    }
  }
  if (parentView_ && parentView_->openViewer_) parentView_->GivePriority(parentView_->openViewer_);
}

TTBItemViewer* TTBView::HighestPriorityViewer() {
  ValidatePositions();
  const std::vector<TTBItemViewer*>& order = priorityList_ ? *priorityList_ : viewers_;
  for (TTBItemViewer* v : order)
    if (v->Show && !IsSeparator(v)) return v;
  return nullptr;
}

// --- keys -----------------------------------------------------------------------------------

void TTBView::TNavigation::SelectAndShow(TTBView& V, TTBItemViewer* Viewer) {
  V.SetSelected(Viewer);
  V.ScrollSelectedIntoView();
}

// Escape, Left and Right may close the popup that owns this view: such a branch reads what it
// needs first, makes the call last and returns, touching nothing of the view afterwards.
void TTBView::KeyDown(WORD& Key, TShiftState Shift) {
  TTBView* const parent = parentView_;
  const bool isHorizontalToolbar = GetParentToolbarView() == this && orientation_ != tbvoVertical;
  switch (Key) {
    case VK_TAB:
      TNavigation::SelectAndShow(*this, NextSelectable(selected_, !(Shift & ssShift)));
      break;
    case VK_RETURN:
      ExecuteSelected(true);
      break;
    case VK_ESCAPE:
      Key = 0;
      if (parent)
        parent->CancelChildPopups();
      else
        EndModal();
      return;
    case VK_MENU:
    case VK_F10:
      EndModal();
      break;
    case VK_HOME:
    case VK_END:
      TNavigation::SelectAndShow(*this, NextSelectable(nullptr, Key == VK_HOME));
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = Key == VK_LEFT;
      Key = 0;
      TNavigation::ArrowAcross(*this, left);
      return;
    }
    case VK_UP:
    case VK_DOWN:
      if (isHorizontalToolbar)
        OpenChildPopup(true);
      else
        TNavigation::SelectAndShow(*this, NextSelectable(selected_, Key == VK_DOWN));
      break;
    case VK_F1:
      TNavigation::HelpOnSelection(*this);
      break;
    default:
      return;
  }
  Key = 0;
}

// Left and Right: across a vertical toolbar they open the popup; in a popup Left closes it and
// Right opens the selected submenu; under a menu bar they move along the bar instead.
void TTBView::TNavigation::ArrowAcross(TTBView& V, bool Left) {
  TTBView* const parent = V.parentView_;
  TTBView* const toolbar = V.GetParentToolbarView();
  const bool verticalToolbar = toolbar && toolbar->orientation_ == tbvoVertical;
  if (toolbar == &V && verticalToolbar) {
    V.OpenChildPopup(true);
    return;
  }
  if (Left) {
    if (!toolbar || verticalToolbar) {
      if (parent) parent->CancelChildPopups();
    } else if (toolbar == &V || toolbar == parent) {
      toolbar->SetSelected(toolbar->NextSelectable(toolbar->selected_, false));
    } else if (parent) {
      parent->CloseChildPopups();
    }
    return;
  }
  if (toolbar != &V && V.OpenChildPopup(true)) return;
  if (toolbar && !verticalToolbar) toolbar->SetSelected(toolbar->NextSelectable(toolbar->selected_, true));
}

// F1: the help of the innermost selected item that has a help context.
void TTBView::TNavigation::HelpOnSelection(TTBView& V) {
  for (TTBView* view = &V; view; view = view->parentView_) {
    TTBItemViewer* selected = view->selected_;
    if (selected && selected->Item()->HelpContext() != 0) {
      V.EndModalWithHelp(selected->Item()->HelpContext());
      return;
    }
  }
}

// --- scrolling ------------------------------------------------------------------------------

// The wheel scrolls a long popup: a notch scrolls the system's wheel lines, or a page when the
// system asks for page scrolling; part of a notch waits for the rest.
void TTBView::MouseWheel(int WheelDelta, int, int) {
  if (!showUpArrow_ && !showDownArrow_) return;
  wheelAccumulator_ += WheelDelta;
  const int notches = std::abs(wheelAccumulator_) / kWheelNotch;
  if (notches == 0) return;
  const bool down = wheelAccumulator_ < 0;  // turned toward the user
  wheelAccumulator_ += (down ? 1 : -1) * notches * kWheelNotch;
  const UINT setting = seams::SystemSettings().WheelScrollLines();
  const int lines = setting == WHEEL_PAGESCROLL ? TNavigation::PageLines(*this)
                                                : static_cast<int>(std::min(setting, kMaxWheelLines));
  const int n = notches * lines;
  if (n == 0 || !(down ? showDownArrow_ : showUpArrow_)) return;
  CloseChildPopups();
  for (int i = 0; i < n; ++i) {
    const int before = scrollOffset_;
    Scroll(down);
    if (scrollOffset_ == before) break;  // at the end
  }
}

// A page: as many items as the popup shows now (at least one).
int TTBView::TNavigation::PageLines(TTBView& V) {
  V.ValidatePositions();
  const auto shown = std::count_if(V.viewers_.begin(), V.viewers_.end(),
                                   [](TTBItemViewer* v) { return v->Show && !IsSeparator(v); });
  return std::max(1, static_cast<int>(shown));
}

// One step brings the next item hidden under the arrow band wholly into view.
void TTBView::Scroll(bool ADown) {
  ValidatePositions();
  const int bottomLine = maxHeight_ - kScrollArrowBand;
  int edge = ADown ? INT_MAX : INT_MIN;
  for (TTBItemViewer* v : viewers_) {
    if (!v->Clipped || IsSeparator(v)) continue;
    if (ADown && v->BoundsRect.bottom > bottomLine) edge = std::min<int>(edge, v->BoundsRect.bottom);
    if (!ADown && v->BoundsRect.top < kScrollArrowBand) edge = std::max<int>(edge, v->BoundsRect.top);
  }
  if (edge == (ADown ? INT_MAX : INT_MIN)) return;
  if (ADown)
    scrollOffset_ += edge - bottomLine;
  else
    scrollOffset_ -= kScrollArrowBand - edge;
  UpdatePositions();
}

void TTBView::ScrollSelectedIntoView() {
  ValidatePositions();
  if (!selected_ || !selected_->Clipped) return;
  const RECT& r = selected_->BoundsRect;
  const int bottomLine = maxHeight_ - kScrollArrowBand;
  if (r.top < kScrollArrowBand)
    scrollOffset_ -= kScrollArrowBand - r.top;
  else if (r.bottom > bottomLine)
    scrollOffset_ += r.bottom - bottomLine;
  else
    return;
  UpdatePositions();
}

// --- executing and ending -------------------------------------------------------------------

void TTBView::ExecuteSelected(bool AGivePriority) {
  TTBItemViewer* const v = selected_;
  if (v && v->Item()->Enabled()) {
    if (!HasStyle(v, tbisCombo) && OpenChildPopup(true)) return;
    if (HasStyle(v, tbisSelectable)) {
      v->Execute(AGivePriority);
      return;
    }
  }
  EndModal();
}

// The ends only record the outcome in the root view; the menu loop sees it and unwinds, and the
// outcome is carried out after the menu has closed.
void TTBView::EndModal() { TNavigation::Done(*this).DoneAction = tbdaCancel; }

void TTBView::EndModalWithClick(TTBItemViewer* AViewer) {
  TTBDoneActionData& done = TNavigation::Done(*this);
  done.DoneAction = tbdaClickItem;
  done.ClickItem = AViewer->Item();
  done.Sound = AViewer->View()->IsPopup();
}

void TTBView::EndModalWithHelp(int AContextID) {
  TTBDoneActionData& done = TNavigation::Done(*this);
  done.DoneAction = tbdaHelpContext;
  done.ContextID = AContextID;
}

void TTBView::EndModalWithSystemMenu(HWND AWnd, WPARAM AKey) {
  TTBDoneActionData& done = TNavigation::Done(*this);
  done.DoneAction = tbdaOpenSystemMenu;
  done.SystemMenuWnd = AWnd;
  done.SystemMenuKey = AKey;
}
