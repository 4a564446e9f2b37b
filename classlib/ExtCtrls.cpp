#include "classlib/ExtCtrls.h"

#include <unordered_map>

namespace {

// Posted to the timer window when a setter ran on another thread; lParam is the timer's id.
const UINT kUpdateTimerMessage = WM_APP + 1;

}  // namespace

// The message-only window of one thread that carries its timers: made with the thread's first
// timer and destroyed with its last, so that a timer costs no window of its own.
class TTimerWindow : public TObject {
 public:
  static TTimerWindow* Acquire() {
    TTimerWindow*& mine = ThreadWindow();
    if (!mine) {
      mine = new TTimerWindow();
      mine->slot_ = &mine;
    }
    ++mine->users_;
    return mine;
  }
  void Release() {
    if (--users_ > 0) return;
    *slot_ = nullptr;  // the slot of the thread that made the window, whoever lets it go
    delete this;
  }
  HWND Handle() const { return wnd_; }
  UINT_PTR Add(TTimer* timer) {
    timers_[nextId_] = timer;
    return nextId_++;
  }
  void Remove(UINT_PTR id) {
    KillTimer(wnd_, id);
    timers_.erase(id);
  }

 private:
  TTimerWindow() { wnd_ = AllocateHWnd(TWndMethod(this, &TTimerWindow::WndProc), TUtilWindowKind::MessagesOnly); }
  ~TTimerWindow() { DeallocateHWnd(wnd_); }
  static TTimerWindow*& ThreadWindow() {
    thread_local TTimerWindow* window = nullptr;
    return window;
  }
  TTimer* Find(UINT_PTR id) const {
    auto it = timers_.find(id);
    return it != timers_.end() ? it->second : nullptr;
  }
  void WndProc(TMessage& Message) {
    switch (Message.Msg) {
      case WM_TIMER:
        if (TTimer* timer = Find(Message.WParam); timer && timer->enabled_) timer->Tick();
        return;
      case kUpdateTimerMessage:
        // The timer may have gone since the message was posted.
        if (TTimer* timer = Find(static_cast<UINT_PTR>(Message.LParam))) timer->UpdateTimer();
        return;
      default: Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
    }
  }

  HWND wnd_ = nullptr;
  TTimerWindow** slot_ = nullptr;
  int users_ = 0;
  UINT_PTR nextId_ = 1;
  std::unordered_map<UINT_PTR, TTimer*> timers_;
};

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), threadId_(GetCurrentThreadId()) {
  window_ = TTimerWindow::Acquire();
  id_ = window_->Add(this);
}

TTimer::~TTimer() {
  for (TickFrame* frame = ticks_; frame; frame = frame->outer) frame->destroyed = true;
  enabled_ = false;
  if (window_) {
    window_->Remove(id_);
    window_->Release();
    window_ = nullptr;
  }
}

HWND TTimer::Handle() const { return window_ ? window_->Handle() : nullptr; }

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
    PostMessageW(Handle(), kUpdateTimerMessage, 0, static_cast<LPARAM>(id_));
    return;
  }
  if (!enabled_ || interval_ == 0 || !onTimer_) {
    // A timer that never ran has nothing to stop: one call to the system less per setter.
    if (running_) KillTimer(Handle(), id_);
    running_ = false;
    return;
  }
  running_ = true;
  if (!SetTimer(Handle(), id_, interval_, nullptr))
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

