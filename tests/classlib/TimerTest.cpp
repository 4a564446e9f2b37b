#include "classlib/ExtCtrls.h"
#include "classlib/Threads.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using testing_support::PumpMessages;
using testing_support::PumpUntil;

namespace {

// Counts ticks and does what the test asks of it from inside the handler.
class TTickSpy : public TObject {
 public:
  enum class TAction { None, Disable, Free, Raise };
  int Ticks = 0;
  DWORD TickThread = 0;
  TAction Action = TAction::None;
  TTimer* Timer = nullptr;

  void OnTimer(TObject* Sender) {
    ++Ticks;
    TickThread = GetCurrentThreadId();
    EXPECT_EQ(Timer, Sender);
    switch (Action) {
      case TAction::None: break;
      case TAction::Disable: Timer->SetEnabled(false); break;
      case TAction::Free: TComponent::FreeAndNil(Timer); break;
      case TAction::Raise: throw EInvalidOperation(L"tick failed " + std::to_wstring(Ticks));
    }
  }
};

class TimerTest : public testing::Test {
 protected:
  void SetUp() override {
    spy_.Timer = new TTimer(nullptr);
    spy_.Timer->SetInterval(10);
  }
  void TearDown() override { TComponent::FreeAndNil(spy_.Timer); }
  void Bind() { spy_.Timer->SetOnTimer(TNotifyEvent(&spy_, &TTickSpy::OnTimer)); }
  // Whether a window timer is set on the timer's window (removing it: the test is over then).
  bool WindowTimerRuns() { return KillTimer(spy_.Timer->Handle(), spy_.Timer->TimerId()) != FALSE; }

  TTickSpy spy_;
};

}  // namespace

TEST_F(TimerTest, DefaultsAreOneSecondAndEnabled) {
  TTimer timer(nullptr);
  EXPECT_EQ(1000u, timer.Interval());
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.OnTimer());
}

TEST_F(TimerTest, WindowTimerRunsOnlyWhenEnabledBoundAndNonZero) {
  struct Case {
    bool enabled, bound;
    UINT interval;
    bool runs;
  };
  const Case cases[] = {
      {true, true, 10, true}, {false, true, 10, false}, {true, false, 10, false},
      {true, true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.enabled << c.bound << c.interval);
    TComponent::FreeAndNil(spy_.Timer);
    spy_.Timer = new TTimer(nullptr);
    spy_.Timer->SetEnabled(c.enabled);
    spy_.Timer->SetInterval(c.interval);
    if (c.bound) Bind();
    EXPECT_EQ(c.runs, WindowTimerRuns());
  }
}

TEST_F(TimerTest, FiresRepeatedlyAndStopsWhenDisabled) {
  Bind();
  ASSERT_TRUE(PumpUntil([&] { return spy_.Ticks >= 3; }));
  EXPECT_EQ(GetCurrentThreadId(), spy_.TickThread);
  spy_.Timer->SetEnabled(false);
  const int ticks = spy_.Ticks;
  PumpMessages(60);
  EXPECT_EQ(ticks, spy_.Ticks);
  EXPECT_FALSE(WindowTimerRuns());
}

TEST_F(TimerTest, UnbindingTheHandlerStopsTheTimer) {
  Bind();
  ASSERT_TRUE(PumpUntil([&] { return spy_.Ticks >= 1; }));
  spy_.Timer->SetOnTimer(nullptr);
  EXPECT_FALSE(WindowTimerRuns());
}

TEST_F(TimerTest, HandlerMayDisableOrFreeItsOwnTimer) {
  for (auto action : {TTickSpy::TAction::Disable, TTickSpy::TAction::Free}) {
    SCOPED_TRACE(static_cast<int>(action));
    TComponent::FreeAndNil(spy_.Timer);
    spy_.Timer = new TTimer(nullptr);
    spy_.Timer->SetInterval(5);
    spy_.Ticks = 0;
    spy_.Action = action;
    Bind();
    ASSERT_TRUE(PumpUntil([&] { return spy_.Ticks >= 1; }));
    PumpMessages(40);
    EXPECT_EQ(1, spy_.Ticks);
    if (action == TTickSpy::TAction::Free) {
      EXPECT_EQ(nullptr, spy_.Timer);
    }
  }
}

