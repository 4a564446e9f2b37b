// The modal menu loop.
#include "items/TB2ModalHandler.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"
#include "items/TB2Acc.h"

#include <imm.h>
#include <windowsx.h>

#include <vector>

namespace {

using TLockSetForegroundWindowProc = BOOL(WINAPI*)(UINT LockCode);

// Looked up once: older systems have no foreground lock.
TLockSetForegroundWindowProc LockSetForegroundWindowProc() {
  static const TLockSetForegroundWindowProc proc = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<TLockSetForegroundWindowProc>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "LockSetForegroundWindow")))
                  : nullptr;
  }();
  return proc;
}

void LockForeground(UINT Code) {
  if (TLockSetForegroundWindowProc lock = LockSetForegroundWindowProc()) lock(Code);
}

POINT MessagePos() {
  const DWORD pos = GetMessagePos();
  return {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
}

// A mouse message's point on the screen: its lParam is signed and relative to its window, the
// wheel's already on the screen.
POINT MouseMessagePoint(const MSG& Msg) {
  POINT p{GET_X_LPARAM(Msg.lParam), GET_Y_LPARAM(Msg.lParam)};
  if (Msg.message != WM_MOUSEWHEEL && Msg.hwnd) ClientToScreen(Msg.hwnd, &p);
  return p;
}

TTBPopupWindow* PopupWindowOf(HWND Wnd) { return dynamic_cast<TTBPopupWindow*>(TWinControl::FindControl(Wnd)); }

bool IsKeyDown(int VirtualKey) { return GetKeyState(VirtualKey) < 0; }

}  // namespace

// --- the handler ----------------------------------------------------------------------------

TTBModalHandler::TTBModalHandler(HWND AExistingWnd) {
  LockSetForegroundWindowProc();
  LastCursorPos = MessagePos();
  if (AExistingWnd) {
    wnd_ = AExistingWnd;
  } else {
    wnd_ = AllocateHWnd(TWndMethod(this, &TTBModalHandler::WndProc));
    ownsWnd_ = true;
  }
  LockForeground(LSFW_LOCK);
  SetCapture(wnd_);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  CallNotifyWinEvent(EVENT_SYSTEM_MENUSTART, wnd_, OBJID_CLIENT, 0);
  menuStartNotified_ = true;
}

TTBModalHandler::~TTBModalHandler() {
  LockForeground(LSFW_UNLOCK);
  if (!wnd_) return;
  if (GetCapture() == wnd_) ReleaseCapture();
  if (menuStartNotified_) CallNotifyWinEvent(EVENT_SYSTEM_MENUEND, wnd_, OBJID_CLIENT, 0);
  if (ownsWnd_) DeallocateHWnd(wnd_);
}

void TTBModalHandler::WndProc(TMessage& Message) {
  if (!wnd_) return;  // still being made: the default answer is given for us
  Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == WM_CANCELMODE && rootPopup_) GuardBoundary([&] { rootPopup_->View()->CancelMode(); });
}

// --- one run of the loop --------------------------------------------------------------------

// The state of one Loop call and the steps it is made of.
struct TTBModalHandler::TRun {
  TTBModalHandler& H;
  TTBView* Root;
  bool TrackRightButton;
  bool MouseDownOnMenu = false;
  HWND ActiveWnd = nullptr;
  bool QuitSeen = false;
  WPARAM QuitCode = 0;

  TTBView* DeepestView() const;
  bool StillRunning() const { return GetCapture() == H.wnd_ && GetActiveWindow() == ActiveWnd && !Root->IsModalEnding(); }
  bool ButtonDown() const { return IsKeyDown(VK_LBUTTON) || (TrackRightButton && IsKeyDown(VK_RBUTTON)); }
  void UpdateAllSelections(const POINT* P, bool AllowNewSelection);
  bool FindMouseTarget(TTBView*& View, TTBItemViewer*& Viewer) const;
  // Key is left non-zero when no view used it.
  void DeliverKey(WORD& Key, TShiftState Shift);
  void UpdateCursor();
  void UpdateAppHint();
  void DoTimer(TTBView* View, TTBViewTimerID ID);

  void Start(bool AMouseDown, bool AFromAccessibility, bool AExecuteSelected);
  void Pump();
  // False when the menu ends at this message (it stays in the queue for its window).
  bool PressMayGoOn(const MSG& Msg);
  // False when the menu ends.
  bool Handle(MSG& Msg);
  bool HandleKey(MSG& Msg);
  bool HandleChar(const MSG& Msg);
  void HandleMouseMove(const MSG& Msg);
  void HandleButtonDown(const MSG& Msg);
  bool HandleButtonUp(const MSG& Msg);
  void HandleWheel(const MSG& Msg);
  void Finish();
};

