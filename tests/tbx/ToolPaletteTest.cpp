// The tool palette: its grid's measures, cell rectangles and hit testing (plain and stretched),
// the keys that move its hot cell, entering it from above and below, its hints, and a click in
// a real menu loop, whose handlers run while the popup is up before the menu closes.
#include "ToolPaletteTestSupport.h"

#include "classlib/Controls.h"
#include "classlib/Messages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tbx_test;
using testing_support::PumpMessages;

namespace {

// Answers a fixed image size for every cell.
struct TImageSizer : TObject {
  int Width = 5, Height = 7;
  void Calc(TObject*, TCanvas&, int& AWidth, int& AHeight) {
    AWidth = Width;
    AHeight = Height;
  }
};

class ToolPalette : public ThemedItemsTest {
 protected:
  TTBXCustomToolPalette* MakePalette(int Cols, int Rows, TTBCustomItem* Parent = nullptr) {
    auto* palette = Make<TTBXCustomToolPalette>(L"", Parent);
    palette->SetColCount(static_cast<uint8_t>(Cols));
    palette->SetRowCount(static_cast<uint8_t>(Rows));
    return palette;
  }
  static TTBXToolViewer* ViewerOf(TTBView* View, TTBCustomItem* Palette) {
    View->ValidatePositions();
    return static_cast<TTBXToolViewer*>(View->Find(Palette));
  }
  // Measures the viewer as its view would, in the view's font.
  static SIZE Measure(TTBXToolViewer* Viewer) {
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    bitmap.Canvas().SetFont(Viewer->View()->GetFont());
    int w = 0, h = 0;
    Viewer->CalcSize(bitmap.Canvas(), w, h);
    return {w, h};
  }
  TPaletteSpy spy;
};

}  // namespace

// --- geometry ---------------------------------------------------------------------------------

TEST_F(ToolPalette, MeasuresItsGridOfImageCellsAfterTheImageColumnInPopupsAndAloneOnToolbars) {
  struct TCase {
    const char* what;
    bool popup;
    int cols, rows;
    SIZE images;      // of the palette's image list; 0 x 0: none
    bool sizeEvent;   // OnCalcImageSize answers 5 x 7
    SIZE cell;        // image + 3 pixels on every side
  } cases[] = {
      {"toolbar, 4 x 2, no images", false, 4, 2, {0, 0}, false, {22, 22}},
      {"popup, 4 x 2, no images", true, 4, 2, {0, 0}, false, {22, 22}},
      {"toolbar, images of 10 x 8", false, 3, 1, {10, 8}, false, {16, 14}},
      {"popup, images of 10 x 8", true, 3, 1, {10, 8}, false, {16, 14}},
      {"popup, the event's image size", true, 2, 2, {0, 0}, true, {11, 13}},
      {"toolbar, no columns", false, 0, 1, {0, 0}, false, {22, 22}},
      {"popup, no columns and no rows", true, 0, 0, {0, 0}, false, {22, 22}},
  };
  TImageSizer sizer;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTBXCustomToolPalette* palette = MakePalette(c.cols, c.rows);
    if (c.images.cx) palette->SetImages(Images(c.images.cx, c.images.cy, 8));
    if (c.sizeEvent) palette->OnCalcImageSize = TTPCalcImageSize(&sizer, &TImageSizer::Calc);
    TTBView* view = c.popup ? HiddenPopup()->View() : ToolbarView();
    TTBXToolViewer* viewer = ViewerOf(view, palette);
    ASSERT_NE(viewer, nullptr);

    const SIZE size = Measure(viewer);
    const int indent =
        c.popup ? M(tmMenuImageMargin) + viewer->GetImageColumnWidth() + M(tmMenuImageTextSpace) - 3 : 0;
    // The grid takes at least 8 x 8 pixels.
    EXPECT_EQ(size.cx, std::max<int>(c.cell.cx * c.cols, 8) + indent + (c.popup ? M(tmMenuTextMargin) : 0));
    EXPECT_EQ(size.cy, std::max<int>(c.cell.cy * c.rows, 8));
    EXPECT_EQ(viewer->Indent, indent);
    EXPECT_EQ(viewer->CellWidth, c.cell.cx);
    EXPECT_EQ(viewer->CellHeight, c.cell.cy);
    EXPECT_EQ(viewer->ColCount, c.cols);
    EXPECT_EQ(viewer->RowCount, c.rows);
    if (c.cols == 0) {
      EXPECT_FALSE(viewer->IsCellVisible(0, 0)) << "no usable cell";
    }
    views->DestroyComponents();
    root->Clear();
  }
}

