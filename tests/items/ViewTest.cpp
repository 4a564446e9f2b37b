// Views: viewers kept in step with the item tree, lazy layout with flicker-free repaints, one
// viewer repainted on its own, timers only on popup windows, and painting that survives viewers
// outside the paint's clip.
#include "ItemTestSupport.h"

#include "classlib/GdiHandles.h"
#include "common/TestSupport.h"
#include "items/TB2View.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

using namespace item_tests;

namespace {

// "a0 g0 b1": each viewer's item name and group level, in display order.
std::string ViewerList(TTBView* View) {
  std::string s;
  for (int i = 0; i < View->ViewerCount(); ++i) {
    if (!s.empty()) s += ' ';
    s += TEventLog::NameOf(View->Viewers(i)->Item()) + std::to_string(View->Viewers(i)->GroupLevel());
  }
  return s;
}

std::string PriorityOrder(TTBView* View) {
  std::string s;
  for (TTBItemViewer* v : *View->PriorityList()) s += TEventLog::NameOf(v->Item());
  return s;
}

class ViewItems : public testing::Test {
 protected:
  // root: a, g(b, c), d; g is an embedded group.
  void SetUp() override {
    root = items.Make<TTBRootItem>(L"root");
    items.Make(L"a", root);
    g = items.Make<TTBGroupItem>(L"g", root);
    items.Make(L"b", g);
    items.Make(L"c", g);
    items.Make(L"d", root);
  }
  TTBView* MakeView(bool UsePriorityList = false) {
    return new TTBView(items.Owner(), nullptr, root, nullptr, false, false, UsePriorityList);
  }
  TItemFactory items;
  TTBRootItem* root = nullptr;
  TTBGroupItem* g = nullptr;
};

TEST_F(ViewItems, ViewersFollowTheTreeThroughEmbeddedGroups) {
  TTBView* view = MakeView();
  EXPECT_EQ(ViewerList(view), "a0 g0 b1 c1 d0");

  struct Step {
    const char* what;
    std::function<void()> change;
    const char* viewers;
  };
  TTBGroupItem* inner = nullptr;
  const Step steps[] = {
      {"insert into the parent", [&] { root->Insert(1, items.Make(L"x")); }, "a0 x0 g0 b1 c1 d0"},
      {"insert into the group", [&] { g->Insert(1, items.Make(L"y")); }, "a0 x0 g0 b1 y1 c1 d0"},
      {"append to the group", [&] { g->Add(items.Make(L"z")); }, "a0 x0 g0 b1 y1 c1 z1 d0"},
      {"a group inside the group",
       [&] {
         inner = items.Make<TTBGroupItem>(L"h");
         items.Make(L"e", inner);
         g->Insert(0, inner);
       },
       "a0 x0 g0 h1 e2 b1 y1 c1 z1 d0"},
      {"insert into the inner group", [&] { inner->Add(items.Make(L"f")); }, "a0 x0 g0 h1 e2 f2 b1 y1 c1 z1 d0"},
      {"delete from the group", [&] { g->Remove(g->Items(2)); }, "a0 x0 g0 h1 e2 f2 b1 c1 z1 d0"},
      {"delete a group with what it holds", [&] { g->Remove(inner); }, "a0 x0 g0 b1 c1 z1 d0"},
      {"move within the parent", [&] { root->Move(0, 3); }, "x0 g0 b1 c1 z1 d0 a0"},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(ViewerList(view), step.viewers) << step.what;
  }
}

TEST_F(ViewItems, LinkedSubitemsReplaceTheGroupsViewers) {
  TTBView* view = MakeView();
  TTBCustomItem* source = items.Make(L"s");
  items.Make(L"p", source);
  items.Make(L"q", source);
  g->SetLinkSubitems(source);
  EXPECT_EQ(ViewerList(view), "a0 g0 p1 q1 d0");
  source->Add(items.Make(L"r"));
  EXPECT_EQ(ViewerList(view), "a0 g0 p1 q1 r1 d0");
}

// The view shows the items its item links to; those link on to others, which it does not show.
// A new item lands before the item that follows it where it was inserted.
TEST_F(ViewItems, AnItemInsertedWhereTheViewsItemLinksLandsBeforeItsNextItem) {
  TTBCustomItem* shown = items.Make(L"s");
  items.Make(L"p", shown);
  items.Make(L"q", shown);
  TTBCustomItem* further = items.Make(L"f");
  items.Make(L"z", further);
  shown->SetLinkSubitems(further);
  root->SetLinkSubitems(shown);
  TTBView* view = MakeView();
  EXPECT_EQ(ViewerList(view), "p0 q0");
  shown->Insert(0, items.Make(L"x"));
  EXPECT_EQ(ViewerList(view), "x0 p0 q0");
  shown->Insert(2, items.Make(L"y"));
  EXPECT_EQ(ViewerList(view), "x0 p0 y0 q0");
}

TEST_F(ViewItems, GroupsDeeperThanTenLevelsShowNothing) {
  TTBCustomItem* parent = g;
  for (int level = 2; level <= 11; ++level)
    parent = items.Make<TTBGroupItem>((L"n" + std::to_wstring(level)).c_str(), parent);
  items.Make(L"deep", parent);
  TTBView* view = MakeView();
  const std::string list = ViewerList(view);
  EXPECT_NE(list.find("n1110"), std::string::npos) << "the tenth level shows: " << list;
  EXPECT_EQ(list.find("deep"), std::string::npos) << "the eleventh does not: " << list;
}

TEST_F(ViewItems, RecreatedViewersKeepTheirPlaceLevelAndPriority) {
  TTBView* view = MakeView(true);
  TTBItemViewer* before = view->Find(g->Items(0));
  const int index = view->IndexOf(before);
  const std::string priority = PriorityOrder(view);
  g->Items(0)->RecreateItemViewers();
  TTBItemViewer* after = view->Viewers(index);
  EXPECT_EQ(after->Item(), g->Items(0));
  EXPECT_EQ(after->GroupLevel(), 1);
  EXPECT_EQ(PriorityOrder(view), priority);
  EXPECT_EQ(ViewerList(view), "a0 g0 b1 c1 d0");
}

TEST_F(ViewItems, ItemsAddedAtRunTimeTakeTheHighestPriorityAndLoadedOnesTheLowest) {
  TTBView* view = MakeView(true);
  EXPECT_EQ(PriorityOrder(view), "agbcd");
  root->Add(items.Make(L"x"));
  EXPECT_EQ(PriorityOrder(view), "xagbcd");

  items.Owner()->BeginLoading();
  root->Add(items.Make(L"l"));
  items.Owner()->EndLoading();
  EXPECT_EQ(PriorityOrder(view), "xagbcdl");

  view->SetNewViewersGetHighestPriority(false);
  root->Add(items.Make(L"y"));
  EXPECT_EQ(PriorityOrder(view), "xagbcdly");
}

TEST_F(ViewItems, FindRaisesForAnItemWithoutAViewer) {
  TTBView* view = MakeView();
  TTBCustomItem* stranger = items.Make(L"stranger");
  try {
    view->Find(stranger);
    FAIL() << "no exception";
  } catch (const ETBItemError& e) {
    EXPECT_EQ(e.Message(), L"An item viewer associated the specified item could not be found");
  }
}

TEST_F(ViewItems, ABatchOfChangesIsLaidOutOnceAtItsEnd) {
  TTBView* view = MakeView();
  view->ValidatePositions();
  ASSERT_TRUE(view->ValidPositions());
  root->ViewBeginUpdate();
  root->Items(0)->SetCaption(L"longer caption");
  EXPECT_FALSE(view->ValidPositions());
  root->ViewEndUpdate();
  EXPECT_TRUE(view->ValidPositions());
}

// --- popup windows ---------------------------------------------------------------------------

// Settings with distinct colours, so that every painted part can be told apart.
class TPaintSettings : public seams::TSystemSettings {
 public:
  bool FlatMenus() override { return Flat; }
  bool MenuAnimation() override { return Animate; }
  bool MenuFade() override { return Fade; }
  bool KeyboardCues() override { return true; }
  COLORREF SysColor(int index) override {
    switch (index) {
      case COLOR_HIGHLIGHT: return RGB(0, 0, 200);
      case COLOR_MENUHILIGHT: return RGB(0, 160, 0);
      case COLOR_MENU: return RGB(250, 250, 240);
      case COLOR_MENUTEXT: return RGB(10, 10, 10);
      case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 0);
      case COLOR_BTNSHADOW: return RGB(128, 0, 128);
      case COLOR_BTNFACE: return RGB(200, 190, 180);
      default: return seams::TSystemSettings::SysColor(index);
    }
  }
  bool Flat = true;
  bool Animate = false;
  bool Fade = false;
};

