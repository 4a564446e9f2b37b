// The accessible objects as a client in this process sees them: a live popup menu found through
// its window, its entries read one by one, navigation, hit tests, selection and default actions
// requested by the client, objects kept after the menu closed, the WinEvents of a keyboard
// walk, a menu bar and a toolbar, and the system's side replaced through the seam.
#include "AccessibilityTestSupport.h"
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "common/MenuTestSupport.h"
#include "common/TestSupport.h"
#include "items/TB2Acc.h"
#include "items/TB2AccSupport.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace acc_tests;
using namespace item_tests;
using testing_support::PumpMessages;

namespace {

class TAccSettings : public seams::TSystemSettings {
 public:
  UINT MenuShowDelay() override { return 60000; }
  bool MenuAnimation() override { return false; }
};

// Live objects of both kinds.
LONG LiveObjects() { return ViewAccObjectInstances + ItemViewerAccObjectInstances; }

POINT CentreOnScreen(TTBItemViewer* V) {
  POINT p{(V->BoundsRect.left + V->BoundsRect.right) / 2, (V->BoundsRect.top + V->BoundsRect.bottom) / 2};
  ClientToScreen(V->View()->Window()->Handle(), &p);
  return p;
}

// A popup menu [&Save (Ctrl+S), a hidden item, a separator, a disabled &Print, a submenu &More,
// a checked &Wrap], opened at (200, 150) with its real loop; the steps of a test run inside it.
class Accessibility : public testing::Test {
 public:
  void SetUp() override {
    SetCursorPos(1, 1);
    menu = new TTBPopupMenu(items.Owner());
    TTBCustomItem* root = menu->Items();
    save = Add(L"save", L"&Save", root);
    save->SetShortCut(ShortCut('S', ssCtrl));
    hidden = Add(L"hidden", L"&Hidden", root);
    hidden->SetVisible(false);
    items.Make<TTBSeparatorItem>(L"sep", root);
    print = Add(L"print", L"&Print", root);
    print->SetEnabled(false);
    more = Add<TTBSubmenuItem>(L"more", L"&More", root);
    Add(L"inner", L"&Inner", more);
    wrap = Add(L"wrap", L"&Wrap", root);
    wrap->SetChecked(true);
    driver.SetWatchdog(10000);
  }
  void TearDown() override {
    EXPECT_FALSE(driver.WatchdogFired()) << "the menu did not end by itself";
    PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(ViewAccObjectInstances, 0) << "every view object is gone once released";
    EXPECT_EQ(ItemViewerAccObjectInstances, 0) << "every viewer object is gone once released";
  }
  template <class T = TTBItem>
  T* Add(const wchar_t* Name, const wchar_t* Caption, TTBCustomItem* Parent) {
    T* item = items.Make<T>(Name, Parent);
    item->SetCaption(Caption);
    return item;
  }
  // Opens the menu; Steps run once it shows. Answers the chosen item.
  TTBCustomItem* Run(std::function<void()> Steps, bool ItemOnly = true) {
    return runner.Run(menu, POINT{200, 150}, ItemOnly, [this, Steps = std::move(Steps)](TTBPopupWindow* Popup) {
      popup = Popup;
      view = Popup->View();
      Steps();
    });
  }
  void Then(std::function<void()> Step) { driver.Post(std::move(Step)); }
  void Escape() { driver.PostKeys({VK_ESCAPE}); }
  // The menu's object as a client finds it through the window.
  TAcc MenuObject() {
    TAcc acc;
    EXPECT_EQ(AccessibleObjectFromWindowOf(popup->Handle(), OBJID_CLIENT, acc), S_OK);
    return acc;
  }
  TTBItemViewer* ViewerOf(TTBCustomItem* Item) { return view->Find(Item); }

  TAccSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  TItemFactory items;
  testing_support::TMenuDriver driver;
  testing_support::TMenuRunner<> runner{driver};
  TTBPopupMenu* menu = nullptr;
  TTBCustomItem *save = nullptr, *hidden = nullptr, *print = nullptr, *more = nullptr, *wrap = nullptr;
  TTBPopupWindow* popup = nullptr;
  TTBView* view = nullptr;
};

TEST_F(Accessibility, AClientFindsTheMenuThroughItsWindowAndReadsEveryEntry) {
  struct Row {
    const wchar_t* name;
    LONG role, state;
    const wchar_t* shortcut;  // null: S_FALSE and a nil text
    const wchar_t* action;
  };
  constexpr LONG focusable = STATE_SYSTEM_FOCUSABLE;
  const Row rows[] = {
      {L"Save\tCtrl+S", ROLE_SYSTEM_MENUITEM, focusable, L"s", L"Execute"},
      {L"", ROLE_SYSTEM_SEPARATOR, focusable | STATE_SYSTEM_UNAVAILABLE, nullptr, nullptr},
      {L"Print", ROLE_SYSTEM_MENUITEM, focusable | STATE_SYSTEM_UNAVAILABLE, L"p", nullptr},
      {L"More", ROLE_SYSTEM_MENUITEM, focusable | STATE_SYSTEM_HASPOPUP, L"m", L"Open"},
      {L"Wrap", ROLE_SYSTEM_MENUITEM, focusable | STATE_SYSTEM_CHECKED, L"w", L"Execute"},
  };
  Run([&] {
    TAcc acc = MenuObject();
    ASSERT_TRUE(acc);
    TAcc own = TAcc::FromDispatch(view->GetAccObject());
    EXPECT_EQ(acc.Identity(), own.Identity()) << "the client holds the view's own object";
    EXPECT_EQ(Role(acc), ROLE_SYSTEM_MENUPOPUP);
    EXPECT_EQ(State(acc), 0);
    EXPECT_EQ(ChildCount(acc), 5) << "the hidden item has no number";
    for (LONG n = 1; n <= 5; ++n) {
      const Row& row = rows[n - 1];
      TAcc child = Child(acc, n);
      ASSERT_TRUE(child) << n;
      EXPECT_EQ(Name(child).Text, row.name) << n;
      EXPECT_EQ(Role(child), row.role) << n;
      EXPECT_EQ(State(child), row.state) << n;
      const TText shortcut = Shortcut(child);
      EXPECT_EQ(shortcut.Result, row.shortcut ? S_OK : S_FALSE) << n;
      EXPECT_EQ(shortcut.Text, row.shortcut ? row.shortcut : L"") << n;
      const TText action = DefaultAction(child);
      EXPECT_EQ(action.Result, row.action ? S_OK : S_FALSE) << n;
      EXPECT_EQ(action.Nil, row.action == nullptr) << n;
      EXPECT_EQ(action.Text, row.action ? row.action : L"") << n;
      EXPECT_EQ(Value(child).Result, S_FALSE) << n;
    }
    // Child 0 is the object itself; other kinds of number and numbers past the end are refused.
    EXPECT_EQ(Child(acc, 0).Identity(), acc.Identity());
    IDispatch* none = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(acc->get_accChild(ChildID(99), &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr) << "cleared first";
    VARIANT small;
    VariantInit(&small);
    small.vt = VT_I2;
    small.iVal = 0;
    EXPECT_EQ(acc->get_accChild(small, &none), E_INVALIDARG);
    BSTR name = nullptr;
    EXPECT_EQ(acc->get_accName(small, &name), E_INVALIDARG);
    EXPECT_EQ(Child(acc, 1)->get_accName(ChildID(1), &name), E_INVALIDARG) << "an entry describes only itself";
    Escape();
  });
}

TEST_F(Accessibility, NavigationStopsAtTheEndsAndHitTestsFindTheEntryUnderThePoint) {
  Run([&] {
    TAcc acc = MenuObject();
    auto navigate = [](const TAcc& From, LONG Dir, HRESULT* Result = nullptr) {
      VARIANT end;
      const HRESULT hr = From->accNavigate(Dir, Self(), &end);
      if (Result) *Result = hr;
      return acc_tests::ObjectOf(end);
    };
    EXPECT_EQ(Name(navigate(acc, NAVDIR_FIRSTCHILD)).Text, L"Save\tCtrl+S");
    EXPECT_EQ(Name(navigate(acc, NAVDIR_LASTCHILD)).Text, L"Wrap");
    HRESULT hr = S_OK;
    EXPECT_FALSE(navigate(acc, NAVDIR_NEXT, &hr));
    EXPECT_EQ(hr, S_FALSE) << "a menu has no siblings of its own here";
    TAcc first = Child(acc, 1), last = Child(acc, 5);
    EXPECT_EQ(Name(navigate(first, NAVDIR_NEXT)).Text, L"") << "the separator, not the hidden item";
    EXPECT_EQ(Name(navigate(first, NAVDIR_DOWN)).Text, L"");
    EXPECT_EQ(Name(navigate(last, NAVDIR_PREVIOUS)).Text, L"More");
    VARIANT end;
    EXPECT_EQ(last->accNavigate(NAVDIR_NEXT, Self(), &end), S_FALSE) << "no wrap-around";
    EXPECT_EQ(end.vt, VT_EMPTY);
    EXPECT_EQ(first->accNavigate(NAVDIR_PREVIOUS, Self(), &end), S_FALSE);
    EXPECT_EQ(end.vt, VT_EMPTY);
    EXPECT_EQ(first->accNavigate(NAVDIR_FIRSTCHILD, Self(), &end), S_FALSE) << "no submenu is open";

    const POINT onMore = CentreOnScreen(ViewerOf(more));
    VARIANT hit;
    ASSERT_EQ(acc->accHitTest(onMore.x, onMore.y, &hit), S_OK);
    EXPECT_EQ(Name(acc_tests::ObjectOf(hit)).Text, L"More");
    EXPECT_EQ(acc->accHitTest(5, 5, &hit), S_FALSE);
    EXPECT_EQ(hit.vt, VT_EMPTY);
    TAcc moreObject = Child(acc, 4);
    ASSERT_EQ(moreObject->accHitTest(onMore.x, onMore.y, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, CHILDID_SELF);
    const POINT onSave = CentreOnScreen(ViewerOf(save));
    EXPECT_EQ(moreObject->accHitTest(onSave.x, onSave.y, &hit), S_FALSE);

    LONG x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(moreObject->accLocation(&x, &y, &w, &h, Self()), S_OK);
    EXPECT_TRUE(onMore.x >= x && onMore.x < x + w && onMore.y >= y && onMore.y < y + h);
    RECT window;
    GetWindowRect(popup->Handle(), &window);
    ASSERT_EQ(acc->accLocation(&x, &y, &w, &h, Self()), S_OK);
    EXPECT_EQ((RECT{x, y, x + w, y + h}), window);
    Escape();
  });
}

TEST_F(Accessibility, AClientsSelectionMovesTheMenusSelectionAndOnlyTakesTheFocusFlag) {
  Run([&] {
    TAcc acc = MenuObject();
    TAcc moreObject = Child(acc, 4);
    EXPECT_EQ(moreObject->accSelect(SELFLAG_TAKESELECTION, Self()), E_INVALIDARG);
    EXPECT_EQ(moreObject->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Self()), E_INVALIDARG);
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_EQ(moreObject->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
    EXPECT_EQ(view->Selected(), ViewerOf(more));
    EXPECT_EQ(State(moreObject), STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HASPOPUP |
                                     STATE_SYSTEM_FOCUSABLE);
    VARIANT focus;
    ASSERT_EQ(moreObject->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(Child(acc, 1)->get_accFocus(&focus), S_FALSE);
    EXPECT_EQ(focus.vt, VT_EMPTY);
    Escape();
  });
}

TEST_F(Accessibility, TheDefaultActionOfAnEntryChoosesItOnceTheCallReturnedAndItsClickRunsAfterTheMenu) {
  bool stillOpen = false;
  TTBCustomItem* chosen = Run(
      [&] {
        TAcc saveObject = Child(MenuObject(), 1);
        EXPECT_EQ(saveObject->accDoDefaultAction(Self()), S_OK);
        // The choice waits for the queue: the menu is open, the entry selected, nothing clicked.
        stillOpen = GetCapture() != nullptr && IsWindowVisible(popup->Handle());
        EXPECT_EQ(view->Selected(), ViewerOf(save));
        EXPECT_TRUE(items.Events.Log.empty());
      },
      false);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(chosen, save);
  EXPECT_TRUE(items.Events.Log.empty()) << "the click runs after the menu has closed";
  PumpMessages();
  EXPECT_EQ(items.Events.Log, (std::vector<std::string>{"click save"}));
}

TEST_F(Accessibility, TheDefaultActionOfTheOpenSubmenusEntryClosesOnlyThatSubmenu) {
  Run([&] {
    view->SetSelected(ViewerOf(more));
    view->OpenChildPopup(false);
    ASSERT_NE(view->OpenViewerView(), nullptr);
    TAcc acc = MenuObject();
    TAcc moreObject = Child(acc, 4);
    EXPECT_EQ(DefaultAction(moreObject).Text, L"Close");
    EXPECT_EQ(ChildCount(moreObject), 1);
    TAcc submenu = Child(moreObject, 1);
    EXPECT_EQ(Role(submenu), ROLE_SYSTEM_MENUPOPUP);
    EXPECT_EQ(Name(submenu).Text, L"More") << "a submenu is named after its entry";
    EXPECT_EQ(Name(Child(submenu, 1)).Text, L"Inner");
    IDispatch* parent = nullptr;
    ASSERT_EQ(submenu->get_accParent(&parent), S_OK);
    EXPECT_EQ(TAcc::FromDispatch(parent).Identity(), moreObject.Identity());
    EXPECT_EQ(moreObject->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(view->OpenViewerView(), nullptr);
    EXPECT_EQ(ChildCount(moreObject), 0);
    EXPECT_EQ(Name(submenu).Result, E_FAIL) << "the submenu's object outlives its view";
    Then([&] {
      EXPECT_NE(GetCapture(), nullptr) << "the menu itself stays open";
      Escape();
    });
  });
  EXPECT_EQ(items.Events.Log, (std::vector<std::string>{"popup more", "click more"}))
      << "the submenu's opening alone: closing it chose nothing";
}

TEST_F(Accessibility, ObjectsKeptAfterTheMenuClosedAnswerWithoutTheirOwners) {
  TAcc menuObject, entry;
  Run([&] {
    menuObject = MenuObject();
    entry = Child(menuObject, 1);
    Escape();
  });
  ASSERT_TRUE(menuObject && entry);
  EXPECT_EQ(ViewAccObjectInstances, 1);
  for (const TAcc* acc : {&menuObject, &entry}) {
    EXPECT_EQ(Name(*acc).Result, E_FAIL);
    EXPECT_TRUE(Name(*acc).Nil);
    EXPECT_EQ(Role(*acc), -1);
    LONG x = 1, y = 1, w = 1, h = 1, count = 1;
    EXPECT_EQ((*acc)->accLocation(&x, &y, &w, &h, Self()), E_FAIL);
    EXPECT_EQ(x + y + w + h, 0) << "cleared first";
    EXPECT_EQ((*acc)->get_accChildCount(&count), E_FAIL);
    // What needs no owner answers as before; an entry's value is its viewer's.
    EXPECT_EQ(Value(*acc).Result, acc == &entry ? E_FAIL : S_FALSE);
    EXPECT_EQ((*acc)->accDoDefaultAction(Self()), acc == &entry ? E_FAIL : S_FALSE);
    IDispatch* parent = nullptr;
    EXPECT_EQ((*acc)->get_accParent(&parent), E_FAIL);
  }
  menuObject.Reset();
  entry.Reset();
  EXPECT_EQ(LiveObjects(), 0);
}

TEST_F(Accessibility, AReleasedEntryObjectIsMadeAnewOnTheNextRequest) {
  Run([&] {
    TAcc acc = MenuObject();
    TAcc first = Child(acc, 5);
    EXPECT_EQ(ItemViewerAccObjectInstances, 1);
    first.Reset();
    EXPECT_EQ(ItemViewerAccObjectInstances, 0) << "the viewer keeps no reference of its own";
    TAcc again = Child(acc, 5);
    EXPECT_EQ(ItemViewerAccObjectInstances, 1);
    EXPECT_EQ(Name(again).Text, L"Wrap");
    TAcc same = Child(acc, 5);
    EXPECT_EQ(same.Identity(), again.Identity()) << "one object while clients hold it";
    Escape();
  });
}

TEST_F(Accessibility, FocusEventsNumberTheEntriesDenselyAsTheArrowKeysMove) {
  TWinEventLog events;
  HWND popupWnd = nullptr;
  Run([&] {
    popupWnd = popup->Handle();
    driver.PostKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP});
    Then([&] { Escape(); });
  });
  std::vector<LONG> focus;
  for (const TWinEventLog::TEvent& e : events.Events())
    if (e.Event == EVENT_OBJECT_FOCUS && e.Wnd == popupWnd) focus.push_back(e.ChildID);
  // Save, Print (the separator and the hidden item are passed), More, Wrap, and back to More.
  EXPECT_EQ(focus, (std::vector<LONG>{1, 3, 4, 5, 4}));
  EXPECT_TRUE(events.Saw(EVENT_SYSTEM_MENUPOPUPSTART, popupWnd));
  EXPECT_TRUE(events.Saw(EVENT_SYSTEM_MENUPOPUPEND, popupWnd));
}

TEST_F(Accessibility, TheClientAreasObjectIdArrivesAsA32BitValueInTheMessage) {
  Run([&] {
    // On 64-bit systems lParam carries the id zero-extended: 0x00000000FFFFFFFC.
    const LPARAM clientID = static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT));
    TMessage message{WM_GETOBJECT, 0, clientID, 0};
    ASSERT_TRUE(view->HandleWMGetObject(message));
    TAcc own = TAcc::FromDispatch(view->GetAccObject());
    EXPECT_EQ(ObjectFromLresultOf(message.Result, 0).Identity(), own.Identity());
    TMessage windowAsked{WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_WINDOW)), 0};
    EXPECT_FALSE(view->HandleWMGetObject(windowAsked)) << "the window itself is the system's";
    const LRESULT sent = SendMessageW(popup->Handle(), WM_GETOBJECT, 0, clientID);
    EXPECT_EQ(ObjectFromLresultOf(sent, 0).Identity(), own.Identity());
    Escape();
  });
}

