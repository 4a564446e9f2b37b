// What the accessible objects of views and item viewers answer. Every operation clears its
// outputs first, answers E_FAIL once its owner is gone, refuses child identifiers other than a
// VT_I4 CHILDID_SELF where it describes only itself, and turns an exception into E_UNEXPECTED
// with its outputs freed and cleared again (clients never free what a failed call handed out).
#include "items/TB2Acc.h"

#include "items/TB2AccSupport.h"
#include "items/TB2Common.h"
#include "items/TB2View.h"

#include <utility>

namespace {

using tb2acc::Answer;

HRESULT TextAnswer(BSTR* Out, const String& Text) {
  *Out = SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()));
  return *Out ? S_OK : E_OUTOFMEMORY;
}

HRESULT IntAnswer(VARIANT* Out, LONG Value) {
  Out->vt = VT_I4;
  Out->lVal = Value;
  return S_OK;
}

// An object found gives it as VT_DISPATCH (the caller's reference); none gives S_FALSE.
HRESULT ObjectAnswer(VARIANT* Out, IDispatch* Object) {
  if (!Object) return S_FALSE;
  Out->vt = VT_DISPATCH;
  Out->pdispVal = Object;
  return S_OK;
}

HRESULT WindowObjectAnswer(HWND Wnd, IDispatch** Out) {
  return tb2acc::WindowAccObject(Wnd, *Out) ? S_OK : E_UNEXPECTED;
}

// get_accChild: child 0 is the object itself, other numbers are Numbered's to answer.
template <class Fn>
HRESULT ChildAnswer(IDispatch* Self, bool OwnerKnown, const VARIANT& ChildID, IDispatch** Child, Fn&& Numbered) {
  return Answer([&]() -> HRESULT {
    if (!OwnerKnown) return E_FAIL;
    if (ChildID.vt != VT_I4) return E_INVALIDARG;
    if (ChildID.lVal != CHILDID_SELF) return Numbered(ChildID.lVal);
    Self->AddRef();
    *Child = Self;
    return S_OK;
  }, Child);
}

bool IsSelf(const VARIANT& ChildID) { return ChildID.vt == VT_I4 && ChildID.lVal == CHILDID_SELF; }

// The object stays while one of its operations runs, whatever the framework does meanwhile.
class TKeepAlive {
 public:
  explicit TKeepAlive(IUnknown* Object) : object_(Object) { object_->AddRef(); }
  ~TKeepAlive() { object_->Release(); }
  TKeepAlive(const TKeepAlive&) = delete;
  TKeepAlive& operator=(const TKeepAlive&) = delete;

 private:
  IUnknown* object_;
};

// The view's window when it has one (asking a control for its handle would make one).
HWND ViewWnd(TTBView* View) {
  TWinControl* window = View->Window();
  return window && window->HandleAllocated() ? window->Handle() : nullptr;
}

// The viewer whose submenu the view is, or null.
TTBItemViewer* OpeningViewer(TTBView* View) {
  TTBView* parent = View->ParentView();
  return parent && parent->OpenViewerView() == View ? parent->OpenViewer() : nullptr;
}

bool IsModal(TTBView* View) { return (View->State() & vsModal) != 0; }

// The view's window is visible and it and every window above it are enabled.
bool IsReachable(HWND Wnd) {
  if (!Wnd || !IsWindowVisible(Wnd)) return false;
  for (HWND w = Wnd; w; w = GetParent(w))
    if (!IsWindowEnabled(w)) return false;
  return true;
}

// The accessible viewer next to Viewer in the view's order, or null.
TTBItemViewer* AccessibleNeighbour(TTBView* View, TTBItemViewer* Viewer, bool Forward) {
  const int index = View->IndexOf(Viewer);
  if (index < 0) return nullptr;
  for (int i = index + (Forward ? 1 : -1); i >= 0 && i < View->ViewerCount(); i += Forward ? 1 : -1)
    if (View->Viewers(i)->IsAccessible()) return View->Viewers(i);
  return nullptr;
}

}  // namespace

// --- the accessible viewers of a view -----------------------------------------------------------

int AccessibleViewerCount(TTBView* View) {
  int count = 0;
  for (int i = 0; i < View->ViewerCount(); ++i)
    if (View->Viewers(i)->IsAccessible()) ++count;
  return count;
}

TTBItemViewer* AccessibleViewer(TTBView* View, int Number) {
  if (Number < 1) return nullptr;
  for (int i = 0; i < View->ViewerCount(); ++i)
    if (View->Viewers(i)->IsAccessible() && --Number == 0) return View->Viewers(i);
  return nullptr;
}

