// Edit items in a live popup menu [Alpha, an edit "&Find" holding "x", Beta] opened over an active
// form: how each way of ending an edit ends it, editing started by a press, keys that keep it
// going, a quit while editing, the viewer, view or item freed under a running edit; then the
// item's text logic, its action link, the viewer swap in vertical views, sizes and paint, the
// visibility toggle item and the edit as an accessible object.
#include "AccessibilityTestSupport.h"
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "common/MenuTestSupport.h"
#include "common/TestSupport.h"
#include "items/TB2ExtItems.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace acc_tests;
using namespace item_tests;
using testing_support::PumpMessages;

namespace {

class TEditSettings : public seams::TSystemSettings {
 public:
  UINT MenuShowDelay() override { return 60000; }
  bool MenuAnimation() override { return false; }
};

// Sets the thread's idea of a key being held (posted input does not).
void Hold(int VirtualKey, bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VirtualKey] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}

void Type(HWND Wnd, const String& Text) {
  for (wchar_t c : Text) PostMessageW(Wnd, WM_CHAR, c, 1);
}

// Refuses or frees on acceptance, and records what it was asked.
class TAcceptSpy : public TObject {
 public:
  void Accept(TObject*, String& NewText, bool& Accept) {
    Asked.push_back(NewText);
    Accept = Accepts;
    if (OnAccept) OnAccept();
  }
  TTBAcceptTextEvent Event() { return TTBAcceptTextEvent(this, &TAcceptSpy::Accept); }
  bool Accepts = true;
  std::vector<String> Asked;
  std::function<void()> OnAccept;
};

class EditItems : public testing::Test {
 public:
  void SetUp() override {
    SetCursorPos(1, 1);
    form = new TForm(Application);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(600, 500, 200, 100);
    form->Show();
    SetForegroundWindow(form->Handle());
    ::SetFocus(form->Handle());
    PumpMessages();
    menu = new TTBPopupMenu(items.Owner());
    root = menu->Items();
    alpha = Add(L"alpha", L"&Alpha");
    edit = items.Make<TTBEditItem>(L"find", root);
    edit->SetEditCaption(L"&Find");
    edit->SetText(L"x");
    beta = Add(L"beta", L"&Beta");
    driver.SetWatchdog(10000);
  }
  void TearDown() override {
    EXPECT_FALSE(driver.WatchdogFired()) << "the menu did not end by itself";
    Hold(VK_SHIFT, false);
    Hold(VK_LBUTTON, false);
    PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    if (form) form->Free();
  }
  TTBCustomItem* Add(const wchar_t* Name, const wchar_t* Caption) {
    TTBCustomItem* item = items.Make(Name, root);
    item->SetCaption(Caption);
    return item;
  }
  // Opens the menu; Steps run once it shows.
  void Run(std::function<void()> Steps) {
    runner.Run(menu, POINT{200, 150}, true, [this, Steps = std::move(Steps)](TTBPopupWindow* Popup) {
      popup = Popup;
      view = Popup->View();
      Steps();
    });
  }
  void Then(std::function<void()> Step) { driver.Post(std::move(Step)); }
  TTBEditItemViewer* EditViewer() { return dynamic_cast<TTBEditItemViewer*>(view->Find(edit)); }
  // Starts an edit with Enter on the selected edit item; Editing runs inside the edit, with the
  // edit control's window.
  void StartEditing(std::function<void(HWND)> Editing) {
    view->SetSelected(view->Find(edit));
    PostMessageW(GetCapture(), WM_KEYDOWN, VK_RETURN, 1);
    Then([this, Editing = std::move(Editing)] {
      TTBEditItemViewer* viewer = EditViewer();
      ASSERT_TRUE(viewer && viewer->EditControl()) << "no edit runs";
      Editing(viewer->EditControl()->Handle());
    });
  }
  // Whether the menu still runs: its loop holds the capture and its window shows.
  bool MenuRuns() const { return GetCapture() != nullptr && popup && IsWindowVisible(popup->Handle()); }
  // The edit control's window in the menu's window, if any is left.
  HWND EditWindowLeft() const { return FindWindowExW(popup->Handle(), nullptr, nullptr, nullptr); }

  TEditSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  TItemFactory items;
  testing_support::TMenuDriver driver;
  testing_support::TMenuRunner<> runner{driver};
  TForm* form = nullptr;
  TTBPopupMenu* menu = nullptr;
  TTBCustomItem *root = nullptr, *alpha = nullptr, *beta = nullptr;
  TTBEditItem* edit = nullptr;
  TTBPopupWindow* popup = nullptr;
  TTBView* view = nullptr;
};

TEST_F(EditItems, EachWayOfEndingAnEditEndsItAsItShould) {
  struct Row {
    const char* what;
    bool extendedAccept;
    bool refuse;
    std::function<void(EditItems&, HWND)> input;
    const wchar_t* text;
    bool menuOpen;
    const wchar_t* selected;  // the selected item's name, with the menu open
  };
  auto chr = [](wchar_t c) { return [c](EditItems&, HWND w) { PostMessageW(w, WM_CHAR, c, 1); }; };
  auto pressElsewhere = [](EditItems& t, HWND) {
    SetCursorPos(t.form->Left() + 10, t.form->Top() + 10);
    PostMessageW(t.form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  };
  const Row rows[] = {
      {"Enter accepts and ends the menu", false, false, chr(VK_RETURN), L"yz", false, nullptr},
      {"Esc cancels and the menu stays", false, false, chr(VK_ESCAPE), L"x", true, L"find"},
      {"Tab accepts and moves on", false, false, chr(VK_TAB), L"yz", true, L"beta"},
      {"Shift+Tab accepts and moves back", false, false,
       [](EditItems&, HWND w) {
         Hold(VK_SHIFT, true);
         PostMessageW(w, WM_CHAR, VK_TAB, 1);
       },
       L"yz", true, L"alpha"},
      {"Alt+F ends the edit and the menu", false, false,
       [](EditItems&, HWND w) { PostMessageW(w, WM_SYSKEYDOWN, 'F', 0x20000001 | (MapVirtualKeyW('F', 0) << 16)); },
       L"x", false, nullptr},
      {"a press elsewhere ends both", false, false, pressElsewhere, L"x", false, nullptr},
      {"Alt released ends both", false, false,
       [](EditItems&, HWND w) { PostMessageW(w, WM_SYSKEYUP, VK_MENU, 0xC0000001 | (MapVirtualKeyW(VK_MENU, 0) << 16)); },
       L"x", false, nullptr},
      {"a press elsewhere accepts with ExtendedAccept", true, false, pressElsewhere, L"yz", false, nullptr},
      {"a refused Enter still ends the menu", false, true, chr(VK_RETURN), L"x", false, nullptr},
      {"a refused Tab still moves on", false, true, chr(VK_TAB), L"x", true, L"beta"},
      {"a character pending at the end is dropped (b would choose Beta)", false, false,
       [](EditItems&, HWND w) {
         PostMessageW(w, WM_CHAR, VK_ESCAPE, 1);
         PostMessageW(GetCapture(), WM_CHAR, L'b', 1);
       },
       L"x", true, L"find"},
  };
  for (const Row& row : rows) {
    edit->SetText(L"x");
    edit->SetExtendedAccept(row.extendedAccept);
    TAcceptSpy spy;
    spy.Accepts = !row.refuse;
    edit->OnAcceptText = spy.Event();
    bool open = false, editLeft = true, wholeSelected = false;
    String selected;
    Run([&] {
      StartEditing([&](HWND editWnd) {
        DWORD start = 1, end = 0;
        SendMessageW(editWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        wholeSelected = start == 0 && end == 1;
        Type(editWnd, L"yz");
        row.input(*this, editWnd);
        Then([&] {
          Hold(VK_SHIFT, false);
          open = MenuRuns();
          if (!open) return;
          editLeft = EditWindowLeft() != nullptr || EditViewer()->EditControl() != nullptr;
          if (view->Selected()) selected = view->Selected()->Item()->Name();
          driver.PostKeys({VK_ESCAPE});
        });
      });
    });
    PumpMessages();
    EXPECT_TRUE(wholeSelected) << row.what;
    EXPECT_EQ(edit->Text(), row.text) << row.what;
    EXPECT_EQ(open, row.menuOpen) << row.what;
    if (row.menuOpen) {
      EXPECT_FALSE(editLeft) << row.what;
      EXPECT_EQ(selected, row.selected) << row.what;
    }
  }
}

TEST_F(EditItems, EditingStartedByAPressSelectsTheWholeText) {
  edit->SetText(L"several words");
  DWORD start = 1, end = 0;
  Run([&] {
    const RECT& b = view->Find(edit)->BoundsRect;
    POINT p{b.right - 10, (b.top + b.bottom) / 2};
    ClientToScreen(popup->Handle(), &p);
    Hold(VK_LBUTTON, true);
    testing_support::PostMenuMouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
    Then([&] {
      ASSERT_TRUE(EditViewer()->EditControl());
      SendMessageW(EditViewer()->EditControl()->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      Hold(VK_LBUTTON, false);
      PostMessageW(EditViewer()->EditControl()->Handle(), WM_CHAR, VK_ESCAPE, 1);
      Then([&] { driver.PostKeys({VK_ESCAPE}); });
    });
  });
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 13u);
}

TEST_F(EditItems, AltWithKeypadDigitsKeepsTheEditGoingAndOtherSystemKeysEndIt) {
  // As the keyboard sends them: the keypad's scan codes, the grey keys' marked extended.
  constexpr LPARAM kKeypad1 = 0x4F << 16, kKeypad2 = 0x50 << 16, kExtended = 1 << 24;
  struct Row {
    const char* what;
    std::vector<std::pair<WPARAM, LPARAM>> keys;
    bool keepsEditing;
  };
  const Row rows[] = {
      {"keypad digits with NumLock on", {{VK_NUMPAD1, kKeypad1}, {VK_NUMPAD2, kKeypad2}}, true},
      {"keypad digits with NumLock off", {{VK_END, kKeypad1}, {VK_DOWN, kKeypad2}}, true},
      {"Alt and Shift themselves", {{VK_MENU, 0x38 << 16}, {VK_SHIFT, 0x2A << 16}}, true},
      {"the grey End key", {{VK_END, kKeypad1 | kExtended}}, false},
      {"a letter", {{'F', static_cast<LPARAM>(MapVirtualKeyW('F', 0)) << 16}}, false},
  };
  for (const Row& row : rows) {
    bool stillEditing = false;
    Run([&] {
      StartEditing([&](HWND editWnd) {
        for (const auto& [key, data] : row.keys) PostMessageW(editWnd, WM_SYSKEYDOWN, key, data | 1);
        Then([&] {
          stillEditing = MenuRuns() && EditViewer()->EditControl() != nullptr;
          if (!MenuRuns()) return;
          if (stillEditing) PostMessageW(EditViewer()->EditControl()->Handle(), WM_CHAR, VK_ESCAPE, 1);
          Then([&] { driver.PostKeys({VK_ESCAPE}); });
        });
      });
    });
    PumpMessages();
    EXPECT_EQ(stillEditing, row.keepsEditing) << row.what;
  }
}

// Ends an edit that outlived the quit (a quit swallowed by it), so that the test fails instead
// of waiting for ever.
TTBEditItemViewer* LingeringEdit = nullptr;
void CALLBACK EndLingeringEdit(HWND, UINT, UINT_PTR Timer, DWORD) {
  KillTimer(nullptr, Timer);
  if (!LingeringEdit || !LingeringEdit->EditControl()) return;
  ADD_FAILURE() << "the edit went on after the quit";
  PostMessageW(LingeringEdit->EditControl()->Handle(), WM_CHAR, VK_ESCAPE, 1);
  PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST_F(EditItems, AQuitWhileEditingCancelsTheEditEndsTheMenuAndStaysForTheApplication) {
  Run([&] {
    StartEditing([&](HWND editWnd) {
      Type(editWnd, L"yz");
      PostQuitMessage(7);
      LingeringEdit = EditViewer();
      SetTimer(nullptr, 0, 2000, &EndLingeringEdit);
    });
  });
  LingeringEdit = nullptr;
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was lost";
  EXPECT_EQ(quit.wParam, 7u);
  EXPECT_EQ(edit->Text(), L"x") << "ended as cancelled";
}

// --- freed under a running edit -------------------------------------------------------------------

TEST_F(EditItems, AClientClosingTheSubmenuOfARunningEditEndsTheEditAtOnce) {
  auto* more = items.Make<TTBSubmenuItem>(L"more", root);
  more->SetCaption(L"&More");
  edit->Parent()->Remove(edit);
  more->Add(edit);
  bool childGone = false;
  Run([&] {
    view->SetSelected(view->Find(more));
    view->OpenChildPopup(true);
    TTBView* child = view->OpenViewerView();
    ASSERT_NE(child, nullptr);
    child->SetSelected(child->Find(edit));
    PostMessageW(GetCapture(), WM_KEYDOWN, VK_RETURN, 1);
    Then([&, child] {
      auto* viewer = dynamic_cast<TTBEditItemViewer*>(child->Find(edit));
      ASSERT_TRUE(viewer && viewer->EditControl()) << "no edit runs";
      Type(viewer->EditControl()->Handle(), L"yz");
      TAcc acc = TAcc::FromDispatch(view->GetAccObject());
      TAcc moreObject = Child(acc, 3);
      ASSERT_EQ(Name(moreObject).Text, L"More");
      EXPECT_EQ(moreObject->accDoDefaultAction(Self()), S_OK);
      childGone = view->OpenViewerView() == nullptr;
      Then([&] {
        if (MenuRuns()) driver.PostKeys({VK_ESCAPE});
      });
    });
  });
  EXPECT_TRUE(childGone);
  EXPECT_EQ(edit->Text(), L"x");
}

TEST_F(EditItems, AHandlerFreeingTheItemEndsTheEditAtOnce) {
  struct Row {
    const char* what;
    bool freeOnAccept;  // else on beginning the edit
  };
  for (const Row row : {Row{"on accepting", true}, Row{"on beginning", false}}) {
    TTBEditItem* victim = items.Make<TTBEditItem>(L"victim", root);
    victim->SetEditCaption(L"&Victim");
    victim->SetText(L"v");
    TAcceptSpy spy;
    bool freed = false;
    auto freeVictim = [&] {
      if (!std::exchange(freed, true)) victim->Free();
    };
    spy.OnAccept = freeVictim;
    victim->OnAcceptText = spy.Event();
    struct TBegin : TObject {
      std::function<void()> Hook;
      void Begin(TTBEditItem*, TTBEditItemViewer*, TEdit*) { Hook(); }
    } begin;
    if (!row.freeOnAccept) {
      begin.Hook = freeVictim;
      victim->OnBeginEdit = TTBBeginEditEvent(&begin, &TBegin::Begin);
    }
    bool stillRuns = false;
    Run([&] {
      view->SetSelected(view->Find(victim));
      PostMessageW(GetCapture(), WM_KEYDOWN, VK_RETURN, 1);
      Then([&] {
        if (row.freeOnAccept) {
          auto* viewer = dynamic_cast<TTBEditItemViewer*>(view->Find(victim));
          ASSERT_TRUE(viewer && viewer->EditControl());
          PostMessageW(viewer->EditControl()->Handle(), WM_CHAR, VK_RETURN, 1);
        }
        Then([&] {
          stillRuns = MenuRuns();
          if (stillRuns) driver.PostKeys({VK_ESCAPE});
        });
      });
    });
    EXPECT_TRUE(freed) << row.what;
    EXPECT_TRUE(stillRuns) << row.what << ": the menu goes on without the item";
    EXPECT_EQ(root->IndexOf(victim), -1) << row.what;
  }
}

// --- the item's text ------------------------------------------------------------------------------

class TTextSpy : public TTBEditItem {
 public:
  using TTBEditItem::TTBEditItem;
  void DoTextChanged(int Reason) override { Reasons.push_back(Reason); }
  std::vector<int> Reasons;
};

class TEditAction : public TTBEditAction {
 public:
  using TTBEditAction::TTBEditAction;
};

TEST(EditItemText, CharCaseAppliesOnSetAndOnChangeAndOnlyRealChangesAreTold) {
  TItemFactory items;
  auto* parent = items.Make(L"parent");
  auto* item = items.Make<TTextSpy>(L"item", parent);
  TListener listener;
  parent->RegisterNotification(listener.Proc());
  item->SetCharCase(ecUpperCase);
  item->SetText(L"Mixed Case");
  EXPECT_EQ(item->Text(), L"MIXED CASE");
  item->SetCharCase(ecLowerCase);
  EXPECT_EQ(item->Text(), L"mixed case") << "a new case applies at once";
  const size_t told = listener.Changes().size();
  item->SetText(L"MIXED case");
  EXPECT_EQ(listener.Changes().size(), told) << "the same text in the item's case is no change";
  EXPECT_EQ(item->Reasons, (std::vector<int>{tcrSetProperty, tcrSetProperty}));
  auto* action = new TEditAction(items.Owner());
  action->SetText(L"FROM ACTION");
  item->SetAction(action);
  EXPECT_EQ(item->Text(), L"from action");
  EXPECT_EQ(item->Reasons.back(), tcrActionLink);
  item->Clear();
  EXPECT_EQ(item->Text(), L"");
  parent->UnregisterNotification(listener.Proc());
}

TEST_F(EditItems, TheEditTypesInTheItemsCaseAndTheAcceptedTextKeepsIt) {
  edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(edit->Text(), L"X");
  String shown;
  Run([&] {
    StartEditing([&](HWND editWnd) {
      Type(editWnd, L"yz");
      Then([&] {
        shown = EditViewer()->EditControl()->Text();
        PostMessageW(EditViewer()->EditControl()->Handle(), WM_CHAR, VK_RETURN, 1);
      });
    });
  });
  EXPECT_EQ(shown, L"YZ");
  EXPECT_EQ(edit->Text(), L"YZ");
}

// --- the action and its link ----------------------------------------------------------------------

struct TAcceptHandlers : TObject {
  void One(TObject*, String&, bool&) {}
  void Two(TObject*, String&, bool&) {}
  void Three(TObject*, String&, bool&) {}
};

// An action with a value for every edit property: "&Find", the vertical option, 120, "query",
// handler One.
TEditAction* MakeAction(TComponent* Owner, TAcceptHandlers& Handlers) {
  auto* action = new TEditAction(Owner);
  action->SetEditCaption(L"&Find");
  action->SetEditOptions(tboUseEditWhenVertical);
  action->SetEditWidth(120);
  action->SetText(L"query");
  action->SetOnAcceptText(TTBAcceptTextEvent(&Handlers, &TAcceptHandlers::One));
  return action;
}

TEST(EditItemAction, ItemsTakeTheActionsValuesButTheirWidthAndFollowOnlyWhileEqual) {
  TItemFactory items;
  TAcceptHandlers handlers;
  TEditAction* action = MakeAction(items.Owner(), handlers);
  auto* item = items.Make<TTBEditItem>(L"item");
  item->SetAction(action);
  EXPECT_EQ(item->EditCaption(), L"&Find");
  EXPECT_EQ(item->EditOptions(), tboUseEditWhenVertical);
  EXPECT_EQ(item->Text(), L"query");
  EXPECT_EQ(item->OnAcceptText, action->OnAcceptText());
  EXPECT_EQ(item->EditWidth(), 64) << "the width is the item's own";
  EXPECT_TRUE(action->Update() || action->Enabled()) << "an edit action stays enabled without a handler";
  EXPECT_TRUE(action->Enabled());

  struct Row {
    const char* what;
    std::function<void(TTBEditItem*, bool diverge)> prepare;  // diverge: the item's value differs
    std::function<void(TTBEditAction*)> change;
    std::function<bool(TTBEditItem*)> followed;
  };
  const Row rows[] = {
      {"caption", [](TTBEditItem* i, bool d) { i->SetEditCaption(d ? L"Own" : L"&Find"); },
       [](TTBEditAction* a) { a->SetEditCaption(L"&Search"); }, [](TTBEditItem* i) { return i->EditCaption() == L"&Search"; }},
      // The item's own options differ from both: a set with a member the action never had.
      {"options", [](TTBEditItem* i, bool d) { i->SetEditOptions(d ? 0x80 : tboUseEditWhenVertical); },
       [](TTBEditAction* a) { a->SetEditOptions(0); },
       [](TTBEditItem* i) { return i->EditOptions() == 0; }},
      {"width", [](TTBEditItem* i, bool d) { i->SetEditWidth(d ? 64 : 120); },
       [](TTBEditAction* a) { a->SetEditWidth(200); }, [](TTBEditItem* i) { return i->EditWidth() == 200; }},
      {"text", [](TTBEditItem* i, bool d) { i->SetText(d ? L"own" : L"query"); },
       [](TTBEditAction* a) { a->SetText(L"next"); }, [](TTBEditItem* i) { return i->Text() == L"next"; }},
      {"accept handler",
       [&](TTBEditItem* i, bool d) { i->OnAcceptText = TTBAcceptTextEvent(&handlers, d ? &TAcceptHandlers::Two : &TAcceptHandlers::One); },
       [&](TTBEditAction* a) { a->SetOnAcceptText(TTBAcceptTextEvent(&handlers, &TAcceptHandlers::Three)); },
       [&](TTBEditItem* i) { return i->OnAcceptText == TTBAcceptTextEvent(&handlers, &TAcceptHandlers::Three); }},
  };
  for (const Row& row : rows)
    for (bool diverge : {false, true}) {
      TEditAction* a = MakeAction(items.Owner(), handlers);
      auto* client = items.Make<TTBEditItem>(L"");
      client->SetAction(a);
      row.prepare(client, diverge);
      row.change(a);
      EXPECT_EQ(row.followed(client), !diverge) << row.what << (diverge ? " after the item changed it" : "");
    }
}

TEST(EditItemAction, AnotherItemKindCannotTakeTheEditLink) {
  TItemFactory items;
  auto* plain = items.Make(L"plain");
  EXPECT_THROW(TTBEditItemActionLink link(plain), EInvalidCast);
}

// --- viewers, sizes and paint -----------------------------------------------------------------------

TEST(EditItemViewers, AVerticalViewShowsAButtonUntilTheOptionAsksForTheBox) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  auto* item = items.Make<TTBEditItem>(L"find", root);
  item->SetCaption(L"Find");
  TTBView view(nullptr, nullptr, root, nullptr, true, false, false);
  view.SetOrientation(tbvoVertical);
  view.ValidatePositions();
  EXPECT_EQ(dynamic_cast<TTBEditItemViewer*>(view.Find(item)), nullptr);
  item->SetEditOptions(tboUseEditWhenVertical);
  view.ValidatePositions();
  EXPECT_NE(dynamic_cast<TTBEditItemViewer*>(view.Find(item)), nullptr);
  view.SetOrientation(tbvoHorizontal);
  item->SetEditOptions(0);
  view.ValidatePositions();
  EXPECT_NE(dynamic_cast<TTBEditItemViewer*>(view.Find(item)), nullptr) << "a horizontal view always shows the box";
}

// A memory bitmap with a canvas on it, in a fixed font.
class TPaintBox {
 public:
  TPaintBox(int Width, int Height)
      : dc_(gdi::NewMemoryDC(nullptr)), bitmap_(CreateBitmap(Width, Height, 1, 32, nullptr)), select_(dc_.Get(), bitmap_.Get()) {
    canvas_.SetHandle(dc_.Get());
    canvas_.Font().SetName(L"Tahoma");
    canvas_.Font().SetHeight(-13);
    canvas_.Brush().SetColor(clWhite);
    canvas_.FillRect(RECT{0, 0, Width, Height});
  }
  ~TPaintBox() { canvas_.SetHandle(nullptr); }
  TCanvas& Canvas() { return canvas_; }
  COLORREF Pixel(int X, int Y) { return GetPixel(dc_.Get(), X, Y); }

 private:
  gdi::MemoryDC dc_;
  gdi::BitmapHandle bitmap_;
  gdi::SelectionGuard select_;
  TCanvas canvas_;
};

TEST(EditItemViewers, TheSizeAndTheBoxFollowTheCaptionTheWidthAndTheFont) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  auto* item = items.Make<TTBEditItem>(L"find", root);
  item->SetEditCaption(L"&Find");
  item->SetEditWidth(80);
  TPaintBox box(10, 10);
  TCanvas& canvas = box.Canvas();
  TCanvasLock lock(canvas);
  const int textHeight = GetTextHeight(canvas.Handle());
  const int captionWidth = GetTextWidth(canvas.Handle(), L"&Find", true);
  struct Row {
    bool toolbar;
    int width, height;
  };
  const Row rows[] = {
      {false, 80 + captionWidth + 10, Max(textHeight + DivRoundUp(textHeight, 4), textHeight + 7)},
      {true, 80, textHeight + 7},
  };
  for (const Row& row : rows) {
    TTBView view(nullptr, nullptr, root, nullptr, row.toolbar, false, false);
    TTBItemViewer* viewer = view.Find(item);
    int w = 0, h = 0;
    viewer->CalcSize(canvas, w, h);
    EXPECT_EQ(w, row.width) << "toolbar " << row.toolbar;
    EXPECT_EQ(h, row.height) << "toolbar " << row.toolbar;
    viewer->BoundsRect = RECT{5, 5, 205, 30};
    RECT r;
    static_cast<TTBEditItemViewer*>(viewer)->GetEditRect(r);
    gdi::WindowDC screen(nullptr);
    gdi::SelectionGuard font(screen.Get(), view.GetFont().Handle());
    const int left = row.toolbar ? 5 : 5 + GetTextWidth(screen.Get(), L"&Find", true) + 10;
    EXPECT_EQ(r, (RECT{left, 5, 205, 30})) << "toolbar " << row.toolbar;
  }
}

TEST(EditItemViewers, TheBoxIsPaintedInTheWindowColourWhenEnabledAndSunkWhenSelected) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  auto* item = items.Make<TTBEditItem>(L"find", root);
  TTBView view(nullptr, nullptr, root, nullptr, true, false, false);
  TTBItemViewer* viewer = view.Find(item);
  struct Row {
    bool enabled, selected;
    TColor inside, corner;
  };
  const Row rows[] = {
      {true, false, clWindow, clWhite},
      {true, true, clWindow, clBtnShadow},
      {false, true, clBtnFace, clWhite},
  };
  for (const Row& row : rows) {
    item->SetEnabled(row.enabled);
    TPaintBox box(80, 24);
    viewer->Paint(box.Canvas(), RECT{0, 0, 80, 24}, row.selected, false, false);
    EXPECT_EQ(box.Pixel(40, 12), ColorToGdi(row.inside)) << row.enabled << row.selected;
    EXPECT_EQ(box.Pixel(0, 0), ColorToGdi(row.corner)) << row.enabled << row.selected;
    EXPECT_EQ(box.Pixel(1, 12), ColorToGdi(row.enabled ? clBtnFace : clWindow)) << "the frame";
  }
}