// --- a menu bar and a toolbar -------------------------------------------------------------------

class AccessibleBars : public testing::Test {
 public:
  void SetUp() override {
    SetCursorPos(1, 1);
    root = items.Make<TTBRootItem>(L"root");
    plain = items.Make(L"plain", root);
    plain->SetCaption(L"&Save");
    plain->SetShortCut(ShortCut('S', ssCtrl));
    sub = items.Make<TTBSubmenuItem>(L"sub", root);
    sub->SetCaption(L"&File");
    items.Make(L"inner", sub)->SetCaption(L"&Inner");
    form = new TForm(Application);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(200, 150, 400, 40);
    form->Show();
    SetForegroundWindow(form->Handle());
    SetActiveWindow(form->Handle());
    PumpMessages();
  }
  void TearDown() override {
    form->Free();
    PumpMessages();
    EXPECT_EQ(LiveObjects(), 0);
  }
  TTBView* Bar(bool MenuBar) {
    auto* view = new TTBView(form, nullptr, root, form, true, false, false);
    if (MenuBar) view->SetStyle(vsMenuBar);
    view->ValidatePositions();
    return view;
  }
  TItemFactory items;
  TTBCustomItem *root = nullptr, *plain = nullptr, *sub = nullptr;
  TForm* form = nullptr;
};