int AccessibleViewerNumber(TTBView* View, TTBItemViewer* Viewer) {
  if (!Viewer || !Viewer->IsAccessible()) return 0;
  int number = 0;
  for (int i = 0; i < View->ViewerCount(); ++i) {
    TTBItemViewer* v = View->Viewers(i);
    if (v->IsAccessible()) ++number;
    if (v == Viewer) return number;
  }
  return 0;
}

// --- what both kinds answer alike -----------------------------------------------------------------

HRESULT TTBCustomAccObject::get_accDescription(VARIANT, BSTR* Description) {
  return Answer([] { return S_FALSE; }, Description);
}

HRESULT TTBCustomAccObject::get_accHelp(VARIANT, BSTR* Help) {
  return Answer([] { return S_FALSE; }, Help);
}

HRESULT TTBCustomAccObject::get_accHelpTopic(BSTR* HelpFile, VARIANT, LONG* Topic) {
  return Answer([] { return S_FALSE; }, HelpFile, Topic);
}

HRESULT TTBCustomAccObject::get_accSelection(VARIANT* Selection) {
  return Answer([] { return S_FALSE; }, Selection);
}

HRESULT TTBCustomAccObject::put_accName(VARIANT, BSTR) { return S_FALSE; }
HRESULT TTBCustomAccObject::put_accValue(VARIANT, BSTR) { return S_FALSE; }

// --- the view's object ----------------------------------------------------------------------------

HRESULT TTBViewAccObject::Check(const VARIANT& ChildID) const {
  if (!FOwnerView) return E_FAIL;
  return IsSelf(ChildID) ? S_OK : E_INVALIDARG;
}

HRESULT TTBViewAccObject::get_accParent(IDispatch** Parent) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerView) return E_FAIL;
    if (TTBItemViewer* opening = OpeningViewer(FOwnerView)) {
      *Parent = opening->GetAccObject();
      return S_OK;
    }
    return WindowObjectAnswer(ViewWnd(FOwnerView), Parent);
  }, Parent);
}

HRESULT TTBViewAccObject::get_accChildCount(LONG* Count) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerView) return E_FAIL;
    *Count = AccessibleViewerCount(FOwnerView);
    return S_OK;
  }, Count);
}

HRESULT TTBViewAccObject::get_accChild(VARIANT ChildID, IDispatch** Child) {
  return ChildAnswer(this, FOwnerView != nullptr, ChildID, Child, [&](LONG Number) -> HRESULT {
    TTBItemViewer* viewer = AccessibleViewer(FOwnerView, Number);
    if (!viewer) return E_INVALIDARG;
    // A control on a toolbar answers for itself.
    if (auto* item = dynamic_cast<TTBControlItem*>(viewer->Item()))
      if (auto* control = dynamic_cast<TWinControl*>(item->Control()); control && control->HandleAllocated())
        return WindowObjectAnswer(control->Handle(), Child);
    *Child = viewer->GetAccObject();
    return S_OK;
  });
}

HRESULT TTBViewAccObject::get_accName(VARIANT ChildID, BSTR* Name) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    String name;
    if (TTBItemViewer* opening = OpeningViewer(FOwnerView)) name = StripAccelChars(opening->GetCaptionText());
    if (name.empty() && FOwnerView->Window()) name = FOwnerView->Window()->Text();
    return TextAnswer(Name, name);
  }, Name);
}

HRESULT TTBViewAccObject::get_accValue(VARIANT, BSTR* Value) {
  return Answer([] { return S_FALSE; }, Value);
}

HRESULT TTBViewAccObject::get_accRole(VARIANT ChildID, VARIANT* Role) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    if (FOwnerView->IsPopup()) return IntAnswer(Role, ROLE_SYSTEM_MENUPOPUP);
    return IntAnswer(Role, (FOwnerView->Style() & vsMenuBar) ? ROLE_SYSTEM_MENUBAR : ROLE_SYSTEM_TOOLBAR);
  }, Role);
}

HRESULT TTBViewAccObject::get_accState(VARIANT ChildID, VARIANT* State) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    return IntAnswer(State, 0);
  }, State);
}

HRESULT TTBViewAccObject::get_accKeyboardShortcut(VARIANT ChildID, BSTR* Shortcut) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    // A menu bar is reached with the Alt key.
    if (!(FOwnerView->Style() & vsMenuBar)) return S_FALSE;
    return TextAnswer(Shortcut, tb2acc::GetAltKeyName());
  }, Shortcut);
}

