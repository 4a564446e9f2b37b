// The tool palette item: its grid's counts, options and selection, and the hooks its viewer and
// descendants call.
#include "tbx/TBXToolPals.h"

TTBXCustomToolPalette::TTBXCustomToolPalette(TComponent* AOwner) : TTBXCustomItem(AOwner) {}

TTBItemViewerClass TTBXCustomToolPalette::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TTBXToolViewer>; }

void TTBXCustomToolPalette::SetColCount(uint8_t Value) {
  if (Value == colCount_) return;
  colCount_ = Value;
  Change(true);
}

void TTBXCustomToolPalette::SetRowCount(uint8_t Value) {
  if (Value == rowCount_) return;
  rowCount_ = Value;
  Change(true);
}

void TTBXCustomToolPalette::SetPaletteOptions(TTBXToolPaletteOptions Value) {
  if (Value == paletteOptions_) return;
  paletteOptions_ = Value;
  Change(true);
}

void TTBXCustomToolPalette::StoreSelectedCell(TTBXCell Value) {
  selectedCell_ = Value;
  Change(true);
}

void TTBXCustomToolPalette::SetSelectedCell(TTBXCell Value) {
  StoreSelectedCell(Value);
  DoChange();
}

void TTBXCustomToolPalette::PaletteHook(TCanvas&, int&, int&) {}

void TTBXCustomToolPalette::DoCalcCellSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  OnCalcImageSize(this, Canvas, AWidth, AHeight);
}

bool TTBXCustomToolPalette::DoCellClick(int& ACol, int& ARow) {
  bool allowChange = true;
  OnCellClick(this, ACol, ARow, allowChange);
  return allowChange;
}

void TTBXCustomToolPalette::DoChange() { OnChange(this); }

void TTBXCustomToolPalette::DoDrawCellImage(TCanvas& Canvas, const RECT& ARect, int ACol, int ARow, bool AEnabled,
                                            bool AHot, bool ASelected) {
  OnDrawCellImage(this, Canvas, ARect, ACol, ARow, AEnabled, AHot, ASelected);
}

void TTBXCustomToolPalette::DoGetCellVisible(int ACol, int ARow, bool& AVisible) {
  OnGetCellVisible(this, ACol, ARow, AVisible);
}

void TTBXCustomToolPalette::DoGetCellHint(int ACol, int ARow, String& HintText) {
  OnGetCellHint(this, ACol, ARow, HintText);
}

bool TTBXCustomToolPalette::HandleClickCell(int ACol, int ARow) {
  const bool allowChange = DoCellClick(ACol, ARow);
  if (allowChange && !(paletteOptions_ & tpoNoAutoSelect)) SetSelectedCell({ACol, ARow});
  return allowChange;
}
