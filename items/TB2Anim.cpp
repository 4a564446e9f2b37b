// The popup animation. The worker thread only reads the clock and the cursor and asks the window
// for steps with notify messages; the window's own thread draws every step, so nothing here
// draws or changes a window from the worker.
#include "items/TB2Anim.h"

#include "classlib/GdiHandles.h"

#include <process.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

constexpr int kFadeStartProgress = 40;
constexpr int kSlideStartProgress = 0;
constexpr DWORD kStepInterval = 10;
constexpr DWORD kPollSleep = 5;

using TUpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                               BLENDFUNCTION*, DWORD);

// Looked up once in the already loaded user32; older systems lack it and slide instead.
TUpdateLayeredWindowProc BoundUpdateLayeredWindow() {
  static const TUpdateLayeredWindowProc proc = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<TUpdateLayeredWindowProc>(
                        reinterpret_cast<void (*)()>(GetProcAddress(user32, "UpdateLayeredWindow")))
                  : nullptr;
  }();
  return proc;
}

BLENDFUNCTION ConstantAlpha(int Alpha) {
  return BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(Alpha), 0};
}

// A cached DC of the whole window (GetDCEx), handed back with ReleaseDC.
using TWindowDCHandle = gdi::UniqueHandle<HDC, gdi::detail::ReleaseWindowDC>;

std::atomic<tb2anim::TAnimationTiming*> CustomTiming{nullptr};

// One animation. The worker reads it and writes only the atomic fields; it lives from the start
// until TBEndAnimation has joined the worker, so the worker never sees it freed or reused.
struct TAnimationRecord {
  unsigned Sequence = 0;
  HWND Wnd = nullptr;
  int Duration = 0;
  bool Fade = false;
  std::atomic<int> Progress{0};
  TWindowDCHandle WindowDC;
  gdi::BitmapHandle ImageBitmap;
  gdi::MemoryDC ImageDC;
  RECT StopRect{};
  int Width = 0;
  int Height = 0;
  std::atomic<POINT> LastCursor{POINT{}};
  TTBAnimationDirections Direction = 0;
  std::atomic<bool> StopRequested{false};
  std::atomic<bool> Finished{false};
  std::atomic<bool> StepPending{false};
};

// Per thread: each user-interface thread runs at most one animation. Trivially destructible, so
// that a window destroyed late in the thread's life still finds it; the record is owned here
// from the worker's start until its join.
struct TAnimationState {
  HANDLE AnimThread;
  unsigned AnimSequence;
  TAnimationRecord* Record;
};
thread_local TAnimationState State = {nullptr, 0, nullptr};

void SendStep(const TAnimationRecord& Rec) {
  SendNotifyMessageW(Rec.Wnd, WM_TB_STEPANIMATION, 0, static_cast<LPARAM>(Rec.Sequence));
}

bool CursorStops(TAnimationRecord& Rec) {
  POINT pt;
  if (!GetCursorPos(&pt)) return false;
  POINT last = Rec.LastCursor.load();
  if (pt.x == last.x && pt.y == last.y) return false;
  if (PtInRect(&Rec.StopRect, pt)) return true;
  Rec.LastCursor.store(pt);
  return false;
}

void RunWorker(TAnimationRecord& Rec) {
  tb2anim::TAnimationTiming& timing = tb2anim::Timing();
  const DWORD start = timing.TickCount();
  const int startProgress = Rec.Progress.load();
  while (!Rec.StopRequested.load()) {
    const DWORD tick = timing.TickCount();
    const int p = tb2anim::ProgressAt(static_cast<int>(tick - start), Rec.Duration, startProgress);
    if (p < 0 || CursorStops(Rec)) break;
    if (p > Rec.Progress.load()) {
      Rec.Progress.store(p);
      // At most one step waits in the window's queue; a busy window skips steps instead.
      if (!Rec.StepPending.exchange(true)) SendStep(Rec);
    }
    do {
      Sleep(kPollSleep);
    } while (timing.TickCount() - tick < kStepInterval && !Rec.StopRequested.load());
  }
  Rec.Finished.store(true);
  SendStep(Rec);
}

// Only notify messages reach the window from here: a sent message would wait for the window's
// thread, which may be waiting in TBEndAnimation for this thread to end.
unsigned __stdcall AnimationThreadProc(void* Parameter) {
  try {
    RunWorker(*static_cast<TAnimationRecord*>(Parameter));
  } catch (...) {
    // Nothing may leave a thread procedure; the window still learns that the animation is over.
    auto& rec = *static_cast<TAnimationRecord*>(Parameter);
    rec.Finished.store(true);
    SendStep(rec);
  }
  return 0;
}

