#include "classlib/ExtCtrls.h"

namespace {

const UINT_PTR kTimerId = 1;
// Posted to the timer's window when a setter ran on another thread.
const UINT kUpdateTimerMessage = WM_APP + 1;

}  // namespace

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), threadId_(GetCurrentThreadId()) {
  wnd_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
  for (TickFrame* frame = ticks_; frame; frame = frame->outer) frame->destroyed = true;
  enabled_ = false;
  if (wnd_) {
    KillTimer(wnd_, kTimerId);
    DeallocateHWnd(wnd_);
    wnd_ = nullptr;
  }
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& value) {
  if (value == onTimer_) return;
  onTimer_ = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (GetCurrentThreadId() != threadId_) {
    // SetTimer would fail on a window of another thread; the timer's thread does it instead.
    PostMessageW(wnd_, kUpdateTimerMessage, 0, 0);
    return;
  }
  KillTimer(wnd_, kTimerId);
  if (!enabled_ || interval_ == 0 || !onTimer_) return;
  if (!SetTimer(wnd_, kTimerId, interval_, nullptr))
    throw EOutOfResources(L"Not enough timers available");
}

void TTimer::Timer() { onTimer_(this); }

void TTimer::Tick() {
  TickFrame frame;
  frame.outer = ticks_;
  ticks_ = &frame;
  try {
    Timer();
  } catch (...) {
    HandleBoundaryException();
  }
  if (frame.destroyed) return;  // the handler freed the timer: nothing of it is left
  ticks_ = frame.outer;
}

void TTimer::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER: if (Message.WParam == kTimerId && enabled_) Tick(); return;
    case kUpdateTimerMessage: UpdateTimer(); return;
    default: Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
  }
}