TEST(EditItemViewers, AViewWithoutAWindowHasNothingToEditOn) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  auto* item = items.Make<TTBEditItem>(L"find", root);
  TTBView view(nullptr, nullptr, root, nullptr, true, false, false);
  auto* viewer = static_cast<TTBEditItemViewer*>(view.Find(item));
  viewer->BoundsRect = RECT{0, 0, 100, 20};
  EXPECT_FALSE(viewer->DoExecute());
  EXPECT_EQ(viewer->EditControl(), nullptr);
}

TEST(EditItemViewers, ThePointerIsAnIBeamOverTheBoxOfAnEnabledItem) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  auto* item = items.Make<TTBEditItem>(L"find", root);
  item->SetEditCaption(L"&Find");
  TTBView view(nullptr, nullptr, root, nullptr, false, false, false);
  TTBItemViewer* viewer = view.Find(item);
  viewer->BoundsRect = RECT{0, 0, 200, 20};
  RECT box;
  static_cast<TTBEditItemViewer*>(viewer)->GetEditRect(box);
  const HCURSOR ibeam = LoadCursorW(nullptr, IDC_IBEAM);
  struct Row {
    const char* what;
    bool enabled;
    POINT at;
    bool ibeam;
  };
  const Row rows[] = {
      {"over the box", true, {box.left + 10, 10}, true},
      {"over the caption", true, {2, 10}, false},
      {"on the box's edge", true, {box.left + 1, 10}, false},
      {"over a disabled item's box", false, {box.left + 10, 10}, false},
  };
  for (const Row& row : rows) {
    item->SetEnabled(row.enabled);
    HCURSOR cursor = nullptr;
    viewer->GetCursor(row.at, cursor);
    EXPECT_EQ(cursor == ibeam, row.ibeam) << row.what;
  }
}

