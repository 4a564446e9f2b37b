// When floating windows show: with their form, while the program is active, above the right
// windows and with the right caption; and the thread hook that keeps them so.
#include "docking/TB2FloatingList.h"

#include "items/TB2Common.h"
#include "items/TB2View.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The floating list: plain data per thread, present while it holds a window.

namespace {
thread_local std::vector<TTBCustomDockableWindow*>* FloatingWindows = nullptr;
}  // namespace

void TTBFloatingList::Add(TTBCustomDockableWindow* Window) {
  if (!FloatingWindows) FloatingWindows = new std::vector<TTBCustomDockableWindow*>();
  if (!Contains(Window)) FloatingWindows->push_back(Window);
}

void TTBFloatingList::Remove(TTBCustomDockableWindow* Window) {
  if (!FloatingWindows) return;
  auto it = std::find(FloatingWindows->begin(), FloatingWindows->end(), Window);
  if (it != FloatingWindows->end()) FloatingWindows->erase(it);
  if (FloatingWindows->empty()) {
    delete FloatingWindows;
    FloatingWindows = nullptr;
  }
}

std::vector<TTBCustomDockableWindow*> TTBFloatingList::Snapshot() {
  return FloatingWindows ? *FloatingWindows : std::vector<TTBCustomDockableWindow*>();
}

bool TTBFloatingList::Contains(TTBCustomDockableWindow* Window) {
  return FloatingWindows && std::find(FloatingWindows->begin(), FloatingWindows->end(), Window) != FloatingWindows->end();
}

namespace {

HWND FrameHandle(TTBCustomDockableWindow* Window) {
  TTBFloatingWindowParent* frame = Window->FloatingParent();
  return frame && frame->HandleAllocated() ? frame->Handle() : nullptr;
}

// Runs Fn for each floating window of the thread that is still floating at its turn: a window
// may be freed, or stop floating, while an earlier one is handled.
template <class Fn>
void ForEachFloating(Fn&& fn) {
  for (TTBCustomDockableWindow* w : TTBFloatingList::Snapshot())
    if (TTBFloatingList::Contains(w)) fn(w);
}

}  // namespace

void DockableWindowHookProc(THookProcCode Code, HWND Wnd, WPARAM, LPARAM LParam) {
  switch (Code) {
    case hpSendActivate:
    case hpSendActivateApp:
      ForEachFloating([](TTBCustomDockableWindow* w) { w->UpdateVisibility(); });
      break;
    case hpSendWindowPosChanged: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(LParam);
      if (!(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED))) break;
      ForEachFloating([Wnd](TTBCustomDockableWindow* w) {
        if (w->FloatingMode() != fmOnTopOfParentForm || !w->HandleAllocated()) return;
        TCustomForm* form = TBGetToolWindowParentForm(w);
        if (!form || !form->HandleAllocated()) return;
        HWND formWnd = form->Handle();
        if (formWnd == Wnd || IsChild(Wnd, formWnd)) w->UpdateVisibility();
      });
      break;
    }
    case hpPreDestroy:
      // A frame must not go with the window that owns it: the application window owns it now.
      ForEachFloating([Wnd](TTBCustomDockableWindow* w) {
        HWND frame = FrameHandle(w);
        if (frame && Application && GetWindow(frame, GW_OWNER) == Wnd)
          SetWindowLongPtrW(frame, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
      });
      break;
    default: break;
  }
}

namespace {

struct TTopWindowSearch {
  HWND Exclude, App, First = nullptr, FirstNonTopmost = nullptr;
};

BOOL CALLBACK TopWindowCandidate(HWND Wnd, LPARAM Data) {
  auto* s = reinterpret_cast<TTopWindowSearch*>(Data);
  if (Wnd == s->Exclude || Wnd == s->App || !IsWindowVisible(Wnd) || !IsWindowEnabled(Wnd)) return TRUE;
  if (!s->First) s->First = Wnd;
  if (GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) return TRUE;
  s->FirstNonTopmost = Wnd;
  return FALSE;
}

}  // namespace

HWND FindThreadTopWindow(HWND ExcludeWnd) {
  TTopWindowSearch search{ExcludeWnd, Application ? Application->Handle() : nullptr};
  EnumThreadWindows(GetCurrentThreadId(), TopWindowCandidate, reinterpret_cast<LPARAM>(&search));
  return search.FirstNonTopmost ? search.FirstNonTopmost : search.First;
}

// ---------------------------------------------------------------------------------------------