namespace {

// A toolbar viewer of a 3 x 2 palette laid out as the tests say: cells of 18 x 18 after an
// indent of 10, in a viewer of 71 x 41 (61 pixels after the indent).
class PaletteGeometry : public ToolPalette {
 protected:
  void SetUp() override {
    ToolPalette::SetUp();
    palette = MakePalette(3, 2);
    viewer = ViewerOf(ToolbarView(), palette);
    ASSERT_NE(viewer, nullptr);
    Lay(false);
  }
  // The item's change lays the view out again: the measures are set after it.
  void Lay(bool Stretch) {
    palette->SetStretch(Stretch);
    viewer->View()->ValidatePositions();
    viewer->Indent = 10;
    viewer->CellWidth = viewer->CellHeight = 18;
    viewer->BoundsRect = {0, 0, 71, 41};
  }
  TTBXCustomToolPalette* palette = nullptr;
  TTBXToolViewer* viewer = nullptr;
};

}  // namespace

TEST_F(PaletteGeometry, CellRectanglesFollowTheCellSizeOrSpreadOverTheWidthAfterTheIndent) {
  struct TCase {
    bool stretch;
    RECT within;
    TTBXCell cell;
    RECT expected;
  } cases[] = {
      {false, {0, 0, 71, 41}, {0, 0}, {10, 0, 28, 18}},
      {false, {0, 0, 71, 41}, {2, 1}, {46, 18, 64, 36}},
      {false, {100, 50, 171, 91}, {1, 0}, {128, 50, 146, 68}},
      // 61 pixels for three columns, 41 for two rows: the last cells end at the right and
      // bottom edges.
      {true, {0, 0, 71, 41}, {0, 0}, {10, 0, 30, 20}},
      {true, {0, 0, 71, 41}, {1, 1}, {30, 20, 50, 41}},
      {true, {0, 0, 71, 41}, {2, 1}, {50, 20, 71, 41}},
      {true, {100, 50, 171, 91}, {2, 0}, {150, 50, 171, 70}},
  };
  for (const TCase& c : cases) {
    Lay(c.stretch);
    EXPECT_EQ(viewer->GetCellRect(c.within, c.cell.Col, c.cell.Row), c.expected)
        << (c.stretch ? "stretched " : "plain ") << c.cell << " in " << c.within;
  }
}

// Cell divisions round toward zero: a point up to a cell's size left of (or above) the grid is on
// the first column (row); only further out is it on none.
TEST_F(PaletteGeometry, APointIsOnTheCellPaintedThereAndJustOutsideTheGridOnTheNearestEdgeCell) {
  struct TCase {
    bool stretch;
    POINT at;  // relative to the viewer
    TTBXCell cell;
    bool usable;
  } cases[] = {
      {false, {10, 0}, {0, 0}, true},   {false, {27, 17}, {0, 0}, true},
      {false, {28, 18}, {1, 1}, true},  {false, {63, 35}, {2, 1}, true},
      {false, {64, 5}, {3, 0}, false},  {false, {20, 36}, {0, 2}, false},
      {false, {9, 5}, {0, 0}, true},    {false, {0, 0}, {0, 0}, true},
      {false, {-7, 20}, {0, 1}, true},  {false, {-8, 5}, {-1, 0}, false},
      {false, {20, -17}, {0, 0}, true}, {false, {20, -18}, {0, -1}, false},
      {true, {10, 0}, {0, 0}, true},    {true, {29, 19}, {0, 0}, true},
      {true, {30, 20}, {1, 1}, true},   {true, {49, 40}, {1, 1}, true},
      {true, {50, 0}, {2, 0}, true},    {true, {70, 40}, {2, 1}, true},
      {true, {9, 0}, {0, 0}, true},     {true, {-10, 0}, {0, 0}, true},
      {true, {-11, 0}, {-1, 0}, false}, {true, {71, 0}, {3, 0}, false},
  };
  for (const TCase& c : cases) {
    Lay(c.stretch);
    const TTBXCell cell = viewer->CellAt(c.at.x, c.at.y);
    SCOPED_TRACE(testing::Message() << (c.stretch ? "stretched " : "plain ") << c.at.x << "," << c.at.y);
    EXPECT_EQ(cell, c.cell);
    EXPECT_EQ(viewer->IsUsable(cell), c.usable);
    if (c.usable && c.at.x >= viewer->Indent && c.at.y >= 0) {
      // On the grid, the cell painted there holds the point.
      const RECT r = viewer->GetCellRect(viewer->BoundsRect, cell.Col, cell.Row);
      EXPECT_TRUE(PtInRect(&r, c.at));
    }
  }
  // Cells not measured yet: every point is on the first cell.
  viewer->CellWidth = 0;
  EXPECT_EQ(viewer->CellAt(60, 30), (TTBXCell{0, 0}));
  viewer->CellWidth = 18;
  viewer->CellHeight = 0;
  EXPECT_EQ(viewer->CellAt(0, 0), (TTBXCell{0, 0}));
}

