#include "classlib/Controls.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------------------------
// Helpers

HCURSOR CursorHandle(TCursor cursor) {
  static const std::pair<TCursor, LPCWSTR> kCursors[] = {
      {crArrow, IDC_ARROW},       {crCross, IDC_CROSS},       {crIBeam, IDC_IBEAM},
      {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS},     {crSizeNWSE, IDC_SIZENWSE},
      {crSizeWE, IDC_SIZEWE},     {crHourGlass, IDC_WAIT},    {crNo, IDC_NO},
      {crHandPoint, IDC_HAND},    {crSizeAll, IDC_SIZEALL},
  };
  for (const auto& [id, name] : kCursors)
    if (id == cursor) return LoadCursorW(nullptr, name);
  return LoadCursorW(nullptr, IDC_ARROW);
}

TShiftState MouseKeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

String GetShortHint(const String& hint) {
  size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}

TCustomForm* GetParentForm(const TControl* control) {
  while (control && control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

TControl* FindControlAtPos(POINT screenPoint, bool allowDisabled) {
  // The window under the point, or the nearest of its ancestors that is one of ours.
  HWND wnd = WindowFromPoint(screenPoint);
  TWinControl* control = nullptr;
  for (; wnd && !control; wnd = GetAncestor(wnd, GA_PARENT)) control = TWinControl::FindControl(wnd);
  if (!control) return nullptr;
  TControl* child = control->ControlAtPos(control->ScreenToClient(screenPoint), allowDisabled);
  return child ? child : control;
}

namespace {

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK; }

LPARAM OffsetPoint(LPARAM lp, int dx, int dy) {
  return MAKELPARAM(GET_X_LPARAM(lp) - dx, GET_Y_LPARAM(lp) - dy);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), WindowProc(this, &TControl::WndProc) {
  font_.OnChange = TNotifyEvent(this, &TControl::FontChangedEvent);
}

TControl::~TControl() {
  if (Application) Application->ControlDestroyed(this);
  // Taking the control off its parent tells the form too.
  if (parent_) parent_->RemoveControl(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::ApplyConstraints(int& width, int& height) const {
  const TSizeConstraints& c = constraints_;
  if (c.MaxWidth > 0 && width > c.MaxWidth) width = c.MaxWidth;
  if (c.MinWidth > 0 && width < c.MinWidth) width = c.MinWidth;
  if (c.MaxHeight > 0 && height > c.MaxHeight) height = c.MaxHeight;
  if (c.MinHeight > 0 && height < c.MinHeight) height = c.MinHeight;
}

void TControl::SetConstraints(const TSizeConstraints& c) {
  constraints_ = c;
  SetBounds(left_, top_, width_, height_);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  ApplyConstraints(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  if (parent_ && visible_) parent_->Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (parent_ && visible_) Invalidate();
  BoundsChanged();
  if (resized) Resize();
  if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

RECT TControl::ClientRect() const { return {0, 0, width_, height_}; }
int TControl::ClientWidth() const {
  RECT r = ClientRect();
  return r.right - r.left;
}
int TControl::ClientHeight() const {
  RECT r = ClientRect();
  return r.bottom - r.top;
}

void TControl::SetClientSize(int width, int height) {
  SetBounds(left_, top_, width_ + width - ClientWidth(), height_ + height - ClientHeight());
}

POINT TControl::ClientToScreen(POINT p) const {
  const TControl* c = this;
  while (c && !c->IsWindowed()) {
    p.x += c->left_;
    p.y += c->top_;
    c = c->parent_;
  }
  if (c) {
    auto* w = const_cast<TWinControl*>(static_cast<const TWinControl*>(c));
    ::ClientToScreen(w->Handle(), &p);
  }
  return p;
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT origin = ClientToScreen(POINT{0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  // A notice that descendants may handle before or after the library's own reaction.
  Perform(CM_VISIBLECHANGED, visible);
  if (parent_) parent_->AlignControls();
}

void TControl::VisibleChanged() {
  if (parent_) parent_->Invalidate();
}

bool TControl::Showing() const { return visible_ && (!parent_ || parent_->Showing()); }

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v && parent_ && parent_->color_ != color_) {
    color_ = parent_->color_;
    ColorChanged();
  }
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v && parent_) {
    TNotifyEvent saved = font_.OnChange;
    font_.OnChange.Clear();
    font_.Assign(parent_->font_);
    font_.OnChange = saved;
    FontChanged();
  }
}

void TControl::FontChangedEvent(TObject*) {
  parentFont_ = false;
  FontChanged();
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetText(const String& text) {
  if (text == GetText()) return;
  text_ = text;
  Perform(CM_TEXTCHANGED);
}

bool TControl::EffectiveShowHint() const {
  const TControl* c = this;
  while (c && c->parentShowHint_ && c->parent_) c = c->parent_;
  return c ? c->showHint_ : false;
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

bool TControl::MouseCapture() const {
  if (IsWindowed()) {
    auto* self = static_cast<const TWinControl*>(this);
    return self->handle_ && GetCapture() == self->handle_;
  }
  return parent_ && parent_->captureControl_ == this && GetCapture() == parent_->handle_;
}

void TControl::SetMouseCapture(bool capture) {
  if (IsWindowed()) {
    auto* self = static_cast<TWinControl*>(this);
    if (capture) SetCapture(self->Handle());
    else if (MouseCapture()) ReleaseCapture();
    return;
  }
  if (!parent_) return;
  if (capture) {
    parent_->captureControl_ = this;
    SetCapture(parent_->Handle());
  } else if (parent_->captureControl_ == this) {
    parent_->captureControl_ = nullptr;
    if (GetCapture() == parent_->handle_) ReleaseCapture();
  }
}

void TControl::Invalidate() {
  if (IsWindowed()) {
    auto* self = static_cast<TWinControl*>(this);
    if (self->handle_) InvalidateRect(self->handle_, nullptr, TRUE);
    return;
  }
  if (parent_ && parent_->handle_) {
    RECT r = BoundsRect();
    InvalidateRect(parent_->handle_, &r, TRUE);
  }
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (parent_) {
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
      list.erase(it);
      list.push_back(this);
    }
  }
  if (IsWindowed()) {
    auto* self = static_cast<TWinControl*>(this);
    if (self->handle_)
      SetWindowPos(self->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m{msg, wp, lp, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::DefaultHandler(TMessage&) {}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: HandleMouseButton(m, TMouseButton::mbLeft, true, false); return;
    case WM_LBUTTONDBLCLK: HandleMouseButton(m, TMouseButton::mbLeft, true, true); return;
    case WM_LBUTTONUP: HandleMouseButton(m, TMouseButton::mbLeft, false, false); return;
    case WM_RBUTTONDOWN: HandleMouseButton(m, TMouseButton::mbRight, true, false); return;
    case WM_RBUTTONDBLCLK: HandleMouseButton(m, TMouseButton::mbRight, true, true); return;
    case WM_RBUTTONUP: HandleMouseButton(m, TMouseButton::mbRight, false, false); return;
    case WM_MBUTTONDOWN: HandleMouseButton(m, TMouseButton::mbMiddle, true, false); return;
    case WM_MBUTTONDBLCLK: HandleMouseButton(m, TMouseButton::mbMiddle, true, true); return;
    case WM_MBUTTONUP: HandleMouseButton(m, TMouseButton::mbMiddle, false, false); return;
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      MouseMove(MouseKeysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      return;
    case CM_MOUSEENTER: MouseEnter(); return;
    case CM_MOUSELEAVE: MouseLeave(); return;
    case CM_VISIBLECHANGED: VisibleChanged(); return;
    case CM_TEXTCHANGED: TextChanged(); return;
    case CM_COLORCHANGED: ColorChanged(); return;
    case CM_SYSCOLORCHANGE: return;
  }
  DefaultHandler(m);
}

void TControl::HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
  DefaultHandler(m);
  TShiftState shift = MouseKeysToShiftState(m.WParam);
  int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  // A control that takes no double clicks sees the second press as a press.
  if (dbl && !(controlStyle_ & csDoubleClicks)) dbl = false;
  if (down) {
    if (dbl) shift |= ssDouble;
    if (button == TMouseButton::mbLeft) {
      clickPending_ = !dbl;
      if (dbl) DblClick();
    }
    MouseDown(button, shift, x, y);
    return;
  }
  bool click = button == TMouseButton::mbLeft && clickPending_ && MouseUpClicks() &&
               (controlStyle_ & csClickEvents);
  clickPending_ = false;
  MouseUp(button, shift, x, y);
  RECT r = ClientRect();
  POINT p{x, y};
  if (click && PtInRect(&r, p)) Click();
}

void TControl::Click() {
  if (enabled_) OnClick(this);
}
void TControl::DblClick() {
  if (enabled_) OnDblClick(this);
}
void TControl::Resize() { OnResize(this); }
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::MouseEnter() { OnMouseEnter(this); }
void TControl::MouseLeave() { OnMouseLeave(this); }

// ---------------------------------------------------------------------------------------------
// TWinControl: window classes and binding

WNDPROC TWinControl::RegisterClassFor(const TCreateParams& params) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  WNDPROC base = DefWindowProcW;
  if (!params.SystemClassName.empty()) {
    WNDCLASSEXW sys{};
    sys.cbSize = sizeof(sys);
    if (!GetClassInfoExW(nullptr, params.SystemClassName.c_str(), &sys) &&
        !GetClassInfoExW(inst, params.SystemClassName.c_str(), &sys))
      RaiseLastOSError();
    wc = sys;
    wc.cbSize = sizeof(wc);
    base = sys.lpfnWndProc;
    wc.style = sys.style | params.WindowClassStyle;
    wc.style &= ~CS_GLOBALCLASS;
  } else {
    wc.style = params.WindowClassStyle;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  }
  wc.hInstance = inst;
  wc.lpszClassName = params.WinClassName.c_str();
  wc.lpszMenuName = nullptr;
  wc.hbrBackground = nullptr;
  return RegisterBoundWindowClass(wc, base);
}

TWinControl* TWinControl::FindControl(HWND wnd) {
  return dynamic_cast<TWinControl*>(BoundWindowTarget(wnd));
}

void TWinControl::WindowUnbound(HWND wnd) noexcept {
  if (handle_ != wnd) return;
  handle_ = nullptr;
  mouseOver_ = nullptr;
  captureControl_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Marked (also when deleted directly) and forgotten by the form, together with what lies on
  // it, before any window goes: the focus leaves through the parents on the way, and no
  // control that is half destroyed may see enter or exit events or stay the active control.
  MarkDestroying();
  if (TCustomForm* form = GetParentForm(this); form && form != static_cast<TControl*>(this))
    form->ControlDestroyed(this);
  // Child controls go with their parent, whoever owns them.
  tabList_.clear();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    controls_.pop_back();
    c->parent_ = nullptr;
    c->Free();
  }
  DestroyHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  if (!handle_) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = text_;
  p.Style = WS_CLIPCHILDREN;
  if (parent_) {
    p.Style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (visible_) p.Style |= WS_VISIBLE;
    p.WndParent = parent_->Handle();
  } else if (parentWindow_) {
    // A control placed on a window that is not one of ours is its child as well, shown once it
    // is made; top-level controls (forms, popups) make themselves top-level in their own
    // parameters, and must not come up visible (a window made visible is activated).
    p.Style |= WS_CHILD | WS_CLIPSIBLINGS;
    p.WndParent = parentWindow_;
  } else {
    p.Style |= WS_POPUP;
  }
  if (!enabled_) p.Style |= WS_DISABLED;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WinClassName = L"QuillnoteControl";
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (!p.SystemClassName.empty() && p.WinClassName == L"QuillnoteControl")
    p.WinClassName = L"Quillnote." + p.SystemClassName;
  defWndProc_ = RegisterClassFor(p);
  CreateWindowHandle(p);
  if (!handle_) RaiseLastOSError();
  InitializeWindow();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  CreateBoundWindow(*this, p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                    p.Width, p.Height, p.WndParent);
}

void TWinControl::InitializeWindow() {
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (TControl* c : controls_)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->HandleNeeded();
  AlignControls();
}

void TWinControl::DestroyWnd() {
  text_ = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  if (!handle_) return;
  HWND wnd = handle_;
  DestroyWindow(wnd);
  if (handle_ == wnd) {  // not destroyed (another thread's window): forget it anyway
    UnbindWindow(wnd);
    handle_ = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  // Children first, each through its own DestroyWnd, so that each keeps its state (text,
  // formatted content) for the next window.
  for (TControl* c : controls_)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_ || recreating_) return;
  recreating_ = true;
  DestroyHandle();
  recreating_ = false;
  HandleNeeded();
  UpdateShowing();
}

void TWinControl::UpdateShowing() {
  if (!handle_) {
    if (!Showing()) return;
    HandleNeeded();
  }
  // A control may show itself its own way (a menu that slides in).
  Perform(CM_SHOWINGCHANGED);
}

void TWinControl::CMShowingChanged() {
  // The window's own flag only: a hidden parent window hides its children by itself, and
  // shows them again when it shows.
  ShowWindow(handle_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::VisibleChanged() {
  // A window without a parent control is made when it first shows.
  if (handle_ || (visible_ && (!parent_ || parent_->handle_))) UpdateShowing();
  TControl::VisibleChanged();
}

void TWinControl::InsertControl(TControl* control) {
  if (control->parent_ == this) return;
  controls_.push_back(control);
  control->parent_ = this;
  if (control->IsWindowed()) {
    auto* windowed = static_cast<TWinControl*>(control);
    tabList_.push_back(windowed);
    if (windowed->pendingTabOrder_ >= 0) windowed->SetTabOrder(std::exchange(windowed->pendingTabOrder_, -1));
  }
  if (control->parentFont_) control->SetParentFont(true);
  if (control->parentColor_) control->SetParentColor(true);
  if (control->IsWindowed() && handle_) static_cast<TWinControl*>(control)->HandleNeeded();
  AlignControls();
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) { DetachControl(control, false); }

void TWinControl::DetachControl(TControl* control, bool keepHandle) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  if (control->visible_) control->Invalidate();
  if (captureControl_ == control) captureControl_ = nullptr;
  if (mouseOver_ == control) mouseOver_ = nullptr;
  // Off the form, the control (or one lying on it) can no longer be the form's active one.
  if (TCustomForm* form = GetParentForm(this)) form->ControlDestroyed(control);
  controls_.erase(it);
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
  control->parent_ = nullptr;
  if (control->IsWindowed() && !keepHandle) static_cast<TWinControl*>(control)->DestroyHandle();
  AlignControls();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->visible_ || (!c->enabled_ && !allowDisabled)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p) && c->HitTest(p.x - c->left_, p.y - c->top_)) return c;
  }
  return nullptr;
}

RECT TWinControl::AdjustClientRect() const {
  RECT r = ClientRect();
  InflateRect(&r, -borderWidth_, -borderWidth_);
  return r;
}

void TWinControl::SetBorderWidth(int width) {
  if (width == borderWidth_) return;
  borderWidth_ = width;
  AlignControls();
  Invalidate();
}

void TWinControl::AlignControls() {
  static thread_local int depth = 0;
  if (depth > 8) return;
  ++depth;
  RECT r = AdjustClientRect();
  for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (size_t i = 0; i < controls_.size(); ++i) {
      TControl* c = controls_[i];
      if (c->align_ != kind || !c->visible_) continue;
      int w = r.right - r.left, h = r.bottom - r.top;
      switch (kind) {
        case TAlign::alTop: c->SetBounds(r.left, r.top, w, c->height_); r.top += c->height_; break;
        case TAlign::alBottom: c->SetBounds(r.left, r.bottom - c->height_, w, c->height_); r.bottom -= c->height_; break;
        case TAlign::alLeft: c->SetBounds(r.left, r.top, c->width_, h); r.left += c->width_; break;
        case TAlign::alRight: c->SetBounds(r.right - c->width_, r.top, c->width_, h); r.right -= c->width_; break;
        default: c->SetBounds(r.left, r.top, std::max(0, w), std::max(0, h)); break;
      }
    }
  }
  --depth;
}

void TWinControl::AnchorControls(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  for (TControl* c : controls_) {
    if (c->align_ != TAlign::alNone) continue;
    const TAnchors a = c->anchors_;
    RECT r = c->BoundsRect();
    if (a & akRight) {
      if (a & akLeft) r.right += dx;
      else OffsetRect(&r, dx, 0);
    }
    if (a & akBottom) {
      if (a & akTop) r.bottom += dy;
      else OffsetRect(&r, 0, dy);
    }
    const RECT old = c->BoundsRect();
    if (!EqualRect(&r, &old)) c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return handle_ == nullptr || IsWindowVisible(handle_);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tabList_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) {
    pendingTabOrder_ = order;
    return;
  }
  auto& list = parent_->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const bool inside = order >= 0 && order < static_cast<int>(list.size());
  list.insert(inside ? list.begin() + order : list.end(), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* child : tabList_) {
    List.push_back(child);
    child->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  const int count = static_cast<int>(list.size());
  const int found = static_cast<int>(std::find(list.begin(), list.end(), CurControl) - list.begin());
  // Outside the list, the walk starts just before the first control (or after the last).
  const int start = found < count ? found : (GoForward ? -1 : count);
  for (int step = 1; step <= count; ++step) {
    const int index = ((start + (GoForward ? step : -step)) % count + count) % count;
    TWinControl* c = list[static_cast<size_t>(index)];
    if (c->CanFocus() && (!CheckTabStop || c->tabStop_) && (!CheckParent || c->parent_ == this)) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false)) next->SetFocus();
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

void TWinControl::SetParentWindow(HWND wnd) {
  if (wnd == parentWindow_) return;
  parentWindow_ = wnd;
  RecreateWnd();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  ApplyConstraints(width, height);
  bool changed = left != left_ || top != top_ || width != width_ || height != height_;
  if (handle_ && changed && !inSizeMessage_) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_SIZE and WM_MOVE brought the fields up to date. What the window accepted wins over
    // what was asked: the system keeps a captioned window at least its smallest tracking size.
    if (!IsIconic(handle_)) {
      RECT r = WindowBoundsInParent();
      left = r.left;
      top = r.top;
      width = r.right - r.left;
      height = r.bottom - r.top;
      changed = left != left_ || top != top_ || width != width_ || height != height_;
    }
  }
  bool resized = width != width_ || height != height_;
  const int oldWidth = width_, oldHeight = height_;
  if (changed) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
    if (resized) {
      // A control that had no size yet has no distances to keep.
      AnchorControls(oldWidth > 0 ? width - oldWidth : 0, oldHeight > 0 ? height - oldHeight : 0);
      AlignControls();
      Resize();
    }
  }
  if (changed && parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  DestroyHandle();
  TControl::SetParent(parent);
}

void TWinControl::ChangeParentKeepingHandle(TWinControl* parent) {
  if (parent == parent_) return;
  if (!handle_ || !parent) {
    TWinControl::SetParent(parent);
    return;
  }
  if (parent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
  HWND newParent = parent->Handle();
  if (parent_) parent_->DetachControl(this, true);
  // A window that stood alone becomes a child window.
  LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
  if (!(style & WS_CHILD))
    SetWindowLongPtrW(handle_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS);
  ::SetParent(handle_, newParent);
  SetWindowPos(handle_, nullptr, left_, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  parent->InsertControl(this);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_, enabled);
}

RECT TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

String TWinControl::GetText() const {
  if (!handle_) return text_;
  int n = GetWindowTextLengthW(handle_);
  String text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(handle_, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(n, 0)));
  return text;
}

void TWinControl::TextChanged() {
  if (handle_) SetWindowTextW(handle_, text_.c_str());
  else Invalidate();
}

void TWinControl::FontChanged() {
  if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  for (TControl* c : controls_)
    if (c->parentFont_) c->SetParentFont(true);
  Invalidate();
}

void TWinControl::ColorChanged() {
  for (TControl* c : controls_)
    if (c->parentColor_) c->SetParentColor(true);
  Invalidate();
}

bool TWinControl::ShowsFocusCue() {
  return Focused() && !(SendMessageW(handle_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

HBRUSH TWinControl::BackgroundBrush() {
  if (brush_.Color() != Color()) brush_.SetColor(Color());
  return brush_.Handle();
}

void TWinControl::WndProc(TMessage& m) {
  if (m.Msg == WM_MOUSEMOVE && handle_) {
    UpdateHover(m);
    if (Application) Application->HintMouseMove(mouseOver_ ? mouseOver_ : this);
  } else if (IsMouseMessage(m.Msg) && m.Msg != WM_MOUSEMOVE && Application) {
    Application->CancelHint();
  }
  if (IsMouseMessage(m.Msg) && RouteMouseToGraphicChild(m)) return;
  TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  m.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, m.Msg, m.WParam,
                             m.LParam);
}

void TWinControl::Dispatch(TMessage& m) {
  const bool ownClass = defWndProc_ == DefWindowProcW;
  switch (m.Msg) {
    case WM_PAINT:
      if (ownClass) return WMPaint(m);
      break;
    case WM_ERASEBKGND:
      if (ownClass) return WMEraseBkgnd(m);
      break;
    case WM_SIZE: return WMSize(m);
    case WM_MOVE: return WMMove(m);
    case WM_SETCURSOR: return WMSetCursor(m);
    case WM_MOUSELEAVE: return WMMouseLeave(m);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: return WMKey(m);
    case WM_CHAR: return WMChar(m);
    case WM_SYSCHAR: return WMSysChar(m);
    case WM_SYSCOMMAND:
      if (ForwardKeyMenu(m)) return;
      break;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED: return BroadcastToControls(m);
    case CM_WANTSPECIALKEY: m.Result = 0; return;
    case WM_SETFOCUS: return WMFocus(m, true);
    case WM_KILLFOCUS: return WMFocus(m, false);
    case WM_COMMAND: return ReflectToChild(m, reinterpret_cast<HWND>(m.LParam));
    case WM_NOTIFY: return ReflectToChild(m, reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: return WMCtlColor(m);
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX: return CNCtlColor(m);
    case WM_CONTEXTMENU: return WMContextMenu(m);
    case WM_CAPTURECHANGED: captureControl_ = nullptr; break;
    case CM_SHOWINGCHANGED:
      if (handle_) CMShowingChanged();
      return;
    case CM_SYSCOLORCHANGE: return Broadcast(m);
  }
  TControl::Dispatch(m);
}

void TWinControl::Broadcast(TMessage& m) {
  // A copy: a handler may free controls.
  std::vector<TControl*> children = controls_;
  for (TControl* c : children)
    if (std::find(controls_.begin(), controls_.end(), c) != controls_.end()) c->Perform(m.Msg, m.WParam, m.LParam);
}

void TWinControl::WMPaint(TMessage& m) {
  if (m.WParam) {
    // A DC handed in: paint into it, without BeginPaint.
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    PaintWindow(dc);
    PaintControls(dc);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (ps.fErase) {
    RECT r;
    GetClientRect(handle_, &r);
    FillRect(dc, &r, BackgroundBrush());
  }
  PaintWindow(dc);
  PaintControls(dc);
  EndPaint(handle_, &ps);
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
  m.Result = 1;
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->visible_) continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(dc, &r)) continue;
    static_cast<TGraphicControl*>(c)->PaintInto(dc);
  }
}

RECT TWinControl::WindowBoundsInParent() const {
  RECT r;
  GetWindowRect(handle_, &r);
  if (parent_ || (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, GetAncestor(handle_, GA_PARENT), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void TWinControl::WMSize(TMessage& m) {
  DefaultHandler(m);
  // A minimised window reports its icon: the bounds stay the normal ones until it is restored.
  if (IsIconic(handle_)) return;
  RECT r = WindowBoundsInParent();
  inSizeMessage_ = true;
  TScopeGuard sized([this] { inSizeMessage_ = false; });
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::WMMove(TMessage& m) { WMSize(m); }

void TWinControl::WMSetCursor(TMessage& m) {
  if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(m.LParam) == HTCLIENT) {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(handle_, &p);
    TControl* c = captureControl_ ? captureControl_ : ControlAtPos(p);
    TCursor cursor = c && c->cursor_ != crDefault ? c->cursor_ : cursor_;
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      m.Result = TRUE;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::TrackMouseHover(TControl* over) {
  if (over == mouseOver_) return;
  TControl* old = mouseOver_;
  mouseOver_ = over;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (over) over->Perform(CM_MOUSEENTER);
}

void TWinControl::UpdateHover(const TMessage& m) {
  TControl* over = this;
  if (captureControl_) {
    over = captureControl_;
  } else {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    TControl* child = ControlAtPos(p);
    if (child && !child->IsWindowed()) over = child;
  }
  if (over == mouseOver_) return;
  TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, 0};
  TrackMouseEvent(&tme);
  TrackMouseHover(over);
}

void TWinControl::WMMouseLeave(TMessage& m) {
  TrackMouseHover(nullptr);
  if (Application) Application->HintMouseMove(nullptr);
  DefaultHandler(m);
}

bool TWinControl::RouteMouseToGraphicChild(TMessage& m) {
  TControl* target = captureControl_;
  if (!target) {
    if (GetCapture() == handle_) return false;  // the window's own capture: keep the messages
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    target = ControlAtPos(p);
    if (!target || target->IsWindowed()) return false;
  }
  bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN ||
              m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
  bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
  if (down && !captureControl_) target->SetMouseCapture(true);
  // Released before the release is handled: its click handler may free the control or this
  // window's form, and nothing of either is touched once it has run.
  if (up && captureControl_ == target) target->SetMouseCapture(false);
  m.Result = target->Perform(m.Msg, m.WParam, OffsetPoint(m.LParam, target->left_, target->top_));
  return true;
}

bool TWinControl::DoKeyDownWithPreview(WORD& key, TShiftState shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != static_cast<TControl*>(this) && form->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) return true;
  }
  KeyDown(key, shift);
  return key == 0;
}

bool TWinControl::IsMenuKey(const TMessage& m) {
  TPopupMenu* menu = PopupMenu();
  if (!menu) return false;
  HWND wnd = handle_;
  TWMKey key{m.Msg, static_cast<WORD>(m.WParam), m.LParam, 0};
  // The command may free this control: nothing of it is touched once the menu has answered.
  if (!menu->IsShortCut(key)) return false;
  DropTranslatedChar(wnd, m.LParam);
  return true;
}

void TWinControl::DropTranslatedChar(HWND wnd, LPARAM keyData) {
  // The message loop translated the key before it reached the window: the character it made
  // carries the key's own key data and would otherwise still be typed (Ctrl+I as a tab).
  using TRange = std::pair<UINT, UINT>;
  for (auto [first, last] : {TRange{WM_CHAR, WM_DEADCHAR}, TRange{WM_SYSCHAR, WM_SYSDEADCHAR}}) {
    MSG msg;
    if (PeekMessageW(&msg, wnd, first, last, PM_NOREMOVE | PM_NOYIELD) && msg.lParam == keyData)
      PeekMessageW(&msg, wnd, first, last, PM_REMOVE | PM_NOYIELD);
  }
}

void TWinControl::WMKey(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  bool down = m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN;
  // A shortcut of the control's popup menu goes before the control's own key handling.
  if (down && IsMenuKey(m)) return;
  bool handled;
  if (down) {
    handled = DoKeyDownWithPreview(key, shift) || DoDialogKey(key, m);
  } else {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TControl*>(this) && form->KeyPreview()) form->KeyUp(key, shift);
    if (key) KeyUp(key, shift);
    handled = key == 0;
  }
  if (handled) return;
  m.WParam = key;
  DefaultHandler(m);
}

namespace {

bool IsArrowKey(WORD key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

// The keys a form handles for its controls: Tab, Enter, Esc and the arrows pressed without Alt,
// and Alt itself.
bool IsDialogKey(WORD key, UINT msg) {
  if (msg == WM_SYSKEYDOWN) return key == VK_MENU;
  return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || IsArrowKey(key);
}

}  // namespace

bool TWinControl::WantsKey(WORD key, LPARAM keyData) {
  if (Perform(CM_WANTSPECIALKEY, key, keyData) != 0) return true;
  if (key == VK_MENU || !handle_) return false;
  // Asked without the message: given one, the system's edit controls act as if in a dialog of
  // the system's own (a multi-line edit closes its parent on Esc).
  const LRESULT code = SendMessageW(handle_, WM_GETDLGCODE, 0, 0);
  const LRESULT wanted = key == VK_TAB ? DLGC_WANTTAB : IsArrowKey(key) ? DLGC_WANTARROWS : 0;
  return (code & (DLGC_WANTALLKEYS | wanted)) != 0;
}

bool TWinControl::DoDialogKey(WORD key, const TMessage& m) {
  if (!IsDialogKey(key, m.Msg) || WantsKey(key, m.LParam)) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  // What the form's answer ran may have freed this control: only the window's handle is used.
  HWND wnd = handle_;
  if (form->Perform(CM_DIALOGKEY, key, m.LParam) == 0) return false;
  DropTranslatedChar(wnd, m.LParam);
  return true;
}

void TWinControl::WMSysChar(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && m.WParam != 0 && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) {
    m.Result = 0;
    return;
  }
  DefaultHandler(m);
}

bool TWinControl::ForwardKeyMenu(TMessage& m) {
  // Once only: the application's hooks may hand the command to a control again, whose own
  // handling must then not send it round once more.
  static thread_local bool forwarding = false;
  if ((m.WParam & 0xFFF0) != SC_KEYMENU || forwarding) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form || form == static_cast<TControl*>(this) || !form->HandleAllocated()) return false;
  forwarding = true;
  TScopeGuard done([] { forwarding = false; });
  m.Result = SendMessageW(form->Handle(), WM_SYSCOMMAND, m.WParam, m.LParam);
  return true;
}

void TWinControl::BroadcastToControls(TMessage& m) {
  // By index, and no further once one answered: an answer may have changed or freed all of it.
  for (size_t i = 0; i < controls_.size(); ++i) {
    m.Result = controls_[i]->Perform(m.Msg, m.WParam, m.LParam);
    if (m.Result != 0) return;
  }
}

void TWinControl::WMChar(TMessage& m) {
  wchar_t ch = static_cast<wchar_t>(m.WParam);
  TCustomForm* form = GetParentForm(this);
  if (form && form != static_cast<TControl*>(this) && form->KeyPreview()) form->KeyPress(ch);
  if (ch) KeyPress(ch);
  if (!ch) return;
  m.WParam = ch;
  DefaultHandler(m);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(WORD& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(wchar_t& key) { OnKeyPress(this, key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::WMFocus(TMessage& m, bool gained) {
  DefaultHandler(m);
  if (!gained) return;
  // Enter and exit follow the form's active control, so switching to another program and
  // back does not count as leaving the control.
  if (TCustomForm* form = GetParentForm(this)) form->FocusControlChanged(this);
}

void TWinControl::ReflectToChild(TMessage& m, HWND child) {
  TWinControl* control = child && child != handle_ ? FindControl(child) : nullptr;
  if (control) {
    m.Result = control->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

void TWinControl::WMCtlColor(TMessage& m) { ReflectToChild(m, reinterpret_cast<HWND>(m.LParam)); }

void TWinControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ColorToGdi(Font().Color(), GetSysColor(COLOR_WINDOWTEXT)));
  SetBkColor(dc, ColorToGdi(Color(), GetSysColor(COLOR_WINDOW)));
  m.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
}

void TWinControl::WMContextMenu(TMessage& m) {
  if (TPopupMenu* menu = PopupMenu()) {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    // From the keyboard both halves are -1; a 64-bit lParam need not be -1 as a whole.
    if (p.x == -1 && p.y == -1) p = ClientToScreen(POINT{Width() / 2, Height() / 2});
    menu->SetPopupComponent(this);
    menu->Popup(p.x, p.y);
    m.Result = 1;
    return;
  }
  DefaultHandler(m);
}

// ---------------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

void TGraphicControl::PaintInto(HDC dc) {
  int saved = SaveDC(dc);
  POINT origin;
  OffsetViewportOrgEx(dc, Left(), Top(), &origin);
  IntersectClipRect(dc, 0, 0, Width(), Height());
  canvas_.SetHandle(dc);
  TScopeGuard restore([&] {
    canvas_.SetHandle(nullptr);
    RestoreDC(dc, saved);
  });
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::PaintWindow(HDC dc) {
  canvas_.SetHandle(dc);
  TScopeGuard release([this] { canvas_.SetHandle(nullptr); });
  Paint();
}

void TCustomControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      if (TabStop()) Invalidate();
      break;
  }
  TWinControl::Dispatch(m);
}

void TCustomControl::PaintFocusCue(const RECT& r) {
  if (ShowsFocusCue()) canvas_.DrawFocusRect(r);
}
