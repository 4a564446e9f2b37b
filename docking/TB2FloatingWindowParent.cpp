// The small frame a floating window lives in: its own border, caption and close button, hit
// codes that hand caption drags and frame sizing to the hosted window, and an activation that
// stays with the form.
#include "docking/TB2Dock.h"

#include "classlib/GdiHandles.h"
#include "docking/TB2DockPaint.h"
#include "docking/TB2FloatingList.h"
#include "items/TB2Common.h"

#include <windowsx.h>


namespace {

POINT CursorPos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

int SmallCaptionHeight() { return GetSystemMetrics(SM_CYSMCAPTION); }

}  // namespace

TTBFloatingWindowParent::TTBFloatingWindowParent(TComponent* AOwner) : TCustomForm(AOwner) {
  SetWindowClassName(L"QuillnoteFloatingWindow");
}

TTBFloatingWindowParent::~TTBFloatingWindowParent() = default;

void TTBFloatingWindowParent::BeforeDestruction() {
  // A hosted window that still lies here is not this frame's to free.
  if (dockableWindow_ && dockableWindow_->Parent() == this) {
    dockableWindow_->TWinControl::SetParent(nullptr);
    dockableWindow_->floating_ = false;
    TTBFloatingList::Remove(dockableWindow_);
  }
  if (dockableWindow_ && dockableWindow_->floatingParent_ == this) dockableWindow_->floatingParent_ = nullptr;
  TCustomForm::BeforeDestruction();
}

TCustomForm* TTBFloatingWindowParent::ActivationTarget() const {
  return parentForm_ && parentForm_->HandleAllocated() ? parentForm_ : nullptr;
}

void TTBFloatingWindowParent::CreateParams(TCreateParams& Params) {
  TCustomForm::CreateParams(Params);
  Params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
  Params.Style = WS_POPUP | WS_BORDER;
  if (dockableWindow_ && dockableWindow_->Resizable()) Params.Style |= WS_THICKFRAME;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  if (parentForm_ && parentForm_->HandleAllocated()) Params.WndParent = parentForm_->Handle();
}

void TTBFloatingWindowParent::VisibleChanged() {
  // Shown only as the hosted window says (CM_SHOWINGCHANGED), never activated.
  if (Visible()) HandleNeeded();
  if (HandleAllocated()) Perform(CM_SHOWINGCHANGED);
}

// ---------------------------------------------------------------------------------------------
// Geometry

RECT TTBFloatingWindowParent::FloatingCaptionRect(bool WindowCoords, bool WithoutCloseButton) {
  const int c = SmallCaptionHeight();
  RECT r{0, 0, ClientWidth(), c - 1};
  if (WithoutCloseButton) r.right -= r.bottom - r.top;
  if (WindowCoords && dockableWindow_) {
    POINT border;
    dockableWindow_->GetFloatingBorderSize(border);
    OffsetRect(&r, border.x, border.y);
  }
  return r;
}

