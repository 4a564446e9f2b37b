#pragma once
// Controls: geometry, parents and alignment, visibility, colour and font, mouse and keys with
// capture, and windowed controls whose window procedure is a method of the control.
#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Menus.h"
#include "classlib/Messages.h"
#include "classlib/WindowBinding.h"

#include <vector>

class TControl;
class TWinControl;
class TCustomForm;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The parent edges a control keeps its distance to when the parent is resized: both of one
// axis stretch the control along it, the right or bottom one alone moves it.
using TAnchors = unsigned;
enum : TAnchors { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// What a kind of control is and does. The library acts on csClickEvents (a press and release
// make a click) and csDoubleClicks (a second press makes a double click, else a press); the
// others are marks that frameworks read (csMenuEvents: takes part in menu keys and commands;
// csAcceptsControls: holds child controls).
using TControlStyle = unsigned;
enum : TControlStyle {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,
  csClickEvents = 1u << 2,
  csFramed = 1u << 3,
  csSetCaption = 1u << 4,
  csOpaque = 1u << 5,
  csDoubleClicks = 1u << 6,
  csFixedWidth = 1u << 7,
  csFixedHeight = 1u << 8,
  csNoStdEvents = 1u << 9,
  csReflector = 1u << 10,
  csActionClient = 1u << 11,
  csMenuEvents = 1u << 12,
};
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Cursor identifiers: 0 is the control's default, negative values name system cursors.
using TCursor = int;
enum : TCursor {
  crDefault = 0,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crHourGlass = -11,
  crNo = -18,
  crHandPoint = -21,
  crSizeAll = -22,
};
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, wchar_t& Key)>;

// Limits on a control's size; 0 means no limit.
struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

// What a windowed control asks of CreateWindowEx.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  UINT WindowClassStyle = CS_DBLCLKS;
  String WinClassName;
  // A system class to build on ("EDIT", "BUTTON", ...); empty for our own windows.
  String SystemClassName;
};

// What CM_HINTSHOW hands a control (in lParam) before its hint shows: the control may change
// the text and the rectangle (client coordinates) within which the hint stays; a non-zero
// answer shows no hint.
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT CursorPos{};
  RECT CursorRect{};
  String HintStr;
  int HideTimeout = 0;
};

// The parts of a hint "short|long".
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

// Shift state of a mouse message's wParam and of the keyboard.
TShiftState MouseKeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Geometry, in the parent's client coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientSize(int width, int height);
  TSizeConstraints& Constraints() { return constraints_; }
  void SetConstraints(const TSizeConstraints& c);
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors) { anchors_ = anchors; }
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle style) { controlStyle_ = style; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a top-level window too.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont& Font() { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);

  String Caption() const { return GetText(); }
  void SetCaption(const String& text) { SetText(text); }
  String Text() const { return GetText(); }
  void SetText(const String& text);

  const String& Hint() const { return hint_; }
  void SetHint(const String& hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; parentShowHint_ = false; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v) { parentShowHint_ = v; }
  // ShowHint as it applies, following the parents while ParentShowHint is set.
  bool EffectiveShowHint() const;
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // Whether the control holds the mouse capture (for a graphic control: through its parent).
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  void Invalidate();
  virtual void Update();
  void Repaint();
  void BringToFront();

  // Sends a message straight to the control's message handling (through WindowProc).
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  virtual void WndProc(TMessage& Message);
  // Where every message of the control goes first: WndProc, unless replaced. Whoever replaces it
  // keeps the procedure it replaced, hands on what it does not handle, and puts it back;
  // replacements chain. An unbound procedure drops the messages.
  TWndMethod WindowProc;
  void DefaultHandler(TMessage& Message) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  virtual bool IsWindowed() const { return false; }
  // Is the point (client coordinates) part of the control? Graphic controls may say no.
  virtual bool HitTest(int, int) const { return true; }
  // Whether a left press and release inside the control make a click (controls built on a
  // system class report their clicks through notifications instead).
  virtual bool MouseUpClicks() const { return true; }

 protected:
  void Dispatch(TMessage& Message) override;
  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual String GetText() const { return text_; }
  virtual void TextChanged() {}
  virtual void ColorChanged();
  virtual void FontChanged();
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  // Bounds as the constraints allow.
  void ApplyConstraints(int& width, int& height) const;
  virtual void BoundsChanged() {}
  void Notification(TComponent* component, TOperation operation) override;

  // Storage for controls whose text is their own (graphic controls, and windowed controls
  // before they have a window).
  String text_;

 private:
  void FontChangedEvent(TObject*);
  void HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);

  friend class TWinControl;
  friend class TCustomForm;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TSizeConstraints constraints_;
  TWinControl* parent_ = nullptr;
  TAlign align_ = TAlign::alNone;
  TAnchors anchors_ = akLeft | akTop;
  TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  String hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TPopupMenu* popupMenu_ = nullptr;
  bool clickPending_ = false;
};

