// The list item and its viewer, called directly: measuring, painting the rows, the hot row, the
// keys, the wheel, the mouse with automatic scrolling beyond the list, the chosen row reaching
// every viewer, and handlers that free the list while its viewer is busy (freed memory is
// poisoned in this test program).
#include "ListTestSupport.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace tbx_test;

namespace {

constexpr COLORREF kHighlight = RGB(0x10, 0x20, 0xC0);
constexpr COLORREF kHighlightText = RGB(0xF0, 0xE1, 0xD2);
constexpr COLORREF kWindow = RGB(0xFE, 0xFD, 0xFC);
constexpr COLORREF kWindowText = RGB(0x05, 0x06, 0x07);

class ListItem : public ThemedItemsTest {
 protected:
  void SetUp() override {
    settings.Colors[COLOR_HIGHLIGHT] = kHighlight;
    settings.Colors[COLOR_HIGHLIGHTTEXT] = kHighlightText;
    settings.Colors[COLOR_WINDOW] = kWindow;
    settings.Colors[COLOR_WINDOWTEXT] = kWindowText;
    ThemedItemsTest::SetUp();
    list = Make<TStringList>(L"");
    spy.Watch(list);
  }
  // A popup of the root's items (the list among them) and the list's viewer in it.
  TTBXCustomListViewer* Viewer(TTBXPopupWindow*& Popup) {
    Popup = HiddenPopup();
    return static_cast<TTBXCustomListViewer*>(Popup->View()->Find(list));
  }
  TTBXCustomListViewer* Viewer() {
    TTBXPopupWindow* popup = nullptr;
    return Viewer(popup);
  }
  static SIZE Measured(TTBXCustomListViewer* V) {
    TPixels pixels(1, 1);
    TDCCanvas canvas(pixels.DC());
    int w = 0, h = 0;
    V->CalcSize(*canvas, w, h);
    return {w, h};
  }
  // Paints the viewer into a bitmap of its size (taller by Extra), as its view would.
  static std::unique_ptr<TPixels> Painted(TTBXCustomListViewer* V, int Extra = 0) {
    const SIZE size = Measured(V);
    auto pixels = std::make_unique<TPixels>(size.cx, size.cy + Extra);
    TDCCanvas canvas(pixels->DC());
    V->Paint(*canvas, {0, 0, size.cx, size.cy + Extra}, false, false, false);
    return pixels;
  }
  // The height of a row in the view's font: the text and 2 pixels.
  static int RowHeight(TTBXCustomListViewer* V) { return TextSizeIn(V->View()->GetFont(), L"Q", DT_SINGLELINE).cy + 2; }
  static int TextWidth(TTBXCustomListViewer* V, const String& Text) {
    return TextSizeIn(V->View()->GetFont(), Text, DT_SINGLELINE | DT_NOPREFIX).cx;
  }
  // A list of Rows rows shown MaxVisible at a time, painted once (its bar made when it needs one).
  TTBXCustomListViewer* Shown(int Rows, int MaxVisible = 8) {
    list->SetRows(Rows);
    list->SetMaxVisibleItems(MaxVisible);
    TTBXCustomListViewer* v = Viewer();
    Painted(v);
    return v;
  }