HRESULT TTBViewAccObject::get_accFocus(VARIANT* Focus) {
  return Answer([] { return S_FALSE; }, Focus);
}

HRESULT TTBViewAccObject::get_accDefaultAction(VARIANT, BSTR* Action) {
  return Answer([] { return S_FALSE; }, Action);
}

HRESULT TTBViewAccObject::accSelect(LONG, VARIANT) { return DISP_E_MEMBERNOTFOUND; }

HRESULT TTBViewAccObject::accLocation(LONG* Left, LONG* Top, LONG* Width, LONG* Height, VARIANT ChildID) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    RECT r{};
    if (HWND wnd = ViewWnd(FOwnerView)) GetWindowRect(wnd, &r);
    *Left = r.left;
    *Top = r.top;
    *Width = r.right - r.left;
    *Height = r.bottom - r.top;
    return S_OK;
  }, Left, Top, Width, Height);
}

HRESULT TTBViewAccObject::accNavigate(LONG NavDir, VARIANT Start, VARIANT* End) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(Start); check != S_OK) return check;
    TTBItemViewer* viewer = nullptr;
    if (NavDir == NAVDIR_FIRSTCHILD)
      viewer = AccessibleViewer(FOwnerView, 1);
    else if (NavDir == NAVDIR_LASTCHILD)
      viewer = AccessibleViewer(FOwnerView, AccessibleViewerCount(FOwnerView));
    return viewer ? ObjectAnswer(End, viewer->GetAccObject()) : S_FALSE;
  }, End);
}

HRESULT TTBViewAccObject::accHitTest(LONG X, LONG Y, VARIANT* ChildID) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerView) return E_FAIL;
    HWND wnd = ViewWnd(FOwnerView);
    RECT r{};
    const POINT screen{X, Y};
    if (!wnd || !GetWindowRect(wnd, &r) || !PtInRect(&r, screen)) return S_FALSE;
    POINT client = screen;
    ScreenToClient(wnd, &client);
    HWND child = ChildWindowFromPointEx(wnd, client, CWP_SKIPINVISIBLE);
    if (child && child != wnd) {
      IDispatch* object = nullptr;
      if (!tb2acc::WindowAccObject(child, object)) return E_UNEXPECTED;
      return ObjectAnswer(ChildID, object);
    }
    if (TTBItemViewer* viewer = FOwnerView->ViewerFromPoint(client))
      return ObjectAnswer(ChildID, viewer->GetAccObject());
    return IntAnswer(ChildID, CHILDID_SELF);
  }, ChildID);
}

HRESULT TTBViewAccObject::accDoDefaultAction(VARIANT) { return S_FALSE; }

// --- the item viewer's object ----------------------------------------------------------------------

HRESULT TTBItemViewerAccObject::Check(const VARIANT& ChildID) const {
  if (!FOwnerViewer) return E_FAIL;
  return IsSelf(ChildID) ? S_OK : E_INVALIDARG;
}

bool TTBItemViewerAccObject::IsOpen() const { return FOwnerViewer->View()->OpenViewer() == FOwnerViewer; }

bool TTBItemViewerAccObject::IsAvailable() const {
  TTBCustomItem* item = FOwnerViewer->Item();
  return item->Enabled() && (item->ItemStyle() & tbisSelectable);
}

bool TTBItemViewerAccObject::IsFocusable() const {
  TTBView* view = FOwnerViewer->View();
  TWinControl* window = view->Window();
  if (!window || (window->ComponentState() & csDesigning)) return false;
  HWND wnd = ViewWnd(view);
  if (!IsReachable(wnd)) return false;
  if (IsModal(view)) return true;
  HWND active = GetActiveWindow();
  return active && (active == wnd || IsChild(active, wnd));
}

bool TTBItemViewerAccObject::IsActionable() const {
  return FOwnerViewer->IsAccessible() && IsAvailable() && IsFocusable();
}

LONG TTBItemViewerAccObject::State() const {
  TTBView* view = FOwnerViewer->View();
  TTBCustomItem* item = FOwnerViewer->Item();
  LONG state = 0;
  if (view->Selected() == FOwnerViewer) {
    state |= STATE_SYSTEM_HOTTRACKED;
    if (IsModal(view)) state |= STATE_SYSTEM_FOCUSED;
    if (view->Capture() && view->MouseOverSelected()) state |= STATE_SYSTEM_PRESSED;
  }
  if (item->ItemStyle() & tbisSubmenu) state |= STATE_SYSTEM_HASPOPUP;
  if (FOwnerViewer->Show || FOwnerViewer->Clipped) {
    if (IsFocusable()) state |= STATE_SYSTEM_FOCUSABLE;
  } else {
    state |= STATE_SYSTEM_INVISIBLE;
  }
  if (!IsAvailable()) state |= STATE_SYSTEM_UNAVAILABLE;
  if (item->Checked()) state |= STATE_SYSTEM_CHECKED;
  return state;
}

