#pragma once
// The opening animation of popup windows: the window's finished image is captured once, then
// faded in through a layered window or slid in behind a growing window region. A worker thread
// only keeps time and sends step messages; all drawing happens on the window's own thread. One
// animation at a time per thread.
#include "classlib/Types.h"

#include <cstdint>

using TTBAnimationDirections = uint8_t;
enum : TTBAnimationDirections { tbadLeft = 1, tbadRight = 2, tbadDown = 4, tbadUp = 8 };

// Starts the animation of a window that is about to be shown (instead of showing it).
void TBStartAnimation(HWND AWnd, bool AFade, TTBAnimationDirections ADirection);
// Handles one step message (WM_TB_STEPANIMATION) on the window's thread.
void TBStepAnimation(TMessage& Message);
// Ends the running animation when AWnd is null or the animated window; joins the worker.
void TBEndAnimation(HWND AWnd);

namespace tb2anim {
// The worker's clock and the animations' lengths, replaceable by tests.
class TAnimationTiming {
 public:
  virtual ~TAnimationTiming() = default;
  virtual DWORD TickCount();
  virtual int FadeDuration() { return 175; }
  virtual int SlideDuration() { return 150; }
};
TAnimationTiming& Timing();
void SetTiming(TAnimationTiming* ATiming);  // null: the real one

// The progress (0..255) after Elapsed ms of Duration from Start, or -1 when the animation ends
// there.
int ProgressAt(int Elapsed, int Duration, int Start);
// The slide's offset of the image at Progress, for one axis: Size is the window's width or
// height; Positive is the direction that starts at -Size (right or down), Negative the one that
// starts at +Size (left or up).
int SlideOffset(int Size, int Progress, bool Positive, bool Negative);
// What tests look at: whether this thread runs an animation, of which window, and its sequence.
bool Running();
HWND AnimatedWindow();
unsigned Sequence();
}  // namespace tb2anim
