// Where themed popups go, with the theme's boolean metric 1 off and on: submenus, drop-downs,
// a root popup at a point (the framework's rule runs twice on it), popups opened against a
// rectangle, and the popup sound of list popups.
#include "ThemedItemsTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tbx_test;

namespace {

constexpr RECT kWorkArea{0, 0, 1024, 768};

// A themed root item that keeps the record its popup was placed with.
class TSpyRoot : public TTBXRootItem {
 public:
  using TTBXRootItem::TTBXRootItem;
  void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) override {
    TTBXRootItem::GetPopupPosition(ParentView, PopupWindow, P);
    Placed = P;
  }
  TTBPopupPositionRec Placed;
};

struct TPlace {
  int X, Y, Width, Height;
  bool operator==(const TPlace&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TPlace& P) {
  return os << "(" << P.X << "," << P.Y << " " << P.Width << "x" << P.Height << ")";
}
TPlace PlaceOf(const TTBPopupPositionRec& P) { return {P.X, P.Y, P.Width, P.Height}; }

class ThemedPopupPlacement : public ThemedItemsTest {
 protected:
  TTBPopupPositionRec Record(bool Submenu, const RECT& Parent, POINT Corner, int W, int H) {
    TTBPopupPositionRec p;
    p.PositionAsSubmenu = Submenu;
    p.MonitorRect = kWorkArea;
    p.ParentItemRect = Parent;
    p.NCSize = theme->Border;
    p.X = Corner.x;
    p.Y = Corner.y;
    p.Width = W;
    p.Height = H;
    return p;
  }
};

}  // namespace

