// Laying a view's viewers out: which show, where they go, how lines wrap, what hides behind the
// chevron and under the scroll arrows. The viewers measure sizes the tests choose, so no font
// decides a result.
#include "ItemTestSupport.h"
#include "common/TestSupport.h"
#include "classlib/GdiHandles.h"
#include "items/TB2View.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace item_tests;

namespace {

// An item whose viewer measures the size the test gave it.
class TSizedItem : public TTBCustomItem {
 public:
  using TTBCustomItem::TTBCustomItem;
  using TTBCustomItem::SetItemStyle;
  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;
  bool NeedToRecreateViewer(TTBItemViewer*) override { return Recreate; }

  SIZE Size{};
  bool Throws = false;    // CalcSize raises, after selecting the canvas font
  bool Recreate = false;  // the item asks for a new viewer before measuring
  std::vector<TFontStyles> MeasuredStyles;  // the canvas font style at each CalcSize
};

class TSizedViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override {
    auto& item = static_cast<TSizedItem&>(*Item());
    item.MeasuredStyles.push_back(Canvas.Font().Style());
    if (item.Throws) {
      Canvas.TextWidth(L"M");  // a font object now exists and sits in the screen DC
      throw std::runtime_error("measuring failed");
    }
    AWidth = item.Size.cx;
    AHeight = item.Size.cy;
  }
};

TTBItemViewerClass TSizedItem::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TSizedViewer>; }

// One item of a test tree.
struct TSpec {
  LONG W = 0, H = 0;
  TTBItemStyle Style = 0;      // tbisSeparator, tbisRightAlign, tbisStretch, tbisNoLineBreak
  TTBItemOptions Options = 0;  // tboDefault, kButton, kSameWidth
  bool Visible = true;
  bool Control = false;  // a control item whose control has this size
};

// Toolbar size goes only with the toolbar style.
constexpr TTBItemOptions kButton = tboToolbarStyle | tboToolbarSize;
// Toolbar buttons with the image above the caption may share one width.
constexpr TTBItemOptions kSameWidth = tboImageAboveCaption | tboSameWidth;

TSpec Item(LONG w, LONG h, TTBItemOptions options = 0) { return {w, h, 0, options}; }
TSpec Sep(LONG w, LONG h, TTBItemStyle more = 0) { return {w, h, static_cast<TTBItemStyle>(tbisSeparator | more)}; }
TSpec Styled(LONG w, LONG h, TTBItemStyle style) { return {w, h, style}; }
TSpec ControlOf(LONG w, LONG h) { return {w, h, 0, 0, true, true}; }

struct TFree {
  void operator()(TComponent* c) const { c->Free(); }
};

// A toolbar view with a chevron and, when given, margins.
class TTestToolbarView : public TTBView {
 public:
  TTestToolbarView(TTBCustomItem* Root, TWinControl* Window, bool UsePriorityList, TTBCustomItem* Chevron,
                   RECT Margins)
      : TTBView(nullptr, nullptr, Root, Window, true, false, UsePriorityList), chevron_(Chevron),
        margins_(Margins) {
    // The base constructor built the viewers before this class could name its chevron.
    if (chevron_) RecreateAllViewers();
  }
  TTBCustomItem* GetChevronItem() override { return chevron_; }
  void GetMargins(TTBViewOrientation, RECT& Margins) override { Margins = margins_; }

 private:
  TTBCustomItem* chevron_;
  RECT margins_;
};

// How a viewer came out: "x,y wxh" when shown ("... sep" for a line separator), "-" when
// hidden, "off" when behind the chevron, "clip" when under a scroll arrow.
std::string Describe(const TTBItemViewer& v) {
  if (!v.Show) return v.OffEdge ? "off" : v.Clipped ? "clip" : "-";
  const RECT& r = v.BoundsRect;
  char text[64];
  std::snprintf(text, sizeof text, "%ld,%ld %ldx%ld%s", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top),
                v.LineSeparator ? " sep" : "");
  return text;
}

// Points compare as (x, y) pairs.
using Size = std::pair<long, long>;
Size SizeOf(const POINT& p) { return {p.x, p.y}; }

using Strings = std::vector<std::string>;

struct TOutcome {
  bool Changed = false;
  POINT Base{}, Total{};
  int Lines = 0;
  std::vector<std::string> Viewers;
};

struct TBarCase;

