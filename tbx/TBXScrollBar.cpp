// The window-less scroll bar of list items: its zones, position and range, the mouse, the repeat
// and automatic-scroll timers on a hidden window, and its classic and visual-style pictures.
#include "classlib/ScopeGuard.h"
#include "tbx/TBXLists.h"
#include "tbx/TBXUtils.h"

#include <vsstyle.h>
#include <vssym32.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr RECT kEmptyZone{0, 0, -1, 0};
constexpr int kFirstRepeatDelay = 500;
constexpr int kRepeatInterval = 100;
// A track this short or shorter has no thumb.
constexpr int kMinTrack = 12;
constexpr int kMinThumb = 8;

// Num / Den (Den > 0) rounded to the nearest integer, halves to the even one. Products of
// positions and ranges go through 64 bits: a list of millions of rows would overflow 32.
int RoundHalfEven(int64_t Num, int64_t Den) {
  int64_t quotient = Num / Den, remainder = Num % Den;
  if (remainder < 0) {
    remainder += Den;
    --quotient;
  }
  if (2 * remainder > Den || (2 * remainder == Den && (quotient & 1) != 0)) ++quotient;
  return static_cast<int>(quotient);
}

bool IsLineZone(int Zone) { return Zone == sbzPrevLine || Zone == sbzNextLine; }
bool IsPageZone(int Zone) { return Zone == sbzPrevPage || Zone == sbzNextPage; }
bool IsEmptyZone(const RECT& Zone) { return Zone.right == -1; }