// A control with a window of its own, bound to it (WindowBinding.h) while the window exists.
class TWinControl : public TControl, public TWindowTarget {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys and creates the window again; its state (text, bounds, visibility, children)
  // is kept by the control.
  void RecreateWnd();
  // The control of a window of ours, or nullptr.
  static TWinControl* FindControl(HWND wnd);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The visible child control at a client point, graphic controls included.
  TControl* ControlAtPos(POINT p, bool allowDisabled = false) const;
  // Places the aligned child controls; a control that lays out its children its own way
  // overrides it.
  virtual void AlignControls();
  // The client area that alignment fills (less the border width).
  virtual RECT AdjustClientRect() const;
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);

  // Tab order: the windowed children in the order Tab visits them, the order they came onto
  // their parent unless set. TabOrder is the place among the parent's children (-1 without a
  // parent); a place outside the list puts the control last.
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  // Appends the windowed controls inside this one in tab order, each followed by those inside it.
  virtual void GetTabOrderList(std::vector<TWinControl*>& List);
  // The control after (or before) CurControl in this control's tab order list that can take the
  // focus, going round past the end: with CheckTabStop only controls with TabStop, with
  // CheckParent only this control's own children. CurControl outside the list starts at an end;
  // nullptr when none can take the focus.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  // Gives the focus to FindNextControl(CurControl, GoForward, CheckTabStop, false).
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();

  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  // Moves the control to another parent control keeping its window, and with it the windows
  // of its children: the system re-parents the window instead of the library making it again.
  // Without a window, or to no parent, it is SetParent.
  void ChangeParentKeepingHandle(TWinControl* parent);
  void SetEnabled(bool enabled) override;
  RECT ClientRect() const override;
  void Update() override;
  bool IsWindowed() const override { return true; }
  bool MouseUpClicks() const override { return defWndProc_ == nullptr || defWndProc_ == DefWindowProcW; }
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Sends the message to every child control (a notice such as CM_SYSCOLORCHANGE, which each
  // windowed child passes on to its own children).
  void Broadcast(TMessage& Message);
  // Sets the parent window for a control without a parent control: the window it is a child of
  // (a form's or a popup's owner window, which they make top-level themselves).
  void SetParentWindow(HWND wnd);
  HWND ParentWindow() const { return parentWindow_; }

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  void Dispatch(TMessage& Message) override;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  // Keeps the control's state and destroys the window; children are gone already.
  virtual void DestroyWnd();
  // Destroys the windows of the children, then this one, each through its DestroyWnd.
  void DestroyHandle();
  void DestroyWindowHandle();
  // Called after the window exists, to give it the control's state.
  virtual void InitializeWindow();
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(wchar_t& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void PaintWindow(HDC dc);
  // Paints the graphic child controls into the DC after the control's own painting.
  void PaintControls(HDC dc);
  String GetText() const override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  void VisibleChanged() override;
  // Brush for the window's background and for WM_CTLCOLOR answers.
  HBRUSH BackgroundBrush();
  // Whether a focus cue is to be drawn: the control has the focus and its window shows focus
  // cues (the system hides them until the keyboard is used, where it is set to).
  bool ShowsFocusCue();
  // For a control built on a system class: the system class's own window procedure.
  WNDPROC DefWndProc() const { return defWndProc_; }
  // SetBounds runs to take the size or place the window already has (WM_SIZE, WM_MOVE), not
  // to change them.
  bool TakingWindowBounds() const { return inSizeMessage_; }

 private:
  static WNDPROC RegisterClassFor(const TCreateParams& params);
  void WindowBound(HWND wnd) noexcept override { handle_ = wnd; }
  void WindowMessage(TMessage& m) override { WindowProc(m); }
  void WindowUnbound(HWND wnd) noexcept override;
  // Takes a child off the list; its window goes unless it is kept for another parent.
  void DetachControl(TControl* control, bool keepHandle);
  // Moves or stretches the child controls that are anchored to the right or bottom edge by
  // the change of this control's size.
  void AnchorControls(int dx, int dy);
  void UpdateShowing();
  // CM_SHOWINGCHANGED: shows or hides the window as the control's Visible says.
  void CMShowingChanged();
  // The window's rectangle in its parent's client coordinates (screen ones for a top-level window).
  RECT WindowBoundsInParent() const;
  void WMPaint(TMessage& m);
  void WMEraseBkgnd(TMessage& m);
  void WMSize(TMessage& m);
  void WMMove(TMessage& m);
  void WMSetCursor(TMessage& m);
  void UpdateHover(const TMessage& m);
  void WMMouseLeave(TMessage& m);
  void WMKey(TMessage& m);
  // A key down that the control's own handlers left: Tab, Enter, Esc and the arrows (unless the
  // control wants them) and Alt go to the form as CM_DIALOGKEY; true when the form took it.
  bool DoDialogKey(WORD key, const TMessage& m);
  bool WantsKey(WORD key, LPARAM keyData);
  // Alt+letter goes to the form as CM_DIALOGCHAR before the system's menu key handling.
  void WMSysChar(TMessage& m);
  // The system hands the keyboard's menu command to the focused window: it goes on to the form,
  // which offers it to the application first; a command that comes back to a control from there
  // is the system's again. True when it went.
  bool ForwardKeyMenu(TMessage& m);
  // CM_DIALOGKEY, CM_DIALOGCHAR and CM_FOCUSCHANGED go to every child control in turn, until
  // one answers.
  void BroadcastToControls(TMessage& m);
  // Asks the control's popup menu whether the key down is one of its shortcuts; true when a
  // command ran and the key is used up.
  bool IsMenuKey(const TMessage& m);
  static void DropTranslatedChar(HWND wnd, LPARAM keyData);
  void WMChar(TMessage& m);
  void WMFocus(TMessage& m, bool gained);
  void ReflectToChild(TMessage& m, HWND child);
  void WMCtlColor(TMessage& m);
  void CNCtlColor(TMessage& m);
  void WMContextMenu(TMessage& m);
  // Routes a mouse message to the graphic child control under the mouse or with capture.
  bool RouteMouseToGraphicChild(TMessage& m);
  void TrackMouseHover(TControl* over);
  bool DoKeyDownWithPreview(WORD& key, TShiftState shift);

  friend class TControl;
  friend class TCustomForm;
  HWND handle_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  HWND parentWindow_ = nullptr;
  std::vector<TControl*> controls_;
  // The windowed children, in tab order.
  std::vector<TWinControl*> tabList_;
  // A tab order set while the control had no parent, taken when it gets one.
  int pendingTabOrder_ = -1;
  int borderWidth_ = 0;
  bool tabStop_ = false;
  bool recreating_ = false;
  bool inSizeMessage_ = false;
  TControl* mouseOver_ = nullptr;
  TControl* captureControl_ = nullptr;
  TBrush brush_;
};

// A control painted by its parent, without a window (labels, images, speed buttons).
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas& Canvas() { return canvas_; }
  // Paints the control into the parent's DC, with the origin moved to the control.
  void PaintInto(HDC dc);

 protected:
  virtual void Paint() {}

 private:
  TCanvas canvas_;
};

// A windowed control that paints itself on a canvas. One that takes the focus (TabStop) is
// painted again when it gains or loses it, or when the window's keyboard cues change.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas& Canvas() { return canvas_; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  void Dispatch(TMessage& Message) override;
  // Draws the system's focus rectangle within r when ShowsFocusCue.
  void PaintFocusCue(const RECT& r);

 private:
  TCanvas canvas_;
};

// The control of ours under a point of the screen (a graphic or windowed child where there is
// one), or nullptr; with allowDisabled, disabled children count too.
TControl* FindControlAtPos(POINT screenPoint, bool allowDisabled);

// The form a control lies on (the top-level control), or nullptr.
TCustomForm* GetParentForm(const TControl* control);
