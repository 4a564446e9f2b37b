// The tool palette's viewer: the grid's measures and hit testing, painting through the theme,
// the hot cell under the keys and the mouse, the click inside the menu loop, and a hint per cell.
#include "classlib/Messages.h"
#include "tbx/TBXToolPals.h"

namespace {

// A palette with no cells still takes this much room.
constexpr int kMinGridSize = 8;
// A cell is its image and this much room round it.
constexpr int kCellMargin = 3;
// The image of a palette without an image list.
constexpr SIZE kDefaultImage{16, 16};

int Metric(int Index) { return ActiveTheme->GetIntegerMetrics(Index); }

RECT CenterBox(const RECT& R, SIZE Size) {
  const int left = R.left + (R.right - R.left - Size.cx) / 2;
  const int top = R.top + (R.bottom - R.top - Size.cy) / 2;
  return {left, top, left + Size.cx, top + Size.cy};
}

// Of Count cells spread over Length pixels (cell i from i * Length div Count), the one at
// Offset: the largest i with i * Length div Count <= Offset, so that hits match what is painted.
// Like every cell division it rounds toward zero: a point just before the first cell is on it.
int StretchedIndex(int Offset, int Count, int Length) { return ((Offset + 1) * Count - 1) / Length; }

bool Stretched(TTBCustomItem* Item) { return (Item->ItemStyle() & tbisStretch) != 0; }

}  // namespace

TTBXToolViewer::TTBXToolViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : TTBXItemViewer(AView, AItem, AGroupLevel) {
  ColCount = Palette()->ColCount();
  RowCount = Palette()->RowCount();
}

// Only palettes answer this viewer class.
TTBXCustomToolPalette* TTBXToolViewer::Palette() const { return static_cast<TTBXCustomToolPalette*>(Item()); }

// --- geometry -------------------------------------------------------------------------------

void TTBXToolViewer::GetImageSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  TCustomImageList* images = GetImageList();
  AWidth = images ? images->Width() : kDefaultImage.cx;
  AHeight = images ? images->Height() : kDefaultImage.cy;
  Palette()->DoCalcCellSize(Canvas, AWidth, AHeight);
}

void TTBXToolViewer::GetCellSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  GetImageSize(Canvas, AWidth, AHeight);
  Palette()->PaletteHook(Canvas, AWidth, AHeight);
  AWidth += 2 * kCellMargin;
  AHeight += 2 * kCellMargin;
}

void TTBXToolViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  const bool toolbarStyle = IsToolbarStyle();
  // In a popup the grid starts where its neighbours' captions do.
  Indent = toolbarStyle ? 0
                        : Metric(tmMenuImageMargin) + GetImageColumnWidth() + Metric(tmMenuImageTextSpace) - 3;
  ColCount = Palette()->ColCount();
  RowCount = Palette()->RowCount();
  GetCellSize(Canvas, CellWidth, CellHeight);
  AWidth = Max(CellWidth * ColCount, kMinGridSize) + Indent + (toolbarStyle ? 0 : Metric(tmMenuTextMargin));
  AHeight = Max(CellHeight * RowCount, kMinGridSize);
}

// Stretched cells share the width after the indent and the whole height.
RECT TTBXToolViewer::GetCellRect(const RECT& ARect, int ACol, int ARow) {
  const int left = ARect.left + Indent;
  if (!Stretched(Item())) {
    const int x = left + ACol * CellWidth, y = ARect.top + ARow * CellHeight;
    return {x, y, x + CellWidth, y + CellHeight};
  }
  if (ColCount <= 0 || RowCount <= 0) return {left, ARect.top, left, ARect.top};
  const int w = ARect.right - left, h = ARect.bottom - ARect.top;
  return {left + ACol * w / ColCount, ARect.top + ARow * h / RowCount, left + w * (ACol + 1) / ColCount,
          ARect.top + h * (ARow + 1) / RowCount};
}

TTBXCell TTBXToolViewer::CellAt(int X, int Y) {
  if (CellWidth == 0 || CellHeight == 0) return {0, 0};
  // Rounding toward zero: a click a little left of the grid (or above it, while the view holds
  // the capture) still chooses the first column (row).
  if (!Stretched(Item())) return {(X - Indent) / CellWidth, Y / CellHeight};
  const RECT bounds = Bounds();
  const int w = bounds.right - Indent, h = bounds.bottom;
  if (w <= 0 || h <= 0) return {};
  return {StretchedIndex(X - Indent, ColCount, w), StretchedIndex(Y, RowCount, h)};
}

