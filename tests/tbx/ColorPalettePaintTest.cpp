// A colour palette paints through the theme: the item state it hands over (its image column as
// its neighbours', the hot and the selected cell), and, with the "Ide" theme, its pixels: 18 x 18
// cells, each a swatch framed in the button shadow colour, hot and selected cells as the
// theme's buttons, a disabled palette as empty frames; and what painting and hovering leave.
#include "ToolPaletteTestSupport.h"
#include "IdeThemeTestSupport.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tbx_test;
using testing_support::PumpMessages;

namespace {

constexpr TColor FromRgb(uint32_t Rgb) {
  return static_cast<TColor>(((Rgb >> 16) & 0xFF) | (Rgb & 0xFF00) | ((Rgb & 0xFF) << 16));
}

class ColorPalettePaint : public ThemedItemsTest {
 protected:
  // The viewer painted into a bitmap of its size.
  void Paint(TTBXToolViewer* Viewer, TPixels& Pixels, bool Selected, bool Pushed = false) {
    TDCCanvas canvas(Pixels.DC());
    Viewer->Paint(*canvas, {0, 0, Pixels.Width(), Pixels.Height()}, Selected, Pushed, false);
  }
  static SIZE SizeOf(TTBItemViewer* V) {
    return {V->BoundsRect.right - V->BoundsRect.left, V->BoundsRect.bottom - V->BoundsRect.top};
  }
  // Where the viewer's cell lies in its own coordinates.
  static RECT Cell(TTBXToolViewer* V, int Col, int Row) {
    const int left = V->Indent + 18 * Col, top = 18 * Row;
    return {left, top, left + 18, top + 18};
  }
};

}  // namespace

TEST_F(ColorPalettePaint, ItHandsTheThemeItsNeighboursImageColumnAndTheHotAndSelectedCells) {
  TTBXItem* neighbour = Make(L"Neighbour");
  auto* palette = Make<TTBXColorPalette>(L"");
  palette->SetSelectedCell({2, 1});
  TTBXPopupWindow* window = HiddenPopup();
  auto* viewer = static_cast<TTBXToolViewer*>(window->View()->Find(palette));
  TTBItemViewer* other = window->View()->Find(neighbour);
  {
    TPixels pixels(SizeOf(other).cx, SizeOf(other).cy);
    TDCCanvas canvas(pixels.DC());
    other->Paint(*canvas, {0, 0, pixels.Width(), pixels.Height()}, false, false, false);
  }
  ASSERT_EQ(theme->CallsOf("PaintMenuItem").size(), 1u);
  const TTBXItemInfo line = theme->CallsOf("PaintMenuItem")[0].Info;

  viewer->HotCell = {1, 0};
  theme->Calls.clear();
  TPixels pixels(SizeOf(viewer).cx, SizeOf(viewer).cy);
  Paint(viewer, pixels, true, true);

  TTBXItemInfo frame = line;  // the same view kind, flags and image column
  frame.HasImage = true;
  frame.GlyphWidth = frame.GlyphHeight = 12;
  ASSERT_EQ(theme->Calls.size(), 1u + 40u);
  EXPECT_EQ(theme->Calls[0].Op, "PaintMenuItemFrame");
  EXPECT_EQ(theme->Calls[0].Rect, (RECT{0, 0, pixels.Width(), pixels.Height()}));
  EXPECT_EQ(theme->Calls[0].Info, frame);
  EXPECT_EQ(viewer->Indent, M(tmMenuImageMargin) + line.ImageColumnWidth + M(tmMenuImageTextSpace) - 3);
  size_t call = 1;
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 8; ++col, ++call) {
      SCOPED_TRACE(testing::Message() << col << "," << row);
      const bool hot = col == 1 && row == 0;
      TTBXItemInfo cell = frame;
      cell.Hover = hot ? 2 : 0;
      cell.ItemPushed = hot;
      cell.ItemChecked = col == 2 && row == 1;
      EXPECT_EQ(theme->Calls[call].Op, "PaintButton");
      EXPECT_EQ(theme->Calls[call].Rect, Cell(viewer, col, row));
      EXPECT_EQ(theme->Calls[call].Info, cell);
    }

  // Not the view's selection: no cell is hot; disabled and selected: hover 1 from the keys.
  theme->Calls.clear();
  Paint(viewer, pixels, false);
  EXPECT_EQ(theme->CallsOf("PaintButton")[1].Info.Hover, 0);
  palette->SetEnabled(false);
  theme->Calls.clear();
  Paint(viewer, pixels, true);
  EXPECT_FALSE(theme->CallsOf("PaintButton")[1].Info.ItemEnabled);
  EXPECT_EQ(theme->CallsOf("PaintButton")[1].Info.Hover, 1);
}

