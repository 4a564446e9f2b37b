// The view's layout: which viewers show, their sizes, lines, wrapping, the chevron, scrolling.
#include "items/TB2View.h"

bool TTBView::CalculatePositions(bool, TTBViewOrientation, int, int, int, POINT& ABaseSize, POINT&,
                                 int& AWrappedLines) {
  ABaseSize = {23, 22};
  AWrappedLines = 1;
  return false;
}