TTBView* TTBModalHandler::TRun::DeepestView() const {
  TTBView* v = Root;
  while (v->OpenViewerView()) v = v->OpenViewerView();
  return v;
}

void TTBModalHandler::TRun::UpdateAllSelections(const POINT* P, bool AllowNewSelection) {
  std::vector<TTBView*> chain;
  for (TTBView* v = Root; v; v = v->OpenViewerView()) chain.push_back(v);
  TTBView* capturing = nullptr;
  for (auto it = chain.rbegin(); it != chain.rend() && !capturing; ++it)
    if ((*it)->Capture()) capturing = *it;
  if (capturing) return capturing->UpdateSelection(P, AllowNewSelection);
  // Deepest first: a parent's new selection may close the popups below it, which are done.
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->UpdateSelection(P, AllowNewSelection);
}

bool TTBModalHandler::TRun::FindMouseTarget(TTBView*& View, TTBItemViewer*& Viewer) const {
  View = nullptr;
  Viewer = nullptr;
  for (TTBView* v = Root; v; v = v->OpenViewerView())
    if (v->Capture()) {
      View = v;
      Viewer = v->Selected();
      return Viewer != nullptr;
    }
  for (TTBView* v = Root; v; v = v->OpenViewerView()) {
    if (v->Selected() && v->MouseOverSelected()) {
      View = v;
      Viewer = v->Selected();
      return true;
    }
    if (v->State() & vsMouseInWindow) {
      View = v;
      return false;
    }
  }
  return false;
}

void TTBModalHandler::TRun::DeliverKey(WORD& Key, TShiftState Shift) {
  TTBView* view = DeepestView();
  if (TTBItemViewer* selected = view->Selected()) {
    selected->KeyDown(Key, Shift);
    // What the viewer did may have ended the menu or closed the view.
    if (Root->IsModalEnding() || DeepestView() != view) return;
  }
  if (Key != 0) view->KeyDown(Key, Shift);
}

void TTBModalHandler::TRun::UpdateCursor() {
  UpdateAllSelections(&LastCursorPos, true);
  TTBView* view = DeepestView();
  TTBItemViewer* selected = view->Selected();
  HCURSOR cursor = nullptr;
  if (selected && view->Window()) {
    bool captured = false;
    for (TTBView* v = Root; v; v = v->OpenViewerView()) captured = captured || v->Capture();
    const bool wantsHint = (view->Style() & vsAlwaysShowHints) || (selected->Item()->EffectiveOptions() & tboShowHint);
    if (Application) {
      if (wantsHint && !captured) {
        view->Window()->Update();
        Application->HintMouseMove(view->Window());
      } else {
        Application->CancelHint();
      }
    }
    selected->GetCursor(selected->ScreenToClient(LastCursorPos), cursor);
  } else if (Application) {
    Application->CancelHint();
  }
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

void TTBModalHandler::TRun::UpdateAppHint() {
  if (!Application) return;
  TTBView* last = Root->Selected() ? Root : nullptr;
  for (TTBView* v = Root; last && v->OpenViewerView() && v->OpenViewerView()->Selected(); v = v->OpenViewerView())
    last = v->OpenViewerView();
  Application->SetHint(last ? GetLongHint(last->Selected()->Item()->Hint()) : String());
}

void TTBModalHandler::TRun::DoTimer(TTBView* View, TTBViewTimerID ID) {
  switch (ID) {
    case tiOpen:
      View->CloseChildPopups();
      View->OpenChildPopup(false);
      break;
    case tiClose: View->CloseChildPopups(); break;
    case tiScrollUp:
      if (View->ShowUpArrow())
        View->Scroll(false);
      else
        View->StopTimer(tiScrollUp);
      break;
    case tiScrollDown:
      if (View->ShowDownArrow())
        View->Scroll(true);
      else
        View->StopTimer(tiScrollDown);
      break;
  }
}

void TTBModalHandler::TRun::Start(bool AMouseDown, bool AFromAccessibility, bool AExecuteSelected) {
  Root->DoneActionData() = TTBDoneActionData{};
  Root->ValidatePositions();
  Root->SetCaptureWnd(H.wnd_);
  MouseDownOnMenu = false;
  if (AMouseDown) {
    if (TTBItemViewer* selected = Root->Selected()) {
      const POINT p = selected->ScreenToClient(MessagePos());
      selected->MouseDown(0, p.x, p.y, MouseDownOnMenu);
      if (Root->IsModalEnding()) return;
    }
    MouseDownOnMenu = false;
  } else if (AExecuteSelected) {
    Root->ExecuteSelected(!AFromAccessibility);
  }
}

void TTBModalHandler::TRun::Pump() {
  ActiveWnd = GetActiveWindow();
  while (StillRunning()) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
      continue;
    }
    if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) && !PressMayGoOn(msg)) return;
    if (!PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE | PM_NOYIELD)) continue;
    if (!Handle(msg) || !StillRunning()) return;
    if (LastCursorPos.x == kInvalidCursorPos) {
      LastCursorPos = MessagePos();
      UpdateCursor();
    }
    UpdateAppHint();
  }
}