// --- the visibility toggle --------------------------------------------------------------------------

TEST(VisibilityToggle, TheItemFollowsItsControlAndAClickShowsOrHidesIt) {
  TItemFactory items;
  auto* toggle = items.Make<TTBVisibilityToggleItem>(L"toggle");
  auto* control = new TCustomControl(nullptr);
  control->SetCaption(L"Status bar");
  control->SetVisible(true);
  toggle->SetControl(control);
  EXPECT_EQ(toggle->Caption(), L"Status bar") << "an empty caption takes the control's";
  EXPECT_TRUE(toggle->Checked());
  toggle->Click();
  EXPECT_FALSE(control->Visible());
  toggle->InitiateAction();
  EXPECT_FALSE(toggle->Checked());
  toggle->Click();
  EXPECT_TRUE(control->Visible());
  EXPECT_EQ(items.Events.Log, (std::vector<std::string>{"click toggle", "click toggle"}));
  toggle->InitiateAction();
  EXPECT_TRUE(toggle->Checked());
  control->Free();
  EXPECT_EQ(toggle->Control(), nullptr);
  EXPECT_FALSE(toggle->Checked());
  toggle->Click();  // no control: only the click
  EXPECT_EQ(items.Events.Log.size(), 3u);
}

// --- as a screen reader reads it ----------------------------------------------------------------------

TEST_F(EditItems, AnEditIsAnAccessibleTextWhoseValueIsItsText) {
  Run([&] {
    TAcc acc = TAcc::FromDispatch(view->GetAccObject());
    TAcc find = Child(acc, 2);
    EXPECT_EQ(Role(find), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(Name(find).Text, L"Find");
    EXPECT_EQ(Value(find).Text, L"x");
    EXPECT_EQ(Value(find).Result, S_OK);
    EXPECT_EQ(Shortcut(find).Text, L"f");
    driver.PostKeys({VK_ESCAPE});
  });
}

}  // namespace