// A change of position made while it lives counts as the user's.
class TUserChange {
 public:
  explicit TUserChange(bool& Flag) : flag_(Flag), previous_(Flag) { flag_ = true; }
  ~TUserChange() { flag_ = previous_; }
  TUserChange(const TUserChange&) = delete;
  TUserChange& operator=(const TUserChange&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

}  // namespace

TTBXScrollBar::TTBXScrollBar() { zones_.fill(kEmptyZone); }

TTBXScrollBar::~TTBXScrollBar() {
  if (window_) DeallocateHWnd(window_);
}

// --- geometry --------------------------------------------------------------------------------

void TTBXScrollBar::SetBounds(const RECT& Value) {
  bounds_ = Value;
  UpdateZones();
}

void TTBXScrollBar::SetKind(TTBXScrollBarKind Value) {
  kind_ = Value;
  UpdateZones();
}

int TTBXScrollBar::EffectiveWindow() const { return Window > 0 ? Window : Along(); }

bool TTBXScrollBar::GetEnabled() { return EffectiveWindow() < range_; }

RECT TTBXScrollBar::ZoneRect(int Start, int End) const {
  return kind_ == sbkVertical ? RECT{0, Start, Across(), End} : RECT{Start, 0, End, Across()};
}

int TTBXScrollBar::ZoneStart(int Index) const {
  const RECT& r = zones_[static_cast<size_t>(Index)];
  return kind_ == sbkVertical ? r.top : r.left;
}

int TTBXScrollBar::ZoneEnd(int Index) const {
  const RECT& r = zones_[static_cast<size_t>(Index)];
  return kind_ == sbkVertical ? r.bottom : r.right;
}

void TTBXScrollBar::UpdateZones() {
  zones_.fill(kEmptyZone);
  const int along = Along(), across = Across();
  // Buttons are square, unless two of them would not leave the bar room.
  const int button = 2 * across >= along - 2 ? (along - 2) / 2 : across;
  zones_[sbzPrevLine] = ZoneRect(0, button);
  zones_[sbzNextLine] = ZoneRect(along - button, along);
  int track = along - 2 * button;
  if (!GetEnabled() || track <= kMinTrack) {
    zones_[sbzTrack] = ZoneRect(button, along - button);
    return;
  }
  const int window = EffectiveWindow();
  int thumb = RoundHalfEven(int64_t{track} * window, range_);
  int pos;
  if (thumb < kMinThumb) {
    thumb = kMinThumb;
    track -= kMinThumb;
    pos = RoundHalfEven(int64_t{track} * position_, range_ - window);
  } else {
    pos = RoundHalfEven(int64_t{track} * position_, range_);
  }
  pos += button;
  zones_[sbzPrevPage] = ZoneRect(button, pos);
  zones_[sbzThumb] = ZoneRect(pos, pos + thumb);
  zones_[sbzNextPage] = ZoneRect(pos + thumb, along - button);
}

int TTBXScrollBar::ZoneAt(int X, int Y) {
  UpdateZones();
  const POINT p{X, Y};
  for (int zone = sbzPrevLine; zone <= sbzNextLine; ++zone)
    if (PtInRect(&zones_[static_cast<size_t>(zone)], p)) return zone;
  return sbzTrack;
}

// --- position and range ----------------------------------------------------------------------

void TTBXScrollBar::SetPosition(int Value) {
  Value = std::max(std::min(Value, range_ - EffectiveWindow()), 0);
  if (Value == position_) return;
  position_ = Value;
  UpdateZones();
  if (!userChange_) return;
  Redraw();
  OnChange(this);
}

void TTBXScrollBar::SetRange(int Value) {
  Value = std::max(Value, 0);
  if (Value == range_) return;
  range_ = Value;
  UpdateZones();
  Redraw();
  SetPosition(position_);
}

void TTBXScrollBar::SetPositionByUser(int Value) {
  TUserChange user(userChange_);
  SetPosition(std::min(std::max(Value, 0), range_ - EffectiveWindow()));
}

void TTBXScrollBar::ScrollByZone(int Zone) {
  TUserChange user(userChange_);
  switch (Zone) {
    case sbzPrevLine: SetPosition(position_ - Increment); break;
    case sbzPrevPage: SetPosition(position_ - EffectiveWindow()); break;
    case sbzNextPage: SetPosition(position_ + EffectiveWindow()); break;
    case sbzNextLine: SetPosition(position_ + Increment); break;
    default: break;
  }
}

// --- mouse -----------------------------------------------------------------------------------

void TTBXScrollBar::MouseDown(TMouseButton Button, int X, int Y) {
  if (Button != TMouseButton::mbLeft) return;
  pressedZone_ = ZoneAt(X, Y);
  mouseDownPoint_ = lastMousePoint_ = POINT{X, Y};
  mouseDownPosition_ = position_;
  if (IsLineZone(pressedZone_) || IsPageZone(pressedZone_)) {
    ScrollByZone(pressedZone_);
    StartTimer(sbtRepeat, kFirstRepeatDelay);
  }
  Redraw();
}

void TTBXScrollBar::MouseMove(int X, int Y) {
  lastMousePoint_ = POINT{X, Y};
  if (pressedZone_ == sbzThumb) DragThumb();
}

void TTBXScrollBar::DragThumb() {
  UpdateZones();
  // The host may have lowered the range meanwhile: a bar that no longer scrolls has no thumb.
  if (!GetEnabled() || IsEmptyZone(zones_[sbzThumb])) return;
  const int64_t delta = AlongOf(lastMousePoint_.x, lastMousePoint_.y) - AlongOf(mouseDownPoint_.x, mouseDownPoint_.y);
  const int64_t span = ZoneEnd(sbzNextPage) - ZoneStart(sbzPrevPage);
  const int64_t window = EffectiveWindow();
  int moved;
  if (RoundHalfEven(span * window, range_) > kMinThumb - 1)
    moved = RoundHalfEven(delta * range_, span);
  else
    moved = RoundHalfEven(delta * (range_ - window), span - kMinThumb);
  const int position = mouseDownPosition_ + moved;
  if (position == position_) return;
  TUserChange user(userChange_);
  SetPosition(position);
}

void TTBXScrollBar::MouseUp(TMouseButton Button, int, int) {
  KillTimer(sbtRepeat);
  if (Button != TMouseButton::mbLeft) return;
  pressedZone_ = 0;
  Redraw();
}

void TTBXScrollBar::Redraw() { OnRedraw(this); }

// --- timers ----------------------------------------------------------------------------------

void TTBXScrollBar::StartAutoScroll(int Direction, int Interval) {
  if (Direction == 0) return;
  autoScrollDirection_ = Direction;
  autoScrollInterval_ = Interval;
  if (autoScrollActive_) return;
  StartTimer(sbtAutoScroll, Interval);
  autoScrollActive_ = true;
}

void TTBXScrollBar::StopAutoScroll() {
  if (!autoScrollActive_) return;
  autoScrollActive_ = false;
  KillTimer(sbtAutoScroll);
}

void TTBXScrollBar::TimerElapsed(int TimerID, int& NewInterval) {
  if (TimerID == sbtRepeat) {
    if (pressedZone_ == 0) return;
    // A page repeat stops once the thumb has reached the pointer.
    if (IsPageZone(pressedZone_) && ZoneAt(lastMousePoint_.x, lastMousePoint_.y) != pressedZone_) return;
    ScrollByZone(pressedZone_);
    NewInterval = kRepeatInterval;
  } else if (TimerID == sbtAutoScroll) {
    if (!autoScrollActive_) return;
    NewInterval = autoScrollInterval_;
    SetPositionByUser(position_ + autoScrollDirection_);
    if (position_ == 0 || position_ + EffectiveWindow() == range_) NewInterval = 0;
    OnAutoScroll(this, autoScrollDirection_, autoScrollInterval_);
    autoScrollActive_ = NewInterval > 0;
  }
}

void TTBXScrollBar::StartTimer(int TimerID, int Interval) {
  if (!window_) window_ = AllocateHWnd(TWndMethod(this, &TTBXScrollBar::WndProc), TUtilWindowKind::MessagesOnly);
  ::SetTimer(window_, static_cast<UINT_PTR>(TimerID), static_cast<UINT>(Interval), nullptr);
}

void TTBXScrollBar::KillTimer(int TimerID) {
  if (window_) ::KillTimer(window_, static_cast<UINT_PTR>(TimerID));
}

void TTBXScrollBar::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    // While the window is being made, AllocateHWnd answers the creation messages itself.
    if (window_) Message.Result = DefWindowProcW(window_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  Message.Result = 0;
  GuardBoundary([&] {
    const int timer = static_cast<int>(Message.WParam);
    int next = 0;
    TimerElapsed(timer, next);
    if (next < 1) KillTimer(timer);
    else StartTimer(timer, next);
  });
}

// --- painting --------------------------------------------------------------------------------

void TTBXScrollBar::PaintTo(TCanvas& Canvas) {
  UpdateZones();
  HDC dc = Canvas.Handle();
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - Left(), origin.y - Top(), nullptr);
  TScopeGuard restore([&] { SetWindowOrgEx(dc, origin.x, origin.y, nullptr); });
  if (VisualStyleHandle(vscScrollBar) && VisualStyles().DrawThemeBackground)
    PaintStyled(dc);
  else
    PaintClassic(dc);
}