bool TTBModalHandler::TRun::PressMayGoOn(const MSG& Msg) {
  const POINT p = MouseMessagePoint(Msg);
  TControl* target = FindControlAtPos(p, true);
  auto* popup = dynamic_cast<TTBPopupWindow*>(target);
  if (popup && Root->ContainsView(popup->View())) return true;
  // Outside the menu: the press stays queued for the window it was meant for.
  if (Root->IsPopup() || target != Root->Window()) return false;
  // A toolbar in menu mode, pressed in its own window.
  TWinControl* window = Root->Window();
  const POINT client = window->ScreenToClient(p);
  RECT r = window->ClientRect();
  if (!PtInRect(&r, client)) return false;
  if (Msg.message != WM_LBUTTONDOWN) return true;
  UpdateAllSelections(&p, true);
  TTBItemViewer* selected = Root->Selected();
  return selected && Root->MouseOverSelected() && !(selected->Item()->ItemStyle() & tbisClicksTransparent);
}

bool TTBModalHandler::TRun::Handle(MSG& Msg) {
  switch (Msg.message) {
    case WM_HELP:
    case WM_CONTEXTMENU:
    case 0x0118:  // the system's caret-blink timer: nothing to show it on
      return true;
    case WM_TIMER:
      if (TTBPopupWindow* popup = PopupWindowOf(Msg.hwnd);
          popup && Msg.wParam >= ViewTimerId(tiOpen) && Msg.wParam <= ViewTimerId(tiScrollDown)) {
        DoTimer(popup->View(), static_cast<TTBViewTimerID>(Msg.wParam - ViewTimerId(tiOpen)));
        return true;
      }
      DispatchMessageW(&Msg);
      return true;
    case WM_MOUSEMOVE: HandleMouseMove(Msg); return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: HandleButtonDown(Msg); return true;
    case WM_RBUTTONDOWN:
      if (TrackRightButton) HandleButtonDown(Msg);
      return true;
    case WM_LBUTTONUP: return HandleButtonUp(Msg);
    case WM_RBUTTONUP: return TrackRightButton ? HandleButtonUp(Msg) : true;
    case WM_MOUSEWHEEL: HandleWheel(Msg); return true;
    case WM_QUIT:
      // The program is ending: the menu closes with no choice, and the quit goes on to the
      // application's own loop.
      QuitSeen = true;
      QuitCode = Msg.wParam;
      Root->EndModal();
      return false;
  }
  if (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST) return HandleKey(Msg);
  if (Msg.message >= WM_MOUSEFIRST && Msg.message <= WM_MOUSELAST) return true;  // other buttons
  DispatchMessageW(&Msg);
  return true;
}

bool TTBModalHandler::TRun::HandleKey(MSG& Msg) {
  if (Application) Application->CancelHint();
  switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(Msg.wParam);
      if (key == VK_PROCESSKEY) key = static_cast<WORD>(ImmGetVirtualKey(Msg.hwnd));
      if (ButtonDown() && key != VK_F1) return true;
      DeliverKey(key, KeyDataToShiftState(Msg.lParam));
      if (Root->IsModalEnding()) return false;
      // Only a key that no view used becomes a character (an accelerator's, or a beep).
      if (key != 0) TranslateMessage(&Msg);
      return true;
    }
    case WM_CHAR:
    case WM_SYSCHAR: return ButtonDown() || HandleChar(Msg);
  }
  return true;
}

bool TTBModalHandler::TRun::HandleChar(const MSG& Msg) {
  const auto ch = static_cast<wchar_t>(Msg.wParam);
  TTBView* view = DeepestView();
  bool isOnly = false;
  if (TTBItemViewer* match = view->NextSelectableWithAccel(view->Selected(), ch, false, isOnly)) {
    view->SetSelected(match);
    view->ScrollSelectedIntoView();
    if (isOnly) view->ExecuteSelected(true);
    return true;
  }
  HWND active = GetActiveWindow();
  if ((ch == L' ' || ch == L'-') && Root->IsToolbar() && view == Root && active) {
    Root->EndModalWithSystemMenu(active, Msg.wParam);
    return false;
  }
  seams::Sounds().Beep(0);
  return true;
}

