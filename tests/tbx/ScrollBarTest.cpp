// The list items' scroll bar: its zones, position and range, the events of the user's changes,
// the repeat and automatic-scroll timers, dragging the thumb, and its two pictures.
#include "ThemeTestSupport.h"
#include "tbx/TBXLists.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using tbx_test::kSentinel;
using tbx_test::TDCCanvas;
using tbx_test::TFakeVisualStyles;
using tbx_test::TPixels;

// A zone along the bar's axis: [Start, End), or none (the zone is empty).
using TSpan = std::optional<std::pair<int, int>>;
constexpr std::nullopt_t kNone = std::nullopt;
constexpr TSpan Span(int Start, int End) { return std::make_pair(Start, End); }

class ScrollBar : public tbx_test::ThemeLayerTest {
 protected:
  void SetUp() override {
    settings.Colors[COLOR_SCROLLBAR] = RGB(0xC8, 0xC8, 0xC8);
    settings.Colors[COLOR_BTNHIGHLIGHT] = RGB(0xFF, 0xFF, 0xFF);
    settings.Colors[COLOR_BTNFACE] = RGB(0xD4, 0xD0, 0xC8);
    settings.Colors[COLOR_3DDKSHADOW] = RGB(0x40, 0x40, 0x40);
    ThemeLayerTest::SetUp();
    SetThemeManagerOption(tmoVisualStyles, 2);
    bar.OnChange = TNotifyEvent(&spy, &TSpy::Changed);
    bar.OnRedraw = TNotifyEvent(&spy, &TSpy::Redrawn);
    bar.OnAutoScroll = TSBAutoScrollEvent(&spy, &TSpy::AutoScrolled);
  }
  // A bar Along long and Across thick, vertical unless told otherwise.
  void Shape(int Along, int Across, int Range, int Window, int Position, bool Vertical = true) {
    bar.SetKind(Vertical ? sbkVertical : sbkHorizontal);
    bar.SetBounds(Vertical ? RECT{0, 0, Across, Along} : RECT{0, 0, Along, Across});
    bar.SetRange(Range);
    bar.Window = Window;
    bar.SetPosition(Position);
    bar.UpdateZones();
    spy.ChangeCount = spy.RedrawCount = spy.AutoScrollCount = 0;
    spy.OnAutoScroll = nullptr;
  }
  TSpan ZoneSpan(int Index, bool Vertical = true) const {
    const RECT& r = bar.Zone(Index);
    if (r.right == -1) return kNone;
    return Vertical ? Span(r.top, r.bottom) : Span(r.left, r.right);
  }
  // The point in the middle of a zone across, at Along on the axis.
  static POINT At(int Along) { return {8, Along}; }

  struct TSpy : TObject {
    int ChangeCount = 0;
    int RedrawCount = 0;
    int AutoScrollCount = 0;
    std::function<void(int& Direction, int& Interval)> OnAutoScroll;
    void Changed(TObject*) { ++ChangeCount; }
    void Redrawn(TObject*) { ++RedrawCount; }
    void AutoScrolled(TObject*, int& Direction, int& Interval) {
      ++AutoScrollCount;
      if (OnAutoScroll) OnAutoScroll(Direction, Interval);
    }
  };
  TTBXScrollBar bar;
  TSpy spy;
};

// --- zones ---------------------------------------------------------------------------------------