// A 32-bit DIB to paint into and read back.
class TPixels {
 public:
  TPixels(int w, int h) : w_(w) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = gdi::NewMemoryDC();
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    select_.emplace(dc_.Get(), bitmap_.Get());
    for (int i = 0; i < w * h; ++i) bits_[i] = 0x00123456;
  }
  HDC DC() const { return dc_.Get(); }
  COLORREF At(int x, int y) const {
    GdiFlush();
    return PixelToRGB(bits_[y * w_ + x] & 0xFFFFFF);
  }
  // Whether some pixel of R has the colour.
  bool Has(const RECT& R, COLORREF C) const {
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x)
        if (At(x, y) == C) return true;
    return false;
  }

 private:
  int w_;
  uint32_t* bits_ = nullptr;
  gdi::MemoryDC dc_;
  gdi::BitmapHandle bitmap_;
  std::optional<gdi::SelectionGuard> select_;
};

// A popup window that records what it tells itself about the animation, and can lose its handle.
class TTestPopupWindow : public TTBPopupWindow {
 public:
  using TTBPopupWindow::TTBPopupWindow;
  void DropHandle() { DestroyHandle(); }
  std::vector<WPARAM> AnimationMessages;
  LRESULT AnswerBeforeAnimating = 0;

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg != WM_TBX_POPUP_ANIMATION) return TTBPopupWindow::Dispatch(Message);
    AnimationMessages.push_back(Message.WParam);
    if (Message.WParam == 1) Message.Result = AnswerBeforeAnimating;
  }
};