void TTBModalHandler::TRun::HandleMouseMove(const MSG& Msg) {
  const POINT p = MouseMessagePoint(Msg);
  if (p.x != LastCursorPos.x || p.y != LastCursorPos.y) {
    LastCursorPos = p;
    UpdateCursor();
  }
  TTBView* view;
  TTBItemViewer* viewer;
  if (FindMouseTarget(view, viewer)) {
    const POINT v = viewer->ScreenToClient(p);
    viewer->MouseMove(v.x, v.y);
  }
}

void TTBModalHandler::TRun::HandleButtonDown(const MSG& Msg) {
  if (Application) Application->CancelHint();
  MouseDownOnMenu = false;
  Root->SetState(Root->State() & static_cast<TTBViewState>(~vsIgnoreFirstMouseUp));
  const POINT p = MouseMessagePoint(Msg);
  UpdateAllSelections(&p, true);
  TTBView* view;
  TTBItemViewer* viewer;
  if (!FindMouseTarget(view, viewer)) return;
  const POINT v = viewer->ScreenToClient(p);
  viewer->MouseDown(Msg.message == WM_LBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{}, v.x, v.y, MouseDownOnMenu);
  LastCursorPos = MessagePos();
}

bool TTBModalHandler::TRun::HandleButtonUp(const MSG& Msg) {
  const POINT p = MouseMessagePoint(Msg);
  UpdateAllSelections(&p, false);
  TTBView* view;
  TTBItemViewer* viewer;
  if (FindMouseTarget(view, viewer)) {
    const POINT v = viewer->ScreenToClient(p);
    viewer->MouseUp(v.x, v.y, MouseDownOnMenu);
    return true;
  }
  if (view && (view != Root || Root->IsPopup())) return true;
  // Released outside the menu: the release of the press that opened it is forgiven once.
  if (!(Root->State() & vsIgnoreFirstMouseUp)) return false;
  Root->SetState(Root->State() & static_cast<TTBViewState>(~vsIgnoreFirstMouseUp));
  return true;
}

void TTBModalHandler::TRun::HandleWheel(const MSG& Msg) {
  const POINT p = MouseMessagePoint(Msg);
  const int delta = GET_WHEEL_DELTA_WPARAM(Msg.wParam);
  TTBView* view;
  TTBItemViewer* viewer;
  bool handled = false;
  if (FindMouseTarget(view, viewer)) {
    const POINT v = viewer->ScreenToClient(p);
    viewer->MouseWheel(delta, v.x, v.y, handled);
  }
  if (handled || !view) return;
  const POINT client = view->Window() ? view->Window()->ScreenToClient(p) : p;
  view->MouseWheel(delta, client.x, client.y);
}

void TTBModalHandler::TRun::Finish() {
  TScopeGuard finalBlock([this] {
    Root->SetCaptureWnd(nullptr);
    if (Application) Application->SetHint(String());
    // Nothing typed while the menu was open reaches the application afterwards.
    RemoveMessages(WM_CHAR, WM_DEADCHAR);
    RemoveMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
    RemoveMessages(WM_HELP, WM_HELP);
    if (QuitSeen) PostQuitMessage(static_cast<int>(QuitCode));
  });
  Root->CancelCapture();
}

void TTBModalHandler::Loop(TTBView* RootView, bool AMouseDown, bool ATrackRightButton, bool AFromAccessibility,
                           bool AExecuteSelected) {
  TRun run{*this, RootView, ATrackRightButton};
  try {
    run.Start(AMouseDown, AFromAccessibility, AExecuteSelected);
    if (!RootView->IsModalEnding()) run.Pump();
  } catch (...) {
    run.Finish();
    throw;
  }
  run.Finish();
}

// --- a toolbar in menu mode -----------------------------------------------------------------

void TTBView::EnterToolbarLoop(TTBEnterToolbarLoopOptions Options) {
  if (state_ & vsModal) return;
  {
    TTBModalHandler handler(window_->Handle());
    state_ = static_cast<TTBViewState>((state_ & vsShowAccels) | vsModal);
    doneActionData_ = TTBDoneActionData{};
    if (selected_) NotifyFocusEvent();
    TScopeGuard leave([&] {
      state_ &= static_cast<TTBViewState>(~vsModal);
      StopAllTimers();
      CloseChildPopups();
      POINT cursor;
      GetCursorPos(&cursor);
      UpdateSelection(&cursor, true);
    });
    handler.Loop(this, (Options & tbetMouseDown) != 0, false, (Options & tbetFromMSAA) != 0,
                 (Options & tbetExecuteSelected) != 0);
  }
  SetAccelsVisibility(false);
  SetSelected(nullptr);
  const TTBDoneActionData done = doneActionData_;
  ProcessDoneAction(done, false);
}