bool TTBXToolViewer::IsCellVisible(int ACol, int ARow) {
  // Outside the grid no handler can make a cell.
  if (ACol < 0 || ARow < 0 || ACol >= ColCount || ARow >= RowCount) return false;
  if (!(Palette()->PaletteOptions() & tpoCustomImages))
    if (TCustomImageList* images = GetImageList(); images && ARow * ColCount + ACol >= images->Count()) return false;
  bool visible = true;
  Palette()->DoGetCellVisible(ACol, ARow, visible);
  return visible;
}

// --- painting -------------------------------------------------------------------------------

void TTBXToolViewer::DrawCellImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, int ACol,
                                   int ARow) {
  TTBXCustomToolPalette* palette = Palette();
  if (!(palette->PaletteOptions() & tpoCustomImages)) {
    TCustomImageList* images = GetImageList();
    const int index = ARow * ColCount + ACol;
    if (images && index < images->Count()) ActiveTheme->PaintImage(Canvas, ARect, ItemInfo, images, index);
  }
  palette->DoDrawCellImage(Canvas, ARect, ACol, ARow, ItemInfo.ItemEnabled, ItemInfo.Hover == 2,
                           ItemInfo.ItemChecked);
}

void TTBXToolViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed, bool) {
  TCanvasLock lock(Canvas);
  TTBCustomItem* item = Item();
  const bool toolbarStyle = IsToolbarStyle();
  int imageWidth = 0, imageHeight = 0;
  GetImageSize(Canvas, imageWidth, imageHeight);
  const SIZE image{imageWidth, imageHeight};

  // The item's state as the themed items fill it: the image column strip matches theirs.
  TTBXItemInfo info{};
  info.ViewKind = QueryViewKind(View());
  if (item->ComponentState() & csDesigning) info.Flags |= iifDesigning;
  if (toolbarStyle) info.Flags |= iifToolbarStyle;
  if (ApplicationIsActive()) info.Flags |= iifAppActive;
  info.ItemEnabled = item->Enabled() || View()->Customizing();
  info.HasImage = true;
  info.GlyphWidth = image.cx;
  info.GlyphHeight = image.cy;
  info.Vertical = View()->Orientation() == tbvoVertical;
  info.ImageColumnWidth = GetImageColumnWidth();
  if (!toolbarStyle) ActiveTheme->PaintMenuItemFrame(Canvas, ClientAreaRect, info);

  GetCellSize(Canvas, CellWidth, CellHeight);
  uint8_t hover = 0;
  if (IsSelected) hover = info.ItemEnabled ? 2 : (View()->MouseOverSelected() ? 0 : 1);
  const TTBXCell selected = Palette()->SelectedCell();
  for (int row = 0; row < RowCount; ++row)
    for (int col = 0; col < ColCount; ++col) {
      if (!IsCellVisible(col, row)) continue;
      const TTBXCell cell{col, row};
      info.Hover = cell == HotCell ? hover : 0;
      info.ItemPushed = cell == HotCell && IsPushed;
      info.ItemChecked = cell == selected;
      const RECT r = GetCellRect(ClientAreaRect, col, row);
      ActiveTheme->PaintButton(Canvas, r, info);
      DrawCellImage(Canvas, CenterBox(r, image), info, col, row);
    }
}

// --- keys -----------------------------------------------------------------------------------

void TTBXToolViewer::Entering(TTBItemViewer* OldSelected) {
  HotCell = {};
  if (OldSelected && dynamic_cast<TTBXPopupView*>(View())) {
    const int self = View()->IndexOf(this), old = View()->IndexOf(OldSelected);
    if (old > self) {
      // Coming up from below: the last usable cell of the last row.
      HotCell = {ColCount - 1, RowCount - 1};
      while (HotCell.Col > 0 && !IsUsable(HotCell)) --HotCell.Col;
    } else if (old < self) {
      HotCell = {0, 0};
    }
  }
  TTBXItemViewer::Entering(OldSelected);
}

