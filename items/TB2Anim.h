#pragma once
// The opening animation of popup windows: the window's finished image is captured once, then
// faded in through a layered window or slid in behind a growing window region. A worker thread
// only keeps time and sends step messages; all drawing happens on the window's own thread. One
// animation at a time per thread.
#include "classlib/Types.h"

#include <cstdint>

using TTBAnimationDirections = uint8_t;
enum : TTBAnimationDirections { tbadLeft = 1, tbadRight = 2, tbadDown = 4, tbadUp = 8 };

// The messages the worker sends the animated window (with SendNotifyMessage): a step to draw
// (lParam = the animation's sequence), and the end, once the window shows its final image.
constexpr UINT WM_TB_STEPANIMATION = 0x0955;
constexpr UINT WM_TB_ANIMATIONENDED = 0x0956;

// Starts the animation of a window that is about to be shown (instead of showing it); a fade
// needs UpdateLayeredWindow and slides without it.
void TBStartAnimation(HWND AWnd, bool AFade, TTBAnimationDirections ADirection);
// Handles one step message (WM_TB_STEPANIMATION) on the window's thread.
void TBStepAnimation(TMessage& Message);
// Ends the running animation when AWnd is null or the animated window: joins the worker, then
// leaves the window unlayered, without region and with its final image, and sends it
// WM_TB_ANIMATIONENDED. The window calls it on WM_PAINT and WM_ERASEBKGND, so a paint shows the
// final image at once.
void TBEndAnimation(HWND AWnd);

namespace tb2anim {
// The worker's clock and the animations' lengths (ms), replaceable by tests. The worker thread
// calls TickCount; the lengths are read when an animation starts.
class TAnimationTiming {
 public:
  virtual ~TAnimationTiming() = default;
  virtual DWORD TickCount();
  virtual int FadeDuration() { return 175; }
  virtual int SlideDuration() { return 150; }
};
TAnimationTiming& Timing();
// Null: the real one. Set it only while no animation runs.
void SetTiming(TAnimationTiming* ATiming);

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
