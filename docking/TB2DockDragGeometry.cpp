#include "docking/TB2DockDragGeometry.h"

namespace {
int Scale(int Value, int Grab, int GrabRef) { return MulDiv(Value, Grab, GrabRef > 0 ? GrabRef : 1); }
}  // namespace

RECT DockingOutlineRect(const TTBGrab& G, SIZE Size, POINT P) {
  const int left = P.x - Scale(Size.cx - 1, G.Grab.x, G.GrabRef.x);
  const int top = P.y - Scale(Size.cy - 1, G.Grab.y, G.GrabRef.y);
  return {left, top, left + Size.cx, top + Size.cy};
}

bool CursorOverDock(const TTBGrab& G, const RECT& DockRect, bool LeftRight, const RECT& Outline, POINT P) {
  RECT r = DockRect;
  InflateRect(&r, 3, 3);
  const int ax = Scale(25, G.Grab.x, G.GrabRef.x), ay = Scale(25, G.Grab.y, G.GrabRef.y);
  if (P.x < r.left - (25 - ax) || P.x >= r.right + ax) return false;
  if (LeftRight && (P.y < r.top || P.y >= r.bottom)) return false;
  if (P.y < r.top - (25 - ay) || P.y >= r.bottom + ay) return false;
  RECT common;
  return IntersectRect(&common, &Outline, &r) != FALSE;
}

TTBRowAtOffset RowAtOffset(const std::vector<int>& RowSizes, int Offset, bool FullSizeWindow) {
  int sum = 0;
  for (size_t i = 0; i < RowSizes.size(); ++i) {
    const int s = RowSizes[i] & 0xFFFF;
    if (s <= 0) continue;
    const bool full = FullSizeWindow || (RowSizes[i] & kFullSizeRowFlag);
    const int d = full ? s / 2 : s / 4;
    if (Offset < sum + d) return {static_cast<int>(i), true};
    sum += s;
    if (!full && Offset < sum - d) return {static_cast<int>(i), false};
  }
  return {static_cast<int>(RowSizes.size()), false};
}

RECT ClampFloatingRect(RECT R, const RECT& WorkArea, int Border, int Caption) {
  RECT w = WorkArea;
  InflateRect(&w, -(Border + 4), -(Border + 4));
  if (R.bottom < w.top) OffsetRect(&R, 0, w.top - R.bottom);
  if (R.top > w.bottom) OffsetRect(&R, 0, w.bottom - R.top);
  if (R.right < w.left) OffsetRect(&R, w.left - R.right, 0);
  if (R.left > w.right) OffsetRect(&R, w.right - R.left, 0);
  const int highest = WorkArea.top - Caption + 4;
  if (R.top < highest) OffsetRect(&R, 0, highest - R.top);
  return R;
}
