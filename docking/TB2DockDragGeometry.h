#pragma once
// The geometry of dragging a dockable window, as functions of numbers alone: where the window
// would stand for a cursor position, whether the cursor is over a dock, which row of a dock an
// offset falls into, and how far a floating window may be dragged.
#include <windows.h>

#include <vector>

// The grab point: where in the dragged rectangle the cursor holds it, and that rectangle's
// size less one. Positions scale the grab point, so that the cursor keeps its relative place
// in the window when the window takes another size.
struct TTBGrab {
  POINT Grab;
  POINT GrabRef;
};

// The rectangle of Size whose grab point lies at P.
RECT DockingOutlineRect(const TTBGrab& Grab, SIZE Size, POINT P);

// Whether P is over a dock whose window is DockRect (screen), for a window that would stand at
// Outline there: the dock inflated by 3 pixels, and 25 pixels more split between the two sides
// of each axis by the grab point (grabbed at the left edge: 25 before, 0 after).
bool CursorOverDock(const TTBGrab& Grab, const RECT& DockRect, bool LeftRight, const RECT& Outline, POINT P);

// A row's thickness in the low 16 bits, bit 16 set for a row of a full-size bar.
constexpr int kFullSizeRowFlag = 0x10000;

// The row of a dock that an offset across it falls into: a quarter of a row's thickness at
// each side opens a new row (InsertRow: a new row before Row), the middle joins it; a full-size
// row (or any row for a full-size window) only opens new rows, at each half. Past the last row:
// the row count, a new row at the end.
struct TTBRowAtOffset {
  int Row;
  bool InsertRow;
  bool operator==(const TTBRowAtOffset&) const = default;
};
TTBRowAtOffset RowAtOffset(const std::vector<int>& RowSizes, int Offset, bool FullSizeWindow);

// Keeps a floating window's rectangle reachable in the work area: at least a piece of it inside
// (the work area less Border + 4 on every side), and at least 4 pixels of its caption below the
// work area's top (Caption: the border and caption height above the client area).
RECT ClampFloatingRect(RECT R, const RECT& WorkArea, int Border, int Caption);
