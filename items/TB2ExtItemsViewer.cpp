// The edit item's viewer: its size and painting, the I-beam over its box, and the edit itself, a
// temporary edit control over the item with a message loop of its own that runs inside the menu
// loop. Handlers run inside that loop (accepting the text, beginning the edit) and everything else
// of the thread is dispatched there, so the viewer, its view or its item may be freed meanwhile:
// the viewer's destructor then frees the edit control and marks the running edit, which ends at
// once and touches nothing of them.
#include "items/TB2ExtItems.h"

#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2View.h"

#include <oleacc.h>

#include <cwchar>
#include <utility>

namespace {

// The pointer's own cursor of the loop's window, which keeps the capture.
void SetArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

bool IsButtonPress(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
      return true;
  }
  return false;
}

// The keypad's digit keys, under their names with NumLock on and off: some systems (this Wine)
// answer the scan code of a key under its NumLock-off name only.
constexpr UINT kKeypadDigitKeys[] = {VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5,
                                     VK_NUMPAD6, VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_INSERT, VK_END,
                                     VK_DOWN,    VK_NEXT,    VK_LEFT,    VK_CLEAR,   VK_RIGHT,  VK_HOME,
                                     VK_UP,      VK_PRIOR};

// System keys that belong to typing: Alt and Shift themselves, the Kanji/Hanja key, and the
// keypad's digits (known by their scan codes), with which Alt enters a character by its code.
bool IsTypingSystemKey(const MSG& Msg) {
  constexpr WPARAM kKanjiKey = 25;
  constexpr LPARAM kExtendedKey = 1 << 24;  // the grey keys that share the keypad's scan codes
  if (Msg.wParam == VK_MENU || Msg.wParam == VK_SHIFT || Msg.wParam == kKanjiKey) return true;
  const UINT scanCode = (static_cast<UINT>(Msg.lParam) >> 16) & 0xFF;
  if (scanCode == 0 || (Msg.lParam & kExtendedKey)) return false;
  for (UINT key : kKeypadDigitKeys)
    if (MapVirtualKeyW(key, 0) == scanCode) return true;
  return false;
}

constexpr UINT kLastMouseMessage = 0x020A;  // the wheel

}  // namespace

// One edit on a viewer: where it stands, what became of the viewer, and a quit met meanwhile.
struct TTBEditItemViewer::TEditRun {
  bool ViewerGone = false;
  bool QuitSeen = false;
  WPARAM QuitCode = 0;
  // The windows that had the activation and the focus when the edit began, and the one told to
  // keep its frame active while the edit had the focus.
  HWND ActiveWnd = nullptr;
  HWND FocusWnd = nullptr;
  HWND FrameKeptActive = nullptr;

  // Gives the focus, the capture and the frame states back; only windows are touched here.
  void ReturnFocus(HWND CaptureWnd) const {
    if (ActiveWnd) {
      // The focus made the popup active: the menu loop ends unless the activation goes back.
      SetFocus(FocusWnd ? FocusWnd : ActiveWnd);
      if (!GetCapture()) SetCapture(CaptureWnd);
    }
    if (FrameKeptActive)
      SendMessageW(FrameKeptActive, WM_NCACTIVATE, GetActiveWindow() == FrameKeptActive ? TRUE : FALSE, 0);
  }
};

// --- life -------------------------------------------------------------------------------------

TTBEditItemViewer::~TTBEditItemViewer() {
  if (run_) run_->ViewerGone = true;
  FreeEditControl();
}

TTBEditItem* TTBEditItemViewer::EditItem() const { return static_cast<TTBEditItem*>(Item()); }

void TTBEditItemViewer::FreeEditControl() {
  TEdit* edit = std::exchange(editControl_, nullptr);
  if (!edit) return;
  // Destroying the focused edit sends it WM_KILLFOCUS, which must not end the menu from here.
  edit->WindowProc = TWndMethod(static_cast<TControl*>(edit), &TControl::WndProc);
  edit->Free();
}

TEditControlClass TTBEditItemViewer::GetEditControlClass() {
  return [](TComponent* AOwner) { return new TEdit(AOwner); };
}

// --- queries ------------------------------------------------------------------------------------

bool TTBEditItemViewer::CaptionShown() { return !IsToolbarStyle() && TTBItemViewer::CaptionShown(); }