RECT TTBFloatingWindowParent::FloatingCloseButtonRect(bool WindowCoords) {
  RECT r = FloatingCaptionRect(WindowCoords, false);
  r.left = r.right - SmallCaptionHeight() + 1;
  return r;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TTBFloatingWindowParent::RedrawNCArea(TTBToolWindowNCRedrawWhat RedrawWhat) {
  if (HandleAllocated() && IsWindowVisible(Handle())) DrawNCArea(false, nullptr, RedrawWhat, nullptr);
}

void TTBFloatingWindowParent::SetCloseButtonState(bool Pushed) {
  if (Pushed == closeButtonDown_) return;
  closeButtonDown_ = Pushed;
  RedrawNCArea(twrdCloseButton);
}

void TTBFloatingWindowParent::PaintNCProc(HWND, HDC DC, void* AppData) {
  static_cast<TTBFloatingWindowParent*>(AppData)->DrawNCArea(true, DC, twrdAll, nullptr);
}

void TTBFloatingWindowParent::DrawNCArea(bool DrawToDC, HDC ADC, TTBToolWindowNCRedrawWhat RedrawWhat, HRGN Clip) {
  if (!HandleAllocated() || !dockableWindow_) return;
  TTBCustomDockableWindow* hosted = dockableWindow_;
  const dockpaint::TNCPaintDC target(Handle(), DrawToDC, ADC, Clip);
  const HDC dc = target.Get();
  gdi::SavedDCState saved(dc);
  RECT window{0, 0, Width(), Height()};
  IntersectClipRect(dc, 0, 0, window.right, window.bottom);
  BOOL gradient = FALSE;
  SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
  POINT border;
  hosted->GetFloatingBorderSize(border);
  if (RedrawWhat & twrdBorder) {
    RECT r = window;
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    gdi::SavedDCState ring(dc);
    ExcludeClipRect(dc, border.x, border.y, window.right - border.x, window.bottom - border.y);
    InflateRect(&r, -2, -2);
    dockpaint::FillSolid(dc, r, dockpaint::SysColor(COLOR_BTNFACE));
  }
  if (!hosted->ShowCaption()) return;
  const bool closeButton = hosted->CloseButton();
  const bool inactive = hosted->CaptionInactive();
  if (RedrawWhat & twrdCaption) {
    gdi::SavedDCState caption(dc);
    if ((RedrawWhat & twrdCloseButton) && closeButton) {
      RECT button = FloatingCloseButtonRect(true);
      ExcludeClipRect(dc, button.left, button.top, button.right, button.bottom);
    }
    RECT text = FloatingCaptionRect(true, closeButton);
    UINT flags = DC_SMALLCAP | DC_TEXT;
    if (!inactive) flags |= DC_ACTIVE;
    if (gradient) flags |= DC_GRADIENT;
    DrawCaption(Handle(), dc, &text, flags);
    RECT full = FloatingCaptionRect(true, false);
    dockpaint::FillSolid(dc, RECT{full.left, full.bottom, full.right, full.bottom + 1}, dockpaint::SysColor(COLOR_BTNFACE));
  }
  if (!closeButton) return;
  RECT square = FloatingCloseButtonRect(true);
  RECT button{square.left, square.top + 2, square.right - 2, square.bottom - 2};
  if (RedrawWhat & twrdCaption) {
    gdi::SavedDCState rest(dc);
    ExcludeClipRect(dc, button.left, button.top, button.right, button.bottom);
    int index = inactive ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION;
    if (gradient) index = inactive ? COLOR_GRADIENTINACTIVECAPTION : COLOR_GRADIENTACTIVECAPTION;
    dockpaint::FillSolid(dc, square, dockpaint::SysColor(index));
  }
  if (RedrawWhat & twrdCloseButton)
    DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closeButtonDown_ ? DFCS_PUSHED : 0));
}

// ---------------------------------------------------------------------------------------------
// Messages

void TTBFloatingWindowParent::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_SHOWINGCHANGED: return CMShowingChanged(m);
    case CM_TEXTCHANGED: return CMTextChanged(m);
    case CM_DIALOGKEY: return CMDialogKey(m);
    case WM_ACTIVATE: return WMActivate(m);
    case WM_CLOSE: return WMClose(m);
    case WM_GETMINMAXINFO: return WMGetMinMaxInfo(m);
    case WM_MOUSEACTIVATE: return WMMouseActivate(m);
    case WM_MOVE: return WMMove(m);
    case WM_NCCALCSIZE: return WMNCCalcSize(m);
    case WM_NCHITTEST: return WMNCHitTest(m);
    case WM_NCLBUTTONDOWN: return WMNCLButtonDown(m);
    case WM_NCLBUTTONDBLCLK: return WMNCLButtonDblClk(m);
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_NCRBUTTONUP: return WMNCRButtonUp(m);
    case WM_PRINT: return WMPrint(m);
    case WM_PRINTCLIENT: return HandleWMPrintClient(TWndMethod(this, &TTBFloatingWindowParent::PrintClient), m);
    case WM_NCACTIVATE:
      // The frame draws its own caption: the system's would paint over it.
      m.Result = TRUE;
      return;
    case WM_ENABLE:
      TCustomForm::Dispatch(m);
      if (dockableWindow_ && dockableWindow_->FloatingMode() == fmOnTopOfAllForms) dockableWindow_->UpdateTopmostFlag();
      return;
  }
  TCustomForm::Dispatch(m);
}