TEST_F(PaletteGeometry, CellsOutsideTheGridAreNeverUsableWhateverTheHandlerSays) {
  struct TAlwaysVisible : TObject {
    void Visible(TObject*, int, int, bool& AVisible) { AVisible = true; }
  } always;
  palette->OnGetCellVisible = TTPGetCellVisible(&always, &TAlwaysVisible::Visible);
  for (TTBXCell cell : {TTBXCell{0, -1}, TTBXCell{-1, 0}, TTBXCell{3, 0}, TTBXCell{0, 2}})
    EXPECT_FALSE(viewer->IsUsable(cell)) << cell;
  // Nor beyond the images of an image list, unless the palette draws its own.
  palette->SetImages(Images(16, 16, 4));
  viewer->ColCount = 3;
  EXPECT_TRUE(viewer->IsCellVisible(0, 1));   // image 3
  EXPECT_FALSE(viewer->IsCellVisible(1, 1));  // image 4 of 4
  palette->SetPaletteOptions(tpoCustomImages);
  EXPECT_TRUE(viewer->IsCellVisible(1, 1));
  // The handler may take a cell away.
  spy.Watch(palette);
  spy.Holes = {{1, 1}};
  EXPECT_FALSE(viewer->IsCellVisible(1, 1));
  EXPECT_TRUE(viewer->IsCellVisible(2, 1));
}

// --- keys -------------------------------------------------------------------------------------

