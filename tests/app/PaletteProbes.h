#pragma once
// Finding an item's shown submenu and the screen points of a colour palette's cells in it.
#include "items/TB2View.h"
#include "tbx/TBXToolPals.h"

namespace app_testing {

struct TFindPopup {
  TTBCustomItem* Item;
  TTBPopupWindow* Found;
};

inline BOOL CALLBACK FindPopupOf(HWND wnd, LPARAM data) {
  auto* find = reinterpret_cast<TFindPopup*>(data);
  auto* popup = dynamic_cast<TTBPopupWindow*>(TWinControl::FindControl(wnd));
  if (!popup || !IsWindowVisible(wnd) || popup->View()->ParentItem() != find->Item) return TRUE;
  find->Found = popup;
  return FALSE;
}

// The shown popup window of the item's subitems, if any.
inline TTBPopupWindow* ShownPopupOf(TTBCustomItem* Item) {
  TFindPopup find{Item, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindPopupOf, reinterpret_cast<LPARAM>(&find));
  return find.Found;
}

inline TTBXToolViewer* PaletteViewer(TTBPopupWindow* Submenu, TTBXColorPalette* Palette) {
  return static_cast<TTBXToolViewer*>(Submenu->View()->Find(Palette));
}

// Where the palette's cell is on the screen.
inline POINT CellOnScreen(TTBPopupWindow* Submenu, TTBXColorPalette* Palette, int Col, int Row) {
  TTBXToolViewer* viewer = PaletteViewer(Submenu, Palette);
  const RECT r = viewer->GetCellRect(viewer->BoundsRect, Col, Row);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(Submenu->Handle(), &p);
  return p;
}

}  // namespace app_testing
