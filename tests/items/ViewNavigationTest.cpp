#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "common/TestSupport.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

using namespace item_tests;

// Outcomes print as names, not as characters.
static void PrintTo(TTBDoneAction A, std::ostream* os) {
  static const char* const kNames[] = {"tbdaNone", "tbdaCancel", "tbdaClickItem", "tbdaOpenSystemMenu",
                                       "tbdaHelpContext"};
  *os << (A < std::size(kNames) ? kNames[A] : "?");
}

namespace {

std::string Narrow(const String& S) { return testing::PrintToString(S); }

constexpr int kViewerWidth = 100;
constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 8;

// Measures every item alike, so that layouts do not depend on fonts.
class TFixedViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  void CalcSize(TCanvas&, int& AWidth, int& AHeight) override {
    AWidth = kViewerWidth;
    AHeight = (Item()->ItemStyle() & tbisSeparator) ? kSeparatorHeight : kItemHeight;
  }
};

template <class Base>
class TFixed : public Base {
 public:
  using Base::Base;
  TTBItemViewerClass GetItemViewerClass(TTBView*) override { return CreateItemViewerOf<TFixedViewer>; }
  void ChangeStyle(TTBItemStyle Add, TTBItemStyle Remove) {
    this->SetItemStyle(static_cast<TTBItemStyle>((this->ItemStyle() | Add) & ~Remove));
  }
  // Opens the popup where it is (the view's own placement is not what these tests look at) and
  // links it to the view it opens from.
  TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool, bool SelectFirstItem,
                              bool Customizing, const POINT&, TTBPopupAlignment) override {
    TTBPopupWindow* window = this->GetPopupWindowClass()(nullptr, ParentView, this, Customizing);
    window->HandleNeeded();
    TTBView* view = window->View();
    if (SelectFirstItem) view->SetSelected(view->FirstSelectable());
    if (ParentView) {
      ParentView->SetOpenViewer(ParentViewer, view, window);
      if (ParentView->IsToolbar()) ParentView->SetState(ParentView->State() | vsDropDownMenus);
    }
    return window;
  }
};

// Settings that the wheel and the timers read; menus never animate.
class TNavSettings : public seams::TSystemSettings {
 public:
  UINT MenuShowDelay() override { return 60000; }
  bool MenuAnimation() override { return false; }
  bool MenuFade() override { return false; }
  UINT WheelScrollLines() override { return WheelLines; }
  UINT WheelLines = 3;
};

enum class TMenuKind { View, Toolbar, VerticalToolbar, PopupWindow };

// A menu written as "|"-separated entries: "-" is a separator, other entries are captions with
// optional marks in front: "~" invisible, "!" not selectable, "^" not selected first,
// "#" disabled, ">" a submenu whose entries follow in parentheses, "=" a split submenu (its
// arrow part opens it, the rest is a button). Its root view lays the items
// out in a column of fixed-size viewers: a plain view, a toolbar's view, or the view of a popup
// window with a window handle.
class TTestMenu {
 public:
  explicit TTestMenu(const String& Entries, TMenuKind Kind = TMenuKind::View, bool UsePriorityList = false) {
    root_ = new TTBRootItem(factory_.Owner());
    size_t at = 0;
    AddEntries(root_, Entries, at);
    if (Kind == TMenuKind::PopupWindow) {
      window_ = new TTBPopupWindow(nullptr, nullptr, root_, false);
      window_->HandleNeeded();
      view_ = window_->View();
    } else {
      const bool toolbar = Kind == TMenuKind::Toolbar || Kind == TMenuKind::VerticalToolbar;
      view_ = new TTBView(nullptr, nullptr, root_, nullptr, toolbar, false, UsePriorityList);
      if (Kind == TMenuKind::VerticalToolbar) view_->SetOrientation(tbvoVertical);
    }
  }
  ~TTestMenu() {
    if (window_)
      window_->Free();
    else
      view_->Free();
  }
  TTestMenu(const TTestMenu&) = delete;
  TTestMenu& operator=(const TTestMenu&) = delete;

  TTBView& View() { return *view_; }
  TTBPopupWindow* Window() { return window_; }
  TTBCustomItem* Root() { return root_; }
  // The item with the caption, anywhere in the tree.
  TTBCustomItem* Item(const String& Caption) {
    if (TTBCustomItem* item = FindItem(root_, Caption)) return item;
    ADD_FAILURE() << "no item " << testing::PrintToString(Caption);
    return nullptr;
  }
  // The viewer of the item with the caption in the root view, or in another view.
  TTBItemViewer* Viewer(const String& Caption) { return ViewerIn(*view_, Caption); }
  TTBItemViewer* ViewerIn(TTBView& View, const String& Caption) {
    return Caption.empty() ? nullptr : View.Find(Item(Caption));
  }
  static String CaptionOf(TTBItemViewer* V) { return V ? V->Item()->Caption() : String(); }
  // Lays the root view out.
  void Layout() {
    POINT base{}, total{};
    int lines = 0;
    view_->CalculatePositions(true, view_->Orientation(), view_->WrapOffset(), 0, 0, base, total, lines);
  }

 private:
  static TTBCustomItem* FindItem(TTBCustomItem* Parent, const String& Caption) {
    for (int i = 0; i < Parent->Count(); ++i) {
      TTBCustomItem* item = Parent->Items(i);
      if (item->Caption() == Caption) return item;
      if (TTBCustomItem* found = FindItem(item, Caption)) return found;
    }
    return nullptr;
  }

  // Reads entries up to the end or to the ")" that closes them.
  void AddEntries(TTBCustomItem* Parent, const String& Entries, size_t& At) {
    while (At < Entries.size() && Entries[At] != L')') {
      const size_t end = Entries.find_first_of(L"|()", At);
      const String entry = Entries.substr(At, end == String::npos ? String::npos : end - At);
      At = end == String::npos ? Entries.size() : end;
      TTBCustomItem* item = AddEntry(Parent, entry);
      if (At < Entries.size() && Entries[At] == L'(') {
        ++At;
        AddEntries(item, Entries, At);
        ++At;  // the ")"
      }
      if (At < Entries.size() && Entries[At] == L'|') ++At;
    }
  }