class PopupWindows : public testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1, 1);  // no window shows under the cursor
    root = items.Make<TTBRootItem>(L"root");
  }
  void TearDown() override {
    if (window) window->Free();
  }
  void AddItems(int Count, bool Captions = true) {
    for (int i = 0; i < Count; ++i) {
      TTBCustomItem* item = items.Make((L"i" + std::to_wstring(i)).c_str(), root);
      if (Captions) item->SetCaption(L"Item &" + std::to_wstring(i));
    }
  }
  // Lays the popup out at (100, 100) and shows it.
  TTestPopupWindow* Open(int MaxHeight = 0, TTBAnimationDirections Direction = 0, LRESULT Answer = 0) {
    window = new TTestPopupWindow(nullptr, nullptr, root, false);
    window->SetAnimationDirection(Direction);
    window->AnswerBeforeAnimating = Answer;
    window->View()->SetMaxHeight(MaxHeight);
    window->View()->UpdatePositions();
    window->SetBounds(100, 100, window->Width(), window->Height());
    window->SetVisible(true);
    testing_support::PumpMessages();
    return window;
  }
  RECT Client() const { return window->ClientRect(); }
  // The whole window as WM_PRINT paints it.
  std::unique_ptr<TPixels> Print(LPARAM Flags) {
    auto pixels = std::make_unique<TPixels>(window->Width(), window->Height());
    SendMessageW(window->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(pixels->DC()), Flags);
    return pixels;
  }
  TPaintSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  TItemFactory items;
  TTBRootItem* root = nullptr;
  TTestPopupWindow* window = nullptr;
};

TEST_F(PopupWindows, AreTopmostToolPopupsWithAThreePixelFrame) {
  AddItems(3);
  HWND wnd = Open()->Handle();
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE), exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CHILD | WS_TABSTOP | WS_GROUP));
  EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  EXPECT_TRUE(GetClassLongPtrW(wnd, GCL_STYLE) & CS_SAVEBITS);
  RECT w, c;
  GetWindowRect(wnd, &w);
  GetClientRect(wnd, &c);
  EXPECT_EQ(w.right - w.left - c.right, 6);
  EXPECT_EQ(w.bottom - w.top - c.bottom, 6);
  // Sized to its laid-out items: the last one ends at the client area's bottom.
  TTBView* view = window->View();
  EXPECT_EQ(view->Viewers(2)->BoundsRect.bottom, c.bottom);
}

TEST_F(PopupWindows, ShowAtOnceWithoutAnimationAndIgnoreClose) {
  AddItems(2);
  Open();
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(window->AnimationMessages, std::vector<WPARAM>{3});
  SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window->Handle()));
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
}

