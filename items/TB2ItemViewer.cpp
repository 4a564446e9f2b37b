// The item viewer: measuring, painting, mouse rules, hints.
#include "items/TB2Item.h"

#include "items/TB2View.h"

TTBItemViewer::TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : view_(AView), item_(AItem), groupLevel_(AGroupLevel) {
  IncItemViewerCount();
}

TTBItemViewer::~TTBItemViewer() {
  CancelQueuedClicks(this);
  DecItemViewerCount();
}

void TTBItemViewer::PostAccSelect(bool Execute) { QueueItemClick(this, Execute ? 1 : 0); }
void TTBItemViewer::AccSelect(bool) {}

void TTBItemViewer::CalcSize(TCanvas&, int&, int&) {}
void TTBItemViewer::Paint(TCanvas&, const RECT&, bool, bool, bool) {}
void TTBItemViewer::DrawItemCaption(TCanvas&, RECT, const String&, bool, UINT) {}
bool TTBItemViewer::UsesSameWidth() { return false; }
bool TTBItemViewer::IsToolbarStyle() { return false; }
bool TTBItemViewer::IsToolbarSize() { return false; }
bool TTBItemViewer::CaptionShown() { return false; }
String TTBItemViewer::GetCaptionText() { return {}; }
bool TTBItemViewer::IsRotated() { return false; }
bool TTBItemViewer::ImageShown() { return false; }
TCustomImageList* TTBItemViewer::GetImageList() { return nullptr; }
bool TTBItemViewer::IsPtInButtonPart(int, int) { return true; }
bool TTBItemViewer::DoExecute() { return false; }
void TTBItemViewer::Execute(bool) {}
void TTBItemViewer::Entering(TTBItemViewer*) {}
void TTBItemViewer::Leaving() {}
void TTBItemViewer::LosingCapture() {}
void TTBItemViewer::GetCursor(const POINT&, HCURSOR&) {}
void TTBItemViewer::KeyDown(WORD&, TShiftState) {}
void TTBItemViewer::MouseDown(TShiftState, int, int, bool&) {}
void TTBItemViewer::MouseMove(int, int) {}
void TTBItemViewer::MouseUp(int, int, bool) {}
void TTBItemViewer::MouseWheel(int, int, int, bool&) {}
String TTBItemViewer::GetHintText() { return {}; }
int TTBItemViewer::GetIndex() { return -1; }
POINT TTBItemViewer::ScreenToClient(const POINT& P) { return P; }
int TTBItemViewer::GetAccRole() { return 0; }
bool TTBItemViewer::GetAccValue(String&) { return false; }

void TTBSeparatorItemViewer::CalcSize(TCanvas&, int&, int&) {}
void TTBSeparatorItemViewer::Paint(TCanvas&, const RECT&, bool, bool, bool) {}

TFont& ToolbarFont() {
  static TFont font;
  return font;
}
void TBInitToolbarSystemFont() {}
