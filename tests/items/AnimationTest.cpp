// The popup animation: its progress and offsets, the step protocol with the worker, and the
// state a window is left in however its animation ends. Only window state is checked: the
// virtual display has no compositor, so faded or slid pixels never reach the screen.
#include "items/TB2Anim.h"

#include "classlib/GdiHandles.h"
#include "common/TestSupport.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>

namespace {

using testing_support::PumpMessages;
using testing_support::PumpUntil;

// What one test window was told.
struct TWindowLog {
  int Ended = 0;  // WM_TB_ANIMATIONENDED
  int Paints = 0;
};

// Routes the animation's messages as popup windows do: steps go to the animation, and any paint
// ends a running animation first.
LRESULT CALLBACK AnimatedWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE)
    SetWindowLongPtrW(Wnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams));
  auto* log = reinterpret_cast<TWindowLog*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  switch (Msg) {
    case WM_TB_STEPANIMATION: {
      TMessage message{Msg, WParam, LParam, 0};
      TBStepAnimation(message);
      return message.Result;
    }
    case WM_TB_ANIMATIONENDED:
      if (log) ++log->Ended;
      return 0;
    case WM_ERASEBKGND:
      TBEndAnimation(Wnd);
      break;
    case WM_PAINT: {
      TBEndAnimation(Wnd);
      if (log) ++log->Paints;
      PAINTSTRUCT ps;
      BeginPaint(Wnd, &ps);
      EndPaint(Wnd, &ps);
      return 0;
    }
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A hidden top-level popup, about to be shown by an animation.
class TTestPopup {
 public:
  TTestPopup(int X, int Y) {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = AnimatedWindowProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
      wc.lpszClassName = L"QuillnoteTestAnimatedPopup";
      return RegisterClassW(&wc);
    }();
    handle_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, MAKEINTATOM(atom), L"", WS_POPUP | WS_BORDER,
                              X, Y, kWidth, kHeight, nullptr, nullptr, nullptr, &Log);
  }
  TTestPopup(const TTestPopup&) = delete;
  TTestPopup& operator=(const TTestPopup&) = delete;
  ~TTestPopup() { DestroyWindow(handle_); }

  HWND Handle() const { return handle_; }
  bool Layered() const { return (GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
  bool HasRegion() const {
    gdi::RegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(handle_, rgn.Get()) != ERROR;
  }
  // The part of the window its region lets through, in window coordinates.
  RECT VisibleRect() const {
    gdi::RegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
    RECT box{0, 0, kWidth, kHeight};
    if (GetWindowRgn(handle_, rgn.Get()) != ERROR) GetRgnBox(rgn.Get(), &box);
    return Clipped(box);
  }
  // The client rectangle's centre on the screen.
  POINT ClientCentre() const {
    RECT r;
    GetClientRect(handle_, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(handle_, &p);
    return p;
  }
  static RECT Clipped(const RECT& R) {
    RECT whole{0, 0, kWidth, kHeight}, result{};
    IntersectRect(&result, &R, &whole);
    return result;
  }

  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;
  TWindowLog Log;

 private:
  HWND handle_ = nullptr;
};

// A clock that stands still until the test moves it (or the real one), and chosen lengths.
class TTestTiming : public tb2anim::TAnimationTiming {
 public:
  DWORD TickCount() override {
    ++reads_;
    return Frozen ? base_ + offset_.load() : GetTickCount();
  }
  int FadeDuration() override { return Fade; }
  int SlideDuration() override { return Slide; }
  // Stops the clock at a new base; set while no animation runs.
  void Freeze() {
    Frozen = true;
    base_ = GetTickCount();
    offset_ = 0;
    reads_ = 0;
  }
  // Moves the stopped clock to Elapsed ms after its base, once the worker has taken its start
  // time from it (the thread may not have run yet when the animation's start returns).
  bool MoveTo(DWORD Elapsed) {
    const DWORD start = GetTickCount();
    while (reads_.load() == 0) {
      if (GetTickCount() - start > 2000) return false;
      Sleep(1);
    }
    offset_ = Elapsed;
    return true;
  }

  bool Frozen = false;
  int Fade = TAnimationTiming().FadeDuration();
  int Slide = TAnimationTiming().SlideDuration();

 private:
  DWORD base_ = 0;
  std::atomic<DWORD> offset_{0};
  std::atomic<int> reads_{0};
};

constexpr POINT kParkedCursor{1100, 900};

void ParkCursor() {
  SetCursorPos(kParkedCursor.x, kParkedCursor.y);
  PumpMessages();
}

// Waits, without dispatching anything, until a message sent by another thread waits for this
// one: the worker's step is then queued but not yet handled.
bool WaitForIncomingSentMessage() {
  const DWORD start = GetTickCount();
  while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) {
    if (GetTickCount() - start > 2000) return false;
    Sleep(5);
  }
  return true;
}

class Animation : public testing::Test {
 protected:
  void SetUp() override {
    tb2anim::SetTiming(&timing);
    ParkCursor();
  }
  void TearDown() override {
    TBEndAnimation(nullptr);
    tb2anim::SetTiming(nullptr);
    PumpMessages();
  }
  // Hides the popup and lets the paints of its last showing pass, so that none ends the next
  // animation.
  static void HideAndSettle(const TTestPopup& Popup) {
    ShowWindow(Popup.Handle(), SW_HIDE);
    PumpMessages();
  }
  // Whether the popup was left as if shown without animation.
  static void ExpectPlain(const TTestPopup& Popup) {
    EXPECT_FALSE(tb2anim::Running());
    EXPECT_TRUE(IsWindowVisible(Popup.Handle()));
    EXPECT_FALSE(Popup.Layered());
    EXPECT_FALSE(Popup.HasRegion());
  }

  TTestTiming timing;
  TTestPopup popup{300, 250};
};

// --- pure tables ------------------------------------------------------------------------------

struct TProgressCase {
  int Elapsed, Duration, Start, Expected;
};

TEST(AnimationProgress, FollowsTheClockAndEndsPast254) {
  const TProgressCase cases[] = {
      {0, 175, 40, 40},     // a fade starts part-way
      {147, 175, 40, 254},  // and passes 254 before its length is up
      {148, 175, 40, -1},
      {0, 150, 0, 0},  // a slide starts from nothing
      {75, 150, 0, 127},
      {149, 150, 0, 253},
      {150, 150, 0, -1},  // the length is up
      {-1, 150, 0, -1},   // a clock that went back
      {0, 0, 0, -1},      // no length at all
      {5000, 10000, 0, 127},
  };
  for (const TProgressCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Elapsed << " ms of " << c.Duration << " from " << c.Start);
    EXPECT_EQ(c.Expected, tb2anim::ProgressAt(c.Elapsed, c.Duration, c.Start));
  }
}