String TTBEditItemViewer::GetCaptionText() { return EditItem()->EditCaption(); }

int TTBEditItemViewer::GetAccRole() { return ROLE_SYSTEM_TEXT; }

bool TTBEditItemViewer::GetAccValue(String& Value) {
  Value = EditItem()->Text();
  return true;
}

int TTBEditItemViewer::CaptionWidth(HDC DC) { return GetTextWidth(DC, EditItem()->EditCaption(), true); }

void TTBEditItemViewer::GetEditRect(RECT& R) {
  R = BoundsRect;
  if (View()->IsToolbar() || EditItem()->EditCaption().empty()) return;
  // The caption is measured in the view's font on the screen.
  gdi::WindowDC screen(nullptr);
  gdi::SelectionGuard font(screen.Get(), View()->GetFont().Handle());
  R.left += CaptionWidth(screen.Get()) + 10;
}

void TTBEditItemViewer::GetCursor(const POINT& Pt, HCURSOR& ACursor) {
  if (!Item()->Enabled()) return;
  RECT box;
  GetEditRect(box);
  OffsetRect(&box, -BoundsRect.left, -BoundsRect.top);
  InflateRect(&box, -2, -2);
  if (PtInRect(&box, Pt)) ACursor = LoadCursorW(nullptr, IDC_IBEAM);
}

// --- measuring and painting ----------------------------------------------------------------------

void TTBEditItemViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  TCanvasLock lock(Canvas);
  HDC dc = Canvas.Handle();
  const int textHeight = GetTextHeight(dc);
  const bool toolbarStyle = IsToolbarStyle();
  AWidth = EditItem()->EditWidth();
  if (!toolbarStyle && !EditItem()->EditCaption().empty()) AWidth += CaptionWidth(dc) + 10;
  AHeight = textHeight;
  if (!toolbarStyle) AHeight += DivRoundUp(textHeight, 4);
  AHeight = Max(AHeight, textHeight + 7);
}

void TTBEditItemViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool,
                              bool UseDisabledShadow) {
  TCanvasLock lock(Canvas);
  HDC dc = Canvas.Handle();
  TTBEditItem* item = EditItem();
  const bool enabled = item->Enabled();
  RECT R = ClientAreaRect;
  if (!IsToolbarStyle() && !item->EditCaption().empty()) {
    const int width = CaptionWidth(dc) + 6;
    R.right = R.left + width;
    if (IsSelected) Canvas.FillRect(R);
    R.left += 3;
    DrawItemCaption(Canvas, R, item->EditCaption(), UseDisabledShadow, DT_SINGLELINE | DT_VCENTER);
    R = ClientAreaRect;
    R.left += width + 4;
  }
  if (IsSelected && enabled) DrawEdge(dc, &R, BDR_SUNKENOUTER, BF_RECT);
  InflateRect(&R, -1, -1);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(enabled ? clBtnFace : clWindow);
  Canvas.FrameRect(R);
  InflateRect(&R, -1, -1);
  Canvas.Brush().SetColor(enabled ? clWindow : clBtnFace);
  Canvas.FillRect(R);
  InflateRect(&R, -1, -1);
  if (item->Text().empty()) return;
  Canvas.Brush().SetStyle(bsClear);
  Canvas.Font().SetColor(enabled ? clWindowText : clGrayText);
  String text = item->Text();
  Canvas.DrawText(text, R, DT_SINGLELINE | DT_NOPREFIX);
}

// --- starting an edit ------------------------------------------------------------------------------

void TTBEditItemViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  if (IsPtInButtonPart(X, Y))
    MouseBeginEdit();
  else
    TTBItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
}

void TTBEditItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  if (IsPtInButtonPart(X, Y))
    MouseBeginEdit();
  else
    TTBItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
}

void TTBEditItemViewer::MouseBeginEdit() {
  if (Item()->Enabled())
    Execute(true);
  else if (!View()->ParentView() && !View()->IsPopup())
    View()->EndModal();
}

bool TTBEditItemViewer::DoExecute() {
  View()->CancelChildPopups();
  switch (RunEdit(View()->GetCaptureWnd())) {
    case TEditEnd::ViewerGone: return false;
    case TEditEnd::Stay: return false;
    case TEditEnd::Close: break;
  }
  View()->EndModal();
  return (editStatus_ & ecsAccept) != 0;
}

