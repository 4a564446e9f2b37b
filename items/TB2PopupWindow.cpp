// The popup window and its view: a top-level, topmost tool window that shows one level of a
// menu, framed in its non-client area, with scroll arrows in a long menu, and shown with the
// opening animation when the system animates menus.
#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "classlib/Seams.h"
#include "items/TB2Acc.h"
#include "items/TB2View.h"

namespace {

constexpr DWORD kShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;

// Frames R with a one-pixel line of Color and moves R one pixel in.
void FrameAndShrink(HDC DC, RECT& R, COLORREF Color) {
  gdi::BrushHandle brush(CreateSolidBrush(Color));
  FrameRect(DC, &R, brush.Get());
  InflateRect(&R, -1, -1);
}

}  // namespace

// --- the popup view -------------------------------------------------------------------------

void TTBPopupView::AutoSize(int AWidth, int AHeight) {
  auto* window = dynamic_cast<TTBPopupWindow*>(Window());
  if (!window) return;
  const POINT frame = window->GetNCSize();
  window->SetBounds(window->Left(), window->Top(), AWidth + 2 * frame.x, AHeight + 2 * frame.y);
}

TFont& TTBPopupView::GetFont() { return Window()->Font(); }

// --- the popup window -----------------------------------------------------------------------

TTBPopupWindow::TTBPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing)
    : TTBPopupWindow(AOwner, AParentView, AItem, ACustomizing, CreateViewOf<TTBPopupView>) {}

TTBPopupWindow::TTBPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing,
                               TTBViewClass AViewClass)
    : TCustomControl(AOwner), viewClass_(AViewClass) {
  SetVisible(false);
  SetBounds(0, 0, 240, 320);
  SetShowHint(true);
  SetColor(clMenu);
  SetParentWindow(Application && Application->Handle() ? Application->Handle() : GetDesktopWindow());
  view_ = viewClass_(this, AParentView, AItem, this, false, ACustomizing, false);
  view_->SetState(view_->State() | vsModal);
  Font().Assign(AParentView ? AParentView->GetFont() : ToolbarFont());
  if (AParentView) {
    view_->SetStyle((view_->Style() & ~vsUseHiddenAccels) | (AParentView->Style() & vsUseHiddenAccels));
    view_->SetState((view_->State() & ~vsShowAccels) | (AParentView->State() & vsShowAccels));
  } else {
    view_->SetStyle(view_->Style() | vsUseHiddenAccels);
  }
}

TTBPopupWindow::~TTBPopupWindow() {
  // Reached without Free: the window still goes before its view.
  if (HandleAllocated()) DestroyHandle();
}

void TTBPopupWindow::BeforeDestruction() {
  // The child popups, then this window, each while its view still exists; the view goes with
  // the components this window owns.
  view_->CloseChildPopups();
  if (HandleAllocated()) DestroyHandle();
  TCustomControl::BeforeDestruction();
}

POINT TTBPopupWindow::GetNCSize() { return {3, 3}; }

void TTBPopupWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_GROUP | WS_TABSTOP)) | WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClassStyle |= CS_SAVEBITS;
  if (IsWindowsXP()) Params.WindowClassStyle |= CS_DROPSHADOW;
  Params.WinClassName = L"Quillnote.TBPopupWindow";
}

void TTBPopupWindow::CreateWnd() {
  TCustomControl::CreateWnd();
  if (view_->ParentView() || accelsInitialized_) return;
  // A root menu takes the keyboard cues of the system's state once.
  accelsInitialized_ = true;
  SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
  const LRESULT state = SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0);
  view_->SetAccelsVisibility(!(state & UISF_HIDEACCEL));
}

void TTBPopupWindow::DestroyWnd() {
  HWND wnd = Handle();
  TBEndAnimation(wnd);
  view_->StopAllTimers();
  CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, wnd, OBJID_CLIENT, 0);
  TCustomControl::DestroyWnd();
}

void TTBPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: return;  // a menu closes through its view, never on request
    case WM_ERASEBKGND:
    case WM_PAINT: TBEndAnimation(Handle()); break;  // any repaint shows the final image at once
    case WM_GETOBJECT:
      if (view_->HandleWMGetObject(Message)) return;
      break;
    case WM_NCCALCSIZE: return WMNCCalcSize(Message);
    case WM_NCPAINT: return WMNCPaint(Message);
    case WM_PRINT: return WMPrint(Message);
    case WM_PRINTCLIENT: return HandleWMPrintClient(TWndMethod(static_cast<TWinControl*>(this), &TWinControl::WndProc), Message);
    case CM_HINTSHOW: return CMHintShow(Message);
    case CM_SHOWINGCHANGED: return ShowingChanged(Visible());
    case WM_TB_STEPANIMATION: return TBStepAnimation(Message);
    case WM_TB_ANIMATIONENDED: SendNotifyMessageW(Handle(), WM_TBX_POPUP_ANIMATION, 2, 0); return;
  }
  TCustomControl::Dispatch(Message);
}