TEST_F(PopupWindows, AnimateOnlyWhenTheSystemAndTheWindowAgree) {
  AddItems(2);
  settings.Animate = true;
  struct Case {
    const char* what;
    bool fade;
    TTBAnimationDirections direction;
    LRESULT answer;
    bool selected;
    bool animates;
  };
  const Case cases[] = {
      {"a slide down", false, tbadDown, 0, false, true},
      {"a fade", true, 0, 0, false, true},
      {"no direction and no fade", false, 0, 0, false, false},
      {"the window declines", true, tbadDown, 1, false, false},
      {"opened with a selection", true, tbadDown, 0, true, false},
  };
  for (const Case& c : cases) {
    settings.Fade = c.fade;
    window = new TTestPopupWindow(nullptr, nullptr, root, false);
    window->SetAnimationDirection(c.direction);
    window->AnswerBeforeAnimating = c.answer;
    window->View()->UpdatePositions();
    if (c.selected) window->View()->SetSelected(window->View()->Viewers(0));
    window->SetBounds(100, 100, window->Width(), window->Height());
    window->SetVisible(true);
    const bool animating = tb2anim::Running() && tb2anim::AnimatedWindow() == window->Handle();
    EXPECT_EQ(animating, c.animates) << c.what;
    const bool asked = !window->AnimationMessages.empty() && window->AnimationMessages[0] == 1;
    EXPECT_EQ(asked, (c.direction != 0 || c.fade) && !c.selected) << c.what;
    EXPECT_EQ(window->AnimationMessages.back() == 3, !c.animates) << c.what;
    EXPECT_TRUE(IsWindowVisible(window->Handle())) << c.what;
    window->Free();
    window = nullptr;
    EXPECT_FALSE(tb2anim::Running()) << c.what << ": the animation ends with its window";
  }
}

TEST_F(PopupWindows, ARootPopupUsesTheSystemMenuFont) {
  AddItems(1);
  Open();
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  LOGFONTW font{};
  GetObjectW(window->Font().Handle(), sizeof(font), &font);
  EXPECT_EQ(String(font.lfFaceName), String(metrics.lfMenuFont.lfFaceName));
  EXPECT_EQ(font.lfHeight, metrics.lfMenuFont.lfHeight);
}

