// The docked window's frame: border, drag handle with its grip lines and close button, hit
// codes and the mouse on them; and the window's messages.
#include "docking/TB2Dock.h"

#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "docking/TB2DockPaint.h"
#include "items/TB2Common.h"

#include <windowsx.h>


namespace {

// The close glyph, top row first, the high bit leftmost.
constexpr BYTE kCloseGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

POINT CursorPos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

bool IsIgnoredInTracking(UINT Msg) {
  switch (Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return true;
    default: return false;
  }
}

}  // namespace

bool TrackNCButtonPress(HWND Wnd, const RECT& ScreenRect, const TTBTrackNotify& Notify, TObject* Sender,
                        const std::function<bool()>& Gone) {
  // A loop on the form's behalf: a form closed meanwhile goes only once it has returned.
  TFormLoopGuard formGuard(dynamic_cast<TComponent*>(Sender));
  POINT p = CursorPos();
  Notify(Sender, PtInRect(&ScreenRect, p) != FALSE);
  SetCapture(Wnd);
  bool inside = false;
  auto ended = [&] { return Gone() || formGuard.Gone(); };
  while (!ended() && GetCapture() == Wnd) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_MOUSEMOVE) {
      Notify(Sender, PtInRect(&ScreenRect, msg.pt) != FALSE);
    } else if (msg.message == WM_LBUTTONUP) {
      inside = PtInRect(&ScreenRect, msg.pt) != FALSE;
      break;
    } else if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) {
      break;
    } else if (!IsIgnoredInTracking(msg.message)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (Gone()) return false;
  if (GetCapture() == Wnd) ReleaseCapture();
  Notify(Sender, false);
  return inside && !formGuard.Gone();
}

// ---------------------------------------------------------------------------------------------
// Non-client area

RECT TTBCustomDockableWindow::GetDockedCloseButtonRect(bool LeftRight) {
  const int s = DragHandleSize();
  if (LeftRight) {
    const int x = ClientWidth() - s + 5;
    return {x, 3, x + s - 3, 3 + s - 3};
  }
  return {3, 2, 3 + s - 3, 2 + s - 3};
}

void TTBCustomDockableWindow::WMNCCalcSize(TMessage& m) {
  auto* r = reinterpret_cast<RECT*>(m.LParam);
  m.Result = 0;
  if (!docked_ || !currentDock_) return;
  InflateRect(r, -2, -2);
  if (!currentDock_->AllowDrag()) return;
  if (currentDock_->Vertical()) r->top += DragHandleSize();
  else r->left += DragHandleSize();
}

void TTBCustomDockableWindow::RedrawNCArea() {
  if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 1, 0);
}

void TTBCustomDockableWindow::WMNCPaint(TMessage& m) { DrawNCArea(false, nullptr, reinterpret_cast<HRGN>(m.WParam)); }

void TTBCustomDockableWindow::PaintNCProc(HWND, HDC DC, void* AppData) {
  static_cast<TTBCustomDockableWindow*>(AppData)->DrawNCArea(true, DC, nullptr);
}

void TTBCustomDockableWindow::WMPrint(TMessage& m) { HandleWMPrint(Handle(), m, &PaintNCProc, this); }

void TTBCustomDockableWindow::PrintClient(TMessage& m) { TCustomControl::Dispatch(m); }

