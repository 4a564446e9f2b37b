// The themed popup window: the kind of view it shows, its border and background painted by the
// theme, the show animation the menu animation settings pick, its own drop shadows, the theme's
// frames behind the scroll arrows, and hints.
#include "classlib/ScopeGuard.h"
#include "classlib/SysUtils.h"
#include "tbx/TBX.h"
#include "tbx/TBXLists.h"
#include "tbx/TBXMenuAnimation.h"
#include "tbx/TBXShadows.h"

namespace {

constexpr int kShadowSize = 4;
constexpr int kShadowOpacity = 61;

bool IsWindowsNT5OrLater() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

// A canvas on a DC that someone else owns, for one scope.
class TForeignCanvas {
 public:
  explicit TForeignCanvas(HDC DC) { canvas_.SetHandle(DC); }
  ~TForeignCanvas() { canvas_.SetHandle(nullptr); }
  TForeignCanvas(const TForeignCanvas&) = delete;
  TForeignCanvas& operator=(const TForeignCanvas&) = delete;
  TCanvas& operator*() { return canvas_; }

 private:
  TCanvas canvas_;
};

RECT ScreenBoundsOf(TTBItemViewer* Viewer) {
  RECT r = Viewer->BoundsRect;
  TWinControl* window = Viewer->View()->Window();
  if (window && window->HandleAllocated()) MapWindowPoints(window->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool IsChevronPopup(TWinControl* Window) { return dynamic_cast<TTBXChevronPopupWindow*>(Window) != nullptr; }

// The viewer of the parent view that opened View's popup, when the popup is drawn as its
// continuation: a themed viewer, or any viewer for a chevron popup.
TTBItemViewer* ThemedOpener(TTBView* View) {
  TTBView* parent = View->ParentView();
  TTBItemViewer* opener = parent ? parent->OpenViewer() : nullptr;
  if (!opener || !(IsChevronPopup(View->Window()) || dynamic_cast<TTBXItemViewer*>(opener))) return nullptr;
  return opener;
}

// The rectangle a popup without parent view was opened against: the window keeps it once it is
// made; while it is being made and shown, the root item still holds it.
RECT AnchorOf(TTBView* View) {
  if (auto* window = dynamic_cast<TTBXPopupWindow*>(View->Window()); window && !IsRectEmpty(&window->AnchorRect()))
    return window->AnchorRect();
  if (auto* root = dynamic_cast<TTBXRootItem*>(View->ParentItem())) return root->AnchorRect();
  return {};
}

// The parent item's rectangle in screen coordinates as the border painter leaves it out: a
// toolbar-styled opener, or the anchor of a popup without parent view.
RECT BorderParentRect(TTBView* View) {
  if (!View->ParentView()) return AnchorOf(View);
  TTBItemViewer* opener = ThemedOpener(View);
  return opener && opener->IsToolbarStyle() ? ScreenBoundsOf(opener) : RECT{};
}

}  // namespace

// --- the border painter ---------------------------------------------------------------------

void TBXPopupNCPaintProc(HWND Wnd, HDC DC, TTBView* View) {
  if (!DC) throw EAssertionFailed(L"TBXPopupNCPaintProc");
  TForeignCanvas canvas(DC);
  TTBXPopupInfo info{};
  info.WindowHandle = View->Window()->Handle();
  info.ViewKind = QueryViewKind(View);
  RECT window;
  GetWindowRect(Wnd, &window);
  info.ParentRect = BorderParentRect(View);
  if (!IsRectEmpty(&info.ParentRect)) OffsetRect(&info.ParentRect, -window.left, -window.top);
  RECT r = window;
  OffsetRect(&r, -window.left, -window.top);
  ActiveTheme->GetViewBorder(info.ViewKind, info.BorderSize);
  ExcludeClipRect(DC, r.left + info.BorderSize.x, r.top + info.BorderSize.y, r.right - info.BorderSize.x,
                  r.bottom - info.BorderSize.y);
  ActiveTheme->PaintPopupNCArea(*canvas, r, info);
}

// --- life -----------------------------------------------------------------------------------

TTBXPopupWindow::TTBXPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing)
    : TTBXPopupWindow(AOwner, AParentView, AItem, ACustomizing, CreateViewOf<TTBXPopupView>) {}

TTBXPopupWindow::TTBXPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing,
                                 TTBViewClass AViewClass)
    : TTBPopupWindow(AOwner, AParentView, AItem, ACustomizing, AViewClass) {}