void TTBPopupWindow::ShowingChanged(bool Showing) {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  TTBView* parent = view_->ParentView();
  const bool animate = (!parent || !(parent->State() & vsNoAnimation)) && Showing && !view_->Selected() &&
                       !IsWindowVisible(wnd) && seams::SystemSettings().MenuAnimation();
  if (animate) {
    const bool fade = seams::SystemSettings().MenuFade();
    if ((fade || animationDirection_ != 0) && SendMessageW(wnd, WM_TBX_POPUP_ANIMATION, 1, 0) == 0) {
      TBStartAnimation(wnd, fade, animationDirection_);
      return;
    }
  }
  ShowWithoutAnimation(Showing);
}

void TTBPopupWindow::ShowWithoutAnimation(bool Showing) {
  HWND wnd = Handle();
  if (!Showing) TBEndAnimation(wnd);
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0, kShowFlags | (Showing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  if (Showing) SendNotifyMessageW(wnd, WM_TBX_POPUP_ANIMATION, 3, 0);
}

void TTBPopupWindow::Paint() {
  view_->DrawSubitems(Canvas());
  PaintScrollArrows();
}

void TTBPopupWindow::PaintScrollArrows() {
  const int width = ClientWidth(), height = ClientHeight();
  auto arrow = [&](const RECT& Band, bool Up) {
    const int x = (Band.left + Band.right) / 2;
    const int y = (Band.top + Band.bottom) / 2 - 1;
    TCanvas& canvas = Canvas();
    canvas.Pen().SetColor(clMenuText);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clMenuText);
    if (Up)
      canvas.Polygon({{x - 3, y + 3}, {x + 3, y + 3}, {x, y}});
    else
      canvas.Polygon({{x - 3, y}, {x + 3, y}, {x, y + 3}});
  };
  if (view_->ShowUpArrow()) arrow(RECT{0, 0, width, kScrollArrowBand}, true);
  if (view_->ShowDownArrow()) arrow(RECT{0, height - kScrollArrowBand, width, height}, false);
}

// --- the frame ------------------------------------------------------------------------------

void TTBPopupWindow::WMNCCalcSize(TMessage& Message) {
  RECT* proposed = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                  : reinterpret_cast<RECT*>(Message.LParam);
  const POINT frame = GetNCSize();
  InflateRect(proposed, -frame.x, -frame.y);
  DefaultHandler(Message);
}

void TTBPopupWindow::WMNCPaint(TMessage& Message) {
  HWND wnd = Handle();
  gdi::WindowDC dc(wnd, true);
  if (!dc) return;
  SelectNCUpdateRgn(wnd, dc.Get(), reinterpret_cast<HRGN>(Message.WParam));
  PaintNCFrame(dc.Get());
}

void TTBPopupWindow::WMPrint(TMessage& Message) { HandleWMPrint(Handle(), Message, &NCPaintProc, this); }

void TTBPopupWindow::NCPaintProc(HWND, HDC DC, void* AppData) { static_cast<TTBPopupWindow*>(AppData)->PaintNCFrame(DC); }

void TTBPopupWindow::PaintNCFrame(HDC DC) {
  RECT r;
  GetWindowRect(Handle(), &r);
  OffsetRect(&r, -r.left, -r.top);
  if (AreFlatMenusEnabled()) {
    FrameAndShrink(DC, r, ColorToGdi(clBtnShadow));
    const COLORREF own = ColorToGdi(Color());
    FrameAndShrink(DC, r, own);
    FrameAndShrink(DC, r, own);
  } else {
    DrawEdge(DC, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameAndShrink(DC, r, ColorToGdi(clBtnFace));
  }
}

// --- hints ----------------------------------------------------------------------------------

void TTBPopupWindow::CMHintShow(TMessage& Message) {
  auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
  info.HintStr.clear();
  TTBItemViewer* selected = view_->Selected();
  if (!selected) {
    Message.Result = 1;  // nothing selected, no hint
    return;
  }
  info.CursorRect = selected->BoundsRect;
  info.HintStr = selected->GetHintText();
}