TEST_F(ScrollBar, Zones) {
  struct TCase {
    const char* What;
    int Along, Across, Range, Window, Position;
    bool Vertical;
    TSpan Track, PrevLine, PrevPage, Thumb, NextPage, NextLine;
  } cases[] = {
      {"100 rows, 8 shown, at the top: the thumb clamped to 8", 100, 16, 100, 8, 0, true, kNone, Span(0, 16),
       Span(16, 16), Span(16, 24), Span(24, 84), Span(84, 100)},
      {"at the bottom", 100, 16, 100, 8, 92, true, kNone, Span(0, 16), Span(16, 76), Span(76, 84), Span(84, 84),
       Span(84, 100)},
      {"half way", 100, 16, 100, 8, 46, true, kNone, Span(0, 16), Span(16, 46), Span(46, 54), Span(54, 84),
       Span(84, 100)},
      {"a thumb in proportion", 200, 16, 10, 4, 3, true, kNone, Span(0, 16), Span(16, 66), Span(66, 133),
       Span(133, 184), Span(184, 200)},
      {"halves round to even: 8.5 gives 8", 66, 16, 4, 1, 1, true, kNone, Span(0, 16), Span(16, 24), Span(24, 32),
       Span(32, 50), Span(50, 66)},
      {"halves round to even: 9.5 gives 10", 70, 16, 4, 1, 1, true, kNone, Span(0, 16), Span(16, 26), Span(26, 36),
       Span(36, 54), Span(54, 70)},
      {"a track of 12 has no thumb", 44, 16, 100, 8, 0, true, Span(16, 28), Span(0, 16), kNone, kNone, kNone,
       Span(28, 44)},
      {"a track of 13 has one", 45, 16, 100, 8, 0, true, kNone, Span(0, 16), Span(16, 16), Span(16, 24),
       Span(24, 29), Span(29, 45)},
      {"narrow buttons", 30, 16, 100, 8, 0, true, Span(14, 16), Span(0, 14), kNone, kNone, kNone, Span(16, 30)},
      {"disabled: everything shows", 100, 16, 8, 8, 0, true, Span(16, 84), Span(0, 16), kNone, kNone, kNone,
       Span(84, 100)},
      {"no window: the bar's own length, disabled", 100, 16, 50, 0, 0, true, Span(16, 84), Span(0, 16), kNone,
       kNone, kNone, Span(84, 100)},
      {"no window: the bar's own length", 100, 16, 200, 0, 50, true, kNone, Span(0, 16), Span(16, 33), Span(33, 67),
       Span(67, 84), Span(84, 100)},
      {"horizontal", 200, 16, 10, 4, 3, false, kNone, Span(0, 16), Span(16, 66), Span(66, 133), Span(133, 184),
       Span(184, 200)},
      {"fifty million rows at the bottom", 100, 16, 50000000, 8, 49999992, true, kNone, Span(0, 16), Span(16, 76),
       Span(76, 84), Span(84, 84), Span(84, 100)},
      {"fifty million rows half way", 100, 16, 50000000, 8, 24999996, true, kNone, Span(0, 16), Span(16, 46),
       Span(46, 54), Span(54, 84), Span(84, 100)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Shape(c.Along, c.Across, c.Range, c.Window, c.Position, c.Vertical);
    EXPECT_EQ(ZoneSpan(sbzTrack, c.Vertical), c.Track);
    EXPECT_EQ(ZoneSpan(sbzPrevLine, c.Vertical), c.PrevLine);
    EXPECT_EQ(ZoneSpan(sbzPrevPage, c.Vertical), c.PrevPage);
    EXPECT_EQ(ZoneSpan(sbzThumb, c.Vertical), c.Thumb);
    EXPECT_EQ(ZoneSpan(sbzNextPage, c.Vertical), c.NextPage);
    EXPECT_EQ(ZoneSpan(sbzNextLine, c.Vertical), c.NextLine);
    // Each zone spans the bar across.
    const RECT& line = bar.Zone(sbzPrevLine);
    EXPECT_EQ(c.Vertical ? line.right - line.left : line.bottom - line.top, c.Across);
  }
}

TEST_F(ScrollBar, ZoneAtFindsTheFirstZoneHoldingThePoint) {
  Shape(100, 16, 100, 8, 46);
  const std::pair<int, int> cases[] = {{0, sbzPrevLine}, {15, sbzPrevLine}, {16, sbzPrevPage}, {45, sbzPrevPage},
                                       {46, sbzThumb},   {53, sbzThumb},    {54, sbzNextPage}, {84, sbzNextLine},
                                       {99, sbzNextLine}, {100, sbzTrack},  {-1, sbzTrack}};
  for (auto [along, zone] : cases) EXPECT_EQ(bar.ZoneAt(8, along), zone) << along;
  EXPECT_EQ(bar.ZoneAt(16, 50), sbzTrack) << "beyond the bar across";
}

// --- position and range --------------------------------------------------------------------------

TEST_F(ScrollBar, PositionAndRangeAreClamped) {
  struct TCase {
    const char* What;
    int Range, Window, Set, Position;
  } cases[] = {
      {"below 0", 100, 8, -5, 0},          {"past the end", 100, 8, 1000, 92}, {"the last", 100, 8, 92, 92},
      {"a range below the window", 5, 8, 3, 0}, {"a negative range", -3, 8, 2, 0},
  };
  for (const TCase& c : cases) {
    Shape(100, 16, 100, 8, 0);
    bar.SetRange(c.Range);
    bar.Window = c.Window;
    bar.SetPosition(c.Set);
    EXPECT_EQ(bar.Position(), c.Position) << c.What;
    EXPECT_GE(bar.Range(), 0) << c.What;
  }
  // Lowering the range limits the position again.
  Shape(100, 16, 100, 8, 90);
  bar.SetRange(50);
  EXPECT_EQ(bar.Position(), 42);
}

TEST_F(ScrollBar, OnlyTheUsersChangesFireOnChangeAndRedraw) {
  struct TCase {
    const char* What;
    std::function<void(TTBXScrollBar&)> Change;
    int Position, Changes, Redraws;
  } cases[] = {
      {"SetPosition", [](TTBXScrollBar& b) { b.SetPosition(30); }, 30, 0, 0},
      {"SetPosition, the same", [](TTBXScrollBar& b) { b.SetPosition(10); }, 10, 0, 0},
      {"SetPositionByUser", [](TTBXScrollBar& b) { b.SetPositionByUser(30); }, 30, 1, 1},
      {"SetPositionByUser, the same", [](TTBXScrollBar& b) { b.SetPositionByUser(10); }, 10, 0, 0},
      {"SetPositionByUser, clamped", [](TTBXScrollBar& b) { b.SetPositionByUser(-7); }, 0, 1, 1},
      {"SetRange", [](TTBXScrollBar& b) { b.SetRange(200); }, 10, 0, 1},
      {"SetRange limiting the position", [](TTBXScrollBar& b) { b.SetRange(12); }, 4, 0, 1},
      {"SetRange, the same", [](TTBXScrollBar& b) { b.SetRange(100); }, 10, 0, 0},
      {"a line down", [](TTBXScrollBar& b) { b.ScrollByZone(sbzNextLine); }, 11, 1, 1},
      {"a line up", [](TTBXScrollBar& b) { b.ScrollByZone(sbzPrevLine); }, 9, 1, 1},
      {"a page down", [](TTBXScrollBar& b) { b.ScrollByZone(sbzNextPage); }, 18, 1, 1},
      {"a page up", [](TTBXScrollBar& b) { b.ScrollByZone(sbzPrevPage); }, 2, 1, 1},
      {"the thumb's zone", [](TTBXScrollBar& b) { b.ScrollByZone(sbzThumb); }, 10, 0, 0},
  };
  for (const TCase& c : cases) {
    Shape(100, 16, 100, 8, 10);
    c.Change(bar);
    EXPECT_EQ(bar.Position(), c.Position) << c.What;
    EXPECT_EQ(spy.ChangeCount, c.Changes) << c.What;
    EXPECT_EQ(spy.RedrawCount, c.Redraws) << c.What;
  }
  // The increment is the line's step.
  Shape(100, 16, 100, 8, 10);
  bar.Increment = 3;
  bar.ScrollByZone(sbzNextLine);
  EXPECT_EQ(bar.Position(), 13);
}

// --- the mouse and the timers --------------------------------------------------------------------

TEST_F(ScrollBar, APressOnAButtonOrPageScrollsAtOnceAndRepeats) {
  struct TCase {
    const char* What;
    int Along;
    int AfterPress, AfterTick;
  } cases[] = {
      {"the line up button", 5, 45, 44},
      {"the line down button", 95, 47, 48},
      {"the page above the thumb", 20, 38, 30},
      {"the page below the thumb", 80, 54, 62},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Shape(100, 16, 100, 8, 46);
    bar.MouseDown(TMouseButton::mbLeft, 8, c.Along);
    EXPECT_EQ(bar.Position(), c.AfterPress);
    EXPECT_NE(bar.TimerWindow(), nullptr) << "the first repeat waits on the bar's window";
    int next = 0;
    bar.TimerElapsed(sbtRepeat, next);
    EXPECT_EQ(bar.Position(), c.AfterTick);
    EXPECT_EQ(next, 100) << "then every 100 ms";
    bar.MouseUp(TMouseButton::mbLeft, 8, c.Along);
    EXPECT_EQ(bar.PressedZone(), 0);
    next = 0;
    bar.TimerElapsed(sbtRepeat, next);
    EXPECT_EQ(bar.Position(), c.AfterTick) << "released: no more";
    EXPECT_EQ(next, 0);
  }
}

TEST_F(ScrollBar, APageRepeatStopsOnceTheThumbReachesThePointer) {
  Shape(100, 16, 100, 8, 0);
  bar.MouseDown(TMouseButton::mbLeft, 8, 70);
  int ticks = 0, next = 100;
  while (next > 0 && ticks < 50) {
    next = 0;
    bar.TimerElapsed(sbtRepeat, next);
    ++ticks;
  }
  EXPECT_EQ(next, 0);
  EXPECT_LT(ticks, 50);
  EXPECT_EQ(bar.ZoneAt(8, 70), sbzThumb) << "the thumb lies under the pointer";
  const int position = bar.Position();
  bar.TimerElapsed(sbtRepeat, next);
  EXPECT_EQ(bar.Position(), position);
  // A line button goes on whatever the pointer does.
  bar.MouseUp(TMouseButton::mbLeft, 8, 70);
  bar.MouseDown(TMouseButton::mbLeft, 8, 90);
  bar.MouseMove(8, 20);
  next = 0;
  bar.TimerElapsed(sbtRepeat, next);
  EXPECT_EQ(next, 100);
  EXPECT_EQ(bar.Position(), position + 2);
}

TEST_F(ScrollBar, OnlyTheLeftButtonPresses) {
  Shape(100, 16, 100, 8, 46);
  bar.MouseDown(TMouseButton::mbRight, 8, 95);
  EXPECT_EQ(bar.Position(), 46);
  EXPECT_EQ(bar.PressedZone(), 0);
  EXPECT_EQ(spy.RedrawCount, 0);
}

TEST_F(ScrollBar, TheRepeatTimerRunsOnTheBarsWindow) {
  Shape(100, 16, 100, 8, 46);
  bar.MouseDown(TMouseButton::mbLeft, 8, 95);
  ASSERT_NE(bar.TimerWindow(), nullptr);
  // The window hands its timer to TimerElapsed, as the system's tick would.
  SendMessageW(bar.TimerWindow(), WM_TIMER, sbtRepeat, 0);
  EXPECT_EQ(bar.Position(), 48);
  bar.MouseUp(TMouseButton::mbLeft, 8, 95);
}

TEST_F(ScrollBar, AutomaticScrollingEndsAtEitherEnd) {
  struct TCase {
    const char* What;
    int Start, Direction;
    std::vector<int> Positions;  // after each tick
  } cases[] = {
      {"down by 4", 80, 4, {84, 88, 92}},
      {"down by 1 from the last but one", 90, 1, {91, 92}},
      {"up by 2", 5, -2, {3, 1, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Shape(100, 16, 100, 8, c.Start);
    bar.StartAutoScroll(c.Direction, 100);
    EXPECT_TRUE(bar.AutoScrolling());
    std::vector<int> positions;
    int next = 100;
    while (next > 0 && positions.size() < 10) {
      next = 0;
      bar.TimerElapsed(sbtAutoScroll, next);
      positions.push_back(bar.Position());
      EXPECT_EQ(next, bar.AutoScrolling() ? 100 : 0);
    }
    EXPECT_EQ(positions, c.Positions);
    EXPECT_FALSE(bar.AutoScrolling());
    EXPECT_EQ(spy.AutoScrollCount, static_cast<int>(c.Positions.size()));
    EXPECT_EQ(spy.ChangeCount, static_cast<int>(c.Positions.size()));
  }
}

TEST_F(ScrollBar, AutomaticScrollingTakesChangesForLaterTicks) {
  Shape(100, 16, 100, 8, 10);
  spy.OnAutoScroll = [](int& Direction, int& Interval) {
    Direction = 3;
    Interval = 40;
  };
  bar.StartAutoScroll(1, 150);
  int next = 0;
  bar.TimerElapsed(sbtAutoScroll, next);
  EXPECT_EQ(bar.Position(), 11);
  EXPECT_EQ(next, 150);
  next = 0;
  bar.TimerElapsed(sbtAutoScroll, next);
  EXPECT_EQ(bar.Position(), 14);
  EXPECT_EQ(next, 40);
  // A new start while running changes the direction and interval of the next tick.
  bar.StartAutoScroll(-1, 70);
  next = 0;
  bar.TimerElapsed(sbtAutoScroll, next);
  EXPECT_EQ(bar.Position(), 13);
  EXPECT_EQ(next, 70);
  bar.StopAutoScroll();
  EXPECT_FALSE(bar.AutoScrolling());
  next = 0;
  bar.TimerElapsed(sbtAutoScroll, next);
  EXPECT_EQ(next, 0);
  EXPECT_EQ(bar.Position(), 13);
  // Direction 0 starts nothing.
  bar.StartAutoScroll(0, 100);
  EXPECT_FALSE(bar.AutoScrolling());
}

TEST_F(ScrollBar, DraggingTheThumb) {
  struct TCase {
    const char* What;
    int Along, Range, Window, Start, Press, Move, Position;
  } cases[] = {
      // A thumb in proportion: the span is 168 pixels for 10 rows.
      {"in proportion, 50 down", 200, 10, 4, 3, 100, 150, 6},
      {"in proportion, 25 down", 200, 10, 4, 3, 100, 125, 4},
      {"in proportion, 17 up", 200, 10, 4, 3, 100, 83, 2},
      {"in proportion, far up", 200, 10, 4, 3, 100, 0, 0},
      // A clamped thumb: the 60 pixels left of the span carry 92 positions.
      {"clamped, 30 down", 100, 100, 8, 0, 20, 50, 46},
      {"clamped, 45 down", 100, 100, 8, 0, 20, 65, 69},
      {"clamped, 1 down", 100, 100, 8, 0, 20, 21, 2},
      {"clamped, far down", 100, 100, 8, 0, 20, 99, 92},
      // Two thousand million rows: the products need 64 bits.
      {"two thousand million rows", 100, 2000000000, 8, 0, 20, 50, 999999996},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Shape(c.Along, 16, c.Range, c.Window, c.Start);
    bar.MouseDown(TMouseButton::mbLeft, 8, c.Press);
    ASSERT_EQ(bar.PressedZone(), sbzThumb);
    bar.MouseMove(8, c.Move);
    EXPECT_EQ(bar.Position(), c.Position);
    EXPECT_EQ(spy.ChangeCount, c.Position == c.Start ? 0 : 1);
    bar.MouseUp(TMouseButton::mbLeft, 8, c.Move);
  }
}

TEST_F(ScrollBar, ADragGoesOnSafelyWhenTheHostLowersTheRange) {
  Shape(100, 16, 100, 8, 0);
  bar.MouseDown(TMouseButton::mbLeft, 8, 20);
  ASSERT_EQ(bar.PressedZone(), sbzThumb);
  for (int range : {8, 0}) {
    bar.SetRange(range);
    bar.MouseMove(8, 60);
    EXPECT_EQ(bar.Position(), 0) << range;
  }
  bar.SetRange(100);
  bar.MouseMove(8, 50);
  EXPECT_EQ(bar.Position(), 46) << "the drag goes on once the bar scrolls again";
}

// --- painting ------------------------------------------------------------------------------------

// The bar at (10, 5), vertical, 16 x 100, painted into a bitmap.
class ScrollBarPainting : public ScrollBar {
 protected:
  static constexpr int kLeft = 10, kTop = 5;
  void Place(int Range, int Window, int Position) {
    Shape(100, 16, Range, Window, Position);
    bar.SetBounds({kLeft, kTop, kLeft + 16, kTop + 100});
  }
  void PaintInto(TPixels& Pixels) {
    TDCCanvas canvas(Pixels.DC());
    bar.PaintTo(*canvas);
  }
  // A zone in the bitmap's terms.
  RECT InBitmap(int Zone) const {
    RECT r = bar.Zone(Zone);
    OffsetRect(&r, kLeft, kTop);
    return r;
  }
  // DrawFrameControl's picture of a zone, painted alone.
  std::unique_ptr<TPixels> FrameControlOf(int Zone, UINT State) {
    auto reference = std::make_unique<TPixels>(40, 120);
    RECT r = InBitmap(Zone);
    DrawFrameControl(reference->DC(), &r, DFC_SCROLL, State);
    return reference;
  }
  void ExpectSameIn(const TPixels& A, const TPixels& B, const RECT& R, const std::string& What) {
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x)
        if (A.At(x, y) != B.At(x, y)) {
          ADD_FAILURE() << What << ": differs at " << x << ", " << y;
          return;
        }
  }
};

TEST_F(ScrollBarPainting, ClassicArrowsAreTheSystemsFrameControls) {
  struct TCase {
    const char* What;
    int Range, Window, PressAt;
    UINT Up, Down;
  } cases[] = {
      {"enabled", 100, 8, -1, DFCS_SCROLLUP, DFCS_SCROLLDOWN},
      {"disabled", 8, 8, -1, DFCS_SCROLLUP | DFCS_INACTIVE, DFCS_SCROLLDOWN | DFCS_INACTIVE},
      {"the up arrow pushed", 100, 8, 5, DFCS_SCROLLUP | DFCS_PUSHED | DFCS_FLAT, DFCS_SCROLLDOWN},
      {"the down arrow pushed", 100, 8, 95, DFCS_SCROLLUP, DFCS_SCROLLDOWN | DFCS_PUSHED | DFCS_FLAT},
  };
  for (const TCase& c : cases) {
    Place(c.Range, c.Window, 40);
    if (c.PressAt >= 0) bar.MouseDown(TMouseButton::mbLeft, 8, c.PressAt);
    TPixels pixels(40, 120);
    PaintInto(pixels);
    ExpectSameIn(pixels, *FrameControlOf(sbzPrevLine, c.Up), InBitmap(sbzPrevLine), std::string(c.What) + ", up");
    ExpectSameIn(pixels, *FrameControlOf(sbzNextLine, c.Down), InBitmap(sbzNextLine), std::string(c.What) + ", down");
    if (c.PressAt >= 0) bar.MouseUp(TMouseButton::mbLeft, 8, c.PressAt);
  }
}

TEST_F(ScrollBarPainting, ClassicTrackPagesAndThumb) {
  Place(100, 8, 46);
  TPixels pixels(40, 120);
  PaintInto(pixels);
  EXPECT_TRUE(pixels.UntouchedOutside({kLeft, kTop, kLeft + 16, kTop + 100}));
  // The pages: a checker of the highlight and the scroll-bar colour.
  const RECT above = InBitmap(sbzPrevPage), below = InBitmap(sbzNextPage);
  for (const RECT& page : {above, below}) {
    const COLORREF a = pixels.At(page.left + 3, page.top + 3), b = pixels.At(page.left + 4, page.top + 3);
    EXPECT_NE(a, b);
    for (COLORREF c : {a, b}) EXPECT_TRUE(c == RGB(0xFF, 0xFF, 0xFF) || c == RGB(0xC8, 0xC8, 0xC8)) << std::hex << c;
    EXPECT_EQ(pixels.At(page.left + 3, page.top + 4), b);
  }
  // The thumb: a raised edge round the button face.
  const RECT thumb = InBitmap(sbzThumb);
  TPixels edge(40, 120);
  RECT e = thumb;
  DrawEdge(edge.DC(), &e, EDGE_RAISED, BF_RECT);
  EXPECT_EQ(pixels.At(thumb.left, thumb.top), edge.At(thumb.left, thumb.top));
  EXPECT_EQ(pixels.At(thumb.right - 1, thumb.bottom - 1), edge.At(thumb.right - 1, thumb.bottom - 1));
  EXPECT_EQ(pixels.At((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), RGB(0xD4, 0xD0, 0xC8));
  // A pressed page is solid dark.
  bar.MouseDown(TMouseButton::mbLeft, 8, 20);
  TPixels pressed(40, 120);
  PaintInto(pressed);
  const RECT page = InBitmap(sbzPrevPage);
  ASSERT_LT(page.top, page.bottom);
  EXPECT_EQ(pressed.At(page.left + 3, page.top + 1), RGB(0x40, 0x40, 0x40));
  EXPECT_EQ(pressed.At(page.left + 4, page.top + 1), RGB(0x40, 0x40, 0x40));
  bar.MouseUp(TMouseButton::mbLeft, 8, 20);
  // No thumb: the track is the scroll-bar colour.
  Place(8, 8, 0);
  TPixels disabled(40, 120);
  PaintInto(disabled);
  const RECT track = InBitmap(sbzTrack);
  EXPECT_EQ(disabled.At(track.left + 3, track.top + 3), RGB(0xC8, 0xC8, 0xC8));
  EXPECT_EQ(disabled.At(track.left + 4, track.top + 3), RGB(0xC8, 0xC8, 0xC8));
}

TEST_F(ScrollBarPainting, TheCanvasOriginComesBack) {
  Place(100, 8, 46);
  TPixels pixels(40, 120);
  TDCCanvas canvas(pixels.DC());
  SetWindowOrgEx(pixels.DC(), 3, 4, nullptr);
  bar.PaintTo(*canvas);
  POINT origin{};
  GetWindowOrgEx(pixels.DC(), &origin);
  EXPECT_EQ(origin.x, 3);
  EXPECT_EQ(origin.y, 4);
}

// The parts and states the styles were asked for, each "part/state".
std::vector<std::string> StyledCalls(HTHEME Data) {
  std::vector<std::string> calls;
  for (const tbx_test::TStyleDraw& d : TFakeVisualStyles::Drawn)
    if (d.Theme == Data) calls.push_back(std::to_string(d.Part) + "/" + std::to_string(d.State));
  return calls;
}

TEST_F(ScrollBarPainting, TheVisualStylesParts) {
  using TCalls = std::vector<std::string>;
  struct TCase {
    const char* What;
    bool Vertical;
    int Range, PressAt;
    SIZE Gripper;
    TCalls Calls;  // arrows, pages, thumb, gripper
  } cases[] = {
      {"vertical", true, 100, -1, {6, 6}, {"1/1", "1/5", "6/1", "7/1", "3/1", "9/1"}},
      {"horizontal", false, 100, -1, {6, 6}, {"1/9", "1/13", "4/1", "5/1", "2/1", "8/1"}},
      {"disabled", true, 8, -1, {6, 6}, {"1/4", "1/8"}},
      {"the up arrow pushed", true, 100, 5, {6, 6}, {"1/3", "1/5", "6/1", "7/1", "3/1", "9/1"}},
      {"the down arrow pushed", true, 100, 95, {6, 6}, {"1/1", "1/7", "6/1", "7/1", "3/1", "9/1"}},
      {"the page above pushed", true, 100, 20, {6, 6}, {"1/1", "1/5", "6/3", "7/1", "3/1", "9/1"}},
      {"the page below pushed", true, 100, 85, {6, 6}, {"1/1", "1/5", "6/1", "7/3", "3/1", "9/1"}},
      {"a gripper too wide for the thumb", true, 100, -1, {20, 6}, {"1/1", "1/5", "6/1", "7/1", "3/1"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TFakeVisualStyles styles;
    TFakeVisualStyles::Values.Gripper = c.Gripper;
    // Zones: the buttons 16, the page above to 50, the thumb to 151, the page below to 184.
    Shape(200, 16, c.Range, 60, 20, c.Vertical);
    if (c.PressAt >= 0) {
      const int along = c.PressAt * 2;
      c.Vertical ? bar.MouseDown(TMouseButton::mbLeft, 8, along) : bar.MouseDown(TMouseButton::mbLeft, along, 8);
    }
    TFakeVisualStyles::Drawn.clear();
    TPixels pixels(220, 220);
    TDCCanvas canvas(pixels.DC());
    bar.PaintTo(*canvas);
    EXPECT_EQ(StyledCalls(TFakeVisualStyles::DataOf(vscScrollBar)), c.Calls);
    bar.MouseUp(TMouseButton::mbLeft, 0, 0);
  }
}

TEST_F(ScrollBarPainting, TheGripperSitsInTheMiddleOfTheThumbsContent) {
  TFakeVisualStyles styles;
  TFakeVisualStyles::Values.ThumbContent = {2, 4, 3, 5};
  TFakeVisualStyles::Values.Gripper = {8, 6};
  Shape(200, 16, 100, 60, 40);
  TPixels pixels(40, 220);
  TDCCanvas canvas(pixels.DC());
  bar.PaintTo(*canvas);
  const RECT thumb = bar.Zone(sbzThumb);
  ASSERT_FALSE(TFakeVisualStyles::Drawn.empty());
  const tbx_test::TStyleDraw& gripper = TFakeVisualStyles::Drawn.back();
  EXPECT_EQ(gripper.Part, 9);
  const int left = (thumb.left + 2 + thumb.right - 4 - 8) / 2, top = (thumb.top + 3 + thumb.bottom - 5 - 6) / 2;
  EXPECT_EQ(gripper.Rect, (RECT{left, top, left + 8, top + 6}));
  // No size from the style: no gripper.
  TFakeVisualStyles::Values.GripperFails = true;
  TFakeVisualStyles::Drawn.clear();
  bar.PaintTo(*canvas);
  EXPECT_NE(TFakeVisualStyles::Drawn.back().Part, 9);
}

TEST_F(ScrollBarPainting, AStyleWithoutScrollBarDataPaintsClassic) {
  TFakeVisualStyles styles;
  VisualStyleHandles[vscScrollBar] = nullptr;
  Place(100, 8, 40);
  TPixels pixels(40, 120);
  PaintInto(pixels);
  EXPECT_TRUE(TFakeVisualStyles::Drawn.empty());
  ExpectSameIn(pixels, *FrameControlOf(sbzPrevLine, DFCS_SCROLLUP), InBitmap(sbzPrevLine), "up");
  ExpectSameIn(pixels, *FrameControlOf(sbzNextLine, DFCS_SCROLLDOWN), InBitmap(sbzNextLine), "down");
  EXPECT_NE(pixels.At(kLeft + 8, kTop + 50), kSentinel);
}

}  // namespace