TEST_F(ThemedPopupPlacement, SubmenusSitFlushAndDropDownsOverlapTheLastPixelOfTheirItem) {
  auto* item = Make<TTBXSubmenuItem>(L"Item");
  TTBView* menu = HiddenPopup()->View();
  TTBView* bar = ToolbarView();
  const POINT b = theme->Border;
  const RECT inMenu{100, 100, 200, 120}, onBar{10, 0, 60, 22};
  struct TCase {
    const char* what;
    bool submenu;
    TTBView* parent;
    RECT parentRect;
    POINT corner;  // as the popup's creation proposes it
    bool overlap;
    TPlace expected;
  } cases[] = {
      {"submenu", true, menu, inMenu, {inMenu.right - b.x, inMenu.top - b.y}, false,
       {inMenu.right - b.x, inMenu.top - b.y, 150, 80}},
      {"submenu, flush", true, menu, inMenu, {inMenu.right - b.x, inMenu.top - b.y}, true,
       {inMenu.right, inMenu.top, 150, 80}},
      {"drop-down", false, bar, onBar, {onBar.left, onBar.bottom}, false, {onBar.left, onBar.bottom, 150, 80}},
      {"drop-down, on the item's last row", false, bar, onBar, {onBar.left, onBar.bottom}, true,
       {onBar.left, onBar.bottom - 1, 150, 80}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    theme->PopupsOverlapParent = c.overlap;
    TTBPopupPositionRec p = Record(c.submenu, c.parentRect, c.corner, 150, 80);
    item->GetPopupPosition(c.parent, nullptr, p);
    EXPECT_EQ(PlaceOf(p), c.expected);
    EXPECT_TRUE(p.PlaySound);
  }
}

TEST_F(ThemedPopupPlacement, ARootPopupAtAPointRunsTheFrameworksRuleTwiceAndCoversThePointWithTheMetric) {
  // 200 x 300 at (900, 700) does not fit below or right of the point: it opens above and left.
  const POINT at{900, 700};
  for (bool overlap : {false, true}) {
    SCOPED_TRACE(overlap ? "flush" : "plain");
    theme->PopupsOverlapParent = overlap;
    TTBPopupPositionRec p = Record(false, {at.x, at.y, at.x, at.y}, at, 200, 300);
    root->GetPopupPosition(nullptr, nullptr, p);
    const int shift = overlap ? 1 : 0;  // one pixel onto the point itself
    EXPECT_EQ(PlaceOf(p), (TPlace{at.x - 200 + shift, at.y - 300 + shift, 200, 300}));
    EXPECT_EQ(p.AnimDir, tbadUp | tbadLeft);
  }
}

TEST_F(ThemedPopupPlacement, ListPopupsMakeNoSoundWhenTheThemePlacesThemFlush) {
  auto* submenu = Make<TTBXSubmenuItem>(L"List");
  Make(L"Entry", submenu);
  TTBView* bar = ToolbarView();
  const RECT onBar{10, 0, 60, 22};
  for (bool overlap : {false, true}) {
    theme->PopupsOverlapParent = overlap;
    auto* list = new TListPopupWindow(views, bar, submenu, false);
    auto* plain = new TTBXPopupWindow(views, bar, submenu, false);
    for (TTBPopupWindow* window : {static_cast<TTBPopupWindow*>(list), static_cast<TTBPopupWindow*>(plain)}) {
      TTBPopupPositionRec p = Record(false, onBar, {onBar.left, onBar.bottom}, 150, 80);
      submenu->GetPopupPosition(bar, window, p);
      EXPECT_EQ(p.PlaySound, !(overlap && window == list)) << overlap;
    }
  }
}

TEST_F(ThemedPopupPlacement, APopupAtARectangleOpensBelowItOrAboveItAndLinesUpRightEdgesWhenRightAligned) {
  auto* spy = new TSpyRoot(owner);
  Make(L"One", spy);
  Make(L"Two", spy);
  const RECT m = GetRectOfMonitorContainingPoint({400, 300}, true);
  const RECT middle{300, 300, 400, 320}, atBottom{300, m.bottom - 20, 400, m.bottom};
  struct TCase {
    const char* what;
    RECT anchor;
    TTBPopupAlignment alignment;
    bool above;
  } cases[] = {
      {"below", middle, tbpaLeft, false},
      {"above a rectangle at the monitor's bottom", atBottom, tbpaLeft, true},
      {"right-aligned", middle, tbpaRight, false},
  };
  for (const TCase& c : cases) {
    for (bool overlap : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (overlap ? ", flush" : ""));
      theme->PopupsOverlapParent = overlap;
      TPopupHolder popup(spy->PopupAtRect(false, c.anchor, c.alignment));
      const int w = popup->Width(), h = popup->Height();
      const RECT& a = c.anchor;
      // Flush with the rectangle, the popup overlaps its last row below it or its first row above.
      const int y = c.above ? a.top - h + (overlap ? 1 : 0) : a.bottom - (overlap ? 1 : 0);
      const int x = c.alignment == tbpaRight ? a.right - w : a.left;
      EXPECT_EQ(PlaceOf(spy->Placed), (TPlace{x, y, w, h}));
      EXPECT_EQ(popup->BoundsRect(), (RECT{x, y, x + w, y + h}));
      EXPECT_EQ(static_cast<TTBXPopupWindow*>(popup.get())->AnchorRect(), a);
      EXPECT_TRUE(IsRectEmpty(&spy->AnchorRect())) << "the root's own rectangle is back";
    }
  }
}

TEST_F(ThemedPopupPlacement, AFailedPopupAtARectangleLeavesTheRootsRectangleAsItWas) {
  struct TThrower : TObject {
    void Popup(TTBCustomItem*, bool) { throw std::runtime_error("no popup"); }
  } thrower;
  Make(L"One");
  root->OnPopup = TTBPopupEvent(&thrower, &TThrower::Popup);
  const int windows = testing_support::ThreadWindowCount();
  EXPECT_THROW(root->PopupAtRect(false, {300, 300, 400, 320}, tbpaLeft), std::runtime_error);
  EXPECT_TRUE(IsRectEmpty(&root->AnchorRect()));
  EXPECT_EQ(testing_support::ThreadWindowCount(), windows);
}
