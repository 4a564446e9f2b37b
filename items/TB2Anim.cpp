// The popup animation.
#include "items/TB2Anim.h"

void TBStartAnimation(HWND, bool, TTBAnimationDirections) {}
void TBStepAnimation(TMessage&) {}
void TBEndAnimation(HWND) {}

namespace tb2anim {
DWORD TAnimationTiming::TickCount() { return GetTickCount(); }
TAnimationTiming& Timing() {
  static TAnimationTiming timing;
  return timing;
}
void SetTiming(TAnimationTiming*) {}
int ProgressAt(int, int, int) { return -1; }
int SlideOffset(int, int, bool, bool) { return 0; }
bool Running() { return false; }
HWND AnimatedWindow() { return nullptr; }
unsigned Sequence() { return 0; }
}  // namespace tb2anim