struct TOffsetCase {
  int Size, Progress;
  bool Positive, Negative;
  int Expected;
};

TEST(AnimationProgress, SlideOffsetsRunFromTheWholeSizeToNothing) {
  const TOffsetCase cases[] = {
      {120, 0, true, false, -120},  // down or right: starts a whole size before its place
      {120, 255, true, false, 0},
      {120, 128, true, false, -60},
      {120, 0, false, true, 120},  // up or left: starts a whole size beyond
      {120, 255, false, true, 0},
      {120, 128, false, true, 60},
      {120, 0, false, false, 0},  // no direction on this axis
      {120, 0, true, true, -120},  // both: the positive one wins
      {160, 0, true, false, -160},
  };
  for (const TOffsetCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Size << " at " << c.Progress << " +" << c.Positive << " -" << c.Negative);
    EXPECT_EQ(c.Expected, tb2anim::SlideOffset(c.Size, c.Progress, c.Positive, c.Negative));
  }
}

// --- the protocol -----------------------------------------------------------------------------

TEST_F(Animation, AFadeRunsToItsEndAndLeavesThePopupPlain) {
  TBStartAnimation(popup.Handle(), true, 0);
  EXPECT_TRUE(tb2anim::Running());
  EXPECT_TRUE(IsWindowVisible(popup.Handle()));
  EXPECT_TRUE(popup.Layered());
  ASSERT_TRUE(PumpUntil([&] { return popup.Log.Ended > 0; }, 2000));
  EXPECT_EQ(1, popup.Log.Ended);
  ExpectPlain(popup);
}

TEST_F(Animation, StepsMoveTheSlidesRegion) {
  const TTBAnimationDirections directions[] = {tbadDown, tbadUp, tbadRight, tbadLeft, tbadDown | tbadLeft};
  const int elapsed = 75;
  const int progress = tb2anim::ProgressAt(elapsed, timing.Slide, 0);
  for (TTBAnimationDirections direction : directions) {
    SCOPED_TRACE(testing::Message() << "direction " << int{direction});
    timing.Freeze();
    TBStartAnimation(popup.Handle(), false, direction);
    const RECT before = popup.VisibleRect();
    EXPECT_TRUE(IsRectEmpty(&before));  // nothing shows before the first step
    ASSERT_TRUE(timing.MoveTo(elapsed));
    ASSERT_TRUE(PumpUntil([&] { RECT r = popup.VisibleRect(); return !IsRectEmpty(&r); }, 2000));
    const int dx = tb2anim::SlideOffset(TTestPopup::kWidth, progress, direction & tbadRight, direction & tbadLeft);
    const int dy = tb2anim::SlideOffset(TTestPopup::kHeight, progress, direction & tbadDown, direction & tbadUp);
    EXPECT_EQ(TTestPopup::Clipped({dx, dy, dx + TTestPopup::kWidth, dy + TTestPopup::kHeight}), popup.VisibleRect());
    // Setting the region paints nothing, so the slide goes on.
    PumpMessages(50);
    EXPECT_TRUE(tb2anim::Running());
    TBEndAnimation(popup.Handle());
    ExpectPlain(popup);
    HideAndSettle(popup);
  }
  EXPECT_EQ(static_cast<int>(std::size(directions)), popup.Log.Ended);
}

