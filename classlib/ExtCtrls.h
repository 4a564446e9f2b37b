#pragma once
// Timers: window timers of the user-interface thread whose ticks call a bound method.
#include "classlib/Classes.h"

#include <atomic>

class TTimerWindow;

// A window timer on the hidden timer window of the thread that created the timer (one window
// carries every timer of its thread, each by an id of its own). It runs only while
// it is enabled, its interval is not 0 and its OnTimer event is bound; each change of one of
// these restarts the count. The timer may be disabled or freed from inside its own OnTimer
// handler, and an exception escaping the handler goes to the application's handler while the
// timer goes on.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  // May be called from any thread: a worker that enables the timer has it started on the
  // timer's own thread (window timers belong to the thread of their window).
  void SetEnabled(bool value);
  // Milliseconds between ticks.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const TNotifyEvent& value);

  // The hidden window that carries the timer, and the timer's id there. A WM_TIMER with that id
  // posted to the window ticks an enabled timer at once, so tests need not wait for long
  // intervals.
  HWND Handle() const;
  UINT_PTR TimerId() const { return id_; }

 protected:
  // One tick: calls OnTimer.
  virtual void Timer();

 private:
  // One running tick handler; the destructor marks every one of them so that none touches
  // the timer after its handler has freed it.
  struct TickFrame {
    bool destroyed = false;
    TickFrame* outer = nullptr;
  };

  friend class TTimerWindow;
  void Tick();
  void UpdateTimer();

  TTimerWindow* window_ = nullptr;
  bool running_ = false;  // set on the timer's own thread only
  UINT_PTR id_ = 0;
  DWORD threadId_ = 0;
  std::atomic<bool> enabled_{true};
  std::atomic<UINT> interval_{1000};
  TNotifyEvent onTimer_;
  TickFrame* ticks_ = nullptr;
};
