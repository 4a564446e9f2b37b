// Dragging a dockable window between docks, rows and floating places, and sizing a floating
// one: two modal mouse loops that hold the capture, with an outline on the desktop or the
// window moving live.
#include "docking/TB2Dock.h"

#include "classlib/ScopeGuard.h"
#include "docking/TB2DockDragGeometry.h"
#include "items/TB2Common.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

POINT CursorPos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

bool IsRightOrMiddleButton(UINT Msg) {
  return (Msg >= WM_RBUTTONDOWN && Msg <= WM_RBUTTONDBLCLK) || (Msg >= WM_MBUTTONDOWN && Msg <= WM_MBUTTONDBLCLK);
}

// The desktop locked and its DC taken for an outline, given back however the loop ends.
class TDesktopOutline {
 public:
  TDesktopOutline() {
    LockWindowUpdate(GetDesktopWindow());
    dc_ = GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  }
  ~TDesktopOutline() {
    if (dc_) ReleaseDC(GetDesktopWindow(), dc_);
    LockWindowUpdate(nullptr);
  }
  TDesktopOutline(const TDesktopOutline&) = delete;
  TDesktopOutline& operator=(const TDesktopOutline&) = delete;
  HDC DC() const { return dc_; }

 private:
  HDC dc_ = nullptr;
};

// How one message of a loop is taken.
enum class TLoopStep { Continue, Cancel, Accept, Quit };

// The messages both loops share: Esc cancels, the left button ends, right and middle buttons
// and other keys are dropped, everything else is dispatched. A mouse move or a Ctrl change goes
// to the caller (Continue with Handled false).
TLoopStep TakeMessage(const MSG& Msg, bool& Handled) {
  Handled = true;
  switch (Msg.message) {
    case WM_LBUTTONUP: return TLoopStep::Accept;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return TLoopStep::Cancel;
    case WM_MOUSEMOVE: Handled = false; return TLoopStep::Continue;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (Msg.wParam == VK_ESCAPE) return TLoopStep::Cancel;
      if (Msg.wParam == VK_CONTROL) Handled = false;
      return TLoopStep::Continue;
    default: break;
  }
  if (IsRightOrMiddleButton(Msg.message) || (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST))
    return TLoopStep::Continue;
  TranslateMessage(&Msg);
  DispatchMessageW(&Msg);
  return TLoopStep::Continue;
}