void TTBXScrollBar::PaintClassic(HDC DC) {
  const bool enabled = GetEnabled(), vertical = kind_ == sbkVertical;
  auto arrow = [&](int Zone, TScrollArrow Arrow) {
    UINT state = ClassicScrollArrowKind(Arrow);
    if (!enabled) state |= DFCS_INACTIVE;
    if (pressedZone_ == Zone) state |= DFCS_PUSHED | DFCS_FLAT;
    RECT r = zones_[static_cast<size_t>(Zone)];
    ::DrawFrameControl(DC, &r, DFC_SCROLL, state);
  };
  arrow(sbzPrevLine, vertical ? saUp : saLeft);
  arrow(sbzNextLine, vertical ? saDown : saRight);
  if (!IsEmptyZone(zones_[sbzTrack])) FillRectColor(DC, zones_[sbzTrack], clScrollBar);
  if (!IsEmptyZone(zones_[sbzPrevPage]) || !IsEmptyZone(zones_[sbzNextPage]))
    for (int zone : {int(sbzPrevPage), int(sbzNextPage)}) {
      const RECT& r = zones_[static_cast<size_t>(zone)];
      if (pressedZone_ == zone) FillRectColor(DC, r, cl3DDkShadow);
      else FillRectDither(DC, r, clBtnHighlight, clScrollBar);
    }
  if (!IsEmptyZone(zones_[sbzThumb])) {
    RECT thumb = zones_[sbzThumb];
    ::DrawEdge(DC, &thumb, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillRectColor(DC, thumb, clBtnFace);
  }
}

void TTBXScrollBar::PaintStyled(HDC DC) {
  const bool enabled = GetEnabled(), vertical = kind_ == sbkVertical;
  auto state = [&](int Zone) { return !enabled ? 4 : pressedZone_ == Zone ? 3 : 1; };
  auto arrow = [&](int Zone, TScrollArrow Arrow) {
    const int s = StyledScrollArrowState(Arrow) + (!enabled ? 3 : pressedZone_ == Zone ? 2 : 0);
    DrawVisualStylePart(vscScrollBar, DC, SBP_ARROWBTN, s, zones_[static_cast<size_t>(Zone)]);
  };
  arrow(sbzPrevLine, vertical ? saUp : saLeft);
  arrow(sbzNextLine, vertical ? saDown : saRight);
  if (!IsEmptyZone(zones_[sbzTrack])) FillRectColor(DC, zones_[sbzTrack], clScrollBar);
  if (!IsEmptyZone(zones_[sbzPrevPage]) || !IsEmptyZone(zones_[sbzNextPage])) {
    DrawVisualStylePart(vscScrollBar, DC, vertical ? SBP_LOWERTRACKVERT : SBP_LOWERTRACKHORZ, state(sbzPrevPage),
                        zones_[sbzPrevPage]);
    DrawVisualStylePart(vscScrollBar, DC, vertical ? SBP_UPPERTRACKVERT : SBP_UPPERTRACKHORZ, state(sbzNextPage),
                        zones_[sbzNextPage]);
  }
  if (IsEmptyZone(zones_[sbzThumb])) return;
  const RECT& thumb = zones_[sbzThumb];
  const int thumbPart = vertical ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ;
  const int gripperPart = vertical ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ;
  const int thumbState = state(sbzThumb);
  DrawVisualStylePart(vscScrollBar, DC, thumbPart, thumbState, thumb);
  // The gripper only where the style tells its size and it fits inside the thumb's margins.
  const HTHEME handle = VisualStyleHandle(vscScrollBar);
  const auto getMargins = VisualStyles().GetThemeMargins;
  const auto getPartSize = VisualStyles().GetThemePartSize;
  MARGINS margins{};
  SIZE gripper{};
  if (!getMargins || !getPartSize ||
      FAILED(getMargins(handle, DC, thumbPart, thumbState, TMT_CONTENTMARGINS, nullptr, &margins)) ||
      FAILED(getPartSize(handle, DC, gripperPart, thumbState, nullptr, TS_TRUE, &gripper)))
    return;
  const RECT content{thumb.left + margins.cxLeftWidth, thumb.top + margins.cyTopHeight,
                     thumb.right - margins.cxRightWidth, thumb.bottom - margins.cyBottomHeight};
  if (gripper.cx > content.right - content.left || gripper.cy > content.bottom - content.top) return;
  const int left = (content.left + content.right - gripper.cx) / 2, top = (content.top + content.bottom - gripper.cy) / 2;
  DrawVisualStylePart(vscScrollBar, DC, gripperPart, thumbState, RECT{left, top, left + gripper.cx, top + gripper.cy});
}