TTBXCell TTBXToolViewer::CurrentCell() {
  if (IsUsable(HotCell)) return HotCell;
  if (IsUsable(Palette()->SelectedCell())) return Palette()->SelectedCell();
  return {};
}

void TTBXToolViewer::SetHotCell(TTBXCell Cell) {
  HotCell = Cell;
  View()->Invalidate(this);
}

void TTBXToolViewer::KeyDown(WORD& Key, TShiftState Shift) {
  const TTBXCell current = CurrentCell();
  TTBXCell next = current;
  if (current.IsNone()) {
    next = {0, 0};
  } else {
    switch (Key) {
      case VK_RETURN:
        // The view runs the palette's own click next and the menu closes, as after a mouse click.
        if (!IsUsable(HotCell)) break;
        if (Item()->Enabled()) Palette()->HandleClickCell(HotCell.Col, HotCell.Row);
        return;
      case VK_PRIOR: next.Row = 0; break;
      case VK_NEXT: next.Row = RowCount - 1; break;
      case VK_HOME: next.Col = 0; break;
      case VK_END: next.Col = ColCount - 1; break;
      case VK_LEFT:
        if (--next.Col < 0) {
          next.Col = ColCount - 1;
          --next.Row;
        }
        break;
      case VK_UP: --next.Row; break;
      case VK_RIGHT:
        if (++next.Col >= ColCount) {
          next.Col = 0;
          ++next.Row;
        }
        break;
      case VK_DOWN: ++next.Row; break;
      default: TTBXItemViewer::KeyDown(Key, Shift); return;
    }
  }
  // A move off the grid or onto a hole is the view's: it goes to the neighbouring item.
  if (next == current || !IsUsable(next)) return;
  Key = 0;
  SetHotCell(next);
}

// --- mouse ----------------------------------------------------------------------------------

void TTBXToolViewer::InvalidateCell(TTBXCell Cell) {
  TWinControl* window = View()->Window();
  if (Cell.IsNone() || !window || !window->HandleAllocated()) return;
  // Drawn off-screen over the window's background, so that the cell left loses its highlight.
  RepaintPending = true;
  const RECT r = GetCellRect(BoundsRect, Cell.Col, Cell.Row);
  InvalidateRect(window->Handle(), &r, FALSE);
}

void TTBXToolViewer::MouseMove(int X, int Y) {
  const TTBXCell under = CellAt(X, Y);
  const TTBXCell cell = IsUsable(under) ? under : TTBXCell{};
  if (cell == HotCell) return;
  const TTBXCell old = HotCell;
  HotCell = cell;
  if (!Show || IsRectEmpty(&BoundsRect)) return;
  InvalidateCell(old);
  InvalidateCell(cell);
}

void TTBXToolViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  MouseIsDown = true;
  MouseMove(X, Y);
  TTBXItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
  View()->SetCapture();
}

void TTBXToolViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  MouseIsDown = false;
  // A disabled palette ignores the click and the menu stays open.
  if (Item()->Enabled()) {
    const TTBXCell cell = CellAt(X, Y);
    // Inside the menu loop: the palette's handlers run while its popup is still up.
    if (IsUsable(cell)) Palette()->HandleClickCell(cell.Col, cell.Row);
    // The menu closes and the palette's own click is queued, whatever the cell said.
    View()->EndModalWithClick(this);
  }
  TTBXItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
}

// --- hints ----------------------------------------------------------------------------------

void TTBXToolViewer::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW && Message.LParam) return CMHintShow(*reinterpret_cast<THintInfo*>(Message.LParam));
  TTBXItemViewer::Dispatch(Message);
}

void TTBXToolViewer::CMHintShow(THintInfo& Info) {
  const POINT at = Info.CursorPos;
  const TTBXCell cell = CellAt(at.x - BoundsRect.left, at.y - BoundsRect.top);
  Info.HintStr.clear();
  if (!IsUsable(cell)) {
    // No hint here; the next move asks again.
    Info.CursorRect = {at.x, at.y, at.x + 1, at.y + 1};
    return;
  }
  Info.CursorRect = GetCellRect(BoundsRect, cell.Col, cell.Row);
  Palette()->DoGetCellHint(cell.Col, cell.Row, Info.HintStr);
}