// Pumps the thread's messages while Capture holds the capture and Ended answers false: true when
// the left button was released. OnInput gets each mouse move and Ctrl key the loop does not take.
bool RunCaptureLoop(HWND Capture, const std::function<bool()>& Ended, const std::function<void(const MSG&)>& OnInput) {
  while (!Ended() && GetCapture() == Capture) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    bool handled = true;
    const TLoopStep step = TakeMessage(msg, handled);
    if (step == TLoopStep::Accept) return true;
    if (step == TLoopStep::Cancel) return false;
    if (!handled && !Ended()) OnInput(msg);
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Moving

class TTBDragLoop {
 public:
  TTBDragLoop(TTBCustomDockableWindow* Window, int InitX, int InitY)
      : w_(Window), watch_(Window->Watch()), formGuard_(Window), init_{InitX, InitY} {}

  void Run() {
    startDock_ = w_->currentDock_;
    startRow_ = w_->dockRow_;
    startPos_ = w_->dockPos_;
    w_->dragging_ = true;
    w_->draggingInRow_ = false;
    // Whatever ends the drag: the window (when it is still there) gets its state back.
    TScopeGuard end([this] { Finish(); });
    if (w_->docked_ && startDock_) {
      w_->dragRowOverflows_ = false;
      startDock_->SetCommitOnArrange(true);
      startDock_->ArrangeToolbars();
      rowCanSwitch_ = w_->dragRowOverflows_;
    }
    w_->smoothDragging_ = w_->smoothDrag_;
    TakeGrabPoint();
    noDocking_ = GetKeyState(VK_CONTROL) < 0;
    cannotFloat_ = w_->dockMode_ != dmCanFloat;
    FindCandidateDocks();
    for (TTBDock* d : docks_) d->CommitPositions();
    MakeTargets();
    ProcessPaintMessages();
    savedCursor_ = GetCursor();
    if (!w_->smoothDragging_) outline_.emplace();
    captureWnd_ = w_->Handle();
    SetCapture(captureWnd_);
    startCursor_ = lastPos_ = w_->ClientToScreen(init_);
    Track(w_->docked_);
    if (watch_.Gone()) return;
    accepted_ = Loop();
  }

 private:
  struct TTarget {
    TTBDock* Dock;  // nullptr: floating
    RECT DockRect;
    SIZE Size;
    std::vector<int> RowSizes;
  };

  // The window going, or its form being closed to go, ends the drag at once.
  bool Ended() const { return watch_.Gone() || formGuard_.Gone(); }

  bool Loop() {
    return RunCaptureLoop(captureWnd_, [this] { return Ended(); }, [this](const MSG& msg) {
      if (msg.message == WM_MOUSEMOVE) {
        if (msg.pt.x == lastPos_.x && msg.pt.y == lastPos_.y) return;
        Track(true);
        lastPos_ = msg.pt;
        return;
      }
      // Docking is off exactly while Ctrl is down: a held key's repeats change nothing.
      const bool down = msg.message == WM_KEYDOWN;
      if (down == noDocking_) return;
      noDocking_ = down;
      Track(true);
    });
  }

  void Finish() {
    if (GetCapture() == captureWnd_ && captureWnd_) ReleaseCapture();
    if (outline_) {
      DrawOutline(nullptr, moveRect_, false, dockingTo_ != nullptr);
      outline_.reset();
    }
    if (watch_.Gone()) return;
    w_->smoothDragging_ = false;
    if (accepted_ && !formGuard_.Gone() && !IsRectEmpty(&moveRect_)) {
      ApplyDragResult();
      if (watch_.Gone()) return;
    }
    if (w_->useLastDock_ && w_->currentDock_) w_->SetLastDock(w_->currentDock_);
    w_->FreeFloatingParentIfUnused();
    if (!w_->docked_) {
      w_->dockRow_ = startRow_;
      w_->dockPos_ = startPos_;
    }
    w_->dragging_ = false;
    w_->draggingInRow_ = false;
  }

  void TakeGrabPoint() {
    HWND dragged = w_->floating_ && w_->floatingParent_ ? w_->floatingParent_->Handle() : w_->Handle();
    RECT r;
    GetWindowRect(dragged, &r);
    const POINT press = w_->ClientToScreen(init_);
    grab_.Grab = {press.x - r.left, press.y - r.top};
    grab_.GrabRef = {r.right - r.left - 1, r.bottom - r.top - 1};
  }

  void AddCandidate(TTBDock* Dock) {
    if (std::find(docks_.begin(), docks_.end(), Dock) != docks_.end()) return;
    if (Dock->Accepts(w_) && w_->CanDockTo(Dock)) docks_.push_back(Dock);
  }

  // A form's docks, deepest first within each control: its docks by side (top, bottom, left,
  // right), then its other windowed children. The dragged window itself is not searched.
  void SearchControl(TWinControl* Control) {
    std::vector<TTBDock*> docks;
    std::vector<TWinControl*> others;
    for (int i = 0; i < Control->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(Control->Controls(i));
      if (!child || child == w_ || !child->Showing()) continue;
      if (auto* dock = dynamic_cast<TTBDock*>(child)) docks.push_back(dock);
      else others.push_back(child);
    }
    std::stable_sort(docks.begin(), docks.end(), [](TTBDock* a, TTBDock* b) { return a->Position() < b->Position(); });
    for (TTBDock* dock : docks) {
      SearchControl(dock);
      AddCandidate(dock);
    }
    for (TWinControl* other : others) SearchControl(other);
  }

  void FindCandidateDocks() {
    if (w_->dockMode_ == dmCannotFloatOrChangeDocks) {
      if (w_->docked_ && w_->currentDock_) docks_.push_back(w_->currentDock_);
      return;
    }
    if (w_->docked_ && w_->currentDock_) AddCandidate(w_->currentDock_);
    TCustomForm* parentForm = TBGetToolWindowParentForm(w_);
    if (parentForm) SearchControl(parentForm);
    if (!Screen) return;
    for (TCustomForm* form : Screen->FormsSnapshot()) {
      if (form == parentForm) continue;
      if (std::find(w_->dockForms_.begin(), w_->dockForms_.end(), form) != w_->dockForms_.end()) SearchControl(form);
    }
  }

  SIZE SizeOf(POINT P) { return {P.x, P.y}; }

  void MakeTargets() {
    const TTBDockType type = TBGetDockTypeOf(w_->currentDock_, w_->floating_);
    POINT floating = w_->DoArrange(false, type, true, nullptr);
    w_->AddFloatingNCAreaToSize(floating);
    targets_.push_back({nullptr, RECT{}, SizeOf(floating), {}});
    for (TTBDock* dock : docks_) {
      TTarget t{dock, RECT{}, SIZE{}, {}};
      if (dock == w_->currentDock_ && w_->docked_) {
        t.Size = {w_->Width(), w_->Height()};
      } else {
        POINT s = w_->DoArrange(false, type, false, dock);
        w_->AddDockedNCAreaToSize(s, dock->Vertical());
        t.Size = SizeOf(s);
      }
      GetWindowRect(dock->Handle(), &t.DockRect);
      for (int row = 0, last = dock->GetHighestRow(true); row <= last; ++row) {
        bool full = false;
        const int size = dock->GetCurrentRowSize(row, full);
        t.RowSizes.push_back((size & 0xFFFF) | (full ? kFullSizeRowFlag : 0));
      }
      targets_.push_back(std::move(t));
    }
  }

  const TTarget& TargetOf(TTBDock* Dock) const {
    for (const TTarget& t : targets_)
      if (t.Dock == Dock) return t;
    return targets_.front();
  }

  // One evaluation of where the window would go.
  void Track(bool SearchDocks) {
    const RECT oldRect = moveRect_;
    TTBDock* const oldDock = dockingTo_;
    POINT p = CursorPos();
    if (w_->draggingInRow_) {
      dockingTo_ = w_->currentDock_;
    } else {
      dockingTo_ = nullptr;
      if (!noDocking_ && SearchDocks && !FindDockUnder(p)) return;
    }
    const RECT area = GetRectOfMonitorContainingPoint(p, true);
    if (!dockingTo_) {
      p.x = std::clamp<LONG>(p.x, area.left, area.right - 1);
      p.y = std::clamp<LONG>(p.y, area.top, area.bottom - 1);
    }
    moveRect_ = DockingOutlineRect(grab_, TargetOf(dockingTo_).Size, p);
    if (!dockingTo_) {
      POINT border, tl, br;
      w_->GetFloatingBorderSize(border);
      w_->GetFloatingNCArea(tl, br);
      moveRect_ = ClampFloatingRect(moveRect_, area, border.x, tl.y);
    }
    if (cannotFloat_ && !dockingTo_) {
      SetRectEmpty(&moveRect_);
      SetCursor(LoadCursorW(nullptr, IDC_NO));
    } else if (w_->draggingInRow_) {
      const bool leftRight = w_->currentDock_ && w_->currentDock_->Vertical();
      SetCursor(LoadCursorW(nullptr, leftRight ? IDC_SIZENS : IDC_SIZEWE));
    } else {
      SetCursor(savedCursor_);
    }
    if (outline_) DrawOutline(&moveRect_, oldRect, dockingTo_ != nullptr, oldDock != nullptr);
    else if (!IsRectEmpty(&moveRect_)) ApplyDragResult();
  }

  // The first candidate dock under P that does not refuse the window; false when a handler
  // freed the window.
  bool FindDockUnder(POINT P) {
    for (TTBDock* dock : docks_) {
      const TTarget& t = TargetOf(dock);
      const RECT outline = DockingOutlineRect(grab_, t.Size, P);
      if (!CursorOverDock(grab_, t.DockRect, dock->Vertical(), outline, P)) continue;
      bool accept = true;
      dock->OnRequestDock(dock, w_, accept);
      if (watch_.Gone()) return false;
      if (accept) {
        dockingTo_ = dock;
        break;
      }
    }
    return true;
  }

  void DrawOutline(const RECT* NewRect, const RECT& OldRect, bool NewDocking, bool OldDocking) {
    const RECT* newRect = NewRect && !IsRectEmpty(NewRect) ? NewRect : nullptr;
    const RECT* oldRect = !IsRectEmpty(&OldRect) ? &OldRect : nullptr;
    w_->DrawDraggingOutline(outline_->DC(), newRect, oldRect, NewDocking, OldDocking);
  }

  void ApplyDragResult() {
    if (dockingTo_) DockTo(dockingTo_);
    else Float();
    if (!watch_.Gone()) w_->Update();
  }

  void DockTo(TTBDock* Dock) {
    RECT dockRect;
    GetWindowRect(Dock->Handle(), &dockRect);
    RECT r = moveRect_;
    OffsetRect(&r, -dockRect.left, -dockRect.top);
    const bool leftRight = Dock->Vertical();
    TTBRowAtOffset target{w_->dockRow_, false};
    if (!w_->draggingInRow_) {
      const int across = leftRight ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
      target = RowAtOffset(TargetOf(Dock).RowSizes, across, w_->fullSize_);
      if (target.InsertRow) rowCanSwitch_ = false;
    }
    if (rowCanSwitch_) SwitchToInRowDrag(Dock, target.Row, leftRight);
    w_->dockRow_ = target.Row;
    w_->dockPos_ = ClampDockPos(leftRight ? r.top : r.left);
    w_->SetParent(Dock);
    if (watch_.Gone()) return;
    if (!w_->smoothDragging_) Dock->SetCommitOnArrange(true);
    w_->newRowRequested_ = target.InsertRow;
    TScopeGuard clear([this] {
      if (!watch_.Gone()) w_->newRowRequested_ = false;
    });
    Dock->ArrangeToolbars();
  }

  // In a row that had to shrink, a drag of 10 pixels or more along it, staying in it, turns
  // into a slide within the row; anything else ends the chance.
  void SwitchToInRowDrag(TTBDock* Dock, int Row, bool LeftRight) {
    rowCanSwitch_ = false;
    if (Dock != startDock_ || Row != startRow_) return;
    const int moved = LeftRight ? lastPos_.y - startCursor_.y : lastPos_.x - startCursor_.x;
    if (std::abs(moved) < 10) {
      rowCanSwitch_ = true;
      return;
    }
    w_->draggingInRow_ = true;
    SetCursor(LoadCursorW(nullptr, LeftRight ? IDC_SIZENS : IDC_SIZEWE));
  }

  void Float() {
    rowCanSwitch_ = false;
    w_->SetFloatingPosition({moveRect_.left, moveRect_.top});
    w_->SetFloating(true);
    if (!watch_.Gone()) w_->MoveOnScreen(true);
  }

  TTBCustomDockableWindow* w_;
  TTBLifeToken::TWatch watch_;
  // A loop on the form's behalf: a form closed meanwhile goes only once the loop has returned.
  TFormLoopGuard formGuard_;
  POINT init_;
  TTBDock* startDock_ = nullptr;
  int startRow_ = 0, startPos_ = 0;
  TTBGrab grab_{};
  POINT startCursor_{}, lastPos_{};
  std::vector<TTBDock*> docks_;
  std::vector<TTarget> targets_;
  bool noDocking_ = false, cannotFloat_ = false, accepted_ = false, rowCanSwitch_ = false;
  TTBDock* dockingTo_ = nullptr;
  RECT moveRect_{};
  HCURSOR savedCursor_ = nullptr;
  HWND captureWnd_ = nullptr;
  std::optional<TDesktopOutline> outline_;
};

void TTBCustomDockableWindow::BeginMoving(int InitX, int InitY) { TTBDragLoop(this, InitX, InitY).Run(); }

void TTBCustomDockableWindow::DrawDraggingOutline(HDC DC, const RECT* NewRect, const RECT* OldRect, bool NewDocking,
                                                  bool OldDocking) {
  POINT border;
  GetFloatingBorderSize(border);
  const SIZE newSize = NewDocking ? SIZE{1, 1} : SIZE{border.x, border.x};
  const SIZE oldSize = OldDocking ? SIZE{1, 1} : SIZE{border.x, border.x};
  DrawHalftoneInvertRect(DC, NewRect, OldRect, newSize, oldSize);
}

// ---------------------------------------------------------------------------------------------
// Sizing

class TTBSizeLoop {
 public:
  TTBSizeLoop(TTBCustomDockableWindow* Window, TTBSizeHandle Handle)
      : w_(Window), watch_(Window->Watch()), formGuard_(Window), handle_(Handle) {}

  void Run() {
    TTBFloatingWindowParent* frame = w_->floatingParent_;
    if (!w_->floating_ || !frame || !frame->HandleAllocated()) return;
    frame_ = frame->Handle();
    TakeLimits(frame);
    w_->ResizeBegin(handle_);
    TScopeGuard end([this] {
      if (!watch_.Gone()) w_->ResizeEnd();
    });
    bool accepted = false;
    {
      TScopeGuard cleanUp([this] { CleanUp(); });
      ProcessPaintMessages();
      if (!w_->smoothDrag_) outline_.emplace();
      captureWnd_ = w_->Handle();
      SetCapture(captureWnd_);
      if ((w_->dockableWindowStyles_ & tbdsResizeClipCursor) && !UsingMultipleMonitors()) {
        const RECT primary = GetRectOfPrimaryMonitor(false);
        ClipCursor(&primary);
        clipped_ = true;
      }
      GetWindowRect(frame_, &start_);
      rect_ = start_;
      if (outline_) DrawOutline(&rect_, nullptr);
      startCursor_ = CursorPos();
      accepted = Loop();
    }
    // A live sizing has applied every step already; an outline applies once, when accepted.
    if (!watch_.Gone() && !formGuard_.Gone() && outlineRan_ && accepted) Apply();
  }

 private:
  void TakeLimits(TTBFloatingWindowParent* Frame) {
    int minW = 0, minH = 0, maxW = 0, maxH = 0;
    w_->GetMinMaxSize(minW, minH, maxW, maxH);
    const int extraW = Frame->Width() - Frame->ClientWidth(), extraH = Frame->Height() - Frame->ClientHeight();
    minWidth_ = minW + extraW;
    minHeight_ = minH + extraH;
    maxWidth_ = maxW > 0 ? maxW + extraW : 0;
    maxHeight_ = maxH > 0 ? maxH + extraH : 0;
  }

  bool Loop() {
    return RunCaptureLoop(
        captureWnd_, [this] { return watch_.Gone() || formGuard_.Gone(); },
        [this](const MSG& msg) {
          if (msg.message == WM_MOUSEMOVE) Track(msg.pt);
        });
  }

  void Track(POINT P) {
    const int dx = P.x - startCursor_.x, dy = P.y - startCursor_.y;
    if (dx == lastDelta_.x && dy == lastDelta_.y) return;
    lastDelta_ = {dx, dy};
    const RECT old = rect_;
    RECT r = start_;
    const bool horizontal = handle_ != twshTop && handle_ != twshBottom;
    const bool vertical = handle_ != twshLeft && handle_ != twshRight;
    const bool movesLeft = handle_ == twshLeft || handle_ == twshTopLeft || handle_ == twshBottomLeft;
    const bool movesTop = handle_ == twshTop || handle_ == twshTopLeft || handle_ == twshTopRight;
    if (horizontal) (movesLeft ? r.left : r.right) += dx;
    if (vertical) (movesTop ? r.top : r.bottom) += dy;
    Limit(r.left, r.right, movesLeft, minWidth_, maxWidth_);
    Limit(r.top, r.bottom, movesTop, minHeight_, maxHeight_);
    w_->ResizeTrack(r, start_);
    if (watch_.Gone()) return;
    rect_ = r;
    if (outline_) DrawOutline(&rect_, &old);
    else Apply();
  }

  // Within the limits, by moving the edge that is being dragged.
  static void Limit(LONG& low, LONG& high, bool movesLow, int Min, int Max) {
    int size = high - low;
    if (size < Min) size = Min;
    if (Max > 0 && size > Max) size = Max;
    if (movesLow) low = high - size;
    else high = low + size;
  }

  void Apply() {
    TTBCustomDockableWindow* w = w_;
    w->BeginUpdate();
    TScopeGuard end([this, w] {
      if (!watch_.Gone()) w->EndUpdate();
    });
    w->ResizeTrackAccept();
    if (watch_.Gone()) return;
    TTBFloatingWindowParent* frame = w->floatingParent_;
    if (!frame) return;
    frame->SetBounds(rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top);
    w->SetBounds(0, 0, frame->ClientWidth(), frame->ClientHeight());
    w->MoveOnScreen(true);
  }

  void DrawOutline(const RECT* NewRect, const RECT* OldRect) {
    POINT border;
    w_->GetFloatingBorderSize(border);
    const SIZE size{border.x, border.x};
    DrawHalftoneInvertRect(outline_->DC(), NewRect, OldRect, size, size);
  }

  void CleanUp() {
    if (captureWnd_ && GetCapture() == captureWnd_) ReleaseCapture();
    if (clipped_) ClipCursor(nullptr);
    if (outline_) {
      DrawOutline(nullptr, &rect_);
      outline_.reset();
      outlineRan_ = true;
    }
  }

  TTBCustomDockableWindow* w_;
  TTBLifeToken::TWatch watch_;
  TFormLoopGuard formGuard_;
  TTBSizeHandle handle_;
  HWND frame_ = nullptr, captureWnd_ = nullptr;
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
  RECT start_{}, rect_{};
  POINT startCursor_{}, lastDelta_{};
  bool clipped_ = false, outlineRan_ = false;
  std::optional<TDesktopOutline> outline_;
};

void TTBCustomDockableWindow::BeginSizing(TTBSizeHandle SizeHandle) { TTBSizeLoop(this, SizeHandle).Run(); }