namespace {

// The same palette under the "Ide" theme and the classic colours.
class IdeColorPalettePaint : public ColorPalettePaint {
 protected:
  void SetUp() override {
    settings.Colors = ClassicScheme().Colors;
    ColorPalettePaint::SetUp();
    NexusSelectTheme(L"Ide");
    palette = Make<TTBXColorPalette>(L"");
    window = HiddenPopup();
    viewer = static_cast<TTBXToolViewer*>(window->View()->Find(palette));
  }
  // What the theme paints at (X, Y) of a lone button of a cell's size in this state.
  COLORREF ButtonPixel(int X, int Y, uint8_t Hover, bool Checked, bool Enabled = true) {
    TTBXItemInfo info = MakeItemInfo(vkPopupMenu, ApplicationIsActive() ? iifAppActive : 0, Enabled, Hover, false,
                                     Checked);
    info.HasImage = true;
    info.GlyphWidth = info.GlyphHeight = 12;
    info.ImageColumnWidth = viewer->GetImageColumnWidth();
    TPixels button(18, 18);
    TDCCanvas canvas(button.DC());
    ActiveTheme->PaintButton(*canvas, {0, 0, 18, 18}, info);
    return button.At(X, Y);
  }
  TTBXColorPalette* palette = nullptr;
  TTBXPopupWindow* window = nullptr;
  TTBXToolViewer* viewer = nullptr;
};

}  // namespace

TEST_F(IdeColorPalettePaint, CellsAreFramedSwatchesAndTheHotAndSelectedOnesTheThemesButtons) {
  ASSERT_EQ(viewer->CellWidth, 18);
  ASSERT_EQ(viewer->CellHeight, 18);
  const COLORREF shadow = ClassicScheme().Get(COLOR_BTNSHADOW);
  palette->SetSelectedCell({2, 1});
  viewer->HotCell = {5, 3};
  TPixels pixels(SizeOf(viewer).cx, SizeOf(viewer).cy);
  Paint(viewer, pixels, true);
  struct TState {
    uint8_t hover;
    bool checked;
  };
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 8; ++col) {
      SCOPED_TRACE(testing::Message() << col << "," << row);
      const RECT cell = Cell(viewer, col, row);
      const int x = cell.left + 3, y = cell.top + 3;  // the 12 x 12 image area
      for (POINT p : {POINT{x, y}, POINT{x + 11, y}, POINT{x, y + 11}, POINT{x + 11, y + 11}, POINT{x + 6, y}})
        EXPECT_EQ(pixels.At(p.x, p.y), shadow) << "frame at " << p.x - x << "," << p.y - y;
      const COLORREF swatch = ColorToRGB(palette->GetCellColor(col, row));
      for (POINT p : {POINT{x + 1, y + 1}, POINT{x + 10, y + 10}, POINT{x + 6, y + 6}})
        EXPECT_EQ(pixels.At(p.x, p.y), swatch) << "inside at " << p.x - x << "," << p.y - y;
      const TState state{static_cast<uint8_t>(col == 5 && row == 3 ? 2 : 0), col == 2 && row == 1};
      for (POINT p : {POINT{0, 0}, POINT{1, 2}, POINT{17, 16}, POINT{9, 1}})
        EXPECT_EQ(pixels.At(cell.left + p.x, cell.top + p.y), ButtonPixel(p.x, p.y, state.hover, state.checked))
            << "around the swatch at " << p.x << "," << p.y;
    }
  // The theme shows both states, so the comparison above sees them.
  EXPECT_NE(ButtonPixel(0, 0, 2, false), ButtonPixel(0, 0, 0, false));
  EXPECT_NE(ButtonPixel(0, 0, 0, true), ButtonPixel(0, 0, 0, false));
}

TEST_F(IdeColorPalettePaint, ADisabledPaletteShowsEmptyFrames) {
  palette->SetEnabled(false);
  TPixels pixels(SizeOf(viewer).cx, SizeOf(viewer).cy);
  Paint(viewer, pixels, false);
  const COLORREF shadow = ClassicScheme().Get(COLOR_BTNSHADOW);
  for (TTBXCell c : {TTBXCell{0, 0}, TTBXCell{4, 2}, TTBXCell{7, 4}}) {
    const RECT cell = Cell(viewer, c.Col, c.Row);
    const int x = cell.left + 3, y = cell.top + 3;
    EXPECT_EQ(pixels.At(x, y), shadow) << c;
    EXPECT_EQ(pixels.At(x + 11, y + 11), shadow) << c;
    EXPECT_EQ(pixels.At(x + 6, y + 6), ButtonPixel(9, 9, 0, false, false)) << c << ": nothing inside the frame";
    EXPECT_EQ(pixels.At(x + 1, y + 1), pixels.At(cell.left + 1, cell.top + 1)) << c;
  }
}

TEST_F(IdeColorPalettePaint, PaintingAndHoveringLeaveNoGdiObjectsBehind) {
  TPixels pixels(SizeOf(viewer).cx, SizeOf(viewer).cy);
  Paint(viewer, pixels, true);  // what a first paint makes once stays
  TPopupHolder shown = ShowPopup({300, 200});
  auto* live = static_cast<TTBXToolViewer*>(shown->View()->Find(palette));
  shown->View()->SetSelected(live);
  UpdateWindow(shown->Handle());
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int round = 0; round < 3; ++round)
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 8; ++col) {
        const POINT p = CentreOf(Cell(live, col, row));
        live->MouseMove(p.x, p.y);
        UpdateWindow(shown->Handle());
        viewer->HotCell = {col, row};
        Paint(viewer, pixels, true, (col + row) % 2 == 0);
      }
  EXPECT_EQ(live->HotCell, (TTBXCell{7, 4}));
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(census.NothingLeft());
}