TEST_F(ToolPalette, KeysMoveTheHotCellWithinTheGridAndLeaveTheRestToTheView) {
  // A 4 x 3 grid with holes at (1, 1) and (3, 2).
  TTBXCustomToolPalette* palette = MakePalette(4, 3);
  spy.Watch(palette);
  spy.Holes = {{1, 1}, {3, 2}};
  TTBXToolViewer* viewer = ViewerOf(HiddenPopup()->View(), palette);
  ASSERT_NE(viewer, nullptr);
  const TTBXCell none;
  struct TCase {
    const char* what;
    TTBXCell hot, selected;
    WORD key;
    TTBXCell expected;  // the hot cell afterwards
    bool consumed;
  } cases[] = {
      {"Right", {1, 0}, none, VK_RIGHT, {2, 0}, true},
      {"Right on the last column wraps to the next row", {3, 0}, none, VK_RIGHT, {0, 1}, true},
      {"Left on the first column wraps to the row above", {0, 1}, none, VK_LEFT, {3, 0}, true},
      {"Left on the first cell leaves", {0, 0}, none, VK_LEFT, {0, 0}, false},
      {"Up on the first row leaves", {2, 0}, none, VK_UP, {2, 0}, false},
      {"Down on the last row leaves", {2, 2}, none, VK_DOWN, {2, 2}, false},
      {"Down", {0, 0}, none, VK_DOWN, {0, 1}, true},
      {"End: the last column of the row", {1, 0}, none, VK_END, {3, 0}, true},
      {"Home: the first column of the row", {2, 1}, none, VK_HOME, {0, 1}, true},
      {"Home on the first column is the view's", {0, 1}, none, VK_HOME, {0, 1}, false},
      {"Page Down: the last row of the column", {1, 0}, none, VK_NEXT, {1, 2}, true},
      {"Page Up: the first row of the column", {2, 2}, none, VK_PRIOR, {2, 0}, true},
      {"Right onto a hole leaves", {0, 1}, none, VK_RIGHT, {0, 1}, false},
      {"Down onto a hole leaves", {1, 0}, none, VK_DOWN, {1, 0}, false},
      {"End onto a hole leaves", {0, 2}, none, VK_END, {0, 2}, false},
      {"from the selected cell", none, {2, 0}, VK_DOWN, {2, 1}, true},
      {"from the selected cell when the hot one is a hole", {1, 1}, {0, 0}, VK_RIGHT, {1, 0}, true},
      {"no current cell: any key makes the first cell hot", none, none, VK_ESCAPE, {0, 0}, true},
      {"no current cell, Down", none, none, VK_DOWN, {0, 0}, true},
      {"another key is the view's", {1, 0}, none, 'A', {1, 0}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    palette->SetSelectedCell(c.selected);
    viewer->HotCell = c.hot;
    WORD key = c.key;
    viewer->KeyDown(key, 0);
    EXPECT_EQ(viewer->HotCell, c.expected);
    EXPECT_EQ(key == 0, c.consumed);
  }
}

TEST_F(ToolPalette, EnteringFromBelowMakesTheLastUsableCellOfTheLastRowHotAndFromAboveTheFirst) {
  TTBXItem* above = Make(L"Above");
  TTBXCustomToolPalette* palette = MakePalette(4, 3);
  TTBXItem* below = Make(L"Below");
  spy.Watch(palette);
  spy.Holes = {{3, 2}, {2, 2}};
  TTBView* view = HiddenPopup()->View();
  TTBXToolViewer* viewer = ViewerOf(view, palette);
  view->SetSelected(view->Find(below));
  view->SetSelected(viewer);
  EXPECT_EQ(viewer->HotCell, (TTBXCell{1, 2}));
  view->SetSelected(view->Find(above));
  view->SetSelected(viewer);
  EXPECT_EQ(viewer->HotCell, (TTBXCell{0, 0}));
  view->SetSelected(nullptr);
  view->SetSelected(viewer);
  EXPECT_TRUE(viewer->HotCell.IsNone()) << "selected without a previous item";

  // Only a themed popup view makes a cell hot on entering.
  TTBView* bar = ToolbarView();
  TTBXToolViewer* onBar = ViewerOf(bar, palette);
  bar->SetSelected(bar->Find(below));
  bar->SetSelected(onBar);
  EXPECT_TRUE(onBar->HotCell.IsNone());
}

// --- hints ------------------------------------------------------------------------------------

TEST_F(ToolPalette, EachCellHasAHintOfItsOwnAndTheIndentAndHolesHaveNone) {
  Make(L"Neighbour");
  TTBXCustomToolPalette* palette = MakePalette(3, 2);
  spy.Watch(palette);
  spy.Holes = {{2, 1}};
  TTBXPopupWindow* window = HiddenPopup();
  TTBXToolViewer* viewer = ViewerOf(window->View(), palette);
  window->View()->SetSelected(viewer);
  auto hintAt = [&](POINT ClientPoint) {
    THintInfo info;
    info.HintControl = window;
    info.CursorPos = ClientPoint;
    info.CursorRect = window->ClientRect();
    window->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  };
  const RECT& b = viewer->BoundsRect;
  for (TTBXCell cell : {TTBXCell{0, 0}, TTBXCell{1, 1}, TTBXCell{2, 0}}) {
    const RECT r{b.left + viewer->Indent + cell.Col * viewer->CellWidth, b.top + cell.Row * viewer->CellHeight,
                 b.left + viewer->Indent + (cell.Col + 1) * viewer->CellWidth,
                 b.top + (cell.Row + 1) * viewer->CellHeight};
    const THintInfo info = hintAt({(r.left + r.right) / 2, r.bottom - 1});
    EXPECT_EQ(info.HintStr, L"cell " + std::to_wstring(cell.Col) + L"," + std::to_wstring(cell.Row)) << cell;
    EXPECT_EQ(info.CursorRect, r) << cell;
  }
  // The indent's start lies more than a cell's width left of the grid: on no cell.
  ASSERT_GT(viewer->Indent - 2, viewer->CellWidth);
  for (POINT p : {POINT{b.left + 2, b.top + 2}, CentreOf(CellRectInWindow(viewer, {2, 1}))}) {
    const THintInfo info = hintAt(p);
    EXPECT_EQ(info.HintStr, L"") << p.x << "," << p.y;
    EXPECT_EQ(info.CursorRect, (RECT{p.x, p.y, p.x + 1, p.y + 1})) << "the next move asks again";
  }
}
