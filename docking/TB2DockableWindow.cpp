// The dockable window: its properties, the moves between dock, floating frame and form, sizes
// and arrangement, closing and double clicks.
#include "docking/TB2Dock.h"

#include "classlib/ScopeGuard.h"
#include "docking/TB2Consts.h"
#include "docking/TB2FloatingList.h"
#include "items/TB2Common.h"
#include "items/TB2Hook.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Free routines

TTBDockType TBGetDockTypeOf(TTBDock* Control, bool Floating) {
  if (Floating) return dtFloating;
  if (!Control) return dtNotDocked;
  return Control->Vertical() ? dtLeftRight : dtTopBottom;
}

HWND FormHandle(TControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

TCustomForm* TBGetToolWindowParentForm(TWinControl* ToolWindow) {
  TCustomForm* result = nullptr;
  for (TWinControl* c = ToolWindow ? ToolWindow->Parent() : nullptr; c; c = c->Parent()) {
    if (auto* frame = dynamic_cast<TTBFloatingWindowParent*>(c)) return frame->ParentForm();
    if (auto* form = dynamic_cast<TCustomForm*>(c)) result = form;
  }
  return result;
}

TCustomForm* TBValidToolWindowParentForm(TWinControl* ToolWindow) {
  TCustomForm* form = TBGetToolWindowParentForm(ToolWindow);
  if (!form) throw EInvalidOperation(Format(SParentRequired, {ToolWindow->Name()}));
  return form;
}

// ---------------------------------------------------------------------------------------------
// Construction

TTBCustomDockableWindow::TTBCustomDockableWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csClickEvents | csDoubleClicks | csSetCaption) &
                  ~(csCaptureMouse | csOpaque));
  SetColor(clBtnFace);
  InstallHookProc(this, DockableWindowHookProc,
                  {hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy});
  InitTrackMouseEvent();
}

TTBCustomDockableWindow::~TTBCustomDockableWindow() {
  life_.End();
  UninstallHookProc(this, DockableWindowHookProc);
  TTBFloatingList::Remove(this);
}

void TTBCustomDockableWindow::BeforeDestruction() {
  life_.End();
  UninstallHookProc(this, DockableWindowHookProc);
  TTBFloatingList::Remove(this);
  // The frame goes with the window; a window that lies in it leaves it first, so that the
  // frame does not take it along as its child.
  if (TTBFloatingWindowParent* frame = floatingParent_) {
    floatingParent_ = nullptr;
    if (Parent() == frame) TWinControl::SetParent(nullptr);
    frame->dockableWindow_ = nullptr;
    frame->Free();
  }
  TCustomControl::BeforeDestruction();
}

void TTBCustomDockableWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTBCustomDockableWindow::Loaded() {
  TCustomControl::Loaded();
  InitializeOrdering();
  Arrange();
}

void TTBCustomDockableWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == defaultDock_) defaultDock_ = nullptr;
  if (AComponent == lastDock_) lastDock_ = nullptr;
  // A dock that goes takes its child windows with it: nothing may reach it meanwhile.
  if (AComponent == currentDock_) {
    currentDock_ = nullptr;
    docked_ = false;
  }
  if (auto* form = dynamic_cast<TCustomForm*>(AComponent)) {
    auto it = std::find(dockForms_.begin(), dockForms_.end(), form);
    if (it != dockForms_.end()) dockForms_.erase(it);
  }
  TTBFloatingWindowParent* frame = floatingParent_;
  if (frame && AComponent == frame->ParentForm() && AComponent->Destroying()) {
    if (Parent() != frame) {
      floatingParent_ = nullptr;
      frame->dockableWindow_ = nullptr;
      frame->Free();
    } else if (floatingMode_ == fmOnTopOfParentForm) {
      SetParent(nullptr);
    } else {
      frame->parentForm_ = nullptr;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Properties

void TTBCustomDockableWindow::SetAutoResize(bool Value) {
  if (Value == autoResize_) return;
  autoResize_ = Value;
  if (Value) Arrange();
}

void TTBCustomDockableWindow::RecalcNCArea() {
  if (!docked_) return;
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (currentDock_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  RecalcNCArea();
}

void TTBCustomDockableWindow::SetCloseButton(bool Value) {
  if (Value == closeButton_) return;
  closeButton_ = Value;
  if (floating_ && floatingParent_) floatingParent_->RedrawNCArea(twrdCaption | twrdCloseButton);
}

void TTBCustomDockableWindow::SetCloseButtonWhenDocked(bool Value) {
  if (Value == closeButtonWhenDocked_) return;
  closeButtonWhenDocked_ = Value;
  RecalcNCArea();
}

void TTBCustomDockableWindow::SetDragHandleStyle(TTBDragHandleStyle Value) {
  if (Value == dragHandleStyle_) return;
  dragHandleStyle_ = Value;
  RecalcNCArea();
}

void TTBCustomDockableWindow::SetCurrentDock(TTBDock* Value) {
  if (Loading()) return;
  if (Value) SetParent(Value);
  else SetParent(TBValidToolWindowParentForm(this));
}

void TTBCustomDockableWindow::SetDefaultDock(TTBDock* Value) {
  if (Value == defaultDock_) return;
  if (defaultDock_ && defaultDock_ != lastDock_ && defaultDock_ != currentDock_) defaultDock_->RemoveFreeNotification(this);
  defaultDock_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TTBCustomDockableWindow::SetDockPos(int Value) {
  Value = ClampDockPos(Value);
  if (Value == dockPos_) return;
  dockPos_ = Value;
  if (docked_ && currentDock_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetDockRow(int Value) {
  Value = ClampDockRow(Value);
  if (Value == dockRow_) return;
  dockRow_ = Value;
  if (docked_ && currentDock_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetFloatingMode(TTBFloatingMode Value) {
  if (Value == floatingMode_) return;
  floatingMode_ = Value;
  if (HandleAllocated()) Perform(CM_SHOWINGCHANGED);
}

void TTBCustomDockableWindow::SetFullSize(bool Value) {
  if (Value == fullSize_) return;
  fullSize_ = Value;
  if (docked_ && currentDock_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetStretch(bool Value) {
  if (Value == stretch_) return;
  stretch_ = Value;
  if (docked_ && currentDock_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetHideWhenInactive(bool Value) {
  if (Value == hideWhenInactive_) return;
  hideWhenInactive_ = Value;
  UpdateVisibility();
}

void TTBCustomDockableWindow::SetResizable(bool Value) {
  if (Value == resizable_) return;
  resizable_ = Value;
  // The frame's sizing border changes in place: its window (and so this one) stays.
  TTBFloatingWindowParent* frame = floatingParent_;
  if (!frame || !frame->HandleAllocated()) return;
  HWND wnd = frame->Handle();
  LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  style = Value ? style | WS_THICKFRAME : style & ~static_cast<LONG_PTR>(WS_THICKFRAME);
  SetWindowLongPtrW(wnd, GWL_STYLE, style);
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (floating_) SetBounds(0, 0, Width(), Height());
}

void TTBCustomDockableWindow::SetShowCaption(bool Value) {
  if (Value == showCaption_) return;
  showCaption_ = Value;
  if (floating_ && floatingParent_ && floatingParent_->HandleAllocated()) {
    SetWindowPos(floatingParent_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetBounds(0, 0, Width(), Height());
  }
  Arrange();
}

void TTBCustomDockableWindow::SetUseLastDock(bool Value) {
  if (Value == useLastDock_) return;
  useLastDock_ = Value;
  SetLastDock(Value ? currentDock_ : nullptr);
}

void TTBCustomDockableWindow::SetLastDock(TTBDock* Value) {
  if (useLastDock_ && docked_) Value = currentDock_;
  if (Value == lastDock_) return;
  if (TTBDock* old = lastDock_) {
    lastDock_ = nullptr;
    if (old != Parent()) old->ChangeDockList(false, this);
  }
  lastDock_ = Value;
  if (Value) {
    useLastDock_ = true;
    Value->FreeNotification(this);
    Value->ChangeDockList(true, this);
  }
}

void TTBCustomDockableWindow::SetFloatingPosition(POINT Value) {
  Value = {ClampDockPos(Value.x), ClampDockPos(Value.y)};
  floatingPosition_ = Value;
  if (floating_ && floatingParent_)
    floatingParent_->SetBounds(Value.x, Value.y, floatingParent_->Width(), floatingParent_->Height());
}

void TTBCustomDockableWindow::AddDockForm(TCustomForm* Form) {
  if (!Form || std::find(dockForms_.begin(), dockForms_.end(), Form) != dockForms_.end()) return;
  dockForms_.push_back(Form);
  Form->FreeNotification(this);
}

void TTBCustomDockableWindow::RemoveDockForm(TCustomForm* Form) {
  auto it = std::find(dockForms_.begin(), dockForms_.end(), Form);
  if (it != dockForms_.end()) dockForms_.erase(it);
}

// ---------------------------------------------------------------------------------------------
// Sizes

int TTBCustomDockableWindow::DragHandleSize() const {
  static constexpr int kSizes[2][3] = {{9, 0, 6}, {14, 14, 14}};
  return kSizes[closeButtonWhenDocked_ ? 1 : 0][dragHandleStyle_];
}

int TTBCustomDockableWindow::DragHandleOffset() const {
  static constexpr int kOffsets[2][3] = {{2, 0, 1}, {3, 0, 5}};
  return kOffsets[closeButtonWhenDocked_ ? 1 : 0][dragHandleStyle_];
}

void TTBCustomDockableWindow::CalcNCSizes(POINT& Size) {
  Size = {0, 0};
  if (!docked_ || !currentDock_) return;
  Size = {4, 4};
  if (!currentDock_->AllowDrag()) return;
  if (currentDock_->Vertical()) Size.y += DragHandleSize();
  else Size.x += DragHandleSize();
}

int TTBCustomDockableWindow::GetNonClientWidth() {
  POINT s;
  CalcNCSizes(s);
  return s.x;
}

int TTBCustomDockableWindow::GetNonClientHeight() {
  POINT s;
  CalcNCSizes(s);
  return s.y;
}

void TTBCustomDockableWindow::GetDockedNCArea(POINT& TopLeft, POINT& BottomRight, bool LeftRight) {
  TopLeft = BottomRight = {2, 2};
  if (LeftRight) TopLeft.y += DragHandleSize();
  else TopLeft.x += DragHandleSize();
}

void TTBCustomDockableWindow::GetFloatingBorderSize(POINT& Size) {
  if (resizable_) Size = {GetSystemMetrics(SM_CXSIZEFRAME), GetSystemMetrics(SM_CYSIZEFRAME)};
  else Size = {GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)};
}

void TTBCustomDockableWindow::GetFloatingNCArea(POINT& TopLeft, POINT& BottomRight) {
  GetFloatingBorderSize(TopLeft);
  BottomRight = TopLeft;
  if (showCaption_) TopLeft.y += GetSystemMetrics(SM_CYSMCAPTION);
}

void TTBCustomDockableWindow::AddDockedNCAreaToSize(POINT& S, bool LeftRight) {
  POINT tl, br;
  GetDockedNCArea(tl, br, LeftRight);
  S.x += tl.x + br.x;
  S.y += tl.y + br.y;
}

void TTBCustomDockableWindow::AddFloatingNCAreaToSize(POINT& S) {
  POINT tl, br;
  GetFloatingNCArea(tl, br);
  S.x += tl.x + br.x;
  S.y += tl.y + br.y;
}

bool TTBCustomDockableWindow::CanDockTo(TTBDock* ADock) {
  return (dockableTo_ & DockableToPosition(ADock->Position())) != 0;
}

void TTBCustomDockableWindow::ControlExistsAtPos(POINT P, bool& Exists) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || ChildControlTransparent(c)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, P)) {
      Exists = true;
      return;
    }
  }
}

void TTBCustomDockableWindow::GetMinShrinkSize(int&) {}
void TTBCustomDockableWindow::GetMinMaxSize(int&, int&, int&, int&) {}
TTBShrinkMode TTBCustomDockableWindow::GetShrinkMode() { return tbsmNone; }
void TTBCustomDockableWindow::SizeChanging(int, int) {}
bool TTBCustomDockableWindow::ChildControlTransparent(TControl*) { return false; }
void TTBCustomDockableWindow::InitializeOrdering() {}
void TTBCustomDockableWindow::ResizeBegin(TTBSizeHandle) {}
void TTBCustomDockableWindow::ResizeEnd() {}
void TTBCustomDockableWindow::ResizeTrack(RECT&, const RECT&) {}
void TTBCustomDockableWindow::ResizeTrackAccept() {}
void TTBCustomDockableWindow::DoneReadingPositionData(const TTBReadPositionData&) {}
void TTBCustomDockableWindow::ReadPositionData(const TTBReadPositionData&) {}
void TTBCustomDockableWindow::WritePositionData(const TTBWritePositionData&) {}

TTBFloatingWindowParent* TTBCustomDockableWindow::CreateFloatingWindowParent() {
  return new TTBFloatingWindowParent(nullptr);
}

void TTBCustomDockableWindow::DoDockChangingHidden(bool NewFloating, TTBDock* DockingTo) {
  if (!Destroying()) OnDockChangingHidden(this, NewFloating, DockingTo);
}

// ---------------------------------------------------------------------------------------------
// Arrangement and bounds

void TTBCustomDockableWindow::BeginUpdate() { ++updateCount_; }

void TTBCustomDockableWindow::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0 && arrangeNeeded_) Arrange();
}

bool TTBCustomDockableWindow::IsAutoResized() { return autoResize_ && (docked_ || floating_); }

void TTBCustomDockableWindow::Arrange() {
  if (updateCount_ > 0 || Loading() || !Parent()) {
    arrangeNeeded_ = true;
    return;
  }
  arrangeNeeded_ = false;
  const POINT size = DoArrange(true, TBGetDockTypeOf(currentDock_, floating_), floating_, currentDock_);
  if (IsAutoResized()) ChangeSize(size.x, size.y);
}

void TTBCustomDockableWindow::ChangeSize(int AWidth, int AHeight) {
  if (docked_ && currentDock_) {
    currentDock_->ArrangeToolbars();
    return;
  }
  POINT nc;
  CalcNCSizes(nc);
  AWidth += nc.x;
  AHeight += nc.y;
  if (!floating_) {
    // Lying on a form, a window anchored to both edges of an axis keeps its size along it.
    if ((Anchors() & (akLeft | akRight)) == (akLeft | akRight)) AWidth = Width();
    if ((Anchors() & (akTop | akBottom)) == (akTop | akBottom)) AHeight = Height();
  }
  ++updatingBounds_;
  TScopeGuard done([this] { --updatingBounds_; });
  SetBounds(Left(), Top(), AWidth, AHeight);
}

void TTBCustomDockableWindow::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // The window only tells the size it was given: nothing changes, nothing is asked.
  if (TakingWindowBounds()) {
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  TTBFloatingWindowParent* frame = floating_ ? floatingParent_ : nullptr;
  if (frame && Parent() == frame && frame->HandleAllocated()) {
    frame->SetBounds(frame->Left(), frame->Top(), AWidth + frame->Width() - frame->ClientWidth(),
                     AHeight + frame->Height() - frame->ClientHeight());
    ALeft = ATop = 0;
  }
  const bool resized = AWidth != Width() || AHeight != Height();
  if (updatingBounds_ == 0 && resized) SizeChanging(AWidth, AHeight);
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  // The docked frame's grip lines run the window's length: resized, it is painted whole.
  if (resized && docked_ && HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TTBCustomDockableWindow::MoveOnScreen(bool OnlyIfFullyOffscreen) {
  TTBFloatingWindowParent* frame = floatingParent_;
  if (!floating_ || !frame) return;
  RECT r = frame->BoundsRect();
  const RECT m = GetRectOfMonitorContainingRect(r, true);
  RECT common{};
  if (OnlyIfFullyOffscreen && IntersectRect(&common, &r, &m)) return;
  if (r.right > m.right) OffsetRect(&r, m.right - r.right, 0);
  if (r.bottom > m.bottom) OffsetRect(&r, 0, m.bottom - r.bottom);
  if (r.left < m.left) OffsetRect(&r, m.left - r.left, 0);
  if (r.top < m.top) OffsetRect(&r, 0, m.top - r.top);
  frame->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TTBCustomDockableWindow::Moved() {
  if (!Loading() && moveNotifySuppress_ == 0) OnMove(this);
}

bool TTBCustomDockableWindow::IsMovable() { return (docked_ && DockAllowsDrag()) || floating_; }

// ---------------------------------------------------------------------------------------------
// Moving between placements

void TTBCustomDockableWindow::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) {
    currentDock_ = dynamic_cast<TTBDock*>(AParent);
    floating_ = dynamic_cast<TTBFloatingWindowParent*>(AParent) != nullptr;
    docked_ = currentDock_ != nullptr;
    RegisterFloating();
    return;
  }
  auto* newDock = dynamic_cast<TTBDock*>(AParent);
  const bool newFloating = dynamic_cast<TTBFloatingWindowParent*>(AParent) != nullptr;
  const TTBLifeToken::TWatch watch = Watch();
  const bool events = !Destroying() && AParent;
  if (events) {
    OnDockChanging(this, newFloating, newDock);
    if (watch.Gone()) return;
    OnRecreating(this);
    if (watch.Gone()) return;
  }
  MoveHidden(AParent);
  if (watch.Gone()) return;
  if (Parent()) Moved();
  if (!events || watch.Gone()) return;
  OnRecreated(this);
  if (!watch.Gone()) OnDockChanged(this);
}

void TTBCustomDockableWindow::MoveHidden(TWinControl* AParent) {
  auto* oldDock = dynamic_cast<TTBDock*>(Parent());
  auto* newDock = dynamic_cast<TTBDock*>(AParent);
  const bool newFloating = dynamic_cast<TTBFloatingWindowParent*>(AParent) != nullptr;
  const TTBLifeToken::TWatch watch = Watch();
  ++hideCount_;
  ++moveNotifySuppress_;
  UpdateVisibility();
  if (oldDock) oldDock->BeginUpdate();
  if (newDock) newDock->BeginUpdate();
  ++updatingBounds_;
  bool updating = false;
  // Undone in reverse however the move ends; a window freed meanwhile only lets its docks go.
  TScopeGuard unwind([&] {
    if (!watch.Gone()) {
      if (updating) EndUpdate();
      --updatingBounds_;
    }
    if (newDock) newDock->EndUpdate();
    if (oldDock) oldDock->EndUpdate();
    if (watch.Gone()) return;
    --moveNotifySuppress_;
    --hideCount_;
    UpdateVisibility();
  });
  if (AParent) {
    DoDockChangingHidden(newFloating, newDock);
    if (watch.Gone()) return;
  }
  BeginUpdate();
  updating = true;
  shrunkSize_ = 0;
  if (oldDock) {
    if (!(useLastDock_ && lastDock_ == oldDock)) oldDock->ChangeDockList(false, this);
    oldDock->ToolbarVisibilityChanged(this, true);
  }
  auto* oldFrame = dynamic_cast<TTBFloatingWindowParent*>(Parent());
  currentDock_ = newDock;
  floating_ = newFloating;
  docked_ = newDock != nullptr;
  try {
    ChangeParentKeepingHandle(AParent);
  } catch (...) {
    currentDock_ = dynamic_cast<TTBDock*>(Parent());
    floating_ = dynamic_cast<TTBFloatingWindowParent*>(Parent()) != nullptr;
    docked_ = currentDock_ != nullptr;
    throw;
  }
  placedRow_ = -1;
  if (!smoothDragging_ && oldFrame) {
    if (oldFrame == floatingParent_) floatingParent_ = nullptr;
    oldFrame->dockableWindow_ = nullptr;
    oldFrame->Free();
  }
  if (newDock) {
    if (!useLastDock_ || smoothDragging_) {
      newDock->ChangeDockList(true, this);
    } else {
      SetLastDock(newDock);
      newDock->ToolbarVisibilityChanged(this, false);
    }
  }
  RegisterFloating();
  Arrange();
}

void TTBCustomDockableWindow::RegisterFloating() {
  if (floating_) {
    TTBFloatingList::Add(this);
    if (floatingParent_)
      floatingParent_->SetBounds(floatingPosition_.x, floatingPosition_.y, floatingParent_->Width(),
                                 floatingParent_->Height());
  } else {
    TTBFloatingList::Remove(this);
  }
}

void TTBCustomDockableWindow::SetFloating(bool Value) {
  if (Value == floating_) return;
  if (!Value) {
    SetParent(TBValidToolWindowParentForm(this));
    return;
  }
  TCustomForm* form = TBValidToolWindowParentForm(this);
  if (!floatingParent_ || floatingParent_->ParentForm() != form) {
    if (TTBFloatingWindowParent* old = floatingParent_) {
      floatingParent_ = nullptr;
      old->dockableWindow_ = nullptr;
      old->Free();
    }
    TTBFloatingWindowParent* frame = CreateFloatingWindowParent();
    try {
      frame->parentForm_ = form;
      frame->dockableWindow_ = this;
      frame->SetName(Format(L"NBFloatingWindowParent_%.8x",
                            {static_cast<unsigned>(reinterpret_cast<uintptr_t>(frame) & 0xFFFFFFFFu)}));
      frame->SetCaption(Caption());
      frame->SetBorderStyle(TFormBorderStyle::bsToolWindow);
      POINT tl, br;
      GetFloatingNCArea(tl, br);
      frame->SetBounds(0, 0, ClientWidth() + tl.x + br.x, ClientHeight() + tl.y + br.y);
      frame->SetShowHint(true);
      frame->SetVisible(true);
    } catch (...) {
      frame->dockableWindow_ = nullptr;
      frame->Free();
      throw;
    }
    floatingParent_ = frame;
  }
  form->FreeNotification(this);
  const TTBLifeToken::TWatch watch = Watch();
  SetParent(floatingParent_);
  if (!watch.Gone() && floating_) SetBounds(0, 0, Width(), Height());
}

void TTBCustomDockableWindow::FreeFloatingParentIfUnused() {
  TTBFloatingWindowParent* frame = floatingParent_;
  if (!frame || Parent() == frame) return;
  floatingParent_ = nullptr;
  frame->dockableWindow_ = nullptr;
  frame->Free();
}

// ---------------------------------------------------------------------------------------------
// Closing and double clicks

void TTBCustomDockableWindow::Close() {
  bool canClose = true;
  const TTBLifeToken::TWatch watch = Watch();
  OnCloseQuery(this, canClose);
  if (watch.Gone() || !canClose) return;
  Hide();
  if (!watch.Gone()) OnClose(this);
}

void TTBCustomDockableWindow::DoubleClick() {
  const TTBLifeToken::TWatch watch = Watch();
  if (docked_) {
    if (!undockOnDoubleClick_ || dockMode_ != dmCanFloat) return;
    SetFloating(true);
    if (!watch.Gone()) MoveOnScreen(true);
    return;
  }
  if (!floating_) return;
  if (lastDock_) {
    SetParent(lastDock_);
  } else if (defaultDock_) {
    dockRow_ = 0;
    dockPos_ = -8;
    SetParent(defaultDock_);
  }
}