namespace {

// Shown on the screen: visible, and neither it nor a window it lies in is minimised.
bool ShownOnScreen(HWND Wnd) {
  if (!IsWindowVisible(Wnd)) return false;
  for (HWND w = Wnd; w; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (IsIconic(w)) return false;
  return true;
}

bool OwnedBy(HWND Wnd, HWND Owner) {
  for (HWND w = GetWindow(Wnd, GW_OWNER); w; w = GetWindow(w, GW_OWNER))
    if (w == Owner) return true;
  return false;
}

bool OnlyTopmostOwners(HWND Wnd) {
  for (HWND w = GetWindow(Wnd, GW_OWNER); w; w = GetWindow(w, GW_OWNER))
    if (!(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST)) return false;
  return true;
}

}  // namespace

bool TTBCustomDockableWindow::GetShowingState() {
  bool showing = Showing() && hideCount_ == 0;
  if (!showing || !floating_) return showing;
  if (floatingMode_ == fmOnTopOfParentForm) {
    TCustomForm* form = TBGetToolWindowParentForm(this);
    if (!form || !form->HandleAllocated() || !ShownOnScreen(form->Handle())) return false;
  }
  return !hideWhenInactive_ || ApplicationIsActive();
}

void TTBCustomDockableWindow::UpdateVisibility() {
  if (!HandleAllocated()) return;
  const bool visible = (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != GetShowingState()) Perform(CM_SHOWINGCHANGED);
  if (visible && floating_) UpdateCaptionState();
}

void TTBCustomDockableWindow::CMShowingChanged(TMessage&) {
  if (!HandleAllocated()) return;
  const bool showing = GetShowingState();
  auto* frame = dynamic_cast<TTBFloatingWindowParent*>(Parent());
  if (frame) {
    if (showing) {
      ReownFrame(showing);
      UpdateCaptionState();
    }
    UpdateTopmostFlag();
    frame->shouldShow_ = showing;
    frame->Perform(CM_SHOWINGCHANGED);
  }
  const HWND wnd = Handle();
  const bool wasActive = GetActiveWindow() == (frame && frame->HandleAllocated() ? frame->Handle() : wnd);
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  if (!showing && wasActive) {
    HWND exclude = frame && frame->HandleAllocated() ? frame->Handle() : wnd;
    if (HWND next = FindThreadTopWindow(exclude)) SetActiveWindow(next);
  }
}

void TTBCustomDockableWindow::ReownFrame(bool) {
  TTBFloatingWindowParent* frame = dynamic_cast<TTBFloatingWindowParent*>(Parent());
  if (!frame || !frame->HandleAllocated()) return;
  HWND owner = nullptr;
  TCustomForm* form = frame->ParentForm();
  if (floatingMode_ == fmOnTopOfAllForms || !form) owner = Application ? Application->Handle() : nullptr;
  else owner = form->Handle();
  const HWND wnd = frame->Handle();
  if (GetWindow(wnd, GW_OWNER) == owner) return;
  SetWindowLongPtrW(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (!form || floatingMode_ == fmOnTopOfAllForms) return;
  // Right below the nearest window above the form that is not its own and, for a topmost frame,
  // has only topmost owners; at the top when there is none.
  const bool topmost = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND after = HWND_TOP;
  for (HWND w = GetWindow(owner, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
    if (w == wnd || OwnedBy(w, owner) || (topmost && !OnlyTopmostOwners(w))) continue;
    after = w;
    break;
  }
  SetWindowPos(wnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TTBCustomDockableWindow::UpdateTopmostFlag() {
  auto* frame = dynamic_cast<TTBFloatingWindowParent*>(Parent());
  if (!frame || !frame->HandleAllocated()) return;
  const HWND wnd = frame->Handle();
  bool topmost;
  if (floatingMode_ == fmOnTopOfAllForms) {
    topmost = IsWindowEnabled(wnd) && Enabled();
  } else {
    HWND owner = GetWindow(wnd, GW_OWNER);
    topmost = owner && (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  auto isTopmost = [wnd] { return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  if (isTopmost() == topmost) return;
  constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(wnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
  if (topmost || !isTopmost()) return;
  // Wine keeps an owned window topmost (seen here); it lets go while the window has no owner.
  const HWND owner = GetWindow(wnd, GW_OWNER);
  SetWindowLongPtrW(wnd, GWLP_HWNDPARENT, 0);
  SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
  SetWindowLongPtrW(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void TTBCustomDockableWindow::UpdateCaptionState() {
  auto* frame = dynamic_cast<TTBFloatingWindowParent*>(Parent());
  if (!floating_ || !frame || !frame->HandleAllocated()) return;
  // A menu is open: its window is active, and the caption stays as it was.
  if (dynamic_cast<ITBPopupWindow*>(TWinControl::FindControl(GetActiveWindow()))) return;
  bool inactive = !ApplicationIsActive();
  const HWND frameWnd = frame->Handle();
  const HWND app = Application ? Application->Handle() : nullptr;
  if (!inactive && floatingMode_ == fmOnTopOfParentForm && GetWindow(frameWnd, GW_OWNER) != app) {
    HWND active = GetActiveWindow();
    if (auto* other = dynamic_cast<TTBFloatingWindowParent*>(TWinControl::FindControl(active)))
      active = other->ParentForm() && other->ParentForm()->HandleAllocated() ? other->ParentForm()->Handle() : nullptr;
    bool ours = false;
    for (HWND w = frameWnd; w && !ours; w = GetParent(w)) ours = w == active;
    inactive = !active || !ours;
  }
  if (inactive == captionInactive_) return;
  captionInactive_ = inactive;
  frame->RedrawNCArea(twrdAll);
}

void TTBCustomDockableWindow::WMEnable(TMessage& m) {
  DefaultHandler(m);
  if (floatingMode_ == fmOnTopOfAllForms) UpdateTopmostFlag();
}
