// How a dock lays its bars out, and the geometry of dragging, as tables over numbers alone.
#include "docking/TB2DockArrange.h"
#include "docking/TB2DockDragGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TBar {
  int Row, Pos, Length;
  int MinLength = 0;
  TTBShrinkMode Mode = tbsmNone;
  enum : unsigned { Full = 1, Stretch = 2, NewRow = 4, Drag = 8, InRow = 16, Hidden = 32 };
  unsigned Flags = 0;
};

// A bar's place: row, position and length.
struct TPlace {
  int Row, Pos, Length;
  bool operator==(const TPlace&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TPlace& p) {
  return os << "(" << p.Row << "," << p.Pos << "," << p.Length << ")";
}

std::vector<TTBArrangeBar> Records(const std::vector<TBar>& Bars) {
  std::vector<TTBArrangeBar> records;
  for (const TBar& b : Bars) {
    TTBArrangeBar r;
    r.DockRow = b.Row;
    r.DockPos = b.Pos;
    r.FullLength = b.Length;
    r.MinLength = b.MinLength;
    r.ShrinkMode = b.Mode;
    r.FullSize = b.Flags & TBar::Full;
    r.Stretch = b.Flags & TBar::Stretch;
    r.NewRowRequested = b.Flags & TBar::NewRow;
    r.Dragging = b.Flags & TBar::Drag;
    r.DraggingInRow = b.Flags & TBar::InRow;
    r.Visible = !(b.Flags & TBar::Hidden);
    records.push_back(r);
  }
  return records;
}

std::vector<TPlace> Places(const std::vector<TTBArrangeBar>& Records) {
  std::vector<TPlace> places;
  for (const TTBArrangeBar& r : Records) places.push_back({r.ActualRow, r.Pos, r.Length});
  return places;
}

struct Case {
  const char* what;
  int MaxSize;
  bool OneRow;
  std::vector<TBar> Bars;
  std::vector<TPlace> Expected;  // per bar, in the order given
};

}  // namespace

TEST(Arrangement, RowsWrapShrinkStretchAndCloseGaps) {
  const Case cases[] = {
      {"a bar that no longer fits wraps to a new row", 100, false,
       {{0, 0, 40}, {0, 40, 40}, {0, 80, 40}},
       {{0, 0, 40}, {0, 40, 40}, {1, 60, 40}}},
      {"one row: the bars shrink from the last back", 100, true,
       {{0, 0, 50, 20, tbsmChevron}, {1, 50, 50, 20, tbsmChevron}, {2, 100, 50, 20, tbsmChevron}},
       {{0, 0, 50}, {0, 50, 30}, {0, 80, 20}}},
      {"a full-size bar gets a row of its own, the others move after it", 200, false,
       {{0, 0, 50}, {0, 60, 50, 0, tbsmNone, TBar::Full}, {0, 120, 50}},
       {{1, 0, 50}, {0, 0, 200}, {1, 120, 50}}},
      {"stretched bars take the gap after them, or the rest of the row", 200, false,
       {{0, 0, 50, 0, tbsmNone, TBar::Stretch}, {0, 150, 30}, {1, 10, 40, 0, tbsmNone, TBar::Stretch}},
       {{0, 0, 150}, {0, 150, 30}, {1, 0, 200}}},
      {"gaps close before any bar shrinks", 100, false,
       {{0, 0, 40, 10, tbsmChevron}, {0, 70, 40, 10, tbsmChevron}},
       {{0, 0, 40}, {0, 60, 40}}},
      {"a wrapping bar does not shrink beside another", 100, true,
       {{0, 0, 80, 30, tbsmWrap}, {0, 80, 40}},
       {{0, 0, 80}, {0, 80, 40}}},
      {"a wrapping bar alone shrinks", 50, false, {{0, 0, 80, 30, tbsmWrap}}, {{0, 0, 50}}},
      {"rows are numbered without holes", 100, false,
       {{0, 0, 30}, {5, 0, 30}, {9, 0, 30}},
       {{0, 0, 30}, {1, 0, 30}, {2, 0, 30}}},
      {"a bar asking for a new row gets one before the rest of its row", 200, false,
       {{0, 0, 30}, {0, 50, 30, 0, tbsmNone, TBar::NewRow}},
       {{1, 0, 30}, {0, 50, 30}}},
      {"a hidden bar keeps its row and gets no place", 200, false,
       {{0, 0, 30}, {2, 40, 30, 0, tbsmNone, TBar::Hidden}, {4, 0, 30}},
       {{0, 0, 30}, {1, 40, 30}, {2, 0, 30}}},
  };
  for (const Case& c : cases) {
    std::vector<TTBArrangeBar> records = Records(c.Bars);
    ArrangeBars(records, c.MaxSize, c.OneRow);
    EXPECT_EQ(c.Expected, Places(records)) << c.what;
  }
}