TEST_F(Animation, AStepOfAnEarlierAnimationIsIgnored) {
  timing.Freeze();
  TBStartAnimation(popup.Handle(), false, tbadDown);
  const unsigned earlier = tb2anim::Sequence();
  TBEndAnimation(nullptr);
  PumpMessages();  // the ended worker's last step
  timing.Freeze();
  TBStartAnimation(popup.Handle(), false, tbadDown);
  ASSERT_NE(earlier, tb2anim::Sequence());
  // The worker runs out and its last step waits: that step ends the animation, an old one must not.
  ASSERT_TRUE(timing.MoveTo(1000));
  ASSERT_TRUE(WaitForIncomingSentMessage());
  TMessage old{WM_TB_STEPANIMATION, 0, static_cast<LPARAM>(earlier), 0};
  TBStepAnimation(old);
  EXPECT_TRUE(tb2anim::Running());
  EXPECT_EQ(1, popup.Log.Ended);
  ASSERT_TRUE(PumpUntil([&] { return popup.Log.Ended == 2; }, 2000));
  ExpectPlain(popup);
}

TEST_F(Animation, APaintDuringASlideEndsItWithThePlainPopup) {
  timing.Freeze();
  TBStartAnimation(popup.Handle(), false, tbadDown);
  ASSERT_TRUE(timing.MoveTo(75));
  ASSERT_TRUE(PumpUntil([&] { RECT r = popup.VisibleRect(); return !IsRectEmpty(&r); }, 2000));
  ASSERT_TRUE(tb2anim::Running());
  InvalidateRect(popup.Handle(), nullptr, TRUE);
  UpdateWindow(popup.Handle());
  EXPECT_GE(popup.Log.Paints, 1);
  EXPECT_EQ(1, popup.Log.Ended);
  ExpectPlain(popup);
}

TEST_F(Animation, AnotherStartEndsTheRunningAnimationFirst) {
  TTestPopup second{500, 250};
  timing.Freeze();
  TBStartAnimation(popup.Handle(), true, 0);
  ASSERT_TRUE(popup.Layered());
  const unsigned first = tb2anim::Sequence();
  TBStartAnimation(second.Handle(), false, tbadUp);
  EXPECT_EQ(1, popup.Log.Ended);
  EXPECT_FALSE(popup.Layered());
  EXPECT_FALSE(popup.HasRegion());
  EXPECT_TRUE(tb2anim::Running());
  EXPECT_EQ(second.Handle(), tb2anim::AnimatedWindow());
  EXPECT_EQ(first + 1, tb2anim::Sequence());
  // Ending another window's animation leaves this one running.
  TBEndAnimation(popup.Handle());
  EXPECT_TRUE(tb2anim::Running());
  EXPECT_EQ(0, second.Log.Ended);
  TBEndAnimation(second.Handle());
  EXPECT_EQ(1, second.Log.Ended);
  EXPECT_EQ(1, popup.Log.Ended);
  ExpectPlain(second);
}

TEST_F(Animation, TheCursorMovingIntoThePopupEndsItEarly) {
  timing.Fade = 10000;
  timing.Slide = 10000;
  for (bool fade : {true, false}) {
    SCOPED_TRACE(fade ? "fade" : "slide");
    ParkCursor();
    const int ended = popup.Log.Ended;
    TBStartAnimation(popup.Handle(), fade, tbadDown);
    PumpMessages(30);
    ASSERT_TRUE(tb2anim::Running());
    const POINT centre = popup.ClientCentre();
    SetCursorPos(centre.x, centre.y);
    ASSERT_TRUE(PumpUntil([&] { return popup.Log.Ended > ended; }, 2000));
    ExpectPlain(popup);
    HideAndSettle(popup);
  }
}

TEST_F(Animation, AHundredAnimationsLeaveNoObjectsOrWindowsBehind) {
  timing.Fade = 20;
  timing.Slide = 20;
  const TTBAnimationDirections directions[] = {tbadDown, tbadLeft, tbadUp | tbadRight, 0};
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  const int windows = testing_support::ThreadWindowCount();
  for (int i = 0; i < 100; ++i) {
    TBStartAnimation(popup.Handle(), i % 2 == 0, directions[i % 4]);
    if (i % 3 == 0)
      TBEndAnimation(popup.Handle());
    else
      ASSERT_TRUE(PumpUntil([&] { return popup.Log.Ended == i + 1; }, 2000)) << "animation " << i;
    HideAndSettle(popup);
  }
  EXPECT_EQ(100, popup.Log.Ended);  // each animation ended once
  EXPECT_FALSE(tb2anim::Running());
  EXPECT_EQ(objects, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
  EXPECT_EQ(windows, testing_support::ThreadWindowCount());
}

}  // namespace
