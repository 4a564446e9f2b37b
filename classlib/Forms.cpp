#include "classlib/Forms.h"

#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"
#include "classlib/TextConv.h"
#include "classlib/TrayIcon.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

// ---------------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
  visible_ = false;
  width_ = 320;
  height_ = 240;
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
}

void TCustomForm::BeforeDestruction() {
  // OnDestroy runs while the form and its components are whole.
  try {
    OnDestroy(this);
  } catch (...) {
    HandleBoundaryException();
  }
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
  // The whole window goes at once, its controls' windows with it, before the components are
  // freed: freeing them one by one would destroy each control's window on its own, each time
  // invalidating a form about to go, and keep state for windows that will never come again.
  MarkDestroying();
  if (HandleAllocated() && !Parent()) DestroyWindowHandle();
  TCustomControl::BeforeDestruction();
}

void TCustomForm::DoCreate() { OnCreate(this); }

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  if (style == formStyle_) return;
  formStyle_ = style;
  ApplyStayOnTop();
}

void TCustomForm::SetAlphaBlend(bool v) {
  if (v == alphaBlend_) return;
  alphaBlend_ = v;
  ApplyAlpha();
}

void TCustomForm::SetAlphaBlendValue(BYTE v) {
  if (v == alphaBlendValue_) return;
  alphaBlendValue_ = v;
  ApplyAlpha();
}