TTBXPopupWindow::~TTBXPopupWindow() { DestroyShadow(); }

void TTBXPopupWindow::CreateParams(TCreateParams& Params) {
  TTBPopupWindow::CreateParams(Params);
  Params.WindowClassStyle &= ~static_cast<UINT>(CS_DROPSHADOW | CS_DBLCLKS);
  Params.WinClassName = L"Quillnote.TBXPopupWindow";
  // The system's shadow belongs to the window class: popups that cast it have a class of their
  // own.
  if (CanDrawShadow() && ActiveTheme->GetPopupShadowType() == pstSystem && IsWindowsXP()) {
    Params.WindowClassStyle |= CS_DROPSHADOW;
    Params.WinClassName += L"S";
  }
}

void TTBXPopupWindow::DestroyWnd() {
  // Ending an animation on the way reports it finished: no shadows for a window going away.
  destroyingHandle_ = true;
  TScopeGuard done([this] { destroyingHandle_ = false; });
  DestroyShadow();
  TTBPopupWindow::DestroyWnd();
}

int TTBXPopupWindow::ViewKind() { return QueryViewKind(View()); }

POINT TTBXPopupWindow::GetNCSize() {
  POINT border{};
  ActiveTheme->GetViewBorder(ViewKind(), border);
  return border;
}

// --- messages -------------------------------------------------------------------------------

namespace {

// A popup whose items are one list and nothing else.
bool ShowsOneList(TTBView* View) {
  TTBCustomItem* items = View->CurParentItem();
  return items && items->Count() == 1 && dynamic_cast<TTBXCustomList*>(items->Items(0));
}

// What a themed popup window shows, as WM_TBX_QUERY_VIEW_KIND answers it.
int PopupViewKind(TTBXPopupWindow* Window) {
  if (IsChevronPopup(Window)) return vkChevronPopup;
  TTBView* view = Window->View();
  if (!view) return vkPopupMenu;
  auto* themed = dynamic_cast<TTBXCustomItem*>(view->ParentItem());
  const bool toolBox = themed && themed->ToolBoxPopup();
  if (!toolBox && ShowsOneList(view)) return vkListPopup;
  return toolBox ? vkToolBoxPopup : vkPopupMenu;
}

}  // namespace

void TTBXPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TBX_QUERY_VIEW_KIND: Message.Result = PopupViewKind(this); return;
    case WM_NCCALCSIZE: return WMNCCalcSize(Message);
    case WM_ERASEBKGND: return WMEraseBkgnd(Message);
    case WM_WINDOWPOSCHANGED: return WMWindowPosChanged(Message);
    case WM_TBX_POPUP_ANIMATION: return WMPopupAnimation(Message);
    case CM_HINTSHOW: return CMHintShow(Message);
  }
  TTBPopupWindow::Dispatch(Message);
}

void TTBXPopupWindow::WMNCCalcSize(TMessage& Message) {
  RECT* proposed = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                  : reinterpret_cast<RECT*>(Message.LParam);
  const POINT border = GetNCSize();
  InflateRect(proposed, -border.x, -border.y);
  Message.Result = 1;
}

void TTBXPopupWindow::PaintNCFrame(HDC DC) { TBXPopupNCPaintProc(Handle(), DC, View()); }

void TTBXPopupWindow::WMEraseBkgnd(TMessage& Message) {
  TBEndAnimation(Handle());  // a repaint shows the final image at once
  TForeignCanvas canvas(reinterpret_cast<HDC>(Message.WParam));
  const int kind = ViewKind();
  const TColor color = ActiveTheme->GetViewColor(kind);
  View()->SetBackgroundColor(color);
  const RECT client = ClientRect();
  ActiveTheme->PaintBackgnd(*canvas, client, client, client, color, false, kind);
  Message.Result = 1;
}

void TTBXPopupWindow::PaintScrollArrows() {
  TTBView* view = View();
  if (view->ShowUpArrow() || view->ShowDownArrow()) {
    TTBItemViewer* measured = view->ParentView() ? view->ParentView()->OpenViewer() : nullptr;
    if (!measured && view->ViewerCount() > 0) measured = view->Viewers(0);
    const int column = measured ? GetPopupImageColumnWidth(measured) : 0;
    if (column > 0) {
      TTBXItemInfo info{};
      info.ViewKind = vkPopupMenu;
      info.ItemEnabled = true;
      info.ImageColumnWidth = column;
      TTBItemViewer *first = nullptr, *last = nullptr;
      for (int i = 0; i < view->ViewerCount(); ++i) {
        TTBItemViewer* v = view->Viewers(i);
        if (!v->Show) continue;
        if (!first) first = v;
        last = v;
      }
      const RECT client = ClientRect();
      if (view->ShowUpArrow() && first)
        ActiveTheme->PaintMenuItemFrame(Canvas(), {client.left, client.top, client.right, first->BoundsRect.top}, info);
      if (view->ShowDownArrow() && last)
        ActiveTheme->PaintMenuItemFrame(Canvas(), {client.left, last->BoundsRect.bottom, client.right, client.bottom},
                                        info);
    }
  }
  TTBPopupWindow::PaintScrollArrows();
}