// The window region becomes Rgn, without a redraw: a redraw paints, and a paint ends the slide.
void SetRegionWithoutRedraw(HWND Wnd, gdi::RegionHandle Rgn) {
  if (SetWindowRgn(Wnd, Rgn.Get(), FALSE)) Rgn.Release();  // the window owns it now
}

void SetLayered(HWND Wnd, bool Layered) {
  LONG_PTR ex = GetWindowLongPtrW(Wnd, GWL_EXSTYLE);
  SetWindowLongPtrW(Wnd, GWL_EXSTYLE, Layered ? (ex | WS_EX_LAYERED) : (ex & ~LONG_PTR{WS_EX_LAYERED}));
}

void ShowWithoutRedraw(HWND Wnd) {
  SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                   SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS);
}

// Takes the window's finished image into the record's memory DC; false when a handle is refused.
bool CaptureImage(TAnimationRecord& Rec) {
  Rec.WindowDC = TWindowDCHandle(GetDCEx(Rec.Wnd, nullptr, DCX_WINDOW | DCX_CACHE),
                                 gdi::detail::ReleaseWindowDC{Rec.Wnd});
  RECT r{};
  GetWindowRect(Rec.Wnd, &r);
  Rec.Width = r.right - r.left;
  Rec.Height = r.bottom - r.top;
  if (!Rec.WindowDC) return false;
  Rec.ImageBitmap.Reset(CreateCompatibleBitmap(Rec.WindowDC.Get(), Rec.Width, Rec.Height));
  Rec.ImageDC = gdi::NewMemoryDC(Rec.WindowDC.Get());
  if (!Rec.ImageBitmap || !Rec.ImageDC) return false;
  SelectObject(Rec.ImageDC.Get(), Rec.ImageBitmap.Get());
  SendMessageW(Rec.Wnd, WM_PRINT, reinterpret_cast<WPARAM>(Rec.ImageDC.Get()),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  return true;
}

void StartFade(TAnimationRecord& Rec, TUpdateLayeredWindowProc UpdateLayered) {
  SetLayered(Rec.Wnd, true);
  Rec.Duration = tb2anim::Timing().FadeDuration();
  Rec.Progress.store(kFadeStartProgress);
  RECT r{};
  GetWindowRect(Rec.Wnd, &r);
  POINT topLeft{r.left, r.top};
  SIZE size{Rec.Width, Rec.Height};
  POINT source{0, 0};
  BLENDFUNCTION blend = ConstantAlpha(kFadeStartProgress);
  UpdateLayered(Rec.Wnd, nullptr, &topLeft, &size, Rec.ImageDC.Get(), &source, 0, &blend, ULW_ALPHA);
}

void StartSlide(TAnimationRecord& Rec) {
  Rec.Duration = tb2anim::Timing().SlideDuration();
  Rec.Progress.store(kSlideStartProgress);
  SetRegionWithoutRedraw(Rec.Wnd, gdi::RegionHandle(CreateRectRgn(0, 0, 0, 0)));
}

void StepFade(TAnimationRecord& Rec) {
  if (TUpdateLayeredWindowProc updateLayered = BoundUpdateLayeredWindow()) {
    BLENDFUNCTION blend = ConstantAlpha(Rec.Progress.load());
    updateLayered(Rec.Wnd, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA);
  }
}

void StepSlide(TAnimationRecord& Rec) {
  const int progress = Rec.Progress.load();
  const int dx = tb2anim::SlideOffset(Rec.Width, progress, Rec.Direction & tbadRight, Rec.Direction & tbadLeft);
  const int dy = tb2anim::SlideOffset(Rec.Height, progress, Rec.Direction & tbadDown, Rec.Direction & tbadUp);
  SetRegionWithoutRedraw(Rec.Wnd, gdi::RegionHandle(CreateRectRgn(dx, dy, dx + Rec.Width, dy + Rec.Height)));
  BitBlt(Rec.WindowDC.Get(), dx, dy, Rec.Width, Rec.Height, Rec.ImageDC.Get(), 0, 0, SRCCOPY);
}

// Leaves the window as if shown without animation, with its final image, and tells it so.
void FinishAnimation(TAnimationRecord& Rec) {
  if (Rec.Fade)
    SetLayered(Rec.Wnd, false);
  else
    SetWindowRgn(Rec.Wnd, nullptr, FALSE);
  if (Rec.WindowDC && Rec.ImageDC)
    BitBlt(Rec.WindowDC.Get(), 0, 0, Rec.Width, Rec.Height, Rec.ImageDC.Get(), 0, 0, SRCCOPY);
  Rec.ImageDC.Reset();
  Rec.ImageBitmap.Reset();
  Rec.WindowDC.Reset();
  SendNotifyMessageW(Rec.Wnd, WM_TB_ANIMATIONENDED, 0, 0);
}

}  // namespace