TEST_F(AccessibleBars, AMenuBarAndAToolbarAnswerTheirRolesShortcutsAndActions) {
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  struct Row {
    bool menuBar;
    LONG viewRole;
    const wchar_t* viewShortcut;
    LONG plainRole, subRole;
    const wchar_t* plainAction;
    const wchar_t* plainName;
  };
  const Row rows[] = {
      {true, ROLE_SYSTEM_MENUBAR, L"Alt", ROLE_SYSTEM_MENUITEM, ROLE_SYSTEM_MENUITEM, L"Execute", L"Save"},
      {false, ROLE_SYSTEM_TOOLBAR, nullptr, ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_BUTTONMENU, L"Press", L"Save"},
  };
  for (const Row& row : rows) {
    TTBView* bar = Bar(row.menuBar);
    TAcc acc = TAcc::FromDispatch(bar->GetAccObject());
    EXPECT_EQ(Role(acc), row.viewRole) << row.menuBar;
    EXPECT_EQ(Shortcut(acc).Text, row.viewShortcut ? row.viewShortcut : L"") << row.menuBar;
    EXPECT_EQ(Shortcut(acc).Result, row.viewShortcut ? S_OK : S_FALSE) << row.menuBar;
    TAcc plainObject = Child(acc, 1), subObject = Child(acc, 2);
    EXPECT_EQ(Role(plainObject), row.plainRole) << row.menuBar;
    EXPECT_EQ(Role(subObject), row.subRole) << row.menuBar;
    EXPECT_EQ(Name(plainObject).Text, row.plainName) << "a bar's entry shows no shortcut";
    EXPECT_EQ(Shortcut(plainObject).Text, L"Alt+s") << row.menuBar;
    EXPECT_EQ(Shortcut(subObject).Text, L"Alt+f") << row.menuBar;
    EXPECT_EQ(DefaultAction(plainObject).Text, row.plainAction) << row.menuBar;
    EXPECT_EQ(DefaultAction(subObject).Text, L"Open") << row.menuBar;
    EXPECT_EQ(State(plainObject), STATE_SYSTEM_FOCUSABLE) << "the bar's form is active";
    bar->Free();
    EXPECT_EQ(Role(plainObject), -1);
  }
}