  TStringList* list = nullptr;
  TListSpy spy;
};

// --- measuring ------------------------------------------------------------------------------------

TEST_F(ListItem, Measures) {
  struct TCase {
    const char* What;
    std::vector<String> Rows;
    int MaxVisible, MinWidth, MaxWidth;
    int Visible;       // rows shown
    bool Bar;          // a scroll bar
    int Width;         // -1: the longest text + 8 (+ the bar)
  } cases[] = {
      {"fewer rows than the maximum: no bar, exactly their height", {L"One", L"Two", L"Three"}, 8, 32, 0, 3, false, -1},
      {"more rows: a bar", std::vector<String>(20, L"Twenty rows"), 8, 32, 0, 8, true, -1},
      {"an empty list is one row high", {}, 8, 32, 0, 1, false, 32},
      {"narrow rows take the smallest width", {L"I"}, 8, 32, 0, 1, false, 32},
      {"a larger smallest width", {L"One"}, 8, 200, 0, 1, false, 200},
      {"a largest width", {L"A rather long row of text"}, 8, 32, 60, 1, false, 60},
      {"a largest width below the smallest is not used", {L"A rather long row of text"}, 8, 32, 20, 1, false, -1},
      {"no visible rows asked for: still one", {L"One", L"Two"}, 0, 32, 0, 1, true, -1},
      {"negative visible rows: still one", {L"One", L"Two"}, -3, 32, 0, 1, true, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    list->Strings = c.Rows;
    list->SetMaxVisibleItems(c.MaxVisible);
    list->SetMinWidth(c.MinWidth);
    list->SetMaxWidth(c.MaxWidth);
    TTBXCustomListViewer* v = Viewer();
    const SIZE size = Measured(v);
    const int bar = c.Bar ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    int longest = 0;
    for (const String& row : c.Rows) longest = std::max(longest, TextWidth(v, row) + 8);
    EXPECT_EQ(size.cy, c.Visible * RowHeight(v));
    EXPECT_EQ(v->VisibleItems(), c.Visible);
    EXPECT_EQ(v->ScrollBarWidth(), bar);
    EXPECT_EQ(size.cx, c.Width >= 0 ? c.Width : std::max(longest + bar, c.MinWidth));
  }
}

TEST_F(ListItem, ImagesWidenAndHeightenRows) {
  TCustomImageList* images = Images(20, 24);
  list->SetImages(images);
  list->Strings = {L"Row", L""};
  TTBXCustomListViewer* v = Viewer();
  const SIZE plain = Measured(v);
  list->SetShowImages(true);
  TPixels pixels(1, 1);
  TDCCanvas canvas(pixels.DC());
  canvas->SetFont(v->View()->GetFont());
  EXPECT_EQ(v->GetItemHeight(*canvas), std::max(RowHeight(v), 24 + 2));
  EXPECT_EQ(v->GetItemWidth(*canvas, 0), TextWidth(v, L"Row") + 20 + 4 + 8);
  EXPECT_EQ(v->GetItemWidth(*canvas, 1), 20 + 8) << "no gap after the image of an empty row";
  const SIZE withImages = Measured(v);
  EXPECT_GT(withImages.cy, plain.cy);
  // The list lets go of an image list that goes.
  images->Free();
  EXPECT_EQ(list->Images(), nullptr);
  EXPECT_EQ(Measured(v).cy, plain.cy);
  Painted(v);
}

TEST_F(ListItem, TheEventsMeasureRows) {
  struct TMeasure : TObject {
    int Height = 0;
    void MeasureHeight(TObject*, TCanvas&, int& H) { H = Height; }
    void MeasureWidth(TObject*, TCanvas&, int Index, int& W) { W = 100 + Index; }
  } measure;
  list->OnMeasureWidth = TTBXLMeasureWidthEvent(&measure, &TMeasure::MeasureWidth);
  list->OnMeasureHeight = TTBXLMeasureHeightEvent(&measure, &TMeasure::MeasureHeight);
  list->SetRows(3);
  measure.Height = 17;
  TTBXCustomListViewer* v = Viewer();
  const SIZE size = Measured(v);
  EXPECT_EQ(size.cx, 102);
  EXPECT_EQ(size.cy, 3 * 17);
  // A row of no height is one pixel high: rows are found by dividing by it.
  measure.Height = 0;
  EXPECT_EQ(Measured(v).cy, 3);
  EXPECT_EQ(v->ItemHeight(), 1);
  Painted(v);
  EXPECT_EQ(v->RowAt(5, 2), 2);
  EXPECT_EQ(v->RowAt(5, 3), -1);
}

TEST_F(ListItem, APopupShowingOnlyAListIsAListPopup) {
  auto* pick = Make<TTBXSubmenuItem>(L"Pick");
  auto* onlyList = Make<TStringList>(L"", pick);
  struct TCase {
    const char* What;
    std::function<void()> Arrange;
    int Kind;
  } cases[] = {
      {"one list", [] {}, vkListPopup},
      {"a tool-box popup of one list", [&] { pick->SetToolBoxPopup(true); }, vkToolBoxPopup},
      {"a list and an item",
       [&] {
         pick->SetToolBoxPopup(false);
         Make(L"More", pick);
       },
       vkPopupMenu},
      {"one item", [&] { onlyList->Free(); }, vkPopupMenu},
  };
  for (const TCase& c : cases) {
    c.Arrange();
    EXPECT_EQ(QueryPopupViewKind(HiddenPopup(pick)), c.Kind) << c.What;
  }
}

// --- painting -------------------------------------------------------------------------------------

TEST_F(ListItem, RowsShowTheImagesTheEventChoosesDisabledThroughTheTheme) {
  struct TImages : TObject {
    void Adjust(TObject*, int Index, int& ImageIndex) { ImageIndex = Index == 0 ? 1 : 0; }
  } adjust;
  auto* images = new TCustomImageList(owner);
  images->SetSize(4, 4);
  TBitmap strip;
  strip.SetSize(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) strip.ScanLine(y)[x] = RGBToPixel(x < 4 ? RGB(200, 0, 0) : RGB(0, 0, 200));
  images->AddMasked(strip, RGB(255, 0, 255));
  list->SetImages(images);
  list->SetShowImages(true);
  list->SetRows(2);
  list->OnAdjustImageIndex = TTBXLAdjustImageIndexEvent(&adjust, &TImages::Adjust);
  TTBXCustomListViewer* v = Viewer();
  auto pixels = Painted(v);
  const int h = v->ItemHeight();
  // Each image 4 pixels in from the left, in the middle of its row.
  EXPECT_EQ(pixels->At(5, (h - 4) / 2 + 1), RGB(0, 0, 200)) << "row 0 shows image 1";
  EXPECT_EQ(pixels->At(5, h + (h - 4) / 2 + 1), RGB(200, 0, 0)) << "row 1 shows image 0";
  EXPECT_TRUE(theme->CallsOf("PaintImage").empty());
  list->SetEnabled(false);
  Painted(v);
  const std::vector<TThemeCall> disabled = theme->CallsOf("PaintImage");
  ASSERT_EQ(disabled.size(), 2u);
  EXPECT_EQ(disabled[0].ImageIndex, 1);
  EXPECT_FALSE(disabled[0].Info.ItemEnabled);
  EXPECT_EQ(disabled[0].Rect, (RECT{4, (h - 4) / 2, 8, (h - 4) / 2 + 4}));
}

TEST_F(ListItem, RowsArePaintedInTheWindowColoursTheHotOneInTheSelectionColours) {
  list->SetRows(3);
  TTBXCustomListViewer* v = Viewer();
  v->SetHoverIndex(1);
  auto pixels = Painted(v, 10);
  const int h = RowHeight(v), right = pixels->Width() - 2;
  EXPECT_EQ(pixels->At(right, h / 2), kWindow);
  EXPECT_EQ(pixels->At(right, h + h / 2), kHighlight);
  EXPECT_EQ(pixels->At(right, 2 * h + h / 2), kWindow);
  for (int y = 3 * h; y < 3 * h + 10; ++y) EXPECT_EQ(pixels->At(right, y), kWindow) << "below the rows " << y;
  std::set<COLORREF> hotRow, otherRows;
  for (int x = 0; x < pixels->Width(); ++x) {
    for (int y = h; y < 2 * h; ++y) hotRow.insert(pixels->At(x, y));
    for (int y = 0; y < h; ++y) otherRows.insert(pixels->At(x, y));
  }
  EXPECT_TRUE(hotRow.count(kHighlightText));
  EXPECT_FALSE(hotRow.count(kWindowText));
  EXPECT_TRUE(otherRows.count(kWindowText));
  EXPECT_FALSE(otherRows.count(kHighlight));
  // An empty list is one clear row.
  list->SetRows(0);
  auto empty = Painted(Viewer());
  EXPECT_EQ(empty->At(2, 2), kWindow);
  EXPECT_EQ(empty->At(empty->Width() - 1, empty->Height() - 1), kWindow);
}

TEST_F(ListItem, TheEventsMayPaintRowsThemselves) {
  struct TPainter : TObject {
    bool Clear = true, Draw = true;
    std::vector<int> Cleared, Drawn;
    void ClearItem(TObject*, TCanvas&, const RECT&, int Index, int, bool& DrawDefault) {
      Cleared.push_back(Index);
      DrawDefault = Clear;
    }
    void DrawItem(TObject*, TCanvas&, const RECT&, int Index, int, bool& DrawDefault) {
      Drawn.push_back(Index);
      DrawDefault = Draw;
    }
  } painter;
  list->OnClearItem = TTBXLButtonEvent(&painter, &TPainter::ClearItem);
  list->OnDrawItem = TTBXLButtonEvent(&painter, &TPainter::DrawItem);
  list->SetRows(2);
  TTBXCustomListViewer* v = Viewer();
  const int h = RowHeight(v);
  for (bool clear : {true, false})
    for (bool draw : {true, false}) {
      painter.Clear = clear;
      painter.Draw = draw;
      painter.Cleared.clear();
      painter.Drawn.clear();
      auto pixels = Painted(v);
      EXPECT_EQ(painter.Cleared, (std::vector<int>{0, 1}));
      EXPECT_EQ(painter.Drawn, (std::vector<int>{0, 1}));
      std::set<COLORREF> row;
      for (int x = 0; x < pixels->Width(); ++x)
        for (int y = 0; y < h; ++y) row.insert(pixels->At(x, y));
      EXPECT_EQ(row.count(kWindow) > 0, clear) << clear << draw;
      EXPECT_EQ(row.count(kSentinel) > 0, !clear) << clear << draw;
      EXPECT_EQ(row.count(kWindowText) > 0, draw) << clear << draw;
    }
}

// --- the chosen row --------------------------------------------------------------------------------

TEST_F(ListItem, TheChosenRowReachesEveryViewerAndFiresOnChangeEachTime) {
  list->SetRows(5);
  TTBXPopupWindow *first = nullptr, *second = nullptr;
  TTBXCustomListViewer* a = Viewer(first);
  TTBXCustomListViewer* b = Viewer(second);
  ASSERT_NE(list->Viewers(), nullptr);
  EXPECT_EQ(list->Viewers()->size(), 2u);
  list->SetItemIndex(3);
  EXPECT_EQ(a->HoverIndex(), 3);
  EXPECT_EQ(b->HoverIndex(), 3);
  list->SetItemIndex(3);
  list->SetItemIndex(-7);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(spy.Changes, (std::vector<int>{3, 3, -1}));
  EXPECT_EQ(a->HoverIndex(), -1);
  first->Free();
  EXPECT_EQ(list->Viewers()->size(), 1u);
  second->Free();
  EXPECT_EQ(list->Viewers(), nullptr);
}

TEST_F(ListItem, AChosenRowBelowTheVisibleOnesIsShownLast) {
  list->SetRows(20);
  list->SetItemIndex(15);
  TTBXCustomListViewer* v = Viewer();
  EXPECT_EQ(v->Offset(), 8);
  EXPECT_EQ(v->HoverIndex(), 15);
  Painted(v);
  ASSERT_NE(v->ScrollBar(), nullptr);
  EXPECT_EQ(v->ScrollBar()->Position(), 8);
  // Later choices scroll too: up to the row itself, down to it as the last.
  list->SetItemIndex(2);
  EXPECT_EQ(v->Offset(), 2);
  list->SetItemIndex(19);
  EXPECT_EQ(v->Offset(), 12);
  list->SetItemIndex(14);
  EXPECT_EQ(v->Offset(), 12);
}

// --- keys and the wheel -----------------------------------------------------------------------------

TEST_F(ListItem, KeysChooseRows) {
  struct TCase {
    const char* What;
    int Rows, Hover;
    WORD Key;
    int ItemIndex;      // afterwards; -2: unchanged, no OnChange
    bool Consumed;
  } cases[] = {
      {"Down", 20, 3, VK_DOWN, 4, true},
      {"Up", 20, 3, VK_UP, 2, true},
      {"Home", 20, 3, VK_HOME, 0, true},
      {"End", 20, 3, VK_END, 19, true},
      {"Page Down", 20, 3, VK_NEXT, 11, true},
      {"Page Up, limited to the first", 20, 3, VK_PRIOR, 0, true},
      {"Down at the last, limited", 20, 19, VK_DOWN, 19, true},
      {"Up with no hot row, limited", 20, -1, VK_UP, 0, true},
      {"Enter with a hot row", 20, 5, VK_RETURN, 5, false},
      {"Enter with no hot row", 20, -1, VK_RETURN, -1, false},
      {"another key", 20, 3, VK_LEFT, -2, false},
      {"Down in an empty list", 0, -1, VK_DOWN, -2, true},
      {"End in an empty list", 0, -1, VK_END, -2, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    list->SetRows(c.Rows);
    list->SetItemIndex(c.Hover);
    TTBXCustomListViewer* v = Viewer();
    spy.Changes.clear();
    WORD key = c.Key;
    v->KeyDown(key, 0);
    EXPECT_EQ(key == 0, c.Consumed);
    if (c.ItemIndex == -2) {
      EXPECT_EQ(spy.Changes, std::vector<int>{});
      EXPECT_EQ(list->ItemIndex(), c.Hover);
    } else {
      EXPECT_EQ(spy.Changes, std::vector<int>{c.ItemIndex});
      EXPECT_EQ(list->ItemIndex(), c.ItemIndex);
    }
  }
}

TEST_F(ListItem, ADisabledListChoosesNothing) {
  list->SetRows(10);
  list->SetItemIndex(4);
  list->SetEnabled(false);
  TTBXCustomListViewer* v = Shown(10, 4);
  spy.Changes.clear();
  for (WORD k : {WORD(VK_DOWN), WORD(VK_RETURN), WORD(VK_HOME)}) {
    WORD key = k;
    v->KeyDown(key, 0);
    EXPECT_EQ(key, k) << "the key goes on to the menu";
  }
  TLeftButtonState up(false);
  bool onMenu = false;
  const int y = RowHeight(v) / 2;
  v->MouseDown(0, 5, y, onMenu);
  v->MouseUp(5, y, onMenu);
  EXPECT_EQ(spy.Changes, std::vector<int>{});
  EXPECT_EQ(list->ItemIndex(), 4);
}

TEST_F(ListItem, TheWheelScrollsARowPerNotch) {
  struct TCase {
    const char* What;
    std::vector<int> Deltas;
    int Offset;
  } cases[] = {
      {"240 up", {240}, 3}, {"60 and 60 up", {60, 60}, 4}, {"60 up", {60}, 5},
      {"120 down", {-120}, 6}, {"960 down, limited", {-480, -480}, 12},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TTBXCustomListViewer* v = Shown(20);
    v->ScrollBar()->SetPositionByUser(5);
    for (int delta : c.Deltas) {
      bool handled = false;
      v->MouseWheel(delta, 5, 5, handled);
      EXPECT_TRUE(handled);
    }
    EXPECT_EQ(v->Offset(), c.Offset);
  }
  // Without a bar the wheel is the menu's.
  TTBXCustomListViewer* v = Shown(3);
  bool handled = false;
  v->MouseWheel(120, 5, 5, handled);
  EXPECT_FALSE(handled);
}

// --- the mouse --------------------------------------------------------------------------------------

TEST_F(ListItem, RowsUnderThePointer) {
  TTBXCustomListViewer* v = Shown(20);
  const int h = RowHeight(v), width = Measured(v).cx, bar = v->ScrollBarWidth();
  v->ScrollBar()->SetPositionByUser(4);
  struct TCase {
    int X, Y, Row;
  } cases[] = {
      {5, 0, 4},          {5, h - 1, 4},     {5, h, 5},          {5, 8 * h - 1, 11},
      {5, 8 * h, -1},     {-1, 5, -1},       {width - bar - 1, 5, 4},
      // Above the list there is no row, not even just above it.
      {5, -1, -1},        {5, -h + 1, -1},
      // The bar's column is the bar's.
      {width - bar, 5, -1},
  };
  for (const TCase& c : cases) EXPECT_EQ(v->RowAt(c.X, c.Y), c.Row) << c.X << ", " << c.Y;
  // Without a bar, the right edge is the viewer's.
  TTBXCustomListViewer* shortList = Shown(3);
  const int shortWidth = Measured(shortList).cx;
  EXPECT_EQ(shortList->RowAt(shortWidth - 1, 5), 0);
  EXPECT_EQ(shortList->RowAt(shortWidth, 5), -1);
}

TEST_F(ListItem, AReleaseChoosesTheRowUnderIt) {
  TLeftButtonState up(false);
  list->SetRows(3);
  TTBXCustomListViewer* v = Shown(3);
  const int h = RowHeight(v);
  struct TCase {
    const char* What;
    int Y;
    int Chosen;
  } cases[] = {
      {"on the second row", h + 2, 1},
      {"just above the list", -1, -1},
      {"a row above the list", -h + 2, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    list->SetItemIndex(2);
    spy.Changes.clear();
    bool onMenu = false;
    v->MouseDown(0, 5, 2, onMenu);
    v->MouseMove(5, c.Y);
    v->View()->GetRootView()->DoneActionData().Sound = true;
    v->MouseUp(5, c.Y, onMenu);
    EXPECT_EQ(list->ItemIndex(), c.Chosen);
    EXPECT_EQ(spy.Changes, std::vector<int>{c.Chosen});
    EXPECT_FALSE(v->View()->GetRootView()->DoneActionData().Sound) << "a chosen row plays no command sound";
  }
}

TEST_F(ListItem, DraggingBeyondTheListScrollsByDistance) {
  struct TCase {
    const char* What;
    int Start;         // offset
    int Beyond;        // pixels below (positive) or above (negative) the list; 0 inside
    int Step, Interval;  // 0, 0: no automatic scrolling
  } cases[] = {
      {"5 below", 0, 5, 1, 150},     {"10 below", 0, 10, 1, 100},   {"29 below", 0, 29, 1, 100},
      {"30 below", 0, 30, 2, 100},   {"50 below", 0, 50, 2, 100},   {"51 below", 0, 51, 4, 100},
      {"60 below", 0, 60, 4, 100},   {"60 above", 8, -60, -4, 100}, {"5 above", 8, -5, -1, 150},
      {"above the first row", 0, -20, 0, 0}, {"below the last row", 12, 20, 0, 0}, {"inside", 4, 0, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TLeftButtonState down(true);
    TTBXCustomListViewer* v = Shown(20);
    v->ScrollBar()->SetPositionByUser(c.Start);
    const int height = 8 * RowHeight(v);
    bool onMenu = false;
    v->MouseDown(0, 5, 5, onMenu);
    const int y = c.Beyond > 0 ? height - 1 + c.Beyond : c.Beyond < 0 ? c.Beyond : height / 2;
    v->MouseMove(5, y);
    TTBXScrollBar* bar = v->ScrollBar();
    EXPECT_EQ(bar->AutoScrolling(), c.Step != 0);
    if (c.Step != 0) {
      EXPECT_EQ(v->HoverIndex(), -1) << "no row is hot while the list scrolls by itself";
      int next = 0;
      bar->TimerElapsed(sbtAutoScroll, next);
      EXPECT_EQ(v->Offset(), c.Start + c.Step);
      EXPECT_EQ(next, c.Interval);
    }
    v->MouseUp(5, y, onMenu);
    EXPECT_FALSE(bar->AutoScrolling());
  }
}

TEST_F(ListItem, AutomaticScrollingStopsAtTheLastRow) {
  TLeftButtonState down(true);
  TTBXCustomListViewer* v = Shown(20);
  bool onMenu = false;
  v->MouseDown(0, 5, 5, onMenu);
  v->MouseMove(5, 8 * RowHeight(v) + 60);
  TTBXScrollBar* bar = v->ScrollBar();
  std::vector<int> offsets;
  int next = 100;
  while (next > 0 && offsets.size() < 10) {
    next = 0;
    bar->TimerElapsed(sbtAutoScroll, next);
    offsets.push_back(v->Offset());
  }
  EXPECT_EQ(offsets, (std::vector<int>{4, 8, 12}));
  EXPECT_FALSE(bar->AutoScrolling());
  v->MouseUp(5, 200, onMenu);
}

TEST_F(ListItem, ADragThatEntersTheListTakesTheMouse) {
  TTBXCustomListViewer* v = Shown(5);
  const int h = RowHeight(v);
  for (BYTE up : {BYTE{0}, BYTE{0x01}}) {
    TLeftButtonState state(up);
    v->MouseMove(5, h + 2);
    EXPECT_FALSE(v->View()->Capture()) << "a move without the button only makes a row hot " << int(up);
    EXPECT_EQ(v->HoverIndex(), 1);
  }
  TLeftButtonState down(true);
  v->MouseMove(5, 2 * h + 2);
  EXPECT_TRUE(v->View()->Capture());
  EXPECT_EQ(v->HoverIndex(), 2);
  v->MouseUp(5, 2 * h + 2, false);
  EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(ListItem, AClickOnTheBarScrollsAndKeepsTheMenuOpen) {
  TLeftButtonState up(false);
  TTBXCustomListViewer* v = Shown(20);
  const int x = Measured(v).cx - 2, below = 8 * RowHeight(v) - 2;
  bool onMenu = true;
  v->MouseDown(0, x, below, onMenu);
  EXPECT_FALSE(onMenu);
  EXPECT_EQ(v->Offset(), 1) << "the line-down button";
  // As if the release had chosen the item: the bar's release takes that back.
  v->View()->GetRootView()->DoneActionData().DoneAction = tbdaClickItem;
  v->MouseUp(x, below, onMenu);
  EXPECT_EQ(v->View()->GetRootView()->DoneActionData().DoneAction, tbdaNone);
  EXPECT_EQ(spy.Changes, std::vector<int>{});
  EXPECT_EQ(v->ScrollBar()->PressedZone(), 0);
}

// --- handlers that free the list ----------------------------------------------------------------------

TEST_F(ListItem, AChangeHandlerMayFreeTheListWhileItsViewerChoosesARow) {
  struct TCase {
    const char* What;
    std::function<void(TTBXCustomListViewer*)> Choose;
  } cases[] = {
      {"a key", [](TTBXCustomListViewer* V) {
         WORD key = VK_DOWN;
         V->KeyDown(key, 0);
       }},
      {"Enter", [](TTBXCustomListViewer* V) {
         WORD key = VK_RETURN;
         V->KeyDown(key, 0);
       }},
      {"a click", [](TTBXCustomListViewer* V) {
         bool onMenu = false;
         V->MouseDown(0, 5, 2, onMenu);
         V->MouseUp(5, 2, onMenu);
       }},
  };
  TLeftButtonState up(false);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    list = Make<TStringList>(L"");
    spy.Watch(list);
    TTBXPopupWindow* popup = nullptr;
    list->SetRows(5);
    list->SetItemIndex(1);
    TTBXCustomListViewer* v = Viewer(popup);
    const int viewers = popup->View()->ViewerCount();
    spy.Then = [this] { list->Free(); };
    c.Choose(v);
    spy.Then = nullptr;
    EXPECT_EQ(popup->View()->ViewerCount(), viewers - 1) << "the viewer went with the list";
    popup->Free();
  }
  list = nullptr;
}

// --- what painting costs ----------------------------------------------------------------------------

TEST_F(ListItem, PaintingAThousandTimesLeavesTheObjectsAsTheyWere) {
  TTBXCustomListViewer* v = Shown(20);
  v->SetHoverIndex(3);
  v->ScrollBar()->MouseDown(TMouseButton::mbLeft, 5, 40);
  const SIZE size = Measured(v);
  TPixels pixels(size.cx, size.cy);
  TDCCanvas canvas(pixels.DC());
  v->Paint(*canvas, {0, 0, size.cx, size.cy}, true, false, false);
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 1000; ++i) v->Paint(*canvas, {0, 0, size.cx, size.cy}, true, false, false);
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
  v->ScrollBar()->MouseUp(TMouseButton::mbLeft, 5, 40);
}

}  // namespace