void TTBCustomDockableWindow::DrawNCArea(bool DrawToDC, HDC ADC, HRGN Clip) {
  if (!docked_ || !currentDock_ || !HandleAllocated()) return;
  const dockpaint::TNCPaintDC target(Handle(), DrawToDC, ADC, Clip);
  const HDC dc = target.Get();
  gdi::SavedDCState saved(dc);
  RECT r{0, 0, Width(), Height()};
  const COLORREF face = ColorToGdi(Color());
  gdi::BrushHandle brush(CreateSolidBrush(face));
  if (borderStyle_ == TBorderStyle::bsSingle) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  else FrameRect(dc, &r, brush.Get());
  InflateRect(&r, -1, -1);
  TTBDock* dock = currentDock_;
  const bool background = dock->UsingBackground() && dock->BackgroundOnToolbars();
  if (!background) {
    FrameRect(dc, &r, brush.Get());
  } else {
    // The frame area shows the dock's background, lined up with the form as the dock's is.
    gdi::SavedDCState inner(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    POINT tl, br;
    GetDockedNCArea(tl, br, dock->Vertical());
    if (!dock->AllowDrag()) tl = {2, 2};
    ExcludeClipRect(dc, tl.x, tl.y, Width() - br.x, Height() - br.y);
    const POINT origin = dockpaint::FormClientOrigin(Handle(), FormHandle(this));
    RECT draw{origin.x + tl.x, origin.y + tl.y, Width(), Height()};
    dock->DrawBackground(dc, draw);
  }
  if (!dock->AllowDrag()) return;
  const bool leftRight = dock->Vertical();
  const int s = DragHandleSize();
  const int length = (leftRight ? ClientWidth() : ClientHeight()) + 2;
  if (dragHandleStyle_ != dhNone) {
    const int lines = dragHandleStyle_ == dhDouble ? 2 : 1;
    const int inset = dragHandleStyle_ == dhSingle ? 1 : 0;
    int from = 2 + inset, to = length - inset;
    if (closeButtonWhenDocked_) {
      if (leftRight) to = length + 2 - s;
      else from = s;
    }
    const COLORREF light = dockpaint::SysColor(COLOR_BTNHIGHLIGHT);
    for (int i = 0; i < lines; ++i) {
      const int across = DragHandleOffset() + 2 + 3 * i;
      RECT grip = leftRight ? RECT{from, across, to, across + 3} : RECT{across, from, across + 3, to};
      DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
      // The far end's corner joins the light edges.
      if (leftRight) SetPixelV(dc, grip.right - 1, grip.top, light);
      else SetPixelV(dc, grip.left, grip.bottom - 1, light);
      ExcludeClipRect(dc, grip.left, grip.top, grip.right, grip.bottom);
    }
  }
  if (!background) {
    RECT handle = leftRight ? RECT{2, 2, length, s + 2} : RECT{2, 2, s + 2, length};
    FillRect(dc, &handle, brush.Get());
  }
  if (!closeButtonWhenDocked_) return;
  RECT button = GetDockedCloseButtonRect(leftRight);
  if (closeButtonDown_) DrawEdge(dc, &button, BDR_SUNKENOUTER, BF_RECT);
  else if (closeButtonHover_) DrawEdge(dc, &button, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&button, -2, -2);
  if (closeButtonDown_) OffsetRect(&button, 1, 1);
  dockpaint::DrawGlyph(dc, button, kCloseGlyph, dockpaint::SysColor(COLOR_BTNTEXT));
}

// ---------------------------------------------------------------------------------------------
// Hit codes and the mouse on the frame

void TTBCustomDockableWindow::WMNCHitTest(TMessage& m) {
  DefaultHandler(m);
  if (!docked_ || m.Result == HTCLIENT) return;
  RECT window;
  GetWindowRect(Handle(), &window);
  POINT p{GET_X_LPARAM(m.LParam) - window.left, GET_Y_LPARAM(m.LParam) - window.top};
  m.Result = HT_TB2k_Border;
  if (closeButtonWhenDocked_ && DockAllowsDrag()) {
    RECT button = GetDockedCloseButtonRect(currentDock_->Vertical());
    if (PtInRect(&button, p)) m.Result = HT_TB2k_Close;
  }
}

void TTBCustomDockableWindow::WMSetCursor(TMessage& m) {
  if (docked_ && LOWORD(m.LParam) == HT_TB2k_Border && DockAllowsDrag() && dragHandleStyle_ != dhNone) {
    RECT window;
    GetWindowRect(Handle(), &window);
    const POINT p = CursorPos();
    const int distance = currentDock_->Vertical() ? p.y - window.top : p.x - window.left;
    if (distance < DragHandleSize() + 2) {
      ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      m.Result = 1;
      return;
    }
  }
  TCustomControl::Dispatch(m);
}

void TTBCustomDockableWindow::CloseButtonNotify(TObject*, bool Inside) { SetCloseButtonState(Inside); }

void TTBCustomDockableWindow::SetCloseButtonState(bool Pushed) {
  if (Pushed == closeButtonDown_) return;
  closeButtonDown_ = Pushed;
  RedrawNCArea();
}

void TTBCustomDockableWindow::WMNCLButtonDown(TMessage& m) {
  if (!docked_ || (m.WParam != static_cast<WPARAM>(HT_TB2k_Border) && m.WParam != static_cast<WPARAM>(HT_TB2k_Close))) {
    TCustomControl::Dispatch(m);
    return;
  }
  if (m.WParam == static_cast<WPARAM>(HT_TB2k_Border)) {
    if (!IsMovable()) return;
    const POINT p = ScreenToClient(CursorPos());
    BeginMoving(p.x, p.y);
    return;
  }
  RECT button = GetDockedCloseButtonRect(currentDock_->Vertical());
  RECT window;
  GetWindowRect(Handle(), &window);
  OffsetRect(&button, window.left, window.top);
  const TTBLifeToken::TWatch watch = Watch();
  if (TrackNCButtonPress(Handle(), button, TTBTrackNotify(this, &TTBCustomDockableWindow::CloseButtonNotify), this,
                         [&watch] { return watch.Gone(); }))
    Close();
}

void TTBCustomDockableWindow::WMNCLButtonDblClk(TMessage& m) {
  if (docked_ && m.WParam == static_cast<WPARAM>(HT_TB2k_Border)) {
    if (IsMovable()) DoubleClick();
    return;
  }
  TCustomControl::Dispatch(m);
}

void TTBCustomDockableWindow::WMNCMouseMove(TMessage& m) {
  TCustomControl::Dispatch(m);
  if (!docked_) return;
  CallTrackMouseEvent(Handle(), TME_LEAVE | TME_NONCLIENT);
  const bool hover = m.WParam == static_cast<WPARAM>(HT_TB2k_Close);
  if (hover == closeButtonHover_) return;
  closeButtonHover_ = hover;
  RedrawNCArea();
}

void TTBCustomDockableWindow::CancelNCHover() {
  if (!closeButtonHover_) return;
  closeButtonHover_ = false;
  RedrawNCArea();
}

void TTBCustomDockableWindow::WMNCMouseLeave(TMessage& m) {
  if (!MouseCapture()) CancelNCHover();
  TCustomControl::Dispatch(m);
}

void TTBCustomDockableWindow::WMNCRButtonUp(TMessage&) {
  const POINT p = CursorPos();
  ShowNCContextMenu(p);
}

void TTBCustomDockableWindow::ShowNCContextMenu(POINT Pos) {
  SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(Pos.x, Pos.y));
}

void TTBCustomDockableWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TTBLifeToken::TWatch watch = Watch();
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (watch.Gone() || Button != TMouseButton::mbLeft || !IsMovable()) return;
  const RECT client = ClientRect();
  const POINT p{X, Y};
  bool exists = false;
  if (PtInRect(&client, p)) ControlExistsAtPos(p, exists);
  if (exists) return;
  if (Shift & ssDouble) {
    DoubleClick();
    return;
  }
  BeginMoving(X, Y);
  if (!watch.Gone()) MouseUp(TMouseButton::mbLeft, 0, -1, -1);
}

// ---------------------------------------------------------------------------------------------
// Other messages

void TTBCustomDockableWindow::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: return WMNCCalcSize(m);
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_PRINT: return WMPrint(m);
    case WM_PRINTCLIENT: return HandleWMPrintClient(TWndMethod(this, &TTBCustomDockableWindow::PrintClient), m);
    case WM_NCHITTEST: return WMNCHitTest(m);
    case WM_SETCURSOR: return WMSetCursor(m);
    case WM_NCLBUTTONDOWN: return WMNCLButtonDown(m);
    case WM_NCLBUTTONDBLCLK: return WMNCLButtonDblClk(m);
    case WM_NCMOUSEMOVE: return WMNCMouseMove(m);
    case WM_NCMOUSELEAVE: return WMNCMouseLeave(m);
    case WM_NCRBUTTONUP: return WMNCRButtonUp(m);
    case WM_MOUSEMOVE:
    case CM_MOUSELEAVE:
      CancelNCHover();
      break;
    case WM_MOVE: return WMMove(m);
    case WM_ERASEBKGND: return WMEraseBkgnd(m);
    case WM_ENABLE: return WMEnable(m);
    case CM_SHOWINGCHANGED: return CMShowingChanged(m);
    case CM_VISIBLECHANGED: return CMVisibleChanged(m);
    case CM_TEXTCHANGED: return CMTextChanged(m);
    case CM_COLORCHANGED: return CMColorChanged(m);
  }
  TCustomControl::Dispatch(m);
}

void TTBCustomDockableWindow::WMMove(TMessage& m) {
  TCustomControl::Dispatch(m);
  if (docked_ && currentDock_ && currentDock_->UsingBackground()) RepaintAfterMove();
  Moved();
}

void TTBCustomDockableWindow::RepaintAfterMove() {
  // The background lines up with the form: moved, the window shows another part of it.
  const HWND wnd = Handle();
  RECT client = ClientRect(), update{};
  const bool dirty = GetUpdateRect(wnd, &update, FALSE) != FALSE;
  if (dirty && EqualRect(&update, &client)) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return;
  }
  RedrawNCArea();
  const int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0) return;
  gdi::WindowDC windowDC(wnd);
  gdi::MemoryDC memory = gdi::NewMemoryDC(windowDC.Get());
  gdi::BitmapHandle bitmap(CreateCompatibleBitmap(windowDC.Get(), w, h));
  {
    gdi::SelectionGuard selected(memory.Get(), bitmap.Get());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory.Get()));
    BitBlt(windowDC.Get(), 0, 0, w, h, memory.Get(), 0, 0, SRCCOPY);
  }
  ValidateRect(wnd, nullptr);
}

void TTBCustomDockableWindow::WMEraseBkgnd(TMessage& m) {
  TTBDock* dock = docked_ ? currentDock_ : nullptr;
  if (!dock || !dock->UsingBackground() || !dock->BackgroundOnToolbars()) {
    TCustomControl::Dispatch(m);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  RECT client = ClientRect();
  gdi::SavedDCState saved(dc);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  const POINT origin = dockpaint::FormClientOrigin(Handle(), FormHandle(this));
  dock->DrawBackground(dc, RECT{origin.x, origin.y, client.right, client.bottom});
  m.Result = 1;
}

void TTBCustomDockableWindow::CMColorChanged(TMessage& m) {
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
  TCustomControl::Dispatch(m);
}

void TTBCustomDockableWindow::CMTextChanged(TMessage& m) {
  TCustomControl::Dispatch(m);
  if (floatingParent_ && floating_) floatingParent_->SetCaption(Caption());
}

void TTBCustomDockableWindow::CMVisibleChanged(TMessage& m) {
  if (docked_ && currentDock_) currentDock_->ToolbarVisibilityChanged(this, false);
  const TTBLifeToken::TWatch watch = Watch();
  TCustomControl::Dispatch(m);
  if (!watch.Gone()) OnVisibleChanged(this);
}