bool TTBEditItemViewer::EditLoop(HWND CaptureWnd) { return RunEdit(CaptureWnd) == TEditEnd::Close; }

// --- the edit --------------------------------------------------------------------------------------

TTBEditItemViewer::TEditEnd TTBEditItemViewer::RunEdit(HWND CaptureWnd) {
  RECT R;
  GetEditRect(R);
  // Nothing to edit on: no room, no window to put the edit on, or an edit already running.
  TWinControl* window = View()->Window();
  if (IsRectEmpty(&R) || !window || !window->HandleAllocated() || run_) return TEditEnd::Stay;
  TEditRun run;
  // A quit met while editing goes on to the loops outside, whatever became of this viewer.
  TScopeGuard passQuitOn([&run] {
    if (run.QuitSeen) PostQuitMessage(static_cast<int>(run.QuitCode));
  });
  run_ = &run;
  TScopeGuard forgetRun([&] {
    if (!run.ViewerGone) run_ = nullptr;
  });
  run.ActiveWnd = GetActiveWindow();
  run.FocusWnd = GetFocus();
  InflateRect(&R, -3, -3);
  String text;
  try {
    BeginEdit(run, R);
    if (!run.ViewerGone) {
      editStatus_ = ecsContinueLoop;
      PumpEdit(run, CaptureWnd);
    }
  } catch (...) {
    if (!run.ViewerGone) FreeEditControl();
    run.ReturnFocus(CaptureWnd);
    throw;
  }
  if (run.ViewerGone) {
    run.ReturnFocus(CaptureWnd);
    return TEditEnd::ViewerGone;
  }
  if (editControl_) text = editControl_->Text();
  FreeEditControl();
  return FinishEdit(run, CaptureWnd, text);
}

void TTBEditItemViewer::BeginEdit(TEditRun& Run, const RECT& R) {
  TTBEditItem* item = EditItem();
  TEdit* edit = GetEditControlClass()(nullptr);
  editControl_ = edit;
  wchar_t name[64];
  swprintf(name, 64, L"TTBEditItemViewer_edit_control_%p", static_cast<void*>(edit));
  edit->SetName(name);
  edit->SetVisible(false);
  edit->SetBorderStyle(TBorderStyle::bsNone);
  edit->Font().Assign(View()->GetFont());
  edit->SetText(item->Text());
  edit->SetCharCase(item->CharCase());
  edit->SetMaxLength(item->MaxLength());
  edit->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
  edit->WindowProc = TWndMethod(this, &TTBEditItemViewer::EditWndProc);
  edit->SetParentWindow(View()->Window()->Handle());
  // The selection lives in the window: made now, so that the whole text is selected also when a
  // held mouse button keeps the edit from selecting it as it gains the focus.
  edit->HandleNeeded();
  edit->SelectAll();
  item->DoBeginEdit(this);
  if (Run.ViewerGone || !editControl_) return;
  editControl_->SetVisible(true);
  editControl_->SetFocus();
  if (Run.ViewerGone) return;
  // Focusing the edit activated the popup; the window that was active keeps its frame's look.
  if (Run.ActiveWnd && GetActiveWindow() != Run.ActiveWnd) {
    Run.FrameKeptActive = Run.ActiveWnd;
    SendMessageW(Run.ActiveWnd, WM_NCACTIVATE, TRUE, 0);
  }
}

bool TTBEditItemViewer::KeepsEditing() {
  return (editStatus_ & ecsContinueLoop) && editControl_ && editControl_->HandleAllocated() &&
         GetFocus() == editControl_->Handle() && !View()->IsModalEnding() && Item()->Enabled();
}