void TTBXPopupWindow::CMHintShow(TMessage& Message) {
  TTBPopupWindow::Dispatch(Message);
  if (TTBItemViewer* selected = View()->Selected()) selected->Dispatch(Message);
}

// --- showing --------------------------------------------------------------------------------

int TTBXPopupWindow::PickAnimation(bool Showing) {
  TTBView* parent = View()->ParentView();
  if (parent && (parent->State() & vsNoAnimation)) return masNone;
  if (!Showing || View()->Selected() || IsWindowVisible(Handle())) return masNone;
  if (!MenuAnimationInstance || MenuAnimationInstance->AnimationKind() == makNone) return masNone;
  if (SendMessageW(Handle(), WM_TBX_POPUP_ANIMATION, 1, 0) != 0) return masNone;
  return MenuAnimationInstance->PickStyle();
}

void TTBXPopupWindow::ShowingChanged(bool Showing) {
  if (!HandleAllocated()) return;
  const int style = PickAnimation(Showing);
  if (style == masNone) return ShowWithoutAnimation(Showing);
  TTBAnimationDirections direction = AnimationDirection();
  // Unfolding slides along a second direction too.
  if (style == masUnfold) direction |= (direction & (tbadDown | tbadUp)) ? tbadRight : tbadDown;
  TBStartAnimation(Handle(), style == masFade, direction);
}

// --- shadows --------------------------------------------------------------------------------

bool TTBXPopupWindow::CanDrawShadow() { return !IsViewKind(ViewKind(), vkListPopup); }

void TTBXPopupWindow::WMPopupAnimation(TMessage& Message) {
  Message.Result = 0;  // an animation about to start (wParam 1) may go ahead
  if (Message.WParam != 2 && Message.WParam != 3) return;
  // Shown at last, animated (2) or at once (3); an animation ended by the window's end is not.
  if (destroyingHandle_ || (ComponentState() & csDestroying) || !IsWindowVisible(Handle())) return;
  const int type = ActiveTheme->GetPopupShadowType();
  if (CanDrawShadow() && (type == pstOwnOutsideParent || type == pstOwnWhole)) CreateShadow();
}

void TTBXPopupWindow::WMWindowPosChanged(TMessage& Message) {
  TTBPopupWindow::Dispatch(Message);
  const UINT flags = reinterpret_cast<const WINDOWPOS*>(Message.LParam)->flags;
  // A hidden popup casts no shadow; a moved or resized one takes its shadows along.
  if (flags & SWP_HIDEWINDOW) {
    DestroyShadow();
  } else if (!(flags & SWP_SHOWWINDOW) && shadows_) {
    DestroyShadow();
    CreateShadow();
  }
}

RECT TTBXPopupWindow::ShadowExcludeRect() {
  TTBView* view = View();
  if (!view->ParentView()) return AnchorOf(view);
  TTBItemViewer* opener = ThemedOpener(view);
  // Left out only where the opener is drawn as part of the popup: on a toolbar, not in a menu.
  if (!opener || !(IsChevronPopup(this) || !IsViewKind(QueryViewKind(view->ParentView()), vkPopupMenu))) return {};
  return ScreenBoundsOf(opener);
}

void TTBXPopupWindow::CreateShadow() {
  const int type = ActiveTheme->GetPopupShadowType();
  if (type == pstOwnWhole && !IsWindowsNT5OrLater()) return;
  const RECT exclude = type == pstOwnOutsideParent ? ShadowExcludeRect() : RECT{};
  RECT bounds;
  GetWindowRect(Handle(), &bounds);
  shadows_.reset();
  shadows_ = std::make_unique<TShadows>(bounds, exclude, LowColorMode, kShadowOpacity, kShadowSize);
  shadows_->ShowBehind(Handle());
}

void TTBXPopupWindow::DestroyShadow() { shadows_.reset(); }