void TTBFloatingWindowParent::PrintClient(TMessage& m) { TCustomForm::Dispatch(m); }

void TTBFloatingWindowParent::CMShowingChanged(TMessage&) {
  if (!HandleAllocated()) return;
  const bool show = Showing() && shouldShow_;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TTBFloatingWindowParent::CMDialogKey(TMessage& m) {
  // Esc in a floating window goes back to the form.
  if (m.WParam == VK_ESCAPE && KeyboardShiftState() == 0 && parentForm_ && parentForm_->CanFocus()) {
    parentForm_->SetFocus();
    m.Result = 1;
    return;
  }
  TCustomForm::Dispatch(m);
}

void TTBFloatingWindowParent::CMTextChanged(TMessage& m) {
  TCustomForm::Dispatch(m);
  RedrawNCArea(twrdCaption);
}

void TTBFloatingWindowParent::WMActivate(TMessage& m) {
  TCustomForm::Dispatch(m);
  TCustomForm* form = ActivationTarget();
  const bool active = LOWORD(m.WParam) != WA_INACTIVE;
  // The form's caption looks active exactly while the frame is.
  if (form) SendMessageW(form->Handle(), WM_NCACTIVATE, active, 0);
  if (!active) return;
  if (!IsWindowVisible(Handle())) {
    if (HWND next = FindThreadTopWindow(Handle())) SetActiveWindow(next);
    return;
  }
  if (form && reinterpret_cast<HWND>(m.LParam) != form->Handle()) SetActiveWindow(form->Handle());
}

void TTBFloatingWindowParent::WMClose(TMessage&) {
  // Closing the frame (Alt+F4) closes the form, not the floating window.
  if (parentForm_ && parentForm_->HandleAllocated()) SendMessageW(parentForm_->Handle(), WM_CLOSE, 0, 0);
}

void TTBFloatingWindowParent::WMGetMinMaxInfo(TMessage& m) {
  TCustomForm::Dispatch(m);
  auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
  info->ptMinTrackSize = {1, 1};
  info->ptMaxTrackSize = {32767, 32767};
}

void TTBFloatingWindowParent::WMMouseActivate(TMessage& m) {
  m.Result = MA_NOACTIVATE;
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TTBCustomDockableWindow* hosted = dockableWindow_;
  TCustomForm* form = ActivationTarget();
  if (hosted && hosted->FloatingMode() == fmOnTopOfParentForm && hosted->ActivateParent() && form &&
      GetActiveWindow() != Handle())
    SetActiveWindow(form->Handle());
}

void TTBFloatingWindowParent::WMMove(TMessage& m) {
  TCustomForm::Dispatch(m);
  TTBCustomDockableWindow* hosted = dockableWindow_;
  if (!hosted || hosted->Parent() != this) return;
  // The floating position is where the frame is, however it got there.
  hosted->floatingPosition_ = {Left(), Top()};
  hosted->Moved();
}

void TTBFloatingWindowParent::WMNCCalcSize(TMessage& m) {
  auto* r = reinterpret_cast<RECT*>(m.LParam);
  m.Result = 0;
  if (!dockableWindow_) return;
  POINT tl, br;
  dockableWindow_->GetFloatingNCArea(tl, br);
  r->left += tl.x;
  r->top += tl.y;
  r->right -= br.x;
  r->bottom -= br.y;
}

void TTBFloatingWindowParent::WMNCHitTest(TMessage& m) {
  TCustomForm::Dispatch(m);
  if (m.Result == HTCLIENT || !dockableWindow_) return;
  RECT window;
  GetWindowRect(Handle(), &window);
  const POINT p{GET_X_LPARAM(m.LParam) - window.left, GET_Y_LPARAM(m.LParam) - window.top};
  m.Result = HTNOWHERE;
  TTBCustomDockableWindow* hosted = dockableWindow_;
  if (hosted->ShowCaption()) {
    RECT caption = FloatingCaptionRect(true, false);
    RECT button = FloatingCloseButtonRect(true);
    if (PtInRect(&caption, p)) {
      m.Result = hosted->CloseButton() && PtInRect(&button, p) ? HT_TB2k_Close : HT_TB2k_Caption;
      return;
    }
  }
  if (hosted->Resizable()) m.Result = SizingHitTest(p, RECT{0, 0, window.right - window.left, window.bottom - window.top});
}

LRESULT TTBFloatingWindowParent::SizingHitTest(POINT P, const RECT& R) {
  POINT b;
  dockableWindow_->GetFloatingBorderSize(b);
  const int w = R.right, h = R.bottom;
  const bool left = P.x >= 0 && P.x < b.x, right = P.x >= w - b.x - 1 && P.x < w;
  const bool top = P.y >= 0 && P.y < b.y, bottom = P.y >= h - b.y - 1 && P.y < h;
  if (!(dockableWindow_->DockableWindowStyles() & tbdsResizeEightCorner)) {
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    return HTNOWHERE;
  }
  const int k = SmallCaptionHeight() + b.x - 1;
  if (left) return P.y < k ? HTTOPLEFT : P.y >= h - k ? HTBOTTOMLEFT : HTLEFT;
  if (right) return P.y < k ? HTTOPRIGHT : P.y >= h - k ? HTBOTTOMRIGHT : HTRIGHT;
  if (top) return P.x < k ? HTTOPLEFT : P.x >= w - k ? HTTOPRIGHT : HTTOP;
  if (bottom) return P.x < k ? HTBOTTOMLEFT : P.x >= w - k ? HTBOTTOMRIGHT : HTBOTTOM;
  return HTNOWHERE;
}

void TTBFloatingWindowParent::CloseButtonNotify(TObject*, bool Inside) { SetCloseButtonState(Inside); }

void TTBFloatingWindowParent::WMNCLButtonDown(TMessage& m) {
  TTBCustomDockableWindow* hosted = dockableWindow_;
  const LRESULT code = static_cast<LRESULT>(m.WParam);
  if (!hosted) {
    TCustomForm::Dispatch(m);
    return;
  }
  // The hosted window's loops and its handlers may free it, and this frame with it: the frame
  // then goes only once this handler has returned, and touches nothing of the window after.
  TFormLoopGuard frameGuard(this);
  if (code >= HTLEFT && code <= HTBOTTOMRIGHT) {
    if (hosted->Resizable()) hosted->BeginSizing(static_cast<TTBSizeHandle>(code - HTLEFT));
    return;
  }
  if (code == HT_TB2k_Caption) {
    const POINT p = hosted->ScreenToClient(CursorPos());
    hosted->BeginMoving(p.x, p.y);
    return;
  }
  if (code != HT_TB2k_Close) {
    TCustomForm::Dispatch(m);
    return;
  }
  RECT button = FloatingCloseButtonRect(true);
  RECT window;
  GetWindowRect(Handle(), &window);
  OffsetRect(&button, window.left, window.top);
  const TTBLifeToken::TWatch hostedWatch = hosted->Watch();
  const bool released =
      TrackNCButtonPress(Handle(), button, TTBTrackNotify(this, &TTBFloatingWindowParent::CloseButtonNotify), this,
                         [&] { return hostedWatch.Gone() || frameGuard.Gone(); });
  if (released && !hostedWatch.Gone()) hosted->Close();
}

void TTBFloatingWindowParent::WMNCLButtonDblClk(TMessage& m) {
  if (static_cast<LRESULT>(m.WParam) == HT_TB2k_Caption && dockableWindow_) dockableWindow_->DoubleClick();
}

void TTBFloatingWindowParent::WMNCPaint(TMessage& m) { DrawNCArea(false, nullptr, twrdAll, reinterpret_cast<HRGN>(m.WParam)); }

void TTBFloatingWindowParent::WMNCRButtonUp(TMessage&) {
  if (dockableWindow_) dockableWindow_->ShowNCContextMenu(CursorPos());
}

void TTBFloatingWindowParent::WMPrint(TMessage& m) { HandleWMPrint(Handle(), m, &PaintNCProc, this); }