void TTBEditItemViewer::PumpEdit(TEditRun& Run, HWND CaptureWnd) {
  // Nothing typed meanwhile reaches the menu or the application afterwards.
  TScopeGuard dropTyped([] {
    RemoveMessages(WM_CHAR, WM_DEADCHAR);
    RemoveMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
  });
  while (!Run.ViewerGone && KeepsEditing()) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      // The program is ending: the edit ends as cancelled and the quit goes on afterwards.
      PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
      Run.QuitSeen = true;
      Run.QuitCode = msg.wParam;
      editStatus_ = 0;
      return;
    }
    if (!MessageKeepsEditing(msg, CaptureWnd)) return;
    if (!PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE | PM_NOYIELD)) continue;
    // The loop's window holds the capture for the menu: its mouse input is not the edit's.
    if (msg.message >= WM_MOUSEFIRST && msg.message <= kLastMouseMessage && msg.hwnd == CaptureWnd) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool TTBEditItemViewer::MessageKeepsEditing(const MSG& Msg, HWND CaptureWnd) {
  HWND editWnd = editControl_->Handle();
  switch (Msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      // Over the edit the mouse is the edit's; elsewhere the menu keeps it.
      HWND under = WindowFromPoint(Msg.pt);
      const bool overEdit = under && (under == editWnd || IsChild(editWnd, under));
      if (GetCapture() == CaptureWnd && overEdit)
        ReleaseCapture();
      else if (!GetCapture() && !overEdit)
        SetCapture(CaptureWnd);
      if (GetCapture() == CaptureWnd) SetArrowCursor();
      return true;
    }
    case WM_SYSKEYDOWN:
      if (IsTypingSystemKey(Msg)) return true;
      editStatus_ = ecsClose;
      return false;
    case WM_SYSKEYUP:
      if (Msg.wParam != VK_MENU) return true;
      editStatus_ = ecsClose;
      return false;
  }
  // A press anywhere else ends the edit; it stays queued for the menu loop.
  return !IsButtonPress(Msg.message) || Msg.hwnd == editWnd;
}

TTBEditItemViewer::TEditEnd TTBEditItemViewer::FinishEdit(TEditRun& Run, HWND CaptureWnd, String& Text) {
  TTBEditItem* item = EditItem();
  if (editStatus_ == ecsContinueLoop && item->ExtendedAccept()) {
    if (item->DoAcceptText(Text) && !Run.ViewerGone) item->SetTextEx(Text, tcrEditControl);
    if (Run.ViewerGone) {
      Run.ReturnFocus(CaptureWnd);
      return TEditEnd::ViewerGone;
    }
  }
  View()->Window()->Update();
  Run.ReturnFocus(CaptureWnd);
  if (Run.ViewerGone) return TEditEnd::ViewerGone;
  TTBView* view = View();
  if (auto* popup = dynamic_cast<TTBPopupWindow*>(view->Window()); popup && popup->HandleAllocated())
    SetWindowPos(popup->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  view->NotifyFocusEvent();
  if (editStatus_ & ecsClose) return TEditEnd::Close;
  if (GetCapture() == CaptureWnd && (editStatus_ & ecsAccept)) {
    // Tab moves on to the next item, Shift+Tab back.
    view->SetSelected(view->NextSelectable(view->Selected(), GetKeyState(VK_SHIFT) >= 0));
    if (Run.ViewerGone) return TEditEnd::ViewerGone;
    view->ScrollSelectedIntoView();
  }
  return TEditEnd::Stay;
}

// --- the edit control's window procedure --------------------------------------------------------

void TTBEditItemViewer::EditWndProc(TMessage& Message) {
  if (!editControl_) return;
  if (Message.Msg == WM_CHAR) {
    switch (Message.WParam) {
      case VK_TAB:
        editStatus_ = ecsAccept;
        AcceptEditText();
        return;
      case VK_RETURN:
        editStatus_ = ecsAccept | ecsClose;
        AcceptEditText();
        return;
      case VK_ESCAPE:
        editStatus_ = 0;
        return;
    }
  }
  TEditRun* run = run_;
  editControl_->WndProc(Message);
  if (Message.Msg != WM_KILLFOCUS || (run && run->ViewerGone) || !editControl_) return;
  // Losing the focus ends the edit and the menu.
  editStatus_ = ecsClose;
  View()->CancelMode();
}

void TTBEditItemViewer::AcceptEditText() {
  TEditRun* run = run_;
  String text = editControl_->Text();
  TTBEditItem* item = EditItem();
  // The handler may refuse the text, change it, or free the item and with it this viewer.
  if (item->DoAcceptText(text) && !(run && run->ViewerGone)) item->SetTextEx(text, tcrEditControl);
}