class ViewLayout : public ::testing::Test {
 protected:
  TItemFactory f;
  TTBRootItem* root = f.Make<TTBRootItem>(L"root");
  std::unique_ptr<TWinControl, TFree> window;  // a toolbar's window, for control items
  std::unique_ptr<TTBView, TFree> view;        // goes first: it listens to the items

  TTBCustomItem* MakeItem(const TSpec& s, TTBCustomItem* parent) {
    const std::wstring name = L"i" + std::to_wstring(serial_++);
    TTBCustomItem* item;
    if (s.Control) {
      if (!window) {
        window.reset(new TWinControl(nullptr));
        window->SetBounds(0, 0, 300, 40);
      }
      auto* control = new TControl(nullptr);
      control->SetBounds(0, 0, s.W, s.H);
      control->SetParent(window.get());
      item = new TTBControlItem(f.Owner(), control);
      item->SetName(name.c_str());
      if (parent) parent->Add(item);
    } else {
      auto* sized = f.Make<TSizedItem>(name.c_str(), parent);
      sized->Size = {s.W, s.H};
      sized->SetItemStyle(sized->ItemStyle() | s.Style);
      item = sized;
    }
    item->SetOptions(s.Options);
    item->SetVisible(s.Visible);
    return item;
  }

  std::vector<TTBCustomItem*> MakeItems(const std::vector<TSpec>& specs, TTBCustomItem* parent) {
    std::vector<TTBCustomItem*> items;
    for (const TSpec& s : specs) items.push_back(MakeItem(s, parent));
    return items;
  }

  // A view of the root's children, made from the specs (in place of any earlier one).
  TTBView& MakeView(bool isToolbar, const std::vector<TSpec>& specs, RECT margins = {}) {
    view.reset();
    root->Clear();
    MakeItems(specs, root);
    if (margins.left || margins.top || margins.right || margins.bottom)
      view.reset(new TTestToolbarView(root, window.get(), false, nullptr, margins));
    else
      view.reset(new TTBView(nullptr, nullptr, root, window.get(), isToolbar, false, false));
    return *view;
  }

  TOutcome Layout(TTBViewOrientation orientation, int wrapOffset = 0, POINT total = {}, int chevronOffset = 0,
                  int chevronSize = 0, bool canMoveControls = true) {
    TOutcome out;
    out.Total = total;
    out.Lines = -1;
    out.Changed = view->CalculatePositions(canMoveControls, orientation, wrapOffset, chevronOffset, chevronSize,
                                           out.Base, out.Total, out.Lines);
    for (int i = 0; i < view->ViewerCount(); ++i) out.Viewers.push_back(Describe(*view->Viewers(i)));
    return out;
  }

  // Lays each toolbar case out on a fresh view and compares.
  void CheckBars(const std::vector<TBarCase>& cases);

  // A fresh view of the specs, laid out once.
  TOutcome LayOutNew(bool isToolbar, const std::vector<TSpec>& specs, TTBViewOrientation orientation,
                     int wrapOffset = 0, POINT total = {}, RECT margins = {}) {
    MakeView(isToolbar, specs, margins);
    return Layout(orientation, wrapOffset, total);
  }

 private:
  int serial_ = 0;
};


// --- which viewers show -----------------------------------------------------------------------