TEST(Arrangement, ADraggedBarKeepsItsPlaceAmongItsNeighboursOnlyWhileSlidingInItsRow) {
  // The dragged bar (the second) wishes to stand before the first.
  for (bool inRow : {true, false}) {
    std::vector<TTBArrangeBar> records =
        Records({{0, 0, 50}, {0, -5, 50, 0, tbsmNone, TBar::Drag | (inRow ? TBar::InRow : 0u)}});
    const std::vector<int> order = ArrangeBars(records, 100, false);
    EXPECT_EQ(inRow ? (std::vector<int>{0, 1}) : (std::vector<int>{1, 0}), order) << inRow;
    EXPECT_EQ(inRow ? 50 : 0, records[1].Pos) << inRow;
    EXPECT_EQ(inRow ? 0 : 50, records[0].Pos) << inRow;
  }
}

TEST(Arrangement, ADraggedBarInAnOverflowingSharedRowIsMarked) {
  std::vector<TTBArrangeBar> records =
      Records({{0, 0, 60, 20, tbsmChevron}, {0, 60, 60, 20, tbsmChevron, TBar::Drag}});
  ArrangeBars(records, 100, true);
  EXPECT_TRUE(records[1].DragRowOverflows);
  EXPECT_FALSE(records[0].DragRowOverflows);
  records = Records({{0, 0, 40}, {0, 60, 40, 0, tbsmNone, TBar::Drag}});
  ArrangeBars(records, 100, true);
  EXPECT_FALSE(records[1].DragRowOverflows);
}

TEST(Arrangement, StoredValuesAtTheLimitsEndAtOnceAndStayInRange) {
  // A row of 2147483647 would otherwise be walked to one row at a time, a negative row never
  // laid out, and positions near the limits would overflow the sums.
  std::vector<TTBArrangeBar> records = Records({
      {INT_MAX, INT_MAX, 40},
      {-5, INT_MIN, 40},
      {3, 0, 40},
      {0, 100, 40},
  });
  ArrangeBars(records, 200, false);
  EXPECT_EQ((std::vector<TPlace>{{2, 160, 40}, {0, 0, 40}, {1, 0, 40}, {0, 100, 40}}), Places(records));
  EXPECT_EQ(kMaxDockPos, records[0].DockPos);
  EXPECT_EQ(0, records[1].DockRow);
  EXPECT_EQ(kMinDockPos, records[1].DockPos);
  // Many bars on far-apart rows still end in rows 0 .. n-1.
  std::vector<TBar> many;
  for (int i = 0; i < 500; ++i) many.push_back({INT_MAX - i * 4000000, 0, 10});
  records = Records(many);
  ArrangeBars(records, 100, false);
  for (int i = 0; i < 500; ++i) ASSERT_EQ(499 - i, records[static_cast<size_t>(i)].ActualRow) << i;
}

// ---------------------------------------------------------------------------------------------
// Drag geometry

TEST(DragGeometry, AQuarterOfARowAtEachSideOpensANewRowAndTheMiddleJoins) {
  const int s = 40;
  struct Row {
    std::vector<int> sizes;
    int offset;
    bool fullWindow;
    TTBRowAtOffset expected;
  };
  const Row cases[] = {
      {{s}, s / 4 - 1, false, {0, true}},
      {{s}, s / 4, false, {0, false}},
      {{s}, 3 * s / 4 - 1, false, {0, false}},
      {{s}, 3 * s / 4, false, {1, false}},
      {{s, s}, s + s / 4 - 1, false, {1, true}},
      {{s, s}, 3 * s / 4, false, {1, true}},
      // Rows of no thickness are passed over.
      {{0, s}, 5, false, {1, true}},
      // A full-size row (or a full-size window) only opens rows, at each half.
      {{s | kFullSizeRowFlag}, s / 2 - 1, false, {0, true}},
      {{s | kFullSizeRowFlag}, s / 2, false, {1, false}},
      {{s}, s / 2, true, {1, false}},
      {{}, 7, false, {0, false}},
  };
  for (const Row& c : cases)
    EXPECT_EQ(c.expected, RowAtOffset(c.sizes, c.offset, c.fullWindow)) << c.offset << " of " << c.sizes.size();
}