TEST_F(TimerTest, OwnerFreesItsTimerAndTheLastTimerOfAThreadTakesItsWindow) {
  // The timers of a thread share one window; a freed timer's id ticks nothing there.
  TTickSpy other;
  auto* owner = new TComponent(nullptr);
  other.Timer = new TTimer(owner);
  other.Timer->SetInterval(60000);
  other.Timer->SetOnTimer(TNotifyEvent(&other, &TTickSpy::OnTimer));
  const HWND shared = other.Timer->Handle();
  const UINT_PTR id = other.Timer->TimerId();
  EXPECT_EQ(spy_.Timer->Handle(), shared);
  EXPECT_NE(spy_.Timer->TimerId(), id);
  owner->Free();
  SendMessageW(shared, WM_TIMER, id, 0);
  EXPECT_EQ(0, other.Ticks);
  EXPECT_TRUE(IsWindow(shared));  // the fixture's timer still uses it

  HWND alone = nullptr;
  bool madeAlone = false, goneWithIt = false;
  std::thread worker([&] {
    auto* workerOwner = new TComponent(nullptr);
    auto* timer = new TTimer(workerOwner);
    alone = timer->Handle();
    madeAlone = IsWindow(alone) && alone != shared;
    workerOwner->Free();
    goneWithIt = !IsWindow(alone);
  });
  worker.join();
  EXPECT_TRUE(madeAlone);
  EXPECT_TRUE(goneWithIt);
}

TEST_F(TimerTest, ExceptionInHandlerReachesTheApplicationsDialogAndTheTimerGoesOn) {
  // Whatever handler is installed (the application's, or the fallback without one) shows the
  // exception through the message-box seam, which the bench records.
  auto& boxes = testing_support::MessageBoxes().Boxes;
  boxes.clear();
  spy_.Action = TTickSpy::TAction::Raise;
  Bind();
  const bool ticked = PumpUntil([&] { return spy_.Ticks >= 2; });
  spy_.Timer->SetEnabled(false);
  ASSERT_TRUE(ticked);
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_NE(String::npos, boxes[0].Text.find(L"tick failed 1"));
  EXPECT_NE(String::npos, boxes[1].Text.find(L"tick failed 2"));
  boxes.clear();
}

TEST_F(TimerTest, PostedTickFiresAnEnabledTimerOnly) {
  spy_.Timer->SetInterval(60000);
  Bind();
  PostMessageW(spy_.Timer->Handle(), WM_TIMER, spy_.Timer->TimerId(), 0);
  PumpMessages();
  EXPECT_EQ(1, spy_.Ticks);
  spy_.Timer->SetEnabled(false);
  PostMessageW(spy_.Timer->Handle(), WM_TIMER, spy_.Timer->TimerId(), 0);
  PumpMessages();
  EXPECT_EQ(1, spy_.Ticks);
}

namespace {

// Enables a timer from a worker, as a background job hands its result over.
class TEnablingThread : public TThread {
 public:
  explicit TEnablingThread(TTimer* timer) : TThread(true), timer_(timer) {}

 protected:
  void Execute() override { timer_->SetEnabled(true); }

 private:
  TTimer* timer_;
};

}  // namespace

TEST_F(TimerTest, EnabledFromAWorkerTicksOnTheTimersThread) {
  spy_.Timer->SetEnabled(false);
  Bind();
  auto* worker = new TEnablingThread(spy_.Timer);
  worker->Start();
  worker->WaitFor();
  worker->Free();
  ASSERT_TRUE(PumpUntil([&] { return spy_.Ticks >= 1; }));
  EXPECT_EQ(GetCurrentThreadId(), spy_.TickThread);
  EXPECT_TRUE(spy_.Timer->Enabled());
}