  TTBCustomItem* AddEntry(TTBCustomItem* Parent, String Entry) {
    if (Entry == L"-") {
      auto* separator = new TFixed<TTBSeparatorItem>(factory_.Owner());
      Parent->Add(separator);
      return separator;
    }
    TTBItemStyle add = 0, remove = 0;
    bool visible = true, enabled = true, submenu = false, split = false;
    for (; !Entry.empty() && String(L"~!^#>=").find(Entry[0]) != String::npos; Entry.erase(0, 1)) {
      switch (Entry[0]) {
        case L'~': visible = false; break;
        case L'!': remove |= tbisSelectable; break;
        case L'^': add |= tbisDontSelectFirst; break;
        case L'#': enabled = false; break;
        case L'>': submenu = true; break;
        case L'=': split = true; break;
      }
    }
    TTBCustomItem* item;
    if (submenu || split) {
      auto* s = new TFixed<TTBSubmenuItem>(factory_.Owner());
      s->ChangeStyle(add, remove);
      s->SetDropdownCombo(split);
      item = s;
    } else {
      auto* s = new TFixed<TTBItem>(factory_.Owner());
      s->ChangeStyle(add, remove);
      item = s;
    }
    item->SetCaption(Entry);
    item->SetVisible(visible);
    item->SetEnabled(enabled);
    Parent->Add(item);
    return item;
  }

  TItemFactory factory_;
  TTBCustomItem* root_ = nullptr;
  TTBPopupWindow* window_ = nullptr;
  TTBView* view_ = nullptr;
};

String LongMenuCaptions(int Count) {
  String captions;
  for (int i = 0; i < Count; ++i) captions += (i ? L"|I" : L"I") + std::to_wstring(i);
  return captions;
}

WORD PressKey(TTBView& View, WORD Key, TShiftState Shift = 0) {
  View.KeyDown(Key, Shift);
  return Key;
}

// --- navigation -----------------------------------------------------------------------------

struct TNavCase {
  const wchar_t* Menu;
  const wchar_t* Start;
  WORD Key;
  TShiftState Shift;
  const wchar_t* Expected;  // "" for nothing selected
};

void PrintTo(const TNavCase& c, std::ostream* os) {
  *os << Narrow(c.Menu) << " from " << Narrow(c.Start) << " key " << c.Key << (c.Shift ? "+shift" : "");
}

class NavigationKeys : public testing::TestWithParam<TNavCase> {};

TEST_P(NavigationKeys, MoveTheSelectionToTheNextSelectableViewer) {
  const TNavCase& c = GetParam();
  TTestMenu menu(c.Menu);
  menu.Layout();
  menu.View().SetSelected(menu.Viewer(c.Start));
  EXPECT_EQ(0, PressKey(menu.View(), c.Key, c.Shift));
  EXPECT_EQ(String(c.Expected), TTestMenu::CaptionOf(menu.View().Selected()));
}

constexpr const wchar_t* kNavMenu = L"-|A|~B|!C|-|^D|E|-";

INSTANTIATE_TEST_SUITE_P(
    Table, NavigationKeys,
    testing::Values(TNavCase{kNavMenu, L"", VK_TAB, 0, L"A"}, TNavCase{kNavMenu, L"A", VK_TAB, 0, L"D"},
                    TNavCase{kNavMenu, L"D", VK_TAB, 0, L"E"}, TNavCase{kNavMenu, L"E", VK_TAB, 0, L"A"},
                    TNavCase{kNavMenu, L"A", VK_TAB, ssShift, L"E"}, TNavCase{kNavMenu, L"E", VK_TAB, ssShift, L"D"},
                    TNavCase{kNavMenu, L"", VK_TAB, ssShift, L"E"}, TNavCase{kNavMenu, L"D", VK_HOME, 0, L"A"},
                    TNavCase{kNavMenu, L"A", VK_END, 0, L"E"}, TNavCase{kNavMenu, L"A", VK_DOWN, 0, L"D"},
                    TNavCase{kNavMenu, L"D", VK_UP, 0, L"A"}, TNavCase{kNavMenu, L"A", VK_UP, 0, L"E"},
                    TNavCase{kNavMenu, L"E", VK_DOWN, 0, L"A"},
                    // The current viewer is found again when it is the only one.
                    TNavCase{L"-|A|!B", L"A", VK_TAB, 0, L"A"},
                    // Disabled items can be selected; they just do nothing.
                    TNavCase{L"!X|#Y", L"", VK_TAB, 0, L"Y"},
                    TNavCase{L"-|~A|!B|-", L"", VK_TAB, 0, L""}, TNavCase{L"-|~A|!B|-", L"", VK_END, 0, L""}));

struct TFirstCase {
  const wchar_t* Menu;
  const wchar_t* Expected;
};

void PrintTo(const TFirstCase& c, std::ostream* os) { *os << Narrow(c.Menu); }

class FirstSelectable : public testing::TestWithParam<TFirstCase> {};

TEST_P(FirstSelectable, SkipsItemsNotToBeSelectedFirstUnlessAllAreSo) {
  TTestMenu menu(GetParam().Menu);
  menu.Layout();
  EXPECT_EQ(String(GetParam().Expected), TTestMenu::CaptionOf(menu.View().FirstSelectable()));
}

INSTANTIATE_TEST_SUITE_P(Table, FirstSelectable,
                         testing::Values(TFirstCase{L"^A|^B|C", L"C"}, TFirstCase{L"^A|^B", L"A"},
                                         TFirstCase{L"-|~A|!B|^C|D", L"D"}, TFirstCase{L"A|^B", L"A"},
                                         TFirstCase{L"-|!A", L""}));

TEST(ViewNavigation, AnEmptyViewFindsNothing) {
  for (bool priority : {false, true}) {
    TTestMenu menu(L"", TMenuKind::View, priority);
    menu.Layout();
    TTBView& view = menu.View();
    EXPECT_EQ(nullptr, view.NextSelectable(nullptr, true));
    EXPECT_EQ(nullptr, view.NextSelectable(nullptr, false));
    EXPECT_EQ(nullptr, view.FirstSelectable());
    bool isOnly = true;
    EXPECT_EQ(nullptr, view.NextSelectableWithAccel(nullptr, L'a', false, isOnly));
    EXPECT_FALSE(isOnly);
    EXPECT_EQ(nullptr, view.HighestPriorityViewer());
    for (WORD key : {VK_TAB, VK_HOME, VK_END, VK_DOWN}) {
      EXPECT_EQ(0, PressKey(view, key));
      EXPECT_EQ(nullptr, view.Selected());
    }
  }
}