TEST(DragGeometry, TheCursorIsOverADockWithinThreePixelsAndTwentyFiveSplitByTheGrabPoint) {
  const RECT top{100, 100, 300, 130};
  const SIZE window{100, 20};
  const TTBGrab atLeft{{0, 0}, {99, 19}}, atRight{{99, 0}, {99, 19}};
  struct Over {
    const TTBGrab* grab;
    RECT dock;
    bool leftRight;
    POINT p;
    bool expected;
  };
  const RECT left{100, 100, 130, 300};
  const Over cases[] = {
      {&atLeft, top, false, {100 - 3 - 25, 110}, true},
      {&atLeft, top, false, {100 - 3 - 26, 110}, false},
      {&atLeft, top, false, {300 + 3 - 1, 110}, true},
      {&atLeft, top, false, {300 + 3, 110}, false},
      // Grabbed at the right end: caught up to 25 pixels after the dock, none before it.
      {&atRight, top, false, {300 + 3 + 25 - 1, 110}, true},
      {&atRight, top, false, {300 + 3 + 25, 110}, false},
      {&atRight, top, false, {100 - 3, 110}, true},
      {&atRight, top, false, {100 - 4, 110}, false},
      // Above the dock: only while the window would still reach it.
      {&atLeft, top, false, {150, 100 - 3 - 19}, true},
      {&atLeft, top, false, {150, 100 - 3 - 20}, false},
      // A left or right dock wants the cursor within its height.
      {&atLeft, left, true, {110, 100 - 3}, true},
      {&atLeft, left, true, {110, 100 - 4}, false},
  };
  for (const Over& c : cases) {
    const RECT outline = DockingOutlineRect(*c.grab, window, c.p);
    EXPECT_EQ(c.expected, CursorOverDock(*c.grab, c.dock, c.leftRight, outline, c.p)) << c.p.x << "," << c.p.y;
  }
}

TEST(DragGeometry, TheOutlineKeepsTheGrabPointUnderTheCursorAtAnySize) {
  const TTBGrab middle{{50, 10}, {99, 19}};
  const RECT same = DockingOutlineRect(middle, {100, 20}, {500, 400});
  EXPECT_EQ(450, same.left);
  EXPECT_EQ(390, same.top);
  const RECT larger = DockingOutlineRect(middle, {199, 39}, {500, 400});
  EXPECT_EQ(500 - MulDiv(198, 50, 99), larger.left);
  EXPECT_EQ(199, larger.right - larger.left);
}

TEST(DragGeometry, AFloatingWindowStaysReachable) {
  const RECT area{0, 0, 1280, 1024};
  const int border = 4, caption = 4 + 17;
  struct Clamp {
    POINT at;
    POINT expected;
  };
  const Clamp cases[] = {
      {{500, 500}, {500, 500}},
      {{-200, 500}, {8 - 100, 500}},
      {{1300, 500}, {1272, 500}},
      {{500, 2000}, {500, 1016}},
      {{500, -10}, {500, -10}},
      {{500, -20}, {500, -caption + 4}},
      {{500, -100}, {500, -caption + 4}},
  };
  for (const Clamp& c : cases) {
    const RECT r = ClampFloatingRect(RECT{c.at.x, c.at.y, c.at.x + 100, c.at.y + 50}, area, border, caption);
    EXPECT_EQ(c.expected.x, r.left) << c.at.x << "," << c.at.y;
    EXPECT_EQ(c.expected.y, r.top) << c.at.x << "," << c.at.y;
    EXPECT_EQ(100, r.right - r.left);
  }
}