HRESULT TTBItemViewerAccObject::get_accParent(IDispatch** Parent) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerViewer) return E_FAIL;
    *Parent = FOwnerViewer->View()->GetAccObject();
    return S_OK;
  }, Parent);
}

HRESULT TTBItemViewerAccObject::get_accChildCount(LONG* Count) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerViewer) return E_FAIL;
    *Count = IsOpen() ? 1 : 0;
    return S_OK;
  }, Count);
}

HRESULT TTBItemViewerAccObject::get_accChild(VARIANT ChildID, IDispatch** Child) {
  return ChildAnswer(this, FOwnerViewer != nullptr, ChildID, Child, [&](LONG Number) -> HRESULT {
    // The one child: the submenu while it is open.
    TTBView* submenu = IsOpen() ? FOwnerViewer->View()->OpenViewerView() : nullptr;
    if (Number != 1 || !submenu) return E_INVALIDARG;
    *Child = submenu->GetAccObject();
    return S_OK;
  });
}

HRESULT TTBItemViewerAccObject::get_accName(VARIANT ChildID, BSTR* Name) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    String name = StripAccelChars(FOwnerViewer->GetCaptionText());
    // A menu entry reads its shortcut after a tab, as the menu shows it.
    if (!FOwnerViewer->IsToolbarStyle()) {
      const String shortCut = FOwnerViewer->Item()->GetShortCutText();
      if (!shortCut.empty()) name += L"\t" + shortCut;
    }
    return TextAnswer(Name, name);
  }, Name);
}

HRESULT TTBItemViewerAccObject::get_accValue(VARIANT ChildID, BSTR* Value) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    String value;
    if (!FOwnerViewer->GetAccValue(value)) return S_FALSE;
    return TextAnswer(Value, value);
  }, Value);
}

HRESULT TTBItemViewerAccObject::get_accRole(VARIANT ChildID, VARIANT* Role) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    return IntAnswer(Role, FOwnerViewer->GetAccRole());
  }, Role);
}

HRESULT TTBItemViewerAccObject::get_accState(VARIANT ChildID, VARIANT* State) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    return IntAnswer(State, this->State());
  }, State);
}

HRESULT TTBItemViewerAccObject::get_accKeyboardShortcut(VARIANT ChildID, BSTR* Shortcut) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    if (!FOwnerViewer->CaptionShown()) return S_FALSE;
    const char32_t accel = FindAccelChar(FOwnerViewer->GetCaptionText());
    if (accel == 0) return S_FALSE;
    String key;
    if (accel >= 0x10000) {
      key += static_cast<wchar_t>(0xD800 + ((accel - 0x10000) >> 10));
      key += static_cast<wchar_t>(0xDC00 + ((accel - 0x10000) & 0x3FF));
    } else {
      key += static_cast<wchar_t>(accel);
    }
    CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    // In a menu the letter alone; elsewhere it is reached with Alt.
    if (!FOwnerViewer->View()->IsPopup()) key = tb2acc::GetAltKeyName() + L"+" + key;
    return TextAnswer(Shortcut, key);
  }, Shortcut);
}

HRESULT TTBItemViewerAccObject::get_accFocus(VARIANT* Focus) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerViewer) return E_FAIL;
    TTBView* view = FOwnerViewer->View();
    if (!IsModal(view) || view->Selected() != FOwnerViewer) return S_FALSE;
    return IntAnswer(Focus, CHILDID_SELF);
  }, Focus);
}

HRESULT TTBItemViewerAccObject::get_accDefaultAction(VARIANT ChildID, BSTR* Action) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    if (!IsActionable()) return S_FALSE;
    TTBView* view = FOwnerViewer->View();
    if (IsOpen()) return TextAnswer(Action, L"Close");
    if (FOwnerViewer->Item()->ItemStyle() & tbisSubmenu) return TextAnswer(Action, L"Open");
    if (view->IsPopup() || (view->Style() & vsMenuBar)) return TextAnswer(Action, L"Execute");
    return TextAnswer(Action, L"Press");
  }, Action);
}