TEST_F(AccessibleBars, AClientsSelectionEntersTheToolbarsLoopOnlyOnceTheQueueIsPumped) {
  TTBView* bar = Bar(false);
  TAcc acc = TAcc::FromDispatch(bar->GetAccObject());
  testing_support::TMenuDriver driver;
  driver.SetWatchdog(10000);
  bool modalInLoop = false;
  EXPECT_EQ(Child(acc, 1)->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
  EXPECT_EQ(bar->Selected(), bar->Find(plain));
  EXPECT_FALSE(bar->State() & vsModal) << "nothing more happens inside the client's call";
  driver.Post([&] {
    modalInLoop = (bar->State() & vsModal) != 0;
    PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  PumpMessages();
  EXPECT_TRUE(modalInLoop) << "the queued selection entered the toolbar's loop";
  EXPECT_FALSE(driver.WatchdogFired());
  EXPECT_FALSE(bar->State() & vsModal);
  EXPECT_TRUE(items.Events.Log.empty());
}

// --- the system's side, replaced -----------------------------------------------------------------

class TNoOleAcc : public TAccessibilitySystem {
 public:
  HMODULE LoadOleAcc() override { return nullptr; }
};

// Binds oleacc again through whatever seam is installed, now and at the end.
class TRebind {
 public:
  TRebind() { tb2acc_detail::ForgetOleAcc(); }
  ~TRebind() { tb2acc_detail::ForgetOleAcc(); }
};

TEST_F(Accessibility, WithoutTheAccessibilityLibraryMenusWorkAndMakeNoObjects) {
  TNoOleAcc system;
  seams::Scoped<TAccessibilitySystem> use(system);
  TRebind rebind;
  TTBCustomItem* chosen = Run([&] {
    EXPECT_EQ(view->GetAccObject(), nullptr);
    TMessage message{WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)), 0};
    EXPECT_FALSE(view->HandleWMGetObject(message)) << "left to the window's default handling";
    SendMessageW(popup->Handle(), WM_GETOBJECT, 0, OBJID_CLIENT);
    EXPECT_EQ(LiveObjects(), 0);
    driver.PostKeys({VK_DOWN, VK_RETURN});
  });
  EXPECT_EQ(chosen, save);
}

class TKeyName : public TAccessibilitySystem {
 public:
  explicit TKeyName(const wchar_t* Name) : name_(Name) {}
  int KeyNameText(LONG, wchar_t* Buffer, int Size) override {
    if (!name_) return 0;
    lstrcpynW(Buffer, name_, Size);
    return lstrlenW(Buffer);
  }

 private:
  const wchar_t* name_;
};

TEST_F(AccessibleBars, TheAltKeyIsNamedAsTheKeyboardNamesItOrAltWhenItCannot) {
  struct Row {
    const wchar_t* keyboard;  // null: the lookup fails
    const wchar_t* bar;
    const wchar_t* entry;
  };
  const Row rows[] = {{L"Menu", L"Menu", L"Menu+s"}, {nullptr, L"Alt", L"Alt+s"}};
  for (const Row& row : rows) {
    TKeyName system(row.keyboard);
    seams::Scoped<TAccessibilitySystem> use(system);
    TTBView* bar = Bar(true);
    TAcc acc = TAcc::FromDispatch(bar->GetAccObject());
    EXPECT_EQ(Shortcut(acc).Text, row.bar);
    EXPECT_EQ(Shortcut(Child(acc, 1)).Text, row.entry);
    bar->Free();
  }
}

// Drops the reference a client held at its disconnection, as the system's stubs do.
class TDroppingDisconnect : public TAccessibilitySystem {
 public:
  HRESULT DisconnectObject(IUnknown* Object) override {
    Disconnected.push_back(Object);
    for (auto it = Held.begin(); it != Held.end(); ++it)
      if (it->Identity() == Object) {
        Held.erase(it);  // the last reference but the one the walk holds
        break;
      }
    return S_OK;
  }
  std::vector<TAcc> Held;
  std::vector<IUnknown*> Disconnected;
};

TEST_F(Accessibility, TheFinalDisconnectionSurvivesObjectsThatItFrees) {
  TDroppingDisconnect system;
  Run([&] {
    TAcc acc = MenuObject();
    for (LONG n = 1; n <= 3; ++n) system.Held.push_back(Child(acc, n));
    Escape();
  });
  ASSERT_EQ(system.Held.size(), 3u);
  EXPECT_EQ(ItemViewerAccObjectInstances, 3);
  {
    seams::Scoped<TAccessibilitySystem> use(system);
    FinalizeTB2Acc();
  }
  InitTB2Acc();
  EXPECT_EQ(system.Disconnected.size(), 3u);
  EXPECT_TRUE(system.Held.empty());
  EXPECT_EQ(LiveObjects(), 0);
}

// --- the guard of every answer --------------------------------------------------------------------

// A dispatch object that counts its references.
class TCountedDispatch : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** Object) override {
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++Count); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--Count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  int Count = 1;
};