// --- accelerators ---------------------------------------------------------------------------

struct TAccelCase {
  const wchar_t* Menu;
  const wchar_t* Current;
  wchar_t Key;
  bool RequirePrimary;
  const wchar_t* Expected;
  bool IsOnly;
};

void PrintTo(const TAccelCase& c, std::ostream* os) {
  *os << Narrow(c.Menu) << " from " << Narrow(c.Current) << " key " << Narrow(String(1, c.Key))
      << (c.RequirePrimary ? " primary only" : "");
}

class Accelerators : public testing::TestWithParam<TAccelCase> {};

TEST_P(Accelerators, FindTheNextItemByAcceleratorThenByFirstLetter) {
  const TAccelCase& c = GetParam();
  TTestMenu menu(c.Menu);
  menu.Layout();
  bool isOnly = !c.IsOnly;
  TTBItemViewer* found = menu.View().NextSelectableWithAccel(menu.Viewer(c.Current), c.Key, c.RequirePrimary, isOnly);
  EXPECT_EQ(String(c.Expected), TTestMenu::CaptionOf(found));
  EXPECT_EQ(c.IsOnly, isOnly);
}

constexpr const wchar_t* kSaveOpen = L"&Save|&Open|Sa&ve";

INSTANTIATE_TEST_SUITE_P(
    Table, Accelerators,
    testing::Values(
        TAccelCase{kSaveOpen, L"", L's', false, L"&Save", true}, TAccelCase{kSaveOpen, L"", L'S', false, L"&Save", true},
        TAccelCase{kSaveOpen, L"", L'o', false, L"&Open", true}, TAccelCase{kSaveOpen, L"", L'V', false, L"Sa&ve", true},
        TAccelCase{kSaveOpen, L"&Save", L's', false, L"&Save", true},
        // Captions with an accelerator are never matched by their first letter.
        TAccelCase{kSaveOpen, L"", L'a', false, L"", false},
        // Duplicates: the first after the current one, and not the only one.
        TAccelCase{L"&Save|&Send|&Open", L"", L's', false, L"&Save", false},
        TAccelCase{L"&Save|&Send|&Open", L"&Save", L's', false, L"&Send", false},
        TAccelCase{L"&Save|&Send|&Open", L"&Send", L'S', false, L"&Save", false},
        // First letters only after no accelerator matched, and never when only accelerators count.
        TAccelCase{L"&Open|Print|Paste", L"", L'p', false, L"Print", false},
        TAccelCase{L"&Open|Print|Paste", L"Print", L'P', false, L"Paste", false},
        TAccelCase{L"&Open|Print|Paste", L"", L'p', true, L"", false},
        TAccelCase{L"Print|&Page", L"", L'p', false, L"&Page", true},
        TAccelCase{L"Open|Print", L"", L'o', false, L"Open", true},
        // A disabled match is always the only one; enabled matches come first.
        TAccelCase{L"#&Save|&Open", L"", L's', false, L"&Save", true},
        TAccelCase{L"#&Save|#&Send", L"", L's', false, L"&Save", true},
        TAccelCase{L"#&Save|&Sound", L"", L's', false, L"&Sound", true},
        TAccelCase{L"#&Save|Sound", L"", L's', false, L"&Save", true},
        TAccelCase{L"#Save|Sound", L"", L's', false, L"Sound", true},
        TAccelCase{L"#Save|&Open", L"", L's', false, L"Save", true},
        // Invisible and unselectable items are skipped.
        TAccelCase{L"~&Save|!&Sum|&Sound", L"", L's', false, L"&Sound", true},
        // A space is never a first letter, but may be an accelerator.
        TAccelCase{L"Space| lead", L"", L' ', false, L"", false},
        TAccelCase{L"Alpha|& gap", L"", L' ', false, L"& gap", true},
        // The text after a tab is not part of the caption.
        TAccelCase{L"Tab\t&Ctrl+T|Cut", L"", L'c', false, L"Cut", true},
        // Case is compared under the user's locale.
        TAccelCase{L"&\u00C4pfel|&Birne", L"", L'\u00E4', false, L"&\u00C4pfel", true},
        TAccelCase{L"\u00E9t\u00E9|Hiver", L"", L'\u00C9', false, L"\u00E9t\u00E9", true}));

// --- priority -------------------------------------------------------------------------------

std::vector<String> PriorityCaptions(TTBView& View) {
  std::vector<String> captions;
  for (TTBItemViewer* v : *View.PriorityList()) captions.push_back(TTestMenu::CaptionOf(v));
  return captions;
}

TEST(ViewPriority, TheHighestIsTheFirstShownNonSeparatorInPriorityOrder) {
  struct TCase {
    const wchar_t* Menu;
    bool Toolbar;
    bool UsePriorityList;
    const wchar_t* Raise;  // given priority first, or ""
    const wchar_t* Expected;
  };
  const TCase cases[] = {
      {L"A|-|B|C", true, true, L"", L"A"},      {L"A|-|B|C", true, true, L"C", L"C"},
      {L"-|~A|B|C", true, true, L"", L"B"},     {L"-|~A|B|C", false, false, L"", L"B"},
      {L"-|~A|B|C", false, false, L"C", L"B"},  {L"~A|B|C", true, true, L"A", L"B"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(String(c.Menu)) + " raise " + testing::PrintToString(String(c.Raise)));
    TTestMenu menu(c.Menu, c.Toolbar ? TMenuKind::Toolbar : TMenuKind::View, c.UsePriorityList);
    menu.Layout();
    if (*c.Raise) menu.View().GivePriority(menu.Viewer(c.Raise));
    EXPECT_EQ(String(c.Expected), TTestMenu::CaptionOf(menu.View().HighestPriorityViewer()));
  }
}

