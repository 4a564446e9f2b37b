// The popup window and its view.
#include "items/TB2View.h"

void TTBPopupView::AutoSize(int, int) {}
TFont& TTBPopupView::GetFont() { return Window()->Font(); }

TTBPopupWindow::TTBPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing)
    : TCustomControl(AOwner) {
  view_ = GetViewClass()(this, AParentView, AItem, this, false, ACustomizing, false);
}
TTBPopupWindow::~TTBPopupWindow() = default;
POINT TTBPopupWindow::GetNCSize() { return {3, 3}; }
TTBViewClass TTBPopupWindow::GetViewClass() { return CreateViewOf<TTBPopupView>; }
void TTBPopupWindow::CreateParams(TCreateParams& Params) { TCustomControl::CreateParams(Params); }
void TTBPopupWindow::CreateWnd() { TCustomControl::CreateWnd(); }
void TTBPopupWindow::DestroyWnd() { TCustomControl::DestroyWnd(); }
void TTBPopupWindow::Paint() {}
void TTBPopupWindow::BeforeDestruction() { TCustomControl::BeforeDestruction(); }
void TTBPopupWindow::Dispatch(TMessage& Message) { TCustomControl::Dispatch(Message); }
void TTBPopupWindow::PaintScrollArrows() {}
void TTBPopupWindow::ShowingChanged(bool) {}
void TTBPopupWindow::PaintNCFrame(HDC) {}
void TTBPopupWindow::WMNCPaint(TMessage&) {}
void TTBPopupWindow::WMPrint(TMessage&) {}
void TTBPopupWindow::CMHintShow(TMessage&) {}
void TTBPopupWindow::NCPaintProc(HWND, HDC, void*) {}