TEST_F(ViewLayout, SeparatorsAtTheEdgesAndInPairsAreHidden) {
  struct Case {
    const char* what;
    std::vector<TSpec> items;
    Strings viewers;
    Size base, total;
  } cases[] = {
      {"leading, doubled and trailing separators",
       {Sep(10, 8), Item(40, 20), Sep(10, 8), Sep(10, 8), Item(50, 20), Sep(10, 8)},
       {"-", "0,0 50x20", "0,20 50x8", "-", "0,28 50x20", "-"},
       {100, 20},
       {50, 48}},
      {"a separator following another across a hidden item",
       {Item(40, 20), Sep(10, 8), {30, 20, 0, 0, false}, Sep(10, 8), Item(40, 20)},
       {"0,0 40x20", "0,20 40x8", "-", "-", "0,28 40x20"},
       {90, 20},
       {40, 48}},
      {"only separators", {Sep(10, 8), Sep(10, 8)}, {"-", "-"}, {23, 22}, {23, 22}},
      {"an empty view", {}, {}, {23, 22}, {23, 22}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TOutcome out = LayOutNew(false, c.items, tbvoHorizontal);
    EXPECT_EQ(c.viewers, out.Viewers);
    EXPECT_EQ(c.base, SizeOf(out.Base));
    EXPECT_EQ(c.total, SizeOf(out.Total));
    EXPECT_EQ(1, out.Lines);
  }
}

// --- popup columns ----------------------------------------------------------------------------

TEST_F(ViewLayout, PopupItemsShareTheWidestWidthAndToolbarSizeItemsFlowSideBySide) {
  struct Case {
    const char* what;
    std::vector<TSpec> items;
    Strings viewers;
    Size total;
  } cases[] = {
      {"a column takes the widest width",
       {Item(40, 20), Item(70, 20), Item(55, 20)},
       {"0,0 70x20", "0,20 70x20", "0,40 70x20"},
       {70, 60}},
      {"toolbar-size items keep their width side by side; the next item starts below them",
       {Item(60, 20), Item(30, 22, kButton), Item(25, 22, kButton), Item(40, 20)},
       {"0,0 60x20", "0,20 30x22", "30,20 25x22", "0,42 60x20"},
       {60, 62}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TOutcome out = LayOutNew(false, c.items, tbvoHorizontal);
    EXPECT_EQ(c.viewers, out.Viewers);
    EXPECT_EQ(c.total, SizeOf(out.Total));
  }
}

// --- toolbar lines: wrapping and alignment ---------------------------------------------------

// One toolbar laid out: its items, how the call asks, and what comes out.
struct TBarCase {
  const char* what;
  std::vector<TSpec> items;
  TTBViewOrientation orientation;
  int wrapOffset;
  POINT minimum;  // the caller's smallest bar size
  RECT margins;
  Strings viewers;
  int lines;
  Size total;
};

void ViewLayout::CheckBars(const std::vector<TBarCase>& cases) {
  for (const TBarCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TOutcome out = LayOutNew(true, c.items, c.orientation, c.wrapOffset, c.minimum, c.margins);
    EXPECT_EQ(c.viewers, out.Viewers);
    EXPECT_EQ(c.lines, out.Lines);
    EXPECT_EQ(c.total, SizeOf(out.Total));
  }
}

TEST_F(ViewLayout, ToolbarLinesWrapAndSeparatorsBecomeLineBreaks) {
  CheckBars({
      {"no wrap offset: one line",
       {Item(30, 20), Item(30, 20), Sep(6, 20), Item(30, 20), Item(30, 20)},
       tbvoHorizontal, 0, {}, {},
       {"0,0 30x20", "30,0 30x20", "60,0 6x20", "66,0 30x20", "96,0 30x20"},
       1, {126, 22}},  // no bar is lower than 22
      {"a separator whose group would not fit breaks the line",
       {Item(30, 20), Item(30, 20), Sep(6, 20), Item(30, 20), Item(30, 20)},
       tbvoHorizontal, 70, {}, {},
       {"0,0 30x20", "30,0 30x20", "0,20 70x6 sep", "0,26 30x20", "30,26 30x20"},
       2, {70, 46}},
      {"after an item wrapped, the group's separator breaks too",
       {Item(30, 20), Item(30, 20), Item(30, 20), Sep(6, 20), Item(20, 20)},
       tbvoHorizontal, 70, {}, {},
       {"0,0 30x20", "30,0 30x20", "0,20 30x20", "0,40 70x6 sep", "0,46 20x20"},
       3, {70, 66}},
      {"a separator marked no-line-break stays in the line",
       {Item(30, 20), Item(30, 20), Item(30, 20), Sep(6, 20, tbisNoLineBreak), Item(20, 20)},
       tbvoHorizontal, 70, {}, {},
       {"0,0 30x20", "30,0 30x20", "0,20 30x20", "30,20 6x20", "36,20 20x20"},
       2, {70, 40}},
      {"a floating toolbar wraps inside its margins and does not widen to the offset",
       {Item(30, 20), Item(30, 20), Item(30, 20)},
       tbvoFloating, 74, {}, {4, 2, 4, 1},
       {"4,2 30x20", "34,2 30x20", "4,22 30x20"},
       2, {68, 43}},
  });
}

TEST_F(ViewLayout, ToolbarLinesShareWidthsCentreStretchAndRightAlign) {
  CheckBars({
      {"same-width buttons take the widest of them; others keep their own",
       {Item(30, 22, kSameWidth), Item(20, 22), Item(50, 22, kSameWidth)},
       tbvoHorizontal, 0, {}, {},
       {"0,0 50x22", "50,0 20x22", "70,0 50x22"},
       1, {120, 22}},
      {"items are centred across the bar; separators and stretch items span it",
       {Item(30, 22), Sep(6, 8), Item(30, 16), Styled(10, 10, tbisStretch)},
       tbvoHorizontal, 0, {0, 30}, {},
       {"0,4 30x22", "30,0 6x30", "36,7 30x16", "66,0 10x30"},
       1, {76, 30}},
      {"a right-aligned item and those after it move to the end of the line",
       {Item(30, 22), Styled(30, 22, tbisRightAlign), Item(20, 22)},
       tbvoHorizontal, 150, {200, 0}, {},
       {"0,0 30x22", "100,0 30x22", "130,0 20x22"},
       1, {200, 22}},
      {"without a wrap offset right alignment has nowhere to go",
       {Item(30, 22), Styled(30, 22, tbisRightAlign), Item(20, 22)},
       tbvoHorizontal, 0, {200, 0}, {},
       {"0,0 30x22", "30,0 30x22", "60,0 20x22"},
       1, {200, 22}},
      {"a vertical bar lays its first column at the right",
       {Item(30, 20), Item(30, 20), Item(40, 20)},
       tbvoVertical, 45, {}, {},
       {"40,0 30x20", "40,20 30x20", "0,0 40x20"},
       2, {70, 45}},
  });
}

TEST_F(ViewLayout, TheOrientationAskedForHoldsOnlyDuringTheCall) {
  MakeView(true, {Item(30, 20), Item(30, 20)});
  view->SetOrientation(tbvoHorizontal);
  const TOutcome out = Layout(tbvoVertical);
  EXPECT_EQ((Strings{"0,0 30x20", "0,20 30x20"}), out.Viewers);
  EXPECT_EQ(Size(30, 40), SizeOf(out.Base));  // heights summed along a vertical bar
  EXPECT_EQ(tbvoHorizontal, view->Orientation());
}

// --- the chevron ------------------------------------------------------------------------------

TEST_F(ViewLayout, ToolbarTooShortHidesItemsBehindTheChevron) {
  enum Priority { kNoList, kReversedList };
  struct Case {
    const char* what;
    std::vector<TSpec> items;
    Priority priority;
    int chevronOffset;
    Strings viewers;  // the chevron's viewer last
    std::optional<bool> chevronEnabled;  // none: not needed, left as it was
  } cases[] = {
      {"everything fits: no chevron",
       {Item(40, 22), Item(40, 22), Sep(6, 22), Item(40, 22)}, kNoList, 200,
       {"0,0 40x22", "40,0 40x22", "80,0 6x22", "86,0 40x22", "-"}, std::nullopt},
      {"without a priority list the last item goes first",
       {Item(40, 22), Item(40, 22), Sep(6, 22), Item(40, 22)}, kNoList, 100,
       {"0,0 40x22", "40,0 40x22", "-", "off", "88,0 12x22"}, true},
      {"with a priority list the lowest priority goes first",
       {Item(40, 22), Item(40, 22), Sep(6, 22), Item(40, 22)}, kReversedList, 100,
       {"off", "0,0 40x22", "40,0 6x22", "46,0 40x22", "88,0 12x22"}, true},
      {"a trailing separator goes before another item",
       {Item(40, 22), Item(40, 22), Sep(6, 22), Item(40, 22)}, kNoList, 96,
       {"0,0 40x22", "40,0 40x22", "-", "off", "84,0 12x22"}, true},
      {"one item always stays",
       {Item(40, 22), Item(40, 22), Sep(6, 22), Item(40, 22)}, kNoList, 20,
       {"0,0 40x22", "off", "-", "off", "40,0 12x22"}, true},
      {"only controls went: the chevron is disabled",
       {Item(40, 22), ControlOf(40, 22), ControlOf(40, 22)}, kNoList, 100,
       {"0,0 40x22", "40,0 40x22", "off", "88,0 12x22"}, false},
      {"an item went: the chevron is enabled",
       {ControlOf(40, 22), ControlOf(40, 22), Item(40, 22)}, kNoList, 100,
       {"0,0 40x22", "40,0 40x22", "off", "88,0 12x22"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.reset();
    window.reset(new TWinControl(nullptr));
    window->SetBounds(0, 0, 300, 40);
    auto* chevron = static_cast<TSizedItem*>(MakeItem(Item(12, 22), nullptr));
    const bool wasEnabled = !c.chevronEnabled.value_or(false);
    chevron->SetEnabled(wasEnabled);
    view.reset(new TTestToolbarView(root, window.get(), c.priority != kNoList, chevron, {}));
    // Viewers inserted at the front of the priority list: the first item ends lowest.
    for (TTBCustomItem* item : MakeItems(c.items, nullptr))
      view->InsertItemViewers(view->ViewerCount() - 1, item, 0, true, c.priority == kReversedList);

    const TOutcome out = Layout(tbvoHorizontal, 0, {}, c.chevronOffset, 12);
    EXPECT_EQ(c.viewers, out.Viewers);
    EXPECT_EQ(c.chevronEnabled.value_or(wasEnabled), chevron->Enabled());
    // Controls follow their viewers; those behind the chevron go past the client area.
    for (int i = 0; i < view->ViewerCount(); ++i) {
      auto* item = dynamic_cast<TTBControlItem*>(view->Viewers(i)->Item());
      if (!item) continue;
      const TTBItemViewer& v = *view->Viewers(i);
      if (v.Show)
        EXPECT_EQ(v.BoundsRect, item->Control()->BoundsRect()) << i;
      else
        EXPECT_EQ((RECT{300, 40, 340, 62}), item->Control()->BoundsRect()) << i;
    }
  }
}

TEST_F(ViewLayout, ControlsShowOnlyOnTheirViewsWindow) {
  MakeItems({Item(20, 22), ControlOf(40, 22)}, root);
  TControl* control = static_cast<TTBControlItem*>(root->Items(1))->Control();
  struct Case {
    const char* what;
    bool viewHasWindow, onWindow, visible;
    Strings viewers;
  } cases[] = {
      {"on the view's window and visible", true, true, true, {"0,0 20x22", "20,0 40x22"}},
      {"on the view's window, invisible", true, true, false, {"0,0 20x22", "-"}},
      {"on no window", true, false, true, {"0,0 20x22", "-"}},
      {"a view without a window holds no controls", false, false, true, {"0,0 20x22", "-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.reset(new TTBView(nullptr, nullptr, root, c.viewHasWindow ? window.get() : nullptr, true, false, false));
    control->SetParent(c.onWindow ? window.get() : nullptr);
    control->SetVisible(c.visible);
    EXPECT_EQ(c.viewers, Layout(tbvoHorizontal).Viewers);
  }
}

// --- scrolling a long popup -------------------------------------------------------------------

TEST_F(ViewLayout, LongPopupScrollsBetweenArrowBands) {
  std::vector<TSpec> thirty(30, Item(50, 20));
  MakeView(false, thirty);
  struct Case {
    const char* what;
    int maxHeight, offset;
    int expectedOffset;
    bool up, down;
    int firstShown, lastShown, firstTop;
    int totalHeight;
  } cases[] = {
      {"at the top only the down arrow shows", 300, 0, 0, false, true, 0, 13, 0, 300},
      {"an offset below zero counts as zero", 300, -40, 0, false, true, 0, 13, 0, 300},
      {"in the middle both arrows show", 300, 100, 100, true, true, 6, 18, 20, 300},
      {"at the largest offset only the up arrow shows", 300, 1000, 300, true, false, 16, 29, 20, 300},
      {"tall enough: no arrows and no offset", 600, 100, 0, false, false, 0, 29, 0, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view->SetMaxHeight(c.maxHeight);
    view->SetScrollOffset(c.offset);
    const TOutcome out = Layout(tbvoHorizontal);
    EXPECT_EQ(c.expectedOffset, view->ScrollOffset());
    EXPECT_EQ(c.up, view->ShowUpArrow());
    EXPECT_EQ(c.down, view->ShowDownArrow());
    EXPECT_EQ(c.totalHeight, out.Total.y);
    for (int i = 0; i < view->ViewerCount(); ++i) {
      const TTBItemViewer& v = *view->Viewers(i);
      const bool inside = i >= c.firstShown && i <= c.lastShown;
      EXPECT_EQ(inside, v.Show) << i;
      EXPECT_EQ(!inside, v.Clipped) << i;
      // Every item keeps its place in the column, moved up by the offset.
      EXPECT_EQ(c.firstTop + (i - c.firstShown) * 20, v.BoundsRect.top) << i;
    }
  }
}

// --- what changed -----------------------------------------------------------------------------

TEST_F(ViewLayout, ReportsAChangeOnlyWhenSomethingVisibleChanged) {
  MakeView(false, {Item(40, 20), Item(50, 20)});
  auto* second = static_cast<TSizedItem*>(root->Items(1));
  EXPECT_TRUE(Layout(tbvoHorizontal).Changed) << "first layout";
  EXPECT_FALSE(Layout(tbvoHorizontal).Changed) << "the same again";
  second->Size = {60, 20};
  EXPECT_TRUE(Layout(tbvoHorizontal).Changed) << "one item wider";
  EXPECT_FALSE(Layout(tbvoHorizontal).Changed) << "the same again";

  // Measuring without moving stores nothing and reports nothing.
  second->Size = {80, 20};
  const TOutcome measured = Layout(tbvoHorizontal, 0, {}, 0, 0, false);
  EXPECT_FALSE(measured.Changed);
  EXPECT_EQ(Size(80, 40), SizeOf(measured.Total));
  EXPECT_EQ((Strings{"0,0 60x20", "0,20 60x20"}), measured.Viewers);
}

// --- measuring --------------------------------------------------------------------------------

TEST_F(ViewLayout, DefaultItemsMeasureBoldAndTheNextOneDoesNot) {
  MakeView(false, {Item(40, 20, tboDefault), Item(40, 20)});
  auto* chosen = static_cast<TSizedItem*>(root->Items(0));
  auto* plain = static_cast<TSizedItem*>(root->Items(1));
  Layout(tbvoHorizontal);
  ASSERT_EQ(1u, chosen->MeasuredStyles.size());
  ASSERT_EQ(1u, plain->MeasuredStyles.size());
  EXPECT_TRUE(chosen->MeasuredStyles[0] & fsBold);
  EXPECT_FALSE(plain->MeasuredStyles[0] & fsBold);
}

// A viewer that raises while measuring leaves no font object, no bold style and no measuring
// viewer behind, whether it measures in place or as the temporary stand-in of a new viewer.
TEST_F(ViewLayout, AViewerThatRaisesWhileMeasuringLeavesNothingBehind) {
  struct Case {
    const char* what;
    bool canMoveControls;  // false: the item's new viewer measures as a temporary one
  } cases[] = {{"the view's own viewer", true}, {"a temporary viewer", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeView(false, {Item(40, 20, tboDefault), Item(40, 20)});
    auto* failing = static_cast<TSizedItem*>(root->Items(0));
    auto* next = static_cast<TSizedItem*>(root->Items(1));
    failing->Recreate = !c.canMoveControls;
    failing->Throws = true;
    view->SetOrientation(tbvoHorizontal);
    const TFontStyles viewFontStyle = view->GetFont().Style();
    const long gdiObjects = gdi::LiveObjects();
    const gdi_census::TMark census;
    const int itemsAndViewers = tb2item_detail::ItemViewerCount();

    POINT base{}, total{};
    int lines = 0;
    EXPECT_THROW(view->CalculatePositions(c.canMoveControls, tbvoVertical, 0, 0, 0, base, total, lines),
                 std::runtime_error);
    ASSERT_EQ(1u, failing->MeasuredStyles.size());
    EXPECT_TRUE(failing->MeasuredStyles[0] & fsBold) << "it raised while bold";
    EXPECT_EQ(gdiObjects, gdi::LiveObjects());
    EXPECT_TRUE(census.NothingLeft());
    EXPECT_EQ(itemsAndViewers, tb2item_detail::ItemViewerCount());
    EXPECT_EQ(viewFontStyle, view->GetFont().Style());
    EXPECT_EQ(tbvoHorizontal, view->Orientation());

    // The next call measures as usual: the plain item is not bold.
    failing->Throws = false;
    const TOutcome out = Layout(tbvoHorizontal, 0, {}, 0, 0, c.canMoveControls);
    ASSERT_FALSE(next->MeasuredStyles.empty());
    EXPECT_FALSE(next->MeasuredStyles.back() & fsBold);
    EXPECT_EQ(Size(40, 40), SizeOf(out.Total));
    EXPECT_EQ(gdiObjects, gdi::LiveObjects());
    EXPECT_TRUE(census.NothingLeft());
    EXPECT_EQ(itemsAndViewers, tb2item_detail::ItemViewerCount());
  }
}

}  // namespace