TEST(ViewPriority, GivingPriorityMovesTheViewerToTheFrontKeepingTheOthersInOrder) {
  TTestMenu menu(L"A|-|B|C|D", TMenuKind::Toolbar, true);
  menu.Layout();
  menu.View().GivePriority(menu.Viewer(L"C"));
  EXPECT_EQ((std::vector<String>{L"C", L"A", L"", L"B", L"D"}), PriorityCaptions(menu.View()));
  menu.View().GivePriority(menu.Viewer(L"D"));
  menu.View().GivePriority(menu.Viewer(L"D"));
  EXPECT_EQ((std::vector<String>{L"D", L"C", L"A", L"", L"B"}), PriorityCaptions(menu.View()));
}

TEST(ViewPriority, AChevronPopupGivesPriorityInItsToolbar) {
  TTestMenu toolbar(L"A|B|C", TMenuKind::Toolbar, true);
  toolbar.Layout();
  TTBView* chevron = new TTBView(nullptr, &toolbar.View(), toolbar.Root(), nullptr, false, false, false);
  chevron->SetChevronParentView(&toolbar.View());
  chevron->GivePriority(chevron->Find(toolbar.Item(L"B")));
  EXPECT_EQ((std::vector<String>{L"B", L"A", L"C"}), PriorityCaptions(toolbar.View()));
  chevron->Free();
}

// --- keys that end the menu -----------------------------------------------------------------

struct TEndKeyCase {
  const wchar_t* Menu;
  const wchar_t* Selected;
  WORD Key;
  TTBDoneAction Expected;
  const wchar_t* ClickItem;  // for tbdaClickItem
};

void PrintTo(const TEndKeyCase& c, std::ostream* os) {
  *os << Narrow(c.Menu) << " at " << Narrow(c.Selected) << " key " << c.Key;
}

class EndingKeys : public testing::TestWithParam<TEndKeyCase> {};

TEST_P(EndingKeys, RecordTheOutcomeInTheRootView) {
  const TEndKeyCase& c = GetParam();
  TTestMenu menu(c.Menu);
  menu.Layout();
  menu.View().SetSelected(menu.Viewer(c.Selected));
  EXPECT_EQ(0, PressKey(menu.View(), c.Key));
  const TTBDoneActionData& done = menu.View().DoneActionData();
  EXPECT_EQ(c.Expected, done.DoneAction);
  if (c.Expected == tbdaClickItem) {
    EXPECT_EQ(menu.Item(c.ClickItem), done.ClickItem);
    EXPECT_TRUE(done.Sound);  // chosen in a popup
  }
}

INSTANTIATE_TEST_SUITE_P(Table, EndingKeys,
                         testing::Values(TEndKeyCase{L"A|B", L"A", VK_ESCAPE, tbdaCancel, L""},
                                         TEndKeyCase{L"A|B", L"", VK_MENU, tbdaCancel, L""},
                                         TEndKeyCase{L"A|B", L"B", VK_F10, tbdaCancel, L""},
                                         TEndKeyCase{L"A|B", L"B", VK_RETURN, tbdaClickItem, L"B"},
                                         TEndKeyCase{L"A|#B", L"B", VK_RETURN, tbdaCancel, L""},
                                         TEndKeyCase{L"A|!B", L"B", VK_RETURN, tbdaCancel, L""},
                                         TEndKeyCase{L"A|B", L"", VK_RETURN, tbdaCancel, L""},
                                         TEndKeyCase{L"A|B", L"A", VK_F1, tbdaNone, L""}));

TEST(ViewKeys, OtherKeysAreLeftAlone) {
  TTestMenu menu(L"A|B");
  menu.Layout();
  menu.View().SetSelected(menu.Viewer(L"A"));
  for (WORD key : {WORD('B'), WORD(VK_SPACE), WORD(VK_PRIOR), WORD(VK_F2), WORD(VK_SHIFT)}) {
    EXPECT_EQ(key, PressKey(menu.View(), key));
    EXPECT_EQ(menu.Viewer(L"A"), menu.View().Selected());
    EXPECT_EQ(tbdaNone, menu.View().DoneActionData().DoneAction);
  }
}

TEST(ViewKeys, F1AsksForTheHelpOfTheInnermostSelectionWithAHelpContext) {
  struct TCase {
    int ParentContext, ChildContext;
    TTBDoneAction Expected;
    int ExpectedContext;
  };
  for (const TCase& c : {TCase{5, 9, tbdaHelpContext, 9}, TCase{5, 0, tbdaHelpContext, 5},
                         TCase{0, 0, tbdaNone, 0}}) {
    TTestMenu parent(L"P|Q");
    TTestMenu child(L"X|Y");
    parent.Layout();
    child.Layout();
    TTBView* view = new TTBView(nullptr, &parent.View(), child.Root(), nullptr, false, false, false);
    parent.Item(L"Q")->SetHelpContext(c.ParentContext);
    child.Item(L"Y")->SetHelpContext(c.ChildContext);
    parent.View().SetSelected(parent.Viewer(L"Q"));
    view->SetSelected(view->Find(child.Item(L"Y")));
    EXPECT_EQ(0, PressKey(*view, VK_F1));
    EXPECT_EQ(c.Expected, parent.View().DoneActionData().DoneAction);
    EXPECT_EQ(c.ExpectedContext, parent.View().DoneActionData().ContextID);
    EXPECT_EQ(tbdaNone, view->DoneActionData().DoneAction);
    view->Free();
  }
}

// --- ending ---------------------------------------------------------------------------------

