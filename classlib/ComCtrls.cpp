#include "classlib/ComCtrls.h"

#include "classlib/SysUtils.h"

#include <commctrl.h>

#include <algorithm>

namespace {

void InitTabClass() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

}  // namespace

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  // Hidden until its page control makes it the active page.
  SetVisible(false);
  SetAlign(TAlign::alClient);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

void TTabSheet::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  if (pageControl_) pageControl_->RemovePage(this);
  auto* pageControl = dynamic_cast<TPageControl*>(parent);
  // A new page stays hidden until the page control shows it.
  if (pageControl) SetVisible(false);
  TWinControl::SetParent(parent);
  if (pageControl) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (pageControl_) pageControl_->UpdateTab(this);
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

TPageControl::~TPageControl() {
  // The pages go with the children of the base class, after this object's members: they must
  // not come back to a page list that is gone.
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& p) {
  InitTabClass();
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_TABCONTROLW;
  p.Style |= WS_TABSTOP | WS_CLIPSIBLINGS;
}

void TPageControl::InitializeWindow() {
  for (int i = 0; i < PageCount(); ++i) InsertTab(i);
  SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  // The base sets the font (which sets the tabs' height) before it aligns the pages.
  TWinControl::InitializeWindow();
}

RECT TPageControl::AdjustClientRect() const {
  RECT r = TWinControl::AdjustClientRect();
  if (HandleAllocated())
    SendMessageW(const_cast<TPageControl*>(this)->Handle(), TCM_ADJUSTRECT, FALSE,
                 reinterpret_cast<LPARAM>(&r));
  return r;
}

void TPageControl::SendTabText(UINT msg, int index) {
  String text = pages_[static_cast<size_t>(index)]->Caption();
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(Handle(), msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::InsertTab(int index) { SendTabText(TCM_INSERTITEMW, index); }

void TPageControl::UpdateTab(TTabSheet* page) {
  if (!HandleAllocated()) return;
  SendTabText(TCM_SETITEMW, page->PageIndex());
  // A longer text may wrap the tabs into another row.
  AlignControls();
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  if (HandleAllocated()) {
    InsertTab(PageCount() - 1);
    AlignControls();
  }
  if (!activePage_) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
  int index = page->PageIndex();
  if (index < 0 || index >= PageCount()) return;
  pages_.erase(pages_.begin() + index);
  page->pageControl_ = nullptr;
  if (HandleAllocated()) SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
  if (activePage_ != page) return;
  // The page in its place (or the new last one) takes over.
  activePage_ = nullptr;
  if (!pages_.empty()) SetActivePage(pages_[static_cast<size_t>(std::min(index, PageCount() - 1))]);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) throw EInvalidOperation(L"The page is not one of this control's pages");
  if (page == activePage_) return;
  TTabSheet* old = activePage_;
  activePage_ = page;
  const bool focusOnOld = old && old->HandleAllocated() && IsChild(old->Handle(), GetFocus());
  if (page) page->SetVisible(true);
  if (old) old->SetVisible(false);
  if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  // Keys must not go on reaching a control out of sight.
  if (focusOnOld && CanFocus()) SetFocus();
}

void TPageControl::SelectNextPage(bool GoForward) {
  const int count = PageCount();
  if (count < 2) return;
  const int index = ActivePageIndex();
  SetActivePageIndex(((index < 0 ? 0 : index) + (GoForward ? 1 : count - 1)) % count);
  Change();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: return CNNotify(m);
    case WM_ERASEBKGND: return WMEraseBkgnd(m);
    case CM_DIALOGKEY: return CMDialogKey(m);
  }
  TWinControl::Dispatch(m);
}

bool TPageControl::OwnsPageKeys() const {
  for (const TControl* c = FindControl(GetFocus()); c; c = c->Parent())
    if (auto* pages = dynamic_cast<const TPageControl*>(c)) return pages == this;
  return true;
}

void TPageControl::CMDialogKey(TMessage& m) {
  const TShiftState shift = KeyboardShiftState();
  if (m.WParam == VK_TAB && (shift & ssCtrl) && !(shift & ssAlt) && Showing() && Enabled() && PageCount() > 1 &&
      OwnsPageKeys()) {
    SelectNextPage(!(shift & ssShift));
    m.Result = 1;
    return;
  }
  // Pages may hold page controls of their own.
  TWinControl::Dispatch(m);
}

void TPageControl::WMEraseBkgnd(TMessage& m) {
  // Wine's tab control leaves the strip beside the tabs unpainted; the pages cover the rest.
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
  m.Result = 1;
}

void TPageControl::CNNotify(TMessage& m) {
  const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
  m.Result = 0;  // TCN_SELCHANGING: the change is allowed
  if (header->code == static_cast<UINT>(TCN_SELCHANGE)) TabChangedByUser();
}

void TPageControl::TabChangedByUser() {
  LRESULT index = SendMessageW(Handle(), TCM_GETCURSEL, 0, 0);
  if (index < 0 || index >= PageCount()) return;
  SetActivePage(pages_[static_cast<size_t>(index)]);
  Change();
}

void TPageControl::FontChanged() {
  TWinControl::FontChanged();
  // The tabs' height follows the font.
  AlignControls();
}

void TPageControl::Change() { OnChange(this); }