void TBStartAnimation(HWND AWnd, bool AFade, TTBAnimationDirections ADirection) {
  TBEndAnimation(nullptr);
  // Without a window, GetDCEx would hand out the screen and nobody would take the steps.
  if (!IsWindow(AWnd)) return;
  ++State.AnimSequence;
  auto rec = std::make_unique<TAnimationRecord>();
  rec->Sequence = State.AnimSequence;
  rec->Wnd = AWnd;
  TUpdateLayeredWindowProc updateLayered = AFade ? BoundUpdateLayeredWindow() : nullptr;
  rec->Fade = updateLayered != nullptr;
  rec->Direction = ADirection;
  POINT cursor{};
  GetCursorPos(&cursor);
  rec->LastCursor.store(cursor);
  GetClientRect(AWnd, &rec->StopRect);
  MapWindowPoints(AWnd, nullptr, reinterpret_cast<POINT*>(&rec->StopRect), 2);

  if (!CaptureImage(*rec)) {
    // Without an image there is nothing to animate: show the window as it is.
    rec->Fade = false;
    ShowWithoutRedraw(AWnd);
    RedrawWindow(AWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    FinishAnimation(*rec);
    return;
  }
  if (rec->Fade)
    StartFade(*rec, updateLayered);
  else
    StartSlide(*rec);
  ShowWithoutRedraw(AWnd);

  const uintptr_t thread = _beginthreadex(nullptr, 0, &AnimationThreadProc, rec.get(), 0, nullptr);
  if (thread == 0) {
    FinishAnimation(*rec);
    return;
  }
  State.AnimThread = reinterpret_cast<HANDLE>(thread);
  State.Record = rec.release();
}

void TBStepAnimation(TMessage& Message) {
  TAnimationRecord* rec = State.Record;
  if (!rec || Message.LParam != static_cast<LPARAM>(State.AnimSequence)) return;
  if (rec->Finished.load()) {
    TBEndAnimation(rec->Wnd);
    return;
  }
  if (rec->Fade)
    StepFade(*rec);
  else
    StepSlide(*rec);
  rec->StepPending.store(false);
}

void TBEndAnimation(HWND AWnd) {
  if (!State.AnimThread || (AWnd && AWnd != State.Record->Wnd)) return;
  State.Record->StopRequested.store(true);
  WaitForSingleObject(State.AnimThread, INFINITE);
  CloseHandle(State.AnimThread);
  State.AnimThread = nullptr;
  // Cleared before finishing: the end message reaches the window at once, and its handler may
  // start the next animation.
  std::unique_ptr<TAnimationRecord> rec(std::exchange(State.Record, nullptr));
  FinishAnimation(*rec);
}

namespace tb2anim {

DWORD TAnimationTiming::TickCount() { return GetTickCount(); }

TAnimationTiming& Timing() {
  TAnimationTiming* custom = CustomTiming.load();
  // Never destroyed: a worker still running as the process ends keeps its clock.
  return custom ? *custom : ProcessWide<TAnimationTiming>();
}

void SetTiming(TAnimationTiming* ATiming) { CustomTiming.store(ATiming); }

int ProgressAt(int Elapsed, int Duration, int Start) {
  if (Elapsed < 0 || Elapsed >= Duration) return -1;
  const int64_t p = int64_t{Elapsed} * 255 / Duration + Start;
  return (p < 0 || p > 254) ? -1 : static_cast<int>(p);
}

int SlideOffset(int Size, int Progress, bool Positive, bool Negative) {
  if (Positive) return MulDiv(Size, Progress, 255) - Size;
  if (Negative) return Size - MulDiv(Size, Progress, 255);
  return 0;
}

bool Running() { return State.AnimThread != nullptr; }
HWND AnimatedWindow() { return State.Record ? State.Record->Wnd : nullptr; }
unsigned Sequence() { return State.AnimSequence; }

}  // namespace tb2anim