TEST_F(PopupWindows, FramePaintsFlatOrRaisedThroughPrint) {
  AddItems(2);
  Open();
  {
    settings.Flat = true;
    auto pixels = Print(PRF_NONCLIENT);
    EXPECT_EQ(pixels->At(0, 0), RGB(128, 0, 128));
    EXPECT_EQ(pixels->At(1, 1), RGB(250, 250, 240));
    EXPECT_EQ(pixels->At(2, window->Height() / 2), RGB(250, 250, 240));
  }
  {
    settings.Flat = false;
    auto pixels = Print(PRF_NONCLIENT);
    // The raised edge is the system's own drawing; the line inside it is the button face.
    EXPECT_EQ(pixels->At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(pixels->At(window->Width() - 1, window->Height() - 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(pixels->At(2, window->Height() / 2), RGB(200, 190, 180));
  }
}

TEST_F(PopupWindows, SelectedLineUsesTheMenuHighlightOnlyWithFlatMenus) {
  AddItems(2);
  Open();
  TTBView* view = window->View();
  view->SetSelected(view->Viewers(1));
  RECT bar = view->Viewers(1)->BoundsRect;
  OffsetRect(&bar, 3, 3);  // client to window coordinates
  for (bool flat : {true, false}) {
    settings.Flat = flat;
    auto pixels = Print(PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(pixels->At(bar.right - 2, (bar.top + bar.bottom) / 2), flat ? RGB(0, 160, 0) : RGB(0, 0, 200))
        << "flat " << flat;
  }
}

TEST_F(PopupWindows, AChangedItemRepaintsOnlyItsViewer) {
  AddItems(4);
  Open();
  HWND wnd = window->Handle();
  ValidateRect(wnd, nullptr);
  TTBView* view = window->View();
  root->Items(2)->SetChecked(true);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(wnd, &update, FALSE));
  EXPECT_EQ(update, view->Viewers(2)->BoundsRect);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(view->Viewers(i)->RepaintPending, i == 2) << i;
  UpdateWindow(wnd);
  EXPECT_FALSE(view->Viewers(2)->RepaintPending);
}

TEST_F(PopupWindows, ARelayoutPaintsAtOnceAndLeavesNoPaintPending) {
  AddItems(3);
  Open();
  HWND wnd = window->Handle();
  const int width = window->Width();
  root->Items(1)->SetCaption(L"A caption much longer than any other");
  EXPECT_GT(window->Width(), width);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(wnd, &update, FALSE));
  // Every line shows its text in the menu text colour, straight on the menu's background: no
  // line takes the text mode a line before it left behind (the DC's own white would show).
  auto pixels = Print(PRF_CLIENT | PRF_ERASEBKGND);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(pixels->Has(window->View()->Viewers(i)->BoundsRect, RGB(10, 10, 10))) << i;
    EXPECT_FALSE(pixels->Has(window->View()->Viewers(i)->BoundsRect, RGB(255, 255, 255))) << i;
  }
}

TEST_F(PopupWindows, APaintOfTheLastLineAloneStillPaintsIt) {
  AddItems(5);
  Open();
  TTBView* view = window->View();
  view->SetSelected(view->Viewers(4));
  const RECT last = view->Viewers(4)->BoundsRect;
  TPixels pixels(Client().right, Client().bottom);
  // As a paint whose update region holds only the last line.
  gdi::RegionHandle region(CreateRectRgnIndirect(&last));
  SelectClipRgn(pixels.DC(), region.Get());
  TCanvas canvas;
  canvas.SetHandle(pixels.DC());
  view->DrawSubitems(canvas);
  canvas.SetHandle(nullptr);
  EXPECT_EQ(pixels.At(last.right - 2, (last.top + last.bottom) / 2), RGB(0, 160, 0));
  EXPECT_EQ(pixels.At(last.right - 2, view->Viewers(0)->BoundsRect.top + 2), COLORREF(0x563412))
      << "outside the clip nothing changes";
}

TEST_F(PopupWindows, TimersRunOnlyOnAPopupWindowWithAHandleAndStopWithIt) {
  AddItems(2);
  TTBView toolbarView(nullptr, nullptr, root, nullptr, true, false, false);
  toolbarView.StartTimer(tiOpen, 60000);
  EXPECT_EQ(toolbarView.ActiveTimers(), 0);

  Open();
  TTBView* view = window->View();
  for (TTBViewTimerID id : {tiOpen, tiClose, tiScrollUp, tiScrollDown}) view->StartTimer(id, 60000);
  EXPECT_EQ(view->ActiveTimers(), 0x0F);
  view->StopTimer(tiClose);
  EXPECT_EQ(view->ActiveTimers(), 0x0D);
  EXPECT_FALSE(KillTimer(window->Handle(), ViewTimerId(tiClose)));
  EXPECT_TRUE(KillTimer(window->Handle(), ViewTimerId(tiOpen))) << "the real window timer runs";

  TWinEventLog events;
  HWND wnd = window->Handle();
  window->DropHandle();
  EXPECT_EQ(view->ActiveTimers(), 0);
  EXPECT_TRUE(events.Saw(EVENT_SYSTEM_MENUPOPUPEND, wnd));
}

TEST_F(PopupWindows, ALongMenuScrollsWithArrowBands) {
  AddItems(30, false);  // no captions: the arrows are all that is drawn in the text colour
  Open(300);
  TTBView* view = window->View();
  const int height = Client().bottom, width = Client().right;
  EXPECT_EQ(height, 300);
  const RECT upBand{0, 0, width, kScrollArrowBand}, downBand{0, height - kScrollArrowBand, width, height};
  auto arrows = [&] {
    auto pixels = Print(PRF_CLIENT | PRF_ERASEBKGND);
    return std::pair(pixels->Has(upBand, RGB(10, 10, 10)), pixels->Has(downBand, RGB(10, 10, 10)));
  };
  EXPECT_FALSE(view->ShowUpArrow());
  EXPECT_TRUE(view->ShowDownArrow());
  EXPECT_EQ(arrows(), std::pair(false, true));

  view->SetScrollOffset(100000);
  view->UpdatePositions();
  EXPECT_TRUE(view->ShowUpArrow());
  EXPECT_FALSE(view->ShowDownArrow());
  EXPECT_EQ(arrows(), std::pair(true, false));
}

TEST_F(PopupWindows, PaintingAndOpeningLeaveNoObjectsOrWindowsBehind) {
  AddItems(30);
  Open(300);
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  HWND wnd = window->Handle();
  for (int i = 0; i < 1000; ++i) {
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    window->View()->SetSelected(window->View()->Viewers(i % 10));
  }
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
  window->Free();
  window = nullptr;

  const long before = gdi::LiveObjects();
  const gdi_census::TMark opening;
  const int windows = testing_support::ThreadWindowCount();
  for (int i = 0; i < 20; ++i) {
    Open(300);
    window->Free();
    window = nullptr;
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(opening.NothingLeft());
  EXPECT_EQ(testing_support::ThreadWindowCount(), windows);

  settings.Animate = true;
  for (int i = 0; i < 100; ++i) {
    settings.Fade = i % 2 == 0;
    Open(300, tbadDown | tbadRight);
    window->Free();
    window = nullptr;
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(opening.NothingLeft());
  EXPECT_EQ(testing_support::ThreadWindowCount(), windows);
}

}  // namespace