TEST(AccessibleAnswers, AnExceptionFreesAndClearsWhatWasAlreadyHandedOut) {
  TCountedDispatch object;
  VARIANT variant;
  variant.vt = VT_I4;  // garbage, as a client's uninitialised output would be
  BSTR text = reinterpret_cast<BSTR>(1);
  IDispatch* dispatch = reinterpret_cast<IDispatch*>(1);
  LONG number = 7;
  const HRESULT hr = tb2acc::Answer(
      [&]() -> HRESULT {
        EXPECT_EQ(variant.vt, VT_EMPTY) << "cleared before anything else";
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(dispatch, nullptr);
        EXPECT_EQ(number, 0);
        object.AddRef();
        variant.vt = VT_DISPATCH;
        variant.pdispVal = &object;
        object.AddRef();
        dispatch = &object;
        text = SysAllocString(L"half");
        number = 3;
        throw std::runtime_error("the answer failed half-way");
      },
      &variant, &text, &dispatch, &number);
  EXPECT_EQ(hr, E_UNEXPECTED);
  EXPECT_EQ(variant.vt, VT_EMPTY);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(dispatch, nullptr);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(object.Count, 1) << "both references handed out were given back";
}

TEST(AccessibleAnswers, AMissingOutputIsRefusedBeforeAnythingRuns) {
  bool ran = false;
  BSTR text = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(tb2acc::Answer([&] { ran = true; return S_OK; }, &text, static_cast<LONG*>(nullptr)), E_POINTER);
  EXPECT_FALSE(ran);
  EXPECT_EQ(text, nullptr);
}

}  // namespace
