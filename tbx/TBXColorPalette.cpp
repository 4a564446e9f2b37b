// The colour palette: swatches of its colour set's cells, its colour following the selection,
// and its link with the set, which either side may end by going first.
#include "tbx/TBXToolPals.h"

#include "tbx/TBXUtils.h"

#include <algorithm>
#include <utility>

namespace {

// The swatch inside a cell's image area, framed.
constexpr int kSwatchSize = 12;

uint8_t ToCount(int Value) { return static_cast<uint8_t>(std::clamp(Value, 0, 255)); }

}  // namespace

TTBXColorPalette::TTBXColorPalette(TComponent* AOwner) : TTBXCustomToolPalette(AOwner) {
  TakeBuiltInCounts();
  SetOptions(Options() | tboShowHint);
  SetPaletteOptions(PaletteOptions() | tpoCustomImages);
}

TTBXColorPalette::~TTBXColorPalette() { LeaveSet(); }

// --- the colour set -------------------------------------------------------------------------

TTBXCustomColorSet* TTBXColorPalette::EffectiveSet() const {
  return colorSet_ ? colorSet_ : DefaultColorSetInstance;
}

void TTBXColorPalette::TakeCounts(int ACols, int ARows) {
  SetColCount(ToCount(ACols));
  SetRowCount(ToCount(ARows));
}

void TTBXColorPalette::TakeBuiltInCounts() {
  if (DefaultColorSetInstance)
    TakeCounts(DefaultColorSetInstance->ColCount(), DefaultColorSetInstance->RowCount());
  else
    TakeCounts(TTBXDefaultColorSet::kColCount, TTBXDefaultColorSet::kRowCount);
}

void TTBXColorPalette::LeaveSet() {
  TTBXCustomColorSet* set = std::exchange(colorSet_, nullptr);
  if (!set) return;
  set->RemovePalette(this);
  RemoveFreeNotification(set);
}

void TTBXColorPalette::DropSet() {
  if (!colorSet_) return;
  LeaveSet();
  TakeBuiltInCounts();
  Change(true);
}

void TTBXColorPalette::SetColorSet(TTBXCustomColorSet* Value) {
  if (Value == colorSet_) return;
  LeaveSet();
  colorSet_ = Value;
  if (Value) {
    FreeNotification(Value);
    Value->AddPalette(this);
    TakeCounts(Value->ColCount(), Value->RowCount());
  } else {
    TakeBuiltInCounts();
  }
  Change(true);
}

void TTBXColorPalette::Notification(TComponent* AComponent, TOperation Operation) {
  TTBXCustomToolPalette::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent && AComponent == colorSet_) DropSet();
}

TColor TTBXColorPalette::GetCellColor(int ACol, int ARow) {
  TTBXCustomColorSet* set = EffectiveSet();
  return set ? set->CellColor(ACol, ARow) : clNone;
}

// --- the colour -----------------------------------------------------------------------------

void TTBXColorPalette::WriteColor(TColor Value) {
  color_ = Value;
  // The first cell showing the same colour now; a cell without a colour is never chosen.
  const TColor rgb = Value == clNone ? clNone : ColorToRGB(Value) & 0xFFFFFF;
  TTBXCell found;
  for (int row = 0; row < RowCount() && found.IsNone(); ++row)
    for (int col = 0; col < ColCount() && found.IsNone(); ++col) {
      const TColor cell = GetCellColor(col, row);
      if (cell != clNone && rgb != clNone && (ColorToRGB(cell) & 0xFFFFFF) == rgb) found = {col, row};
    }
  // Stored without the selection's own change: the write fires the change once.
  StoreSelectedCell(found);
  DoChange();
}

void TTBXColorPalette::DoChange() {
  if (!SelectedCell().IsNone()) color_ = GetCellColor(SelectedCell().Col, SelectedCell().Row);
  TTBXCustomToolPalette::DoChange();
}

// --- the cells ------------------------------------------------------------------------------

void TTBXColorPalette::DoCalcCellSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  AWidth = kSwatchSize;
  AHeight = kSwatchSize;
  TTBXCustomToolPalette::DoCalcCellSize(Canvas, AWidth, AHeight);
}

void TTBXColorPalette::DoGetCellVisible(int ACol, int ARow, bool& AVisible) {
  TTBXCustomToolPalette::DoGetCellVisible(ACol, ARow, AVisible);
  AVisible = AVisible && GetCellColor(ACol, ARow) != clNone;
}

void TTBXColorPalette::DoDrawCellImage(TCanvas& Canvas, const RECT& ARect, int ACol, int ARow, bool AEnabled,
                                       bool AHot, bool ASelected) {
  {
    TCanvasLock lock(Canvas);
    HDC dc = Canvas.Handle();
    RECT swatch = ARect;
    FrameRectColor(dc, swatch, clBtnShadow, true);
    // A disabled palette shows empty frames.
    if (AEnabled) FillRectColor(dc, swatch, GetCellColor(ACol, ARow));
  }
  TTBXCustomToolPalette::DoDrawCellImage(Canvas, ARect, ACol, ARow, AEnabled, AHot, ASelected);
}

void TTBXColorPalette::DoGetCellHint(int ACol, int ARow, String& HintText) {
  TColor color = clNone;
  if (TTBXCustomColorSet* set = EffectiveSet()) set->GetColorInfo(ACol, ARow, HintText, color);
  TTBXCustomToolPalette::DoGetCellHint(ACol, ARow, HintText);
}