HRESULT TTBItemViewerAccObject::accSelect(LONG Flags, VARIANT ChildID) {
  TKeepAlive keep(this);
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    if (Flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
    if (!IsFocusable() || !(FOwnerViewer->Show || FOwnerViewer->Clipped)) return E_FAIL;
    if (!SelectOwner()) return S_OK;
    // A toolbar enters its menu loop once the client's call has returned.
    TTBView* view = FOwnerViewer->View();
    if (!IsModal(view) && !view->ParentView()) FOwnerViewer->PostAccSelect(false);
    return S_OK;
  });
}

HRESULT TTBItemViewerAccObject::accLocation(LONG* Left, LONG* Top, LONG* Width, LONG* Height, VARIANT ChildID) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    POINT origin{};
    if (HWND wnd = ViewWnd(FOwnerViewer->View())) ClientToScreen(wnd, &origin);
    const RECT& r = FOwnerViewer->BoundsRect;
    *Left = r.left + origin.x;
    *Top = r.top + origin.y;
    *Width = r.right - r.left;
    *Height = r.bottom - r.top;
    return S_OK;
  }, Left, Top, Width, Height);
}

HRESULT TTBItemViewerAccObject::accNavigate(LONG NavDir, VARIANT Start, VARIANT* End) {
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(Start); check != S_OK) return check;
    TTBView* view = FOwnerViewer->View();
    switch (NavDir) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD: {
        TTBView* submenu = IsOpen() ? view->OpenViewerView() : nullptr;
        return submenu ? ObjectAnswer(End, submenu->GetAccObject()) : S_FALSE;
      }
      case NAVDIR_UP:
      case NAVDIR_LEFT:
      case NAVDIR_PREVIOUS:
      case NAVDIR_DOWN:
      case NAVDIR_RIGHT:
      case NAVDIR_NEXT: {
        const bool forward = NavDir == NAVDIR_DOWN || NavDir == NAVDIR_RIGHT || NavDir == NAVDIR_NEXT;
        TTBItemViewer* next = AccessibleNeighbour(view, FOwnerViewer, forward);
        return next ? ObjectAnswer(End, next->GetAccObject()) : S_FALSE;
      }
    }
    return S_FALSE;
  }, End);
}

HRESULT TTBItemViewerAccObject::accHitTest(LONG X, LONG Y, VARIANT* ChildID) {
  return Answer([&]() -> HRESULT {
    if (!FOwnerViewer) return E_FAIL;
    POINT p{X, Y};
    if (HWND wnd = ViewWnd(FOwnerViewer->View())) ScreenToClient(wnd, &p);
    if (!PtInRect(&FOwnerViewer->BoundsRect, p)) return S_FALSE;
    return IntAnswer(ChildID, CHILDID_SELF);
  }, ChildID);
}

HRESULT TTBItemViewerAccObject::accDoDefaultAction(VARIANT ChildID) {
  TKeepAlive keep(this);
  return Answer([&]() -> HRESULT {
    if (HRESULT check = Check(ChildID); check != S_OK) return check;
    if (!IsActionable()) return E_FAIL;
    TTBView* view = FOwnerViewer->View();
    if (IsOpen()) {
      // Closing the submenu frees its views and viewers (an edit in one of them ends at once).
      view->CancelChildPopups();
      if (FOwnerViewer && IsModal(view) && !view->IsPopup()) view->EndModal();
      return S_OK;
    }
    if (SelectOwner()) FOwnerViewer->PostAccSelect(true);
    return S_OK;
  });
}


bool TTBItemViewerAccObject::SelectOwner() {
  // Selecting tells the item, whose handler may free the viewer.
  FOwnerViewer->View()->SetSelected(FOwnerViewer);
  if (!FOwnerViewer) return false;
  FOwnerViewer->View()->ScrollSelectedIntoView();
  return FOwnerViewer != nullptr;
}

void TTBItemViewerAccObject::HandleAccSelect(bool Execute) {
  if (!FOwnerViewer) return;
  if (Execute ? !IsActionable() : !IsFocusable()) return;
  if (!SelectOwner()) return;
  TTBView* view = FOwnerViewer->View();
  if (IsModal(view)) {
    if (Execute) view->ExecuteSelected(false);
    return;
  }
  TTBEnterToolbarLoopOptions options = tbetFromMSAA;
  if (Execute) options |= tbetExecuteSelected;
  if (!view->ParentView() && !GetCapture()) view->EnterToolbarLoop(options);
}