TEST(ViewEnding, EveryEndWritesTheRootViewsRecord) {
  struct TCase {
    const char* Name;
    std::function<void(TTBView& Child, TTBItemViewer* V)> End;
    std::function<void(const TTBDoneActionData&, TTBItemViewer* V)> Check;
  };
  const HWND wnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  const TCase cases[] = {
      {"cancel", [](TTBView& c, TTBItemViewer*) { c.EndModal(); },
       [](const TTBDoneActionData& d, TTBItemViewer*) { EXPECT_EQ(tbdaCancel, d.DoneAction); }},
      {"click", [](TTBView& c, TTBItemViewer* v) { c.EndModalWithClick(v); },
       [](const TTBDoneActionData& d, TTBItemViewer* v) {
         EXPECT_EQ(tbdaClickItem, d.DoneAction);
         EXPECT_EQ(v->Item(), d.ClickItem);
         EXPECT_TRUE(d.Sound);
       }},
      {"help", [](TTBView& c, TTBItemViewer*) { c.EndModalWithHelp(4711); },
       [](const TTBDoneActionData& d, TTBItemViewer*) {
         EXPECT_EQ(tbdaHelpContext, d.DoneAction);
         EXPECT_EQ(4711, d.ContextID);
       }},
      {"system menu", [wnd](TTBView& c, TTBItemViewer*) { c.EndModalWithSystemMenu(wnd, L'-'); },
       [wnd](const TTBDoneActionData& d, TTBItemViewer*) {
         EXPECT_EQ(tbdaOpenSystemMenu, d.DoneAction);
         EXPECT_EQ(wnd, d.SystemMenuWnd);
         EXPECT_EQ(WPARAM(L'-'), d.SystemMenuKey);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestMenu root(L"A");
    TTestMenu sub(L"X");
    TTBView* child = new TTBView(nullptr, &root.View(), sub.Root(), nullptr, false, false, false);
    TTBItemViewer* x = child->Find(sub.Item(L"X"));
    EXPECT_FALSE(root.View().IsModalEnding());
    c.End(*child, x);
    c.Check(root.View().DoneActionData(), x);
    EXPECT_EQ(tbdaNone, child->DoneActionData().DoneAction);
    EXPECT_TRUE(child->IsModalEnding());
    child->Free();
  }
}

TEST(ViewEnding, AClickOnAToolbarPlaysNoSound) {
  TTestMenu bar(L"A", TMenuKind::Toolbar);
  bar.View().EndModalWithClick(bar.Viewer(L"A"));
  EXPECT_EQ(tbdaClickItem, bar.View().DoneActionData().DoneAction);
  EXPECT_FALSE(bar.View().DoneActionData().Sound);
}

// --- scrolling ------------------------------------------------------------------------------

// A popup of 30 items, 20 pixels each, in 300 pixels: it scrolls.
class LongPopup : public testing::Test {
 public:
  static constexpr int kCount = 30;

 protected:
  static constexpr int kMaxHeight = 300;
  // The items wholly shown above the bottom arrow band before any scrolling.
  static constexpr int kShownAtTop = (kMaxHeight - kScrollArrowBand) / kItemHeight;
  static constexpr int kOverflow = kCount * kItemHeight - kMaxHeight;

  LongPopup() : menu_(LongMenuCaptions(kCount)) {
    menu_.View().SetMaxHeight(kMaxHeight);
    menu_.Layout();
  }
  TTBView& View() { return menu_.View(); }
  TTBItemViewer* Item(int I) { return View().Viewers(I); }
  // Each step down brings the next item's bottom to the bottom band, until the end.
  static int OffsetAfterSteps(int Steps) {
    if (Steps == 0) return 0;
    return std::min(kOverflow, (kShownAtTop + Steps) * kItemHeight - (kMaxHeight - kScrollArrowBand));
  }
  // Scrolls and lays out again (the view's own relayout may not be there).
  void Step(bool Down) {
    View().Scroll(Down);
    menu_.Layout();
  }

  TNavSettings settings_;
  seams::Scoped<seams::TSystemSettings> useSettings_{settings_};
  TTestMenu menu_;
};

TEST_F(LongPopup, ScrollingDownBringsTheNextHiddenItemToTheBottomBand) {
  ASSERT_TRUE(View().ShowDownArrow());
  ASSERT_FALSE(View().ShowUpArrow());
  ASSERT_TRUE(Item(kShownAtTop)->Clipped);
  for (int step = 1; step <= 3; ++step) {
    Step(true);
    EXPECT_EQ(OffsetAfterSteps(step), View().ScrollOffset());
    TTBItemViewer* revealed = Item(kShownAtTop + step - 1);
    EXPECT_TRUE(revealed->Show);
    EXPECT_EQ(kMaxHeight - kScrollArrowBand, revealed->BoundsRect.bottom);
  }
  EXPECT_TRUE(View().ShowUpArrow());
}

TEST_F(LongPopup, ScrollingUpBringsTheLastHiddenItemToTheTopBand) {
  for (int step = 0; step < 3; ++step) Step(true);
  for (int guard = 0; View().ScrollOffset() > 0 && guard < kCount; ++guard) {
    int last = -1;
    for (int i = 0; i < kCount; ++i)
      if (Item(i)->Clipped && Item(i)->BoundsRect.top < kScrollArrowBand) last = i;
    ASSERT_GE(last, 0);
    Step(false);
    EXPECT_TRUE(Item(last)->Show);
    if (View().ScrollOffset() > 0) {
      EXPECT_EQ(kScrollArrowBand, Item(last)->BoundsRect.top);
    }
  }
  EXPECT_EQ(0, View().ScrollOffset());
  EXPECT_FALSE(View().ShowUpArrow());
  EXPECT_TRUE(Item(0)->Show);
}

TEST_F(LongPopup, ScrollingStopsAtEitherEnd) {
  Step(false);
  EXPECT_EQ(0, View().ScrollOffset());
  int steps = 0;
  while (View().ShowDownArrow() && steps <= kCount) {
    Step(true);
    ++steps;
  }
  EXPECT_EQ(kOverflow, View().ScrollOffset());
  EXPECT_TRUE(Item(kCount - 1)->Show);
  Step(true);
  EXPECT_EQ(kOverflow, View().ScrollOffset());
}

TEST_F(LongPopup, TheSelectionIsScrolledIntoView) {
  const int below = 20;
  View().SetSelected(Item(below));
  View().ScrollSelectedIntoView();
  menu_.Layout();
  EXPECT_EQ((below + 1) * kItemHeight - (kMaxHeight - kScrollArrowBand), View().ScrollOffset());
  EXPECT_TRUE(Item(below)->Show);
  EXPECT_EQ(kMaxHeight - kScrollArrowBand, Item(below)->BoundsRect.bottom);

  const int above = 2;
  ASSERT_TRUE(Item(above)->Clipped);
  View().SetSelected(Item(above));
  View().ScrollSelectedIntoView();
  menu_.Layout();
  EXPECT_EQ(above * kItemHeight - kScrollArrowBand, View().ScrollOffset());
  EXPECT_EQ(kScrollArrowBand, Item(above)->BoundsRect.top);

  // A selection in view stays where it is.
  const int offset = View().ScrollOffset();
  View().SetSelected(Item(above + 3));
  View().ScrollSelectedIntoView();
  EXPECT_EQ(offset, View().ScrollOffset());
}

TEST_F(LongPopup, EndAndHomeScrollToTheEnds) {
  EXPECT_EQ(0, PressKey(View(), VK_END));
  menu_.Layout();
  EXPECT_EQ(Item(kCount - 1), View().Selected());
  EXPECT_EQ(kOverflow, View().ScrollOffset());
  EXPECT_TRUE(Item(kCount - 1)->Show);
  EXPECT_EQ(0, PressKey(View(), VK_HOME));
  menu_.Layout();
  EXPECT_EQ(Item(0), View().Selected());
  EXPECT_EQ(0, View().ScrollOffset());
  EXPECT_TRUE(Item(0)->Show);
}

TEST_F(LongPopup, ArrowKeysReachClippedItems) {
  View().SetSelected(Item(kShownAtTop - 1));
  EXPECT_EQ(0, PressKey(View(), VK_DOWN));
  menu_.Layout();
  EXPECT_EQ(Item(kShownAtTop), View().Selected());
  EXPECT_EQ(OffsetAfterSteps(1), View().ScrollOffset());
  EXPECT_TRUE(Item(kShownAtTop)->Show);
}

struct TWheelCase {
  std::vector<int> Deltas;
  UINT Lines;
  int Steps;  // -1: one page
  int Accumulator;
};

void PrintTo(const TWheelCase& c, std::ostream* os) {
  *os << "deltas";
  for (int d : c.Deltas) *os << ' ' << d;
  *os << " lines " << (c.Lines == WHEEL_PAGESCROLL ? std::string("page") : std::to_string(c.Lines));
}

class Wheel : public LongPopup, public testing::WithParamInterface<TWheelCase> {};

TEST_P(Wheel, ScrollsWheelLinesPerWholeNotch) {
  const TWheelCase& c = GetParam();
  settings_.WheelLines = c.Lines;
  for (int delta : c.Deltas) View().MouseWheel(delta, 10, 10);
  const int steps = c.Steps < 0 ? kShownAtTop : c.Steps;
  EXPECT_EQ(OffsetAfterSteps(steps), View().ScrollOffset());
  EXPECT_EQ(c.Accumulator, View().WheelAccumulator());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Wheel,
    testing::Values(TWheelCase{{-60}, 3, 0, -60}, TWheelCase{{-60, -60}, 3, 3, 0}, TWheelCase{{-120}, 3, 3, 0},
                    TWheelCase{{-130}, 3, 3, -10}, TWheelCase{{-360}, 3, 9, 0}, TWheelCase{{-120}, 1, 1, 0},
                    TWheelCase{{-120}, 0, 0, 0}, TWheelCase{{-360}, 0, 0, 0},
                    // More lines than items, and page scrolling, end at the last item.
                    TWheelCase{{-120}, 200, LongPopup::kCount, 0}, TWheelCase{{-120}, WHEEL_PAGESCROLL, -1, 0},
                    TWheelCase{{-360}, WHEEL_PAGESCROLL, LongPopup::kCount, 0},
                    // Away from the user at the top: nothing to scroll, the notch is used up.
                    TWheelCase{{120}, 3, 0, 0}, TWheelCase{{60}, 3, 0, 60}));

TEST_F(LongPopup, TheWheelScrollsUpLikeTheArrow) {
  while (View().ShowDownArrow()) Step(true);
  TTestMenu twin(LongMenuCaptions(kCount));
  twin.View().SetMaxHeight(kMaxHeight);
  twin.View().SetScrollOffset(View().ScrollOffset());
  twin.Layout();
  for (int i = 0; i < 3; ++i) {
    twin.View().Scroll(false);
    twin.Layout();
  }
  View().MouseWheel(120, 10, 10);
  EXPECT_EQ(twin.View().ScrollOffset(), View().ScrollOffset());
  EXPECT_EQ(0, View().WheelAccumulator());
}

TEST(ViewWheel, AViewWithoutScrollArrowsIgnoresTheWheel) {
  TTestMenu menu(L"A|B|C");
  menu.View().SetMaxHeight(300);
  menu.Layout();
  menu.View().MouseWheel(-240, 0, 0);
  EXPECT_EQ(0, menu.View().ScrollOffset());
  EXPECT_EQ(0, menu.View().WheelAccumulator());
}

// --- the timers of a modal selection --------------------------------------------------------

bool Running(TTBView& View, TTBViewTimerID Timer) { return (View.ActiveTimers() >> Timer) & 1u; }

class ModalSelection : public testing::Test {
 protected:
  TNavSettings settings_;
  seams::Scoped<seams::TSystemSettings> useSettings_{settings_};
};

TEST_F(ModalSelection, HoveringASubmenuStartsTheOpenTimerOnlyInAPopupWithAWindow) {
  struct TCase {
    const char* Name;
    TMenuKind Kind;
    bool ViaMouse;
    const wchar_t* Item;
    bool Expected;
  };
  const TCase cases[] = {
      {"popup, mouse, submenu", TMenuKind::PopupWindow, true, L"S", true},
      {"popup, keyboard, submenu", TMenuKind::PopupWindow, false, L"S", false},
      {"popup, mouse, plain item", TMenuKind::PopupWindow, true, L"A", false},
      {"toolbar, mouse, submenu", TMenuKind::Toolbar, true, L"S", false},
      {"popup view without a window, mouse, submenu", TMenuKind::View, true, L"S", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestMenu menu(L"A|>S(X)", c.Kind);
    menu.View().SetState(menu.View().State() | vsModal);
    menu.Layout();
    menu.View().Select(menu.Viewer(c.Item), c.ViaMouse);
    EXPECT_EQ(c.Expected, Running(menu.View(), tiOpen));
    EXPECT_FALSE(Running(menu.View(), tiClose));
  }
}

TEST_F(ModalSelection, MovingOnStopsTheOpenTimer) {
  TTestMenu menu(L"A|>S(X)", TMenuKind::PopupWindow);
  menu.Layout();
  menu.View().Select(menu.Viewer(L"S"), true);
  ASSERT_TRUE(Running(menu.View(), tiOpen));
  menu.View().Select(menu.Viewer(L"A"), true);
  EXPECT_FALSE(Running(menu.View(), tiOpen));
}

TEST_F(ModalSelection, ASiblingClosesTheOpenSubmenuAfterTheDelayUnlessTheMouseEntersIt) {
  TTestMenu menu(L"A|>S(X|Y)|B", TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  menu.Layout();
  view.SetSelected(menu.Viewer(L"S"));
  ASSERT_TRUE(view.OpenChildPopup(true));
  TTBView* child = view.OpenViewerView();
  ASSERT_NE(nullptr, child);

  view.Select(menu.Viewer(L"A"), true);
  EXPECT_TRUE(Running(view, tiClose));
  EXPECT_EQ(child, view.OpenViewerView());
  view.Select(menu.Viewer(L"B"), true);
  EXPECT_TRUE(Running(view, tiClose));

  child->Select(menu.ViewerIn(*child, L"Y"), true);
  EXPECT_EQ(menu.Viewer(L"S"), view.Selected());
  EXPECT_FALSE(Running(view, tiClose));
  EXPECT_FALSE(Running(view, tiOpen));
  EXPECT_EQ(child, view.OpenViewerView());

  // By keyboard the submenu closes at once.
  view.Select(menu.Viewer(L"B"), false);
  EXPECT_EQ(nullptr, view.OpenViewerView());
  EXPECT_FALSE(Running(view, tiClose));
}

TEST_F(ModalSelection, APopupOpeningSelectsItsFirstItemAndTheParentKeepsItsSelection) {
  TTestMenu menu(L"A|>S(^X|Y)", TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  menu.Layout();
  view.SetSelected(menu.Viewer(L"S"));
  ASSERT_TRUE(view.OpenChildPopup(true));
  EXPECT_EQ(menu.Viewer(L"S"), view.Selected());
  EXPECT_EQ(menu.Viewer(L"S"), view.OpenViewer());
  EXPECT_EQ(String(L"Y"), TTestMenu::CaptionOf(view.OpenViewerView()->Selected()));
}

// --- keys across popups ---------------------------------------------------------------------

// The chain of open popups below a view, as the captions of their selections: "S>T>Z".
String OpenChain(TTBView& View) {
  String chain = TTestMenu::CaptionOf(View.Selected());
  for (TTBView* v = View.OpenViewerView(); v; v = v->OpenViewerView()) chain += L">" + TTestMenu::CaptionOf(v->Selected());
  return chain;
}

TTBView& Deepest(TTBView& View) {
  TTBView* v = &View;
  while (v->OpenViewerView()) v = v->OpenViewerView();
  return *v;
}

struct TPopupKeyCase {
  const wchar_t* Menu;
  TMenuKind Kind;
  const wchar_t* Open;  // selected in the root and opened with its first item selected, or ""
  const wchar_t* Select;  // then selected in the deepest view, or ""
  bool OpenSelect;        // and opened
  WORD Key;
  const wchar_t* Expected;  // the open chain afterwards
  TTBDoneAction ExpectedDone;
};

void PrintTo(const TPopupKeyCase& c, std::ostream* os) {
  static const char* const kKinds[] = {"view", "bar", "vertical bar", "popup"};
  *os << Narrow(c.Menu) << " in a " << kKinds[static_cast<int>(c.Kind)] << ", open " << Narrow(c.Open) << ", at "
      << Narrow(c.Select) << (c.OpenSelect ? " opened" : "") << ", key " << c.Key;
}

class PopupKeys : public ModalSelection, public testing::WithParamInterface<TPopupKeyCase> {};

TEST_P(PopupKeys, CloseOpenOrMoveAcrossPopups) {
  const TPopupKeyCase& c = GetParam();
  TTestMenu menu(c.Menu, c.Kind);
  TTBView& root = menu.View();
  root.SetState(root.State() | vsModal);
  menu.Layout();
  if (*c.Open) {
    root.SetSelected(menu.Viewer(c.Open));
    ASSERT_TRUE(root.OpenChildPopup(true));
  }
  TTBView* target = &Deepest(root);
  if (*c.Select) target->SetSelected(menu.ViewerIn(*target, c.Select));
  if (c.OpenSelect) {
    ASSERT_TRUE(target->OpenChildPopup(true));
    target = &Deepest(root);
  }
  // The key may free the view it is given to: nothing of it is looked at afterwards.
  EXPECT_EQ(0, PressKey(*target, c.Key));
  EXPECT_EQ(String(c.Expected), OpenChain(root));
  EXPECT_EQ(c.ExpectedDone, root.DoneActionData().DoneAction);
}

constexpr const wchar_t* kNested = L"A|>S(X|>T(Z)|Y)|B";
constexpr const wchar_t* kBar = L">F(N|>R(Q)|O)|G|>E(C|P)";

using K = TMenuKind;

INSTANTIATE_TEST_SUITE_P(
    Table, PopupKeys,
    testing::Values(
        // In a popup menu Escape and Left close only the innermost popup; at the root Escape ends.
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"", false, VK_ESCAPE, L"S", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"T", true, VK_ESCAPE, L"S>T", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"", L"S", false, VK_ESCAPE, L"S", tbdaCancel},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"", false, VK_LEFT, L"S", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"T", true, VK_LEFT, L"S>T", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"", L"S", false, VK_LEFT, L"S", tbdaNone},
        // Right and Enter open the selected submenu with its first item selected.
        TPopupKeyCase{kNested, K::PopupWindow, L"", L"S", false, VK_RIGHT, L"S>X", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"T", false, VK_RIGHT, L"S>T>Z", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"T", false, VK_RETURN, L"S>T>Z", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"Y", false, VK_RIGHT, L"S>Y", tbdaNone},
        TPopupKeyCase{kNested, K::PopupWindow, L"S", L"Y", false, VK_RETURN, L"S>Y", tbdaClickItem},
        // Under a menu bar Left and Right move along the bar and open the next menu at once;
        // deeper down Left closes only the innermost popup.
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"", false, VK_LEFT, L"E>C", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"R", false, VK_LEFT, L"E>C", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"", false, VK_RIGHT, L"G", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"E", L"", false, VK_RIGHT, L"F>N", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"R", false, VK_RIGHT, L"F>R>Q", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"R", true, VK_LEFT, L"F>R", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"R", true, VK_RIGHT, L"G", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"", L"E", false, VK_LEFT, L"G", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"", L"F", false, VK_DOWN, L"F>N", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"", L"F", false, VK_UP, L"F>N", tbdaNone},
        TPopupKeyCase{kBar, K::Toolbar, L"F", L"", false, VK_ESCAPE, L"F", tbdaNone},
        // Across a vertical bar Left and Right open; its popups close with Left.
        TPopupKeyCase{kBar, K::VerticalToolbar, L"", L"F", false, VK_LEFT, L"F>N", tbdaNone},
        TPopupKeyCase{kBar, K::VerticalToolbar, L"", L"F", false, VK_RIGHT, L"F>N", tbdaNone},
        TPopupKeyCase{kBar, K::VerticalToolbar, L"", L"F", false, VK_DOWN, L"G", tbdaNone},
        TPopupKeyCase{kBar, K::VerticalToolbar, L"F", L"", false, VK_LEFT, L"F", tbdaNone},
        TPopupKeyCase{kBar, K::VerticalToolbar, L"F", L"", false, VK_RIGHT, L"F>N", tbdaNone}));

// --- the mouse ------------------------------------------------------------------------------

// Makes P the position of the messages the thread reads next.
void SetMessagePos(POINT P) {
  SetCursorPos(P.x, P.y);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE);
}

class MouseSelection : public ModalSelection {
 protected:
  // Shows the popup at the top left of the screen's free part and lays it out.
  void ShowAt(TTestMenu& Menu, int MaxHeight = 0) {
    TTBPopupWindow* window = Menu.Window();
    window->SetBounds(200, 100, window->Width(), window->Height());
    Menu.View().SetMaxHeight(MaxHeight);
    Menu.View().UpdatePositions();
    window->Show();
    testing_support::PumpMessages(50);
  }
  static POINT Inside(TTBView& View, TTBItemViewer* V) {
    const RECT& r = V->BoundsRect;
    return View.Window()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  static void MoveTo(TTBView& View, POINT P) {
    SetMessagePos(P);
    View.UpdateSelection(&P, true);
  }
};

TEST_F(MouseSelection, TheViewerUnderTheMouseIsSelectedAndDroppedWhenTheMouseLeaves) {
  TTestMenu menu(L"A|>S(X)|B", TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  ShowAt(menu);
  MoveTo(view, Inside(view, menu.Viewer(L"B")));
  EXPECT_EQ(menu.Viewer(L"B"), view.Selected());
  EXPECT_TRUE(view.SelectedViaMouse());
  EXPECT_TRUE(view.MouseOverSelected());
  EXPECT_TRUE(view.State() & vsMouseInWindow);

  const POINT outside{menu.Window()->Left() - 30, menu.Window()->Top() + 5};
  MoveTo(view, outside);
  EXPECT_EQ(nullptr, view.Selected());
  EXPECT_FALSE(view.State() & vsMouseInWindow);
}

TEST_F(MouseSelection, LeavingTowardTheOpenSubmenuKeepsItsItem) {
  TTestMenu menu(L"A|>S(X)|B", TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  ShowAt(menu);
  MoveTo(view, Inside(view, menu.Viewer(L"S")));
  ASSERT_TRUE(view.OpenChildPopup(false));
  const POINT outside{menu.Window()->Left() - 30, menu.Window()->Top() + 5};
  MoveTo(view, outside);
  EXPECT_EQ(menu.Viewer(L"S"), view.Selected());
  EXPECT_FALSE(view.MouseOverSelected());
}

TEST_F(MouseSelection, TheMouseIsOverTheSelectionOnlyWhereItIs) {
  TTestMenu menu(L"A|>S(X)|=P(Y)|B", TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  ShowAt(menu);
  SetMessagePos(Inside(view, menu.Viewer(L"A")));
  view.SetSelected(menu.Viewer(L"A"));
  EXPECT_TRUE(view.MouseOverSelected());
  view.SetSelected(menu.Viewer(L"B"));
  EXPECT_FALSE(view.MouseOverSelected());
  // While the view holds the capture only the button part counts: a submenu has none, a split
  // item's arrow part is not one.
  struct TCase {
    const wchar_t* Caption;
    bool AtRightEdge;  // else a few pixels in from the left
    bool Expected;
  };
  const TCase cases[] = {{L"A", false, true},  {L"A", true, true},  {L"S", false, false},
                         {L"S", true, false}, {L"P", false, true}, {L"P", true, false}};
  for (const TCase& c : cases) {
    TTBItemViewer* viewer = menu.Viewer(c.Caption);
    const RECT& r = viewer->BoundsRect;
    const POINT at = view.Window()->ClientToScreen(POINT{c.AtRightEdge ? r.right - 3 : r.left + 3, (r.top + r.bottom) / 2});
    SetMessagePos(at);
    view.SetSelected(viewer);
    ASSERT_TRUE(view.MouseOverSelected());
    view.SetCapture();
    view.Select(viewer, true);
    EXPECT_EQ(c.Expected, view.MouseOverSelected()) << Narrow(c.Caption) << (c.AtRightEdge ? " at the right" : " at the left");
    view.CancelCapture();
  }
}

TEST_F(MouseSelection, RestingOnAnArrowBandScrollsThatWay) {
  TTestMenu menu(LongMenuCaptions(30), TMenuKind::PopupWindow);
  TTBView& view = menu.View();
  ShowAt(menu, 300);
  ASSERT_TRUE(view.ShowDownArrow());
  const int height = view.Window()->ClientHeight();
  auto at = [&](int Y) { return view.Window()->ClientToScreen(POINT{10, Y}); };

  MoveTo(view, at(height - 5));
  EXPECT_TRUE(Running(view, tiScrollDown));
  EXPECT_FALSE(Running(view, tiScrollUp));
  // No up arrow yet: the top of the list is only a list item.
  MoveTo(view, at(5));
  EXPECT_FALSE(Running(view, tiScrollDown));
  EXPECT_FALSE(Running(view, tiScrollUp));

  view.Scroll(true);
  ASSERT_TRUE(view.ShowUpArrow());
  MoveTo(view, at(5));
  EXPECT_TRUE(Running(view, tiScrollUp));
  MoveTo(view, at(height / 2));
  EXPECT_FALSE(Running(view, tiScrollDown));
  EXPECT_FALSE(Running(view, tiScrollUp));
}

}  // namespace
