#pragma once
// Helpers of the palette tests: a spy bound to a palette's events, which logs them with the
// selection of the moment and whether the menu's popup is still up, refuses, redirects or
// leaves holes where the test says; and the rectangles of cells in screen terms.
#include "ThemedItemsTestSupport.h"
#include "tbx/TBXToolPals.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

inline std::ostream& operator<<(std::ostream& os, const TTBXCell& Cell) {
  return os << "(" << Cell.Col << "," << Cell.Row << ")";
}

namespace tbx_test {

inline std::string CellText(TTBXCell Cell) { return std::to_string(Cell.Col) + "," + std::to_string(Cell.Row); }

class TPaletteSpy : public TObject {
 public:
  // Binds every event of the palette to the spy.
  void Watch(TTBXCustomToolPalette* APalette) {
    Palette = APalette;
    APalette->OnCellClick = TTPCellClick(this, &TPaletteSpy::CellClick);
    APalette->OnChange = TNotifyEvent(this, &TPaletteSpy::Change);
    APalette->OnClick = TNotifyEvent(this, &TPaletteSpy::Click);
    APalette->OnGetCellVisible = TTPGetCellVisible(this, &TPaletteSpy::CellVisible);
    APalette->OnGetCellHint = TTPGetCellHint(this, &TPaletteSpy::CellHint);
  }

  void CellClick(TObject*, int& ACol, int& ARow, bool& AllowChange) {
    Log.push_back("cell click " + CellText({ACol, ARow}) + State());
    if (!RedirectTo.IsNone()) {
      ACol = RedirectTo.Col;
      ARow = RedirectTo.Row;
    }
    AllowChange = !Refuse;
  }
  void Change(TObject*) { Log.push_back("change" + State()); }
  void Click(TObject*) { Log.push_back("click" + State()); }
  void CellVisible(TObject*, int ACol, int ARow, bool& AVisible) {
    if (Holes.count({ACol, ARow})) AVisible = false;
  }
  void CellHint(TObject*, int ACol, int ARow, String& HintText) {
    HintText = L"cell " + std::to_wstring(ACol) + L"," + std::to_wstring(ARow);
  }

  TTBXCustomToolPalette* Palette = nullptr;
  // The menu's popup window while the menu runs.
  HWND Popup = nullptr;
  bool Refuse = false;
  TTBXCell RedirectTo;
  std::set<std::pair<int, int>> Holes;
  std::vector<std::string> Log;

 private:
  std::string State() const {
    std::string state = " selected " + CellText(Palette->SelectedCell());
    if (Popup) state += IsWindow(Popup) && IsWindowVisible(Popup) ? ", popup up" : ", popup gone";
    return state;
  }
};

inline POINT CentreOf(const RECT& R) { return {(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }

// The cell's rectangle in its view window's client area, and its centre on the screen.
inline RECT CellRectInWindow(TTBXToolViewer* V, TTBXCell Cell) { return V->GetCellRect(V->BoundsRect, Cell.Col, Cell.Row); }

inline POINT CellCentreOnScreen(TTBXToolViewer* V, TTBXCell Cell) {
  POINT p = CentreOf(CellRectInWindow(V, Cell));
  ClientToScreen(V->View()->Window()->Handle(), &p);
  return p;
}

}  // namespace tbx_test