void TCustomForm::ApplyAlpha() {
  if (!HandleAllocated()) return;
  LONG_PTR ex = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
  if (alphaBlend_) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(handle_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(handle_, 0, alphaBlendValue_, LWA_ALPHA);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongPtrW(handle_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(handle_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void TCustomForm::ApplyStayOnTop() {
  if (!HandleAllocated()) return;
  HWND after = formStyle_ == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST;
  SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND TCustomForm::TopOfBand() const {
  if (formStyle_ == TFormStyle::fsStayOnTop) return HWND_TOPMOST;
  // A window in the topmost band leaves it only for the top of the others.
  return (GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_NOTOPMOST : HWND_TOP;
}

void TCustomForm::ShowAtTopOfBand() {
  // A minimised or maximised window is shown in its normal state first, as showing it normally
  // does.
  if (IsIconic(handle_) || IsZoomed(handle_)) ShowWindow(handle_, SW_SHOWNORMAL);
  // Shown, activated and put at the top of its band in one positioning: each positioning of a
  // top-level window is a round trip to the system's server and its display.
  SetWindowPos(handle_, TopOfBand(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.ExStyle = 0;
  p.WndParent = Application ? Application->Handle() : nullptr;
  if (!enabled_) p.Style |= WS_DISABLED;
  bool icons = false;
  switch (borderStyle_) {
    case TFormBorderStyle::bsNone: p.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: p.Style |= WS_CAPTION | WS_BORDER; icons = true; break;
    case TFormBorderStyle::bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; icons = true; break;
    case TFormBorderStyle::bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION;
      p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case TFormBorderStyle::bsToolWindow:
      p.Style |= WS_CAPTION;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case TFormBorderStyle::bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (borderStyle_ != TFormBorderStyle::bsNone && (borderIcons_ & biSystemMenu)) p.Style |= WS_SYSMENU;
  if (icons && (borderIcons_ & biMinimize)) p.Style |= WS_MINIMIZEBOX;
  if (icons && (borderIcons_ & biMaximize)) p.Style |= WS_MAXIMIZEBOX;
  if (alphaBlend_) p.ExStyle |= WS_EX_LAYERED;
  if (formStyle_ == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (position_ == TPosition::poDefault) p.X = p.Y = CW_USEDEFAULT;
  p.WinClassName = windowClassName_;
}

void TCustomForm::InitializeWindow() {
  TCustomControl::InitializeWindow();
  ApplyAlpha();
}

void TCustomForm::ApplyPosition() {
  if (positioned_) return;
  positioned_ = true;
  if (position_ != TPosition::poScreenCenter && position_ != TPosition::poDesktopCenter) return;
  RECT area = Screen ? Screen->WorkAreaRect() : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SetBounds(area.left + (area.right - area.left - Width()) / 2,
            area.top + (area.bottom - area.top - Height()) / 2, Width(), Height());
}

void TCustomForm::VisibleChanged() {
  if (visible_) {
    ApplyPosition();
    DoShow();
    HandleNeeded();
    ShowAtTopOfBand();
  } else {
    if (handle_) ShowWindow(handle_, SW_HIDE);
    DoHide();
  }
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }

void TCustomForm::Show() {
  // A form that becomes visible is at the top of its band already; one that was visible is
  // brought there.
  const bool wasVisible = visible_;
  SetVisible(true);
  if (wasVisible) BringToFront();
  if (handle_) SetForegroundWindow(handle_);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::Close() { CloseForm(false); }

void TCustomForm::CloseAtOnce() { CloseForm(true); }

void TCustomForm::CloseForm(bool freeAtOnce) {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  {
    // The close handlers may run loops of their own (a box, pending messages).
    TFormLoopGuard closing(this);
    if (!CloseQuery()) return;
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) return;
    if (Application && Application->MainForm() == this) {
      Application->Terminate();
      return;
    }
    switch (action) {
      case TCloseAction::caHide: Hide(); return;
      case TCloseAction::caMinimize:
        if (handle_) ShowWindow(handle_, SW_MINIMIZE);
        return;
      default:
        // Freed meanwhile by a loop inside the handlers, it goes as that freeing said.
        if (!freeAtOnce || closing.Gone()) return Release();
        break;
    }
  }
  // Once the guard of the close itself has gone; a loop further up the stack that runs on the
  // form's behalf still puts the freeing off until it returns.
  Free();
}

void TCustomForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

bool TCustomForm::CloseModal(TCloseAction& action) {
  if (!CloseQuery()) {
    modalResult_ = mrNone;
    return false;
  }
  action = TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone) {
    modalResult_ = mrNone;
    return false;
  }
  return true;
}

namespace {

struct DisabledWindows {
  HWND except;
  std::vector<HWND> list;
};

BOOL CALLBACK DisableThreadWindow(HWND wnd, LPARAM data) {
  auto* d = reinterpret_cast<DisabledWindows*>(data);
  if (wnd != d->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
    // Listed first, so that every window disabled is enabled again; a failure to list one
    // stops the enumeration here instead of unwinding through the system.
    try {
      d->list.push_back(wnd);
    } catch (...) {
      HandleBoundaryException();
      return FALSE;
    }
    EnableWindow(wnd, FALSE);
  }
  return TRUE;
}

}  // namespace

TModalResult TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || modal_)
    throw EInvalidOperation(L"Cannot make a visible window modal");
  if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  TFormLoopGuard loop(this);
  HWND previousActive = GetActiveWindow();
  DisabledWindows disabled{Handle(), {}};
  // Only the visible windows are disabled: the tray icon's hidden window keeps working.
  EnumThreadWindows(GetCurrentThreadId(), DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled));
  modal_ = true;
  modalResult_ = mrNone;
  if (Application) ++Application->modalLevel_;
  TCloseAction action = TCloseAction::caHide;
  {
    TScopeGuard restore([&] {
      modal_ = false;
      if (Application) --Application->modalLevel_;
      for (HWND w : disabled.list)
        if (IsWindow(w)) EnableWindow(w, TRUE);
      if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
    });
    Show();
    if (!activeControl_) SetActiveControl(FindNextControl(nullptr, true, true, false));
    while (Application && !Application->Terminated()) {
      Application->HandleMessage();
      if (modalResult_ != mrNone && CloseModal(action)) break;
    }
    Hide();
  }
  TModalResult result = modalResult_;
  if (action == TCloseAction::caFree) Release();
  return result;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && HandleAllocated() && active_ && control->CanFocus()) {
    control->SetFocus();  // the focus change tells FocusControlChanged
    return;
  }
  activeControl_ = control;
}

void TCustomForm::FocusControlChanged(TWinControl* control) {
  if (control == static_cast<TWinControl*>(this) || control == activeControl_) return;
  // The focus passing through a control on its way out of dying windows changes nothing.
  if (control->Destroying()) return;
  TWinControl* previous = activeControl_;
  activeControl_ = control;
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  if (previous && !previous->Destroying()) previous->DoExit();
  if (activeControl_ == control) control->DoEnter();
}

void TCustomForm::ControlDestroyed(TControl* control) {
  // The active control goes with any control it lies on.
  for (const TControl* c = activeControl_; c; c = c->Parent())
    if (c == control) {
      activeControl_ = nullptr;
      return;
    }
}

void TCustomForm::Paint() { OnPaint(this); }

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_ACTIVATE: return WMActivate(m);
    case WM_ACTIVATEAPP:
      if (Application) Application->ActivateChanged(m.WParam != 0);
      break;
    case WM_CLOSE: return WMClose(m);
    case WM_SYSCOMMAND: return WMSysCommand(m);
    case WM_SYSCOLORCHANGE:
      // The controls hear of it as a notice of the library's own.
      Perform(CM_SYSCOLORCHANGE);
      break;
    case WM_GETMINMAXINFO: return WMGetMinMaxInfo(m);
    case CM_RELEASE: return CMRelease(m);
    case CM_DIALOGKEY: return CMDialogKey(m);
  }
  TCustomControl::Dispatch(m);
}

void TCustomForm::CMDialogKey(TMessage& m) {
  const auto key = static_cast<WORD>(m.WParam);
  const TShiftState shift = KeyboardShiftState();
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
    ShowFocusCues();
    SelectNext(activeControl_, !(shift & ssShift), true);
    m.Result = 1;
    return;
  }
  if (arrow && activeControl_ && activeControl_->Parent()) {
    ShowFocusCues();
    const bool forward = key == VK_RIGHT || key == VK_DOWN;
    if (TWinControl* next = activeControl_->Parent()->FindNextControl(activeControl_, forward, true, true))
      next->SetFocus();
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}

void TCustomForm::ShowFocusCues() {
  if (HandleAllocated()) SendMessageW(handle_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void TCustomForm::WMActivate(TMessage& m) {
  DefaultHandler(m);
  bool active = LOWORD(m.WParam) != WA_INACTIVE;
  active_ = active;
  if (Screen) Screen->FormActivated(this, active);
  if (active) {
    if (activeControl_ && activeControl_->CanFocus()) ::SetFocus(activeControl_->Handle());
    OnActivate(this);
  } else {
    OnDeactivate(this);
  }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMSysCommand(TMessage& m) {
  // The keyboard's menu command (Alt, Alt+letter, F10) is offered to the application first.
  if ((m.WParam & 0xFFF0) == SC_KEYMENU && Application &&
      SendMessageW(Application->Handle(), CM_APPSYSCOMMAND, m.WParam, m.LParam) != 0) {
    m.Result = 0;
    return;
  }
  DefaultHandler(m);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& m) {
  DefaultHandler(m);
  auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
  const TSizeConstraints& c = Constraints();
  if (c.MinWidth > 0) info->ptMinTrackSize.x = c.MinWidth;
  if (c.MinHeight > 0) info->ptMinTrackSize.y = c.MinHeight;
  if (c.MaxWidth > 0) info->ptMaxTrackSize.x = c.MaxWidth;
  if (c.MaxHeight > 0) info->ptMaxTrackSize.y = c.MaxHeight;
}

void TCustomForm::CMRelease(TMessage&) { Free(); }

bool TCustomForm::FreeDeferred() {
  if (loopGuards_ == 0) return false;
  // Gone for the user at once; the object stays whole until the loops have returned.
  releasing_ = true;
  freeAfterLoops_ = true;
  if (HandleAllocated()) ShowWindow(handle_, SW_HIDE);
  return true;
}

void TCustomForm::LoopLeft() {
  if (--loopGuards_ > 0 || !freeAfterLoops_) return;
  freeAfterLoops_ = false;
  // Freed from the message loop, once the code that ran the nested loop has returned.
  PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// TFormLoopGuard

namespace {

TCustomForm* FormOf(TComponent* component) {
  for (TComponent* c = component; c; c = c->Owner())
    if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
  return nullptr;
}

}  // namespace

TFormLoopGuard::TFormLoopGuard(TComponent* Component) : form_(FormOf(Component)) {
  if (form_) form_->LoopEntered();
}

TFormLoopGuard::~TFormLoopGuard() {
  if (form_) form_->LoopLeft();
}

bool TFormLoopGuard::Gone() const { return form_ && (form_->Releasing() || form_->Destroying()); }

// ---------------------------------------------------------------------------------------------
// TScreen

void TScreen::AddForm(TCustomForm* form) {
  if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it != forms_.end()) forms_.erase(it);
  if (activeForm_ == form) activeForm_ = nullptr;
}

void TScreen::FormActivated(TCustomForm* form, bool active) {
  if (!active) {
    if (activeForm_ == form) activeForm_ = nullptr;
    return;
  }
  activeForm_ = form;
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

// ---------------------------------------------------------------------------------------------
// TApplication

namespace {

std::vector<void (*)()>& InitProcs() {
  static std::vector<void (*)()> procs;
  return procs;
}

const wchar_t kApplicationClass[] = L"QuillnoteApplication";

}  // namespace

void TApplication::AddInitProc(void (*proc)()) { InitProcs().push_back(proc); }

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  title_ = L"";
  static const WNDPROC registered = [] {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    wc.lpszClassName = kApplicationClass;
    return RegisterBoundWindowClass(wc, DefWindowProcW);
  }();
  (void)registered;
  if (!CreateBoundWindow(*this, 0, kApplicationClass, title_.c_str(),
                         WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0,
                         0, nullptr))
    RaiseLastOSError();
  SetBoundaryHandler(&TApplication::BoundaryHandler);
}

void TApplication::WindowUnbound(HWND wnd) noexcept {
  if (handle_ == wnd) handle_ = nullptr;
}

TApplication::~TApplication() {
  SetBoundaryHandler(nullptr);
  if (handle_) DestroyWindow(handle_);
}

namespace {
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
}  // namespace

void TApplication::WndProc(TMessage& m) {
  // A copy: a hook may unhook itself or others.
  std::vector<TWindowHook> hooks = hooks_;
  for (const TWindowHook& hook : hooks)
    if (hook(m)) return;
  switch (m.Msg) {
    case WM_TIMER:
      if (m.WParam == kHintShowTimer) return HintTimerExpired();
      if (m.WParam == kHintHideTimer) return HideHint();
      break;
    case WM_ACTIVATEAPP: ActivateChanged(m.WParam != 0); break;
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return;
  }
  m.Result = DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
}

void TApplication::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  for (auto proc : InitProcs()) proc();
}

void TApplication::SetTitle(const String& title) {
  title_ = title;
  if (handle_) SetWindowTextW(handle_, title.c_str());
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (mainForm_ && showMainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
}

void TApplication::HookMainWindow(const TWindowHook& hook) {
  if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) hooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  auto it = std::find(hooks_.begin(), hooks_.end(), hook);
  if (it != hooks_.end()) hooks_.erase(it);
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data) {
  if (helpFile_.empty()) return false;
  return seams::Help().WinHelp(handle_, helpFile_, command, data);
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && !hooks_.empty() &&
      SendMessageW(handle_, CM_APPKEYDOWN, msg.wParam, msg.lParam) != 0)
    return true;
  try {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
    if (terminated_) break;
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) WaitMessage();
}

void TApplication::HandleException(TObject*) {
  ClassifyCurrentException(
      [this](const Exception* e, const char* foreign) { HandleExceptionObject(e, foreign); });
}

void TApplication::HandleExceptionObject(const Exception* e, const char* foreign) {
  // A thrown object that is not one of ours is shown with its text, or an empty message.
  Exception converted(e ? L"" : Utf8ToWide(foreign ? foreign : ""));
  const Exception& shown = e ? *e : converted;
  if (OnException) {
    OnException(this, shown);
    return;
  }
  ShowException(shown);
}

void TApplication::BoundaryHandler(const Exception* e, const char* foreign) noexcept {
  try {
    if (Application) Application->HandleExceptionObject(e, foreign);
  } catch (...) {
    // The handler itself failed: nothing more can be reported.
  }
}

void TApplication::ShowException(const Exception& E) {
  String text = E.Message();
  if (!text.empty() && text.back() > L'.') text += L'.';
  seams::MessageBoxes().Show(handle_, text, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::BringToFront() {
  if (TCustomForm* f = Screen ? Screen->ActiveForm() : nullptr) {
    SetForegroundWindow(f->Handle());
    return;
  }
  SetForegroundWindow(handle_);
}

void TApplication::ActivateChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active) OnActivate(this);
  else OnDeactivate(this);
}

void TApplication::SetShowHint(bool v) {
  showHint_ = v;
  if (!v) CancelHint();
}

void TApplication::HintMouseMove(TControl* control) {
  if (control && control == hintControl_) {
    POINT p;
    GetCursorPos(&p);
    if (!hintShowing_ || PtInRect(&hintCursorRect_, p)) return;
  }
  CancelHint();
  // Only a control whose hint applies is remembered, so a later move sees a changed ShowHint.
  if (!control || !showHint_ || !control->EffectiveShowHint()) return;
  hintControl_ = control;
  SetTimer(handle_, kHintShowTimer, hintPause_, nullptr);
}

void TApplication::HintTimerExpired() {
  KillTimer(handle_, kHintShowTimer);
  TControl* control = hintControl_;
  if (!control) return;
  POINT cursor;
  GetCursorPos(&cursor);
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(cursor);
  info.CursorRect = control->ClientRect();
  info.HintStr = GetShortHint(control->Hint());
  info.HideTimeout = static_cast<int>(hintHidePause_);
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty())
    return;
  POINT topLeft = control->ClientToScreen(POINT{info.CursorRect.left, info.CursorRect.top});
  POINT bottomRight = control->ClientToScreen(POINT{info.CursorRect.right, info.CursorRect.bottom});
  hintCursorRect_ = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  if (!hintWindow_) hintWindow_ = new THintWindow(this);
  hintWindow_->ActivateHint(POINT{cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4}, info.HintStr);
  hintShowing_ = true;
  if (info.HideTimeout > 0) SetTimer(handle_, kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void TApplication::HideHint() {
  KillTimer(handle_, kHintHideTimer);
  if (hintShowing_ && hintWindow_) hintWindow_->ReleaseHandle();
  hintShowing_ = false;
}

void TApplication::CancelHint() {
  KillTimer(handle_, kHintShowTimer);
  HideHint();
  hintControl_ = nullptr;
}

void TApplication::ControlDestroyed(TControl* control) {
  if (control == hintControl_) CancelHint();
  if (control == hintWindow_) {
    hintWindow_ = nullptr;
    hintShowing_ = false;
  }
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetColor(clInfoBk);
  Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WindowClassStyle |= CS_SAVEBITS;
  p.WinClassName = L"QuillnoteHint";
}

void THintWindow::ActivateHint(POINT at, const String& text) {
  SetCaption(text);
  RECT r{0, 0, 300, 0};
  {
    gdi::WindowDC screen;
    gdi::SelectionGuard font(screen.Get(), Font().Handle());
    DrawTextW(screen.Get(), text.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  int width = r.right + 8, height = r.bottom + 4;
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (at.x + width > screen.right) at.x = screen.right - width;
  if (at.y + height > screen.bottom) at.y = at.y - height - GetSystemMetrics(SM_CYCURSOR);
  SetBounds(at.x, at.y, width, height);
  SetWindowPos(Handle(), HWND_TOPMOST, at.x, at.y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(r);
  Canvas().Font().Assign(Font());
  Canvas().Brush().SetStyle(bsClear);
  InflateRect(&r, -3, -1);
  String text = Caption();
  Canvas().DrawText(text, r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ---------------------------------------------------------------------------------------------

void InitializeClassLibrary() {
  if (!Application) Application = new TApplication(nullptr);
  if (!Screen) Screen = new TScreen(nullptr);
  // The tray icon's menu needs the program in the foreground to close when the user clicks away.
  TTrayIcon::ForegroundWindowProvider = [] { return Application ? Application->Handle() : HWND(nullptr); };
}

void FinalizeClassLibrary() {
  // Forms are owned by the application: they go first, while the screen still lists them.
  if (Application) {
    TApplication* app = Application;
    app->Free();
    Application = nullptr;
  }
  if (Screen) {
    TScreen* screen = Screen;
    Screen = nullptr;
    screen->Free();
  }
}
