// Opening an item's popup: the placement rule over a table of records, and real popups built,
// sized, placed, linked to the view they open from and shown with the menu sound.
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "common/TestSupport.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace item_tests;

namespace {

const RECT kWorkArea{0, 0, 1024, 768};

// --- the placement rule ---------------------------------------------------------------------

enum class TParent { None, Horizontal, Vertical };

struct TPlacementCase {
  const char* what;
  TParent parent;
  bool submenu;
  TTBPopupAlignment alignment;
  bool opposite;
  RECT parentItem;
  POINT ncSize;
  POINT proposed;
  SIZE size;
  bool secondRowShown;  // the parent view's second row of items is shown
  // expected
  POINT at;
  TTBAnimationDirections dir;
  bool oppositePopup;  // the popup's view continues leftwards
  bool oppositeAfter;  // the record's Opposite afterwards
};

constexpr POINT kFrame{3, 3};
constexpr POINT kNoFrame{0, 0};

const TPlacementCase kPlacements[] = {
    // At a point, no parent view.
    {"left-aligned at a point near the bottom-right corner", TParent::None, false, tbpaLeft, false,
     {900, 700, 900, 700}, kFrame, {900, 700}, {200, 300}, false, {700, 400}, tbadUp | tbadLeft, false, false},
    {"right-aligned at the same point", TParent::None, false, tbpaRight, false, {900, 700, 900, 700}, kFrame,
     {700, 700}, {200, 300}, false, {700, 400}, tbadUp | tbadLeft, false, false},
    {"centred at the same point overlaps it across", TParent::None, false, tbpaCenter, false, {900, 700, 900, 700},
     kFrame, {800, 700}, {200, 300}, false, {800, 400}, tbadUp, false, false},
    {"centred and as tall as the work area moves beside the point", TParent::None, false, tbpaCenter, false,
     {500, 400, 500, 400}, kFrame, {400, 400}, {200, 768}, false, {500, 0}, tbadRight, false, false},
    {"left-aligned near the top-left corner", TParent::None, false, tbpaLeft, false, {10, 10, 10, 10}, kFrame,
     {10, 10}, {200, 300}, false, {10, 10}, tbadDown | tbadRight, false, false},
    {"right-aligned near the left edge opens right of the point", TParent::None, false, tbpaRight, false,
     {50, 100, 50, 100}, kFrame, {-150, 100}, {200, 300}, false, {50, 100}, tbadDown | tbadRight, false, false},
    {"left-aligned near the right edge opens left of the point", TParent::None, false, tbpaLeft, false,
     {950, 100, 950, 100}, kFrame, {950, 100}, {200, 300}, false, {750, 100}, tbadDown | tbadLeft, false, false},
    {"centred near the right edge is clamped to it", TParent::None, false, tbpaCenter, false, {1000, 100, 1000, 100},
     kFrame, {900, 100}, {200, 300}, false, {824, 100}, tbadDown, false, false},
    {"wider than the work area stops at its left edge", TParent::None, false, tbpaLeft, false, {500, 100, 500, 100},
     kFrame, {500, 100}, {1100, 100}, false, {0, 100}, tbadDown, false, false},
    // Submenus beside their parent item.
    {"a submenu opens right of its parent item", TParent::Horizontal, true, tbpaLeft, false, {100, 200, 250, 220},
     kFrame, {247, 197}, {150, 100}, false, {247, 197}, tbadRight, false, false},
    {"a submenu at the right edge opens left, and its submenus follow", TParent::Horizontal, true, tbpaLeft, false,
     {830, 200, 980, 220}, kFrame, {977, 197}, {150, 100}, false, {683, 197}, tbadLeft, true, false},
    {"a submenu of a leftward popup continues left", TParent::Horizontal, true, tbpaLeft, true, {300, 200, 450, 220},
     kFrame, {447, 197}, {150, 100}, false, {153, 197}, tbadLeft, true, true},
    {"a submenu of a leftward popup goes right again when the left is full", TParent::Horizontal, true, tbpaLeft,
     true, {50, 200, 200, 220}, kFrame, {197, 197}, {150, 100}, false, {197, 197}, tbadRight, false, false},
    {"a submenu with no room on either side goes left regardless", TParent::Horizontal, true, tbpaLeft, true,
     {50, 200, 200, 220}, kFrame, {197, 197}, {900, 100}, false, {0, 197}, tbadRight, true, false},
    {"a submenu taller than the room below lines its bottom up with its parent item", TParent::Horizontal, true,
     tbpaLeft, false, {100, 600, 250, 620}, kFrame, {247, 597}, {150, 400}, false, {247, 223}, tbadRight, false,
     false},
    {"a submenu taller than the work area starts at its top", TParent::Horizontal, true, tbpaLeft, false,
     {100, 600, 250, 620}, kFrame, {247, 597}, {150, 800}, false, {247, 0}, tbadRight, false, false},
    {"a frameless submenu beside a rectangle one pixel in", TParent::Horizontal, true, tbpaLeft, false,
     {101, 201, 249, 219}, kNoFrame, {249, 201}, {150, 100}, false, {249, 201}, tbadRight, false, false},
    {"a frameless submenu at the right edge", TParent::Horizontal, true, tbpaLeft, false, {831, 201, 979, 219},
     kNoFrame, {979, 201}, {150, 100}, false, {681, 201}, tbadLeft, true, false},
    {"a submenu without a parent view flips by its own width", TParent::None, true, tbpaLeft, false,
     {900, 100, 900, 100}, kFrame, {900, 100}, {150, 100}, false, {750, 100}, tbadLeft, true, false},
    // Dropped down from a horizontal bar.
    {"a drop-down opens below its bar button", TParent::Horizontal, false, tbpaLeft, false, {100, 0, 160, 20}, kFrame,
     {100, 20}, {200, 300}, false, {100, 20}, tbadDown, false, false},
    {"a drop-down from a bar at the bottom opens above its button", TParent::Horizontal, false, tbpaLeft, false,
     {100, 740, 160, 768}, kFrame, {100, 768}, {200, 300}, false, {100, 440}, tbadUp, false, false},
    {"a drop-down at the right edge is clamped to it", TParent::Horizontal, false, tbpaLeft, false,
     {950, 0, 1010, 20}, kFrame, {950, 20}, {200, 300}, false, {824, 20}, tbadDown, false, false},
    {"a drop-down that would cover the bar's second row opens above", TParent::Horizontal, false, tbpaLeft, false,
     {100, 100, 160, 120}, kFrame, {100, 120}, {200, 100}, true, {100, 0}, tbadUp, false, false},
    {"a drop-down over a hidden second row stays below", TParent::Horizontal, false, tbpaLeft, false,
     {100, 100, 160, 120}, kFrame, {100, 120}, {200, 100}, false, {100, 120}, tbadDown, false, false},
    // Beside a vertical bar.
    {"beside a vertical bar at the left edge", TParent::Vertical, false, tbpaLeft, false, {0, 100, 30, 130}, kFrame,
     {-200, 100}, {200, 300}, false, {30, 100}, tbadRight, false, false},
    {"beside a vertical bar at the right edge", TParent::Vertical, false, tbpaLeft, false, {994, 100, 1024, 130},
     kFrame, {794, 100}, {200, 300}, false, {794, 100}, tbadLeft, false, false},
    {"beside a vertical bar near the bottom: clamped, never flipped up", TParent::Vertical, false, tbpaLeft, false,
     {0, 700, 30, 730}, kFrame, {-200, 700}, {200, 300}, false, {30, 468}, tbadRight, false, false},
    {"as wide as the work area beside a vertical bar drops below the button", TParent::Vertical, false, tbpaLeft,
     false, {0, 100, 30, 130}, kFrame, {-1024, 100}, {1024, 300}, false, {0, 130}, tbadDown, false, false},
};

class PopupPlacement : public testing::TestWithParam<TPlacementCase> {
 protected:
  // The parent view shows a bar of three items: the parent item and, on a second row below
  // it, two more (shown or not). It has no window, so its client coordinates are screen ones.
  void SetUp() override {
    root = items.Make<TTBRootItem>(L"root");
    for (const wchar_t* name : {L"a", L"b", L"c"}) items.Make(name, root);
  }
  TTBView* MakeParentView(const TPlacementCase& c) {
    if (c.parent == TParent::None) return nullptr;
    auto* view = new TTBView(items.Owner(), nullptr, root, nullptr, false, false, false);
    view->SetOrientation(c.parent == TParent::Vertical ? tbvoVertical : tbvoHorizontal);
    const RECT bounds[] = {{100, 100, 160, 120}, {100, 120, 160, 140}, {160, 120, 220, 140}};
    for (int i = 0; i < 3; ++i) {
      view->Viewers(i)->BoundsRect = bounds[i];
      view->Viewers(i)->Show = i == 0 || c.secondRowShown;
    }
    return view;
  }
  static TTBPopupPositionRec RecordOf(const TPlacementCase& c) {
    TTBPopupPositionRec p;
    p.PositionAsSubmenu = c.submenu;
    p.Alignment = c.alignment;
    p.Opposite = c.opposite;
    p.MonitorRect = kWorkArea;
    p.ParentItemRect = c.parentItem;
    p.NCSize = c.ncSize;
    p.X = c.proposed.x;
    p.Y = c.proposed.y;
    p.Width = c.size.cx;
    p.Height = c.size.cy;
    p.AnimDir = tbadLeft | tbadRight | tbadUp | tbadDown;  // output only: the rule starts afresh
    return p;
  }
  TItemFactory items;
  TTBRootItem* root = nullptr;
};

TEST_P(PopupPlacement, FollowsTheRule) {
  const TPlacementCase& c = GetParam();
  TTBView* parentView = MakeParentView(c);
  auto* window = new TTBPopupWindow(items.Owner(), parentView, root, false);
  TTBPopupPositionRec p = RecordOf(c);
  root->GetPopupPosition(parentView, window, p);
  EXPECT_EQ(p.X, c.at.x);
  EXPECT_EQ(p.Y, c.at.y);
  EXPECT_EQ(p.AnimDir, c.dir);
  EXPECT_EQ((window->View()->State() & vsOppositePopup) != 0, c.oppositePopup);
  EXPECT_EQ(p.Opposite, c.oppositeAfter);
  EXPECT_EQ(p.Width, c.size.cx);
  EXPECT_EQ(p.Height, c.size.cy);
  EXPECT_TRUE(p.PlaySound);

  // The themed items run the rule once more on a record it has already placed.
  TTBPopupPositionRec again = p;
  root->GetPopupPosition(parentView, window, again);
  EXPECT_EQ(again.X, p.X) << "second pass";
  EXPECT_EQ(again.Y, p.Y) << "second pass";
  EXPECT_EQ(again.AnimDir, p.AnimDir) << "second pass";
}

INSTANTIATE_TEST_SUITE_P(Cases, PopupPlacement, testing::ValuesIn(kPlacements),
                         [](const testing::TestParamInfo<TPlacementCase>& info) {
                           std::string name;
                           for (const char* s = info.param.what; *s; ++s)
                             if (isalnum(static_cast<unsigned char>(*s))) name += *s;
                           return name;
                         });

// --- real popups ----------------------------------------------------------------------------

// Settings of a plain desktop: no animation, menus drop down on the left of their button.
class TPlainSettings : public seams::TSystemSettings {
 public:
  bool MenuAnimation() override { return false; }
  bool MenuFade() override { return false; }
  UINT MenuShowDelay() override { return 60000; }
  bool MenuDropAlignmentRight() override { return DropRight; }
  bool DropRight = false;
};

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

RECT ScreenRectOf(TWinControl* Window) {
  RECT r{};
  GetWindowRect(Window->Handle(), &r);
  return r;
}

// The viewer's bounds on the screen.
RECT ScreenRectOf(TTBItemViewer* Viewer) {
  RECT r = Viewer->BoundsRect;
  POINT origin{};
  ClientToScreen(Viewer->View()->Window()->Handle(), &origin);
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

bool Inside(const RECT& Inner, const RECT& Outer) {
  return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
         Inner.bottom <= Outer.bottom;
}

// Tells when a component it watches is freed.
class TFreeSpy : public TComponent {
 public:
  TFreeSpy() : TComponent(nullptr) {}
  void Watch(TComponent* C) {
    watched_ = C;
    C->FreeNotification(this);
  }
  bool Freed = false;

 protected:
  void Notification(TComponent* C, TOperation Operation) override {
    TComponent::Notification(C, Operation);
    if (C == watched_ && Operation == TOperation::opRemove) Freed = true;
  }

 private:
  TComponent* watched_ = nullptr;
};

// A submenu item whose placement can be watched, made to fail or made silent, as themed items
// adjust the record around the rule.
class TWatchedSubmenu : public TTBSubmenuItem {
 public:
  using TTBSubmenuItem::TTBSubmenuItem;
  void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) override {
    Proposed = POINT{P.X, P.Y};
    TTBSubmenuItem::GetPopupPosition(ParentView, PopupWindow, P);
    Placed = P;
    if (Silent) P.PlaySound = false;
    if (Fail) {
      PopupWindow->HandleNeeded();  // a window that exists, so that its end can be seen
      if (Spy) Spy->Watch(PopupWindow);
      throw Exception(L"placement failed");
    }
  }
  POINT Proposed{};
  TTBPopupPositionRec Placed;
  bool Silent = false;
  bool Fail = false;
  TFreeSpy* Spy = nullptr;
};

class Popups : public testing::Test {
 protected:
  // root: sub(a, b, c), d; the root shows in a popup at (100, 100).
  void SetUp() override {
    SetCursorPos(1, 1);  // no window shows under the cursor
    root = items.Make<TTBRootItem>(L"root");
    sub = items.Make<TWatchedSubmenu>(L"sub", root);
    for (const wchar_t* name : {L"a", L"b", L"c"}) items.Make(name, sub)->SetCaption(name);
    sub->SetCaption(L"Sub");
    items.Make(L"d", root)->SetCaption(L"D");
    windows = testing_support::ThreadWindowCount();
  }
  void TearDown() override {
    if (parentWindow) parentWindow->Free();
    EXPECT_EQ(testing_support::ThreadWindowCount(), windows) << "no popup window is left behind";
  }
  TTBView* OpenParent() {
    parentWindow = new TTBPopupWindow(nullptr, nullptr, root, false);
    parentWindow->View()->UpdatePositions();
    parentWindow->SetBounds(100, 100, parentWindow->Width(), parentWindow->Height());
    parentWindow->SetVisible(true);
    return parentWindow->View();
  }
  TTBPopupWindow* OpenSub(bool SelectFirstItem = false) {
    TTBView* view = parentWindow ? parentWindow->View() : OpenParent();
    return sub->CreatePopup(view, view->Find(sub), true, SelectFirstItem, false, POINT{}, tbpaLeft);
  }
  TPlainSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  TItemFactory items;
  TTBRootItem* root = nullptr;
  TWatchedSubmenu* sub = nullptr;
  TTBPopupWindow* parentWindow = nullptr;
  int windows = 0;
};

TEST_F(Popups, ASubmenuOpensBesideItsParentItemLinkedToItsView) {
  TTBView* parentView = OpenParent();
  TTBItemViewer* parentViewer = parentView->Find(sub);
  items.Events.Log.clear();
  TTBPopupWindow* popup = OpenSub();
  ASSERT_NE(popup, nullptr);
  TTBView* view = popup->View();
  EXPECT_EQ(items.Events.Log, (std::vector<std::string>{"popup sub", "click sub"}));

  EXPECT_EQ(parentView->OpenViewer(), parentViewer);
  EXPECT_EQ(parentView->OpenViewerView(), view);
  EXPECT_EQ(parentView->OpenViewerWindow(), popup);
  EXPECT_EQ(view->ParentView(), parentView);
  EXPECT_TRUE(view->State() & vsDrawInOrder);
  EXPECT_TRUE(IsWindowVisible(popup->Handle()));

  // Its own submenus stay on this monitor, and a menu longer than it scrolls.
  const RECT work = WorkArea();
  EXPECT_EQ(view->MonitorRect(), work);
  EXPECT_EQ(view->MaxHeight(), work.bottom - work.top - 2 * popup->GetNCSize().y);

  // Sized by its view: the items and the frame.
  const POINT frame = popup->GetNCSize();
  EXPECT_EQ(popup->Height(), view->Viewers(view->ViewerCount() - 1)->BoundsRect.bottom + 2 * frame.y);
  EXPECT_EQ(popup->Width(), view->Viewers(0)->BoundsRect.right + 2 * frame.x);

  // Its first item lines up with the parent item, through the placement rule.
  const RECT parentItem = ScreenRectOf(parentViewer);
  EXPECT_EQ(sub->Proposed.x, parentItem.right - frame.x);
  EXPECT_EQ(sub->Proposed.y, parentItem.top - frame.y);
  EXPECT_TRUE(sub->Placed.PositionAsSubmenu);
  EXPECT_EQ(sub->Placed.ParentItemRect, parentItem);
  EXPECT_EQ(sub->Placed.NCSize.x, frame.x);
  EXPECT_EQ(sub->Placed.NCSize.y, frame.y);
  const RECT shown = ScreenRectOf(popup);
  EXPECT_EQ(shown, (RECT{sub->Placed.X, sub->Placed.Y, sub->Placed.X + sub->Placed.Width,
                         sub->Placed.Y + sub->Placed.Height}));
  EXPECT_EQ(popup->AnimationDirection(), sub->Placed.AnimDir);
  EXPECT_EQ(popup->AnimationDirection(), tbadRight);

  // The view that opened it owns it.
  TFreeSpy spy;
  spy.Watch(popup);
  parentView->CloseChildPopups();
  EXPECT_TRUE(spy.Freed);
  EXPECT_EQ(parentView->OpenViewerWindow(), nullptr);
}

TEST_F(Popups, ALinkedSubmenuShowsTheLinkedItemsAfterTheirPopupEvents) {
  TTBCustomItem* holder = items.Make(L"holder");
  items.Make(L"x", holder);
  items.Make(L"y", holder);
  sub->SetLinkSubitems(holder);
  TTBView* parentView = OpenParent();
  items.Events.Log.clear();
  TTBPopupWindow* popup = sub->CreatePopup(parentView, parentView->Find(sub), true, false, false, POINT{}, tbpaLeft);
  // The holder's popup event first, told which item opens; each is clicked after its event.
  EXPECT_EQ(items.Events.Log, (std::vector<std::string>{"popup sub link", "click holder", "popup sub", "click sub"}));
  TTBView* view = popup->View();
  ASSERT_EQ(view->ViewerCount(), 2);
  EXPECT_EQ(view->Viewers(0)->Item(), holder->Items(0));
  EXPECT_EQ(view->Viewers(1)->Item(), holder->Items(1));
}

TEST_F(Popups, ADropDownFromABarLooksPressedAndLinesUpWithTheMenuSide) {
  auto* form = new TForm(Application);
  TScopeGuard freeForm([form] { form->Free(); });
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(200, 150, 400, 40);
  form->Show();
  auto* bar = new TTBView(form, nullptr, root, form, true, false, false);
  bar->ValidatePositions();
  TTBItemViewer* button = bar->Find(sub);
  for (bool dropRight : {false, true}) {
    settings.DropRight = dropRight;
    TTBPopupWindow* popup = sub->CreatePopup(bar, button, false, false, false, POINT{}, tbpaLeft);
    const RECT item = ScreenRectOf(button), shown = ScreenRectOf(popup);
    EXPECT_EQ(sub->Proposed.y, item.bottom) << "right " << dropRight;
    EXPECT_EQ(sub->Proposed.x, dropRight ? item.right - popup->Width() : item.left) << "right " << dropRight;
    EXPECT_EQ(shown.top, item.bottom) << "right " << dropRight;
    EXPECT_TRUE(bar->State() & vsDropDownMenus);
    EXPECT_EQ(bar->OpenViewerWindow(), popup);
    bar->CancelChildPopups();
    EXPECT_FALSE(bar->State() & vsDropDownMenus);
  }
}

TEST_F(Popups, PopupsAtTheCornersOfTheWorkAreaStayInsideIt) {
  const RECT work = WorkArea();
  const POINT corners[] = {{work.left, work.top},
                           {work.right - 1, work.top},
                           {work.left, work.bottom - 1},
                           {work.right - 1, work.bottom - 1},
                           {(work.left + work.right) / 2, work.bottom - 1}};
  for (const POINT& p : corners)
    for (TTBPopupAlignment alignment : {tbpaLeft, tbpaRight, tbpaCenter}) {
      TTBPopupWindow* popup = root->CreatePopup(nullptr, nullptr, false, false, false, p, alignment);
      const RECT shown = ScreenRectOf(popup);
      EXPECT_TRUE(Inside(shown, work)) << p.x << "," << p.y << " alignment " << alignment;
      EXPECT_TRUE(IsWindowVisible(popup->Handle()));
      EXPECT_EQ(popup->View()->MonitorRect(), work);
      popup->Free();
    }
}

TEST_F(Popups, SelectingTheFirstItemSelectsTheFirstSelectableOne) {
  sub->Items(0)->SetEnabled(true);
  TTBPopupWindow* popup = OpenSub(true);
  TTBView* view = popup->View();
  EXPECT_NE(view->Selected(), nullptr);
  EXPECT_EQ(view->Selected(), view->FirstSelectable());
}

TEST_F(Popups, AssistiveToolsHearThePopupStartAndTheSelection) {
  {
    TWinEventLog events;
    TTBPopupWindow* popup = OpenSub();
    EXPECT_EQ(events.WindowsOf(EVENT_SYSTEM_MENUPOPUPSTART), std::vector<HWND>{popup->Handle()});
    EXPECT_FALSE(events.Saw(EVENT_OBJECT_FOCUS, popup->Handle())) << "nothing is selected";
    parentWindow->View()->CloseChildPopups();
  }
  TWinEventLog events;
  TTBPopupWindow* popup = OpenSub(true);
  EXPECT_EQ(events.WindowsOf(EVENT_SYSTEM_MENUPOPUPSTART), std::vector<HWND>{popup->Handle()});
  EXPECT_TRUE(events.Saw(EVENT_OBJECT_FOCUS, popup->Handle()));
}

// --- the popup sound ------------------------------------------------------------------------

class PopupSound : public Popups {
 protected:
  void SetUp() override {
    Popups::SetUp();
    OpenParent();
    sounds.OnPlay = [this] {
      // What a user sees as the sound starts; the new popup is linked to its parent by then.
      TTBPopupWindow* popup = parentWindow->View()->OpenViewerWindow();
      const bool exists = popup && popup->HandleAllocated();
      RECT update{};
      VisibleAtPlay.push_back(exists && IsWindowVisible(popup->Handle()));
      PaintPendingAtPlay.push_back(exists && GetUpdateRect(popup->Handle(), &update, FALSE));
    };
  }
  TRecordingSounds sounds;
  seams::Scoped<seams::TSounds> useSounds{sounds};
  std::vector<bool> VisibleAtPlay;
  std::vector<bool> PaintPendingAtPlay;
};

TEST_F(PopupSound, NoSoundWithoutASchemeEntry) {
  for (const wchar_t* entry : {L"", static_cast<const wchar_t*>(nullptr)}) {
    TSchemeSound scheme(L"MenuPopup", entry);
    tb2item_detail::SetPopupSoundPlayed(false);
    TTBPopupWindow* popup = OpenSub();
    EXPECT_TRUE(sounds.Played.empty());
    EXPECT_TRUE(IsWindowVisible(popup->Handle()));
    EXPECT_FALSE(tb2item_detail::PopupSoundPlayed());
    parentWindow->View()->CloseChildPopups();
  }
}

TEST_F(PopupSound, TheFirstPopupShowsBeforeItsSoundAndLaterOnesAfter) {
  TSchemeSound scheme(L"MenuPopup", L"popup.wav");
  tb2item_detail::SetPopupSoundPlayed(false);
  for (int i = 0; i < 3; ++i) {
    OpenSub();
    parentWindow->View()->CloseChildPopups();
  }
  ASSERT_EQ(sounds.Played.size(), 3u);
  for (const auto& [alias, flags] : sounds.Played) {
    EXPECT_EQ(alias, L"MenuPopup");
    EXPECT_EQ(flags, 0x10013u);  // SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP
  }
  // The first popup shows, already painted, before its sound; later ones after it.
  EXPECT_EQ(VisibleAtPlay, (std::vector<bool>{true, false, false}));
  EXPECT_FALSE(PaintPendingAtPlay[0]);
  EXPECT_TRUE(tb2item_detail::PopupSoundPlayed());
}

TEST_F(PopupSound, AnItemMaySilenceItsPopup) {
  TSchemeSound scheme(L"MenuPopup", L"popup.wav");
  sub->Silent = true;
  TTBPopupWindow* popup = OpenSub();
  EXPECT_TRUE(sounds.Played.empty());
  EXPECT_TRUE(IsWindowVisible(popup->Handle()));
}

// --- failures -------------------------------------------------------------------------------

TEST_F(Popups, AFailingPopupEventLeavesNoWindowAndReachesTheCaller) {
  TTBView* parentView = OpenParent();
  const int before = testing_support::ThreadWindowCount();
  items.Events.OnPopupHook = [](TTBCustomItem*) { throw Exception(L"popup failed"); };
  EXPECT_THROW(sub->CreatePopup(parentView, parentView->Find(sub), true, false, false, POINT{}, tbpaLeft), Exception);
  EXPECT_THROW(root->CreatePopup(nullptr, nullptr, false, false, false, POINT{300, 300}, tbpaLeft), Exception);
  EXPECT_EQ(testing_support::ThreadWindowCount(), before);
  EXPECT_EQ(parentView->OpenViewerWindow(), nullptr);
}

TEST_F(Popups, AFailureWhilePlacingFreesTheHalfBuiltWindow) {
  TTBView* parentView = OpenParent();
  const int before = testing_support::ThreadWindowCount();
  TFreeSpy spy;
  sub->Spy = &spy;
  sub->Fail = true;
  EXPECT_THROW(OpenSub(), Exception);
  EXPECT_TRUE(spy.Freed);
  EXPECT_EQ(testing_support::ThreadWindowCount(), before);
  EXPECT_EQ(parentView->OpenViewerWindow(), nullptr);
}

TEST_F(Popups, AFailureWhileShowingUnlinksAndFreesTheWindow) {
  // The sound starts after the popup was linked to its parent view.
  TSchemeSound scheme(L"MenuPopup", L"popup.wav");
  TRecordingSounds sounds;
  sounds.OnPlay = [] { throw Exception(L"no sound"); };
  seams::Scoped<seams::TSounds> useSounds(sounds);
  TTBView* parentView = OpenParent();
  const int before = testing_support::ThreadWindowCount();
  EXPECT_THROW(OpenSub(), Exception);
  EXPECT_EQ(sounds.Played.size(), 1u);
  EXPECT_EQ(testing_support::ThreadWindowCount(), before);
  EXPECT_EQ(parentView->OpenViewerWindow(), nullptr);
  EXPECT_EQ(parentView->OpenViewerView(), nullptr);
  EXPECT_EQ(parentView->OpenViewer(), nullptr);
}

TEST_F(Popups, AFailingPopupEventOfAModalMenuReleasesTheMenuLoop) {
  TWinEventLog events;
  HWND handlerWnd = nullptr;
  items.Events.OnPopupHook = [&](TTBCustomItem*) {
    handlerWnd = GetCapture();  // the menu loop holds the mouse while the popup is built
    throw Exception(L"popup failed");
  };
  EXPECT_THROW(root->Popup(300, 300, false), Exception);
  ASSERT_NE(handlerWnd, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(IsWindow(handlerWnd));
  EXPECT_EQ(events.WindowsOf(EVENT_SYSTEM_MENUEND).size(), 1u);
  EXPECT_EQ(events.WindowsOf(EVENT_SYSTEM_MENUPOPUPSTART).size(), 0u);
}

}  // namespace
